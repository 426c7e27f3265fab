#include "readeractions.h"

#include "picturebutton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>

namespace reader {
namespace {

// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;

// The keys that scroll the page, which it takes wherever the focus is among the window's own widgets.
bool scrollsPage(const QKeyEvent &key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Space:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

ReaderActions::ReaderActions(QWidget *window, QWidget *page, const std::function<void(Command)> &command)
    : QObject(window), window_(window), page_(page), command_(command)
{
    add(NextPage, "nextPage", tr("Next page"), {Qt::CTRL | Qt::Key_PageDown});
    add(PreviousPage, "previousPage", tr("Previous page"), {Qt::CTRL | Qt::Key_PageUp});
    add(FirstPage, "firstPage", tr("First page"), {Qt::ALT | Qt::Key_Home});
    add(Print, "print", tr("Print the page\u2026"), {Qt::CTRL | Qt::Key_P});
    add(PrintAll, "printAll", tr("Print all pages"), {Qt::CTRL | Qt::SHIFT | Qt::Key_P});
    add(FindInPage, "findInPage", tr("Find in the page"), {Qt::CTRL | Qt::Key_F});
    add(Exit, "exit", tr("Exit"), {Qt::CTRL | Qt::Key_Q});
    add(Back, "back", tr("Back"), {Qt::ALT | Qt::Key_Left});
    add(Forward, "forward", tr("Forward"), {Qt::ALT | Qt::Key_Right});
    // Plus is typed with Shift on many keyboards, and shares its key with "=" on some.
    add(ZoomIn, "zoomIn", tr("Zoom in"),
        {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal});
    add(ZoomOut, "zoomOut", tr("Zoom out"), {Qt::CTRL | Qt::Key_Minus});
    add(ZoomReset, "zoomReset", tr("Actual size"), {Qt::CTRL | Qt::Key_0});
    add(FindInBook, "findInBook", tr("Find in the whole book\u2026"), {Qt::CTRL | Qt::SHIFT | Qt::Key_F})
        ->setToolTip(tr("Find in the whole book"));
    add(FullScreen, "fullScreen", tr("Full screen"), {QKeySequence(Qt::Key_F11)});
    // Esc leaves full screen only while the window fills it.
    add(LeaveFullScreen, "leaveFullScreen", tr("Leave full screen"), {QKeySequence(Qt::Key_Escape)})
        ->setEnabled(window->isFullScreen());
    add(Contents, "contents", tr("Contents"), {QKeySequence(Qt::Key_F9)});
    add(GoToPage, "goToPage", tr("Go to page\u2026"), {Qt::CTRL | Qt::Key_L});
    add(ContinueReading, "continueReading", tr("Continue where you left off"), {QKeySequence(Qt::Key_F8)});
    qApp->installEventFilter(this);
}

QAction *ReaderActions::add(Command command, const char *name, const QString &text, const QList<QKeySequence> &keys)
{
    auto *action = new QAction(text, window_);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, [this, command] { command_(command); });
    window_->addAction(action);
    actions_[command] = action;
    return action;
}

QAction *ReaderActions::actionFor(QKeyCombination pressed) const
{
    for (QAction *action : actions_) {
        if (action->isEnabled() && action->shortcuts().contains(QKeySequence(pressed)))
            return action;
    }
    return nullptr;
}

bool ReaderActions::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window_ || QApplication::activeModalWidget())
        return false;
    if (blocked_ && blocked_() && isUserInput(event->type()))
        return true;
    switch (event->type()) {
    case QEvent::Wheel:
        return wheel(widget, event);
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        return key(widget, event);
    case QEvent::MouseButtonPress: {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        if (button != Qt::BackButton && button != Qt::ForwardButton)
            return false;
        action(button == Qt::BackButton ? Back : Forward)->trigger();
        return true;
    }
    default:
        return false;
    }
}

bool ReaderActions::wheel(QWidget *widget, QEvent *event)
{
    const auto *wheel = static_cast<QWheelEvent *>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier) || !(widget == page_ || page_->isAncestorOf(widget)))
        return false;
    // Whole notches zoom a step each; what a smooth wheel gives in between adds up.
    wheelPending_ += wheel->angleDelta().y();
    for (; wheelPending_ >= kWheelNotch; wheelPending_ -= kWheelNotch)
        action(ZoomIn)->trigger();
    for (; wheelPending_ <= -kWheelNotch; wheelPending_ += kWheelNotch)
        action(ZoomOut)->trigger();
    return true;
}

bool ReaderActions::key(QWidget *widget, QEvent *event)
{
    const auto *key = static_cast<QKeyEvent *>(event);
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    const bool press = event->type() == QEvent::KeyPress;
    // Esc belongs to a field that has the focus: the find bars and go to page close on it.
    if (pressed == QKeyCombination(Qt::Key_Escape) && qobject_cast<QLineEdit *>(widget)) {
        if (press)
            return false;
        event->accept();
        return true;
    }
    if (!press)
        return false;
    // A key press that reaches a widget was not taken as a shortcut: the page view had claimed it.
    if (QAction *action = actionFor(pressed)) {
        action->trigger();
        return true;
    }
    // On a button (where a key runs no command) or the window itself, the page's keys scroll it.
    if ((widget == window_ || qobject_cast<PictureButton *>(widget)) && scrollsPage(*key)) {
        QWidget *page = page_->focusProxy() ? page_->focusProxy() : page_;
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent copy(type, key->key(), key->modifiers(), key->text());
            QApplication::sendEvent(page, &copy);
        }
        return true;
    }
    return false;
}

} // namespace reader
