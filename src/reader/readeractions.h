#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

class QAction;
class QWidget;

namespace reader {

// Every command of the reader window as an action of the window, with its keys, and the keys, wheel
// and mouse buttons that reach them wherever in the window they come: the page view takes some keys
// for itself before the actions' shortcuts could see them.
class ReaderActions final : public QObject {
    Q_OBJECT

public:
    enum Command {
        NextPage,
        PreviousPage,
        FirstPage,
        Print,
        PrintAll,
        FindInPage,
        Exit,
        Back,
        Forward,
        ZoomIn,
        ZoomOut,
        ZoomReset,
        FindInBook,
        FullScreen,
        LeaveFullScreen,
        Contents,
        GoToPage,
        ContinueReading,
        CommandCount
    };

    // The actions of window, each running command with its Command; page is the page view's widget.
    ReaderActions(QWidget *window, QWidget *page, const std::function<void(Command)> &command);

    QAction *action(Command command) const { return actions_[command]; }
    // While it says so, only the print all progress window takes input, as a modal one would.
    void setInputBlocked(std::function<bool()> blocked) { blocked_ = std::move(blocked); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *add(Command command, const char *name, const QString &text, const QList<QKeySequence> &keys);
    // The action whose keys hold pressed, among those enabled; nullptr when none does.
    QAction *actionFor(QKeyCombination pressed) const;
    bool wheel(QWidget *widget, QEvent *event);
    bool key(QWidget *widget, QEvent *event);

    QWidget *window_;
    QWidget *page_;
    std::function<void(Command)> command_;
    std::function<bool()> blocked_;
    QAction *actions_[CommandCount] = {};
    // What a smooth mouse wheel turned with Ctrl held, short of a whole notch.
    int wheelPending_ = 0;
};

} // namespace reader
