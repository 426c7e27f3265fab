#include "windowfit.h"

#include "logging.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace reader {

void WindowFit::laidOut(QSize window, QRect view)
{
    sizeAtLoad_ = window;
    rightMargin_ = rightMarginAtLoad_ = window.width() - (view.x() + view.width());
    bottomMargin_ = bottomMarginAtLoad_ = window.height() - (view.y() + view.height());
}

void WindowFit::windowEvent(QWidget &window, QEvent::Type type)
{
    if (type == QEvent::Resize && window.isMaximized() && window.windowHandle()) {
        const QMargins frame = window.windowHandle()->frameMargins();
        qCDebug(lcReader).nospace() << "maximized: the window's frame " << frame.left() << ' ' << frame.top() << ' '
                                    << frame.right() << ' ' << frame.bottom() << ", inside " << window.width() << 'x'
                                    << window.height();
    }
    if (!frameFitted_ && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize ||
                          type == QEvent::Paint || type == QEvent::UpdateRequest))
        fit(window);
}

void WindowFit::fit(QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    if (!handle || !window.isVisible() || (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins frame = handle->frameMargins();
    // The desktop's panels take their part of the screen (X11 tells it): the window fits the rest.
    const QRect area = window.screen() ? window.screen()->availableGeometry() : QRect(QPoint(), sizeAtLoad_);
    const QSize outside = sizeAtLoad_.boundedTo(area.size());
    // Without a frame (none yet, or no window manager) the window is fitted to the area once.
    if (frame.isNull() && (outside == sizeAtLoad_ || areaFitted_))
        return;
    frameFitted_ = !frame.isNull();
    areaFitted_ = true;
    const QSize inside = outside.shrunkBy(frame);
    qCDebug(lcReader).nospace() << "the window's frame " << frame.left() << ' ' << frame.top() << ' ' << frame.right()
                                << ' ' << frame.bottom() << ", inside " << inside.width() << 'x' << inside.height();
    rightMargin_ = qMax(0, rightMarginAtLoad_ - (sizeAtLoad_.width() - inside.width()));
    bottomMargin_ = qMax(0, bottomMarginAtLoad_ - (sizeAtLoad_.height() - inside.height()));
    window.resize(inside);
    window.move(area.topLeft());
}

} // namespace reader
