#pragma once

#include <QStringList>

#include <stdexcept>

// Input that tavlo-book won't turn into files: every problem found, each naming the file and what
// is wrong. Nothing has been written when it is thrown; the exit status is 1.
class Refusal final : public std::runtime_error {
public:
    explicit Refusal(QStringList problems) : std::runtime_error("refused"), problems_(std::move(problems)) {}

    const QStringList &problems() const noexcept { return problems_; }

private:
    QStringList problems_;
};
