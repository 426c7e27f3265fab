#pragma once

#include <QWidget>

namespace reader {

// Tells assistive technology a short text at once, wherever the focus is, as a screen reader reads a
// notification when it appears. Qt 6.4 has no announcement of its own: this is a notification of no
// size, shown anew with each text as its name. Nothing is drawn, and nothing is done while no
// assistive technology listens.
class Announcement final : public QWidget {
    Q_OBJECT

public:
    explicit Announcement(QWidget *window);

    void say(const QString &text);
};

} // namespace reader
