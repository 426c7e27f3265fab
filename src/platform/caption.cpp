#include "caption.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstring>

namespace platform {
namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// Writes an empty name into the window's name properties, the old one and the one of today's
// window managers.
void clearX11Name(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    const xcb_atom_t netName = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    if (netName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8, 0, nullptr);
    xcb_flush(connection);
}

// Keeps an empty caption empty: the toolkit writes its stand-in when it makes the native window and
// again as it shows it.
class EmptyCaption final : public QObject {
public:
    EmptyCaption(QWidget *window, xcb_connection_t *connection) : QObject(window), connection_(connection)
    {
        window->installEventFilter(this);
    }

    void clear(QWidget *window) { clearX11Name(connection_, xcb_window_t(window->winId())); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowTitleChange && !window->windowTitle().isEmpty()) {
            deleteLater();
        } else if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange) {
            // After the toolkit's own handling of the event.
            QMetaObject::invokeMethod(
                this, [this, window] { clear(window); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    xcb_connection_t *connection_;
};

} // namespace

void setCaption(QWidget *window, const QString &caption)
{
    window->setWindowTitle(caption);
    if (!caption.isEmpty())
        return;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    auto *keeper = new EmptyCaption(window, x11->connection());
    if (window->isVisible())
        keeper->clear(window);
}

} // namespace platform
