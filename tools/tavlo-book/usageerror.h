#pragma once

#include <QString>

#include <stdexcept>

// Arguments that tavlo-book can't act on; it stops with status 2 before anything is read.
class UsageError final : public std::runtime_error {
public:
    explicit UsageError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}

    const QString &message() const noexcept { return message_; }

private:
    QString message_;
};
