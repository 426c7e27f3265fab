#pragma once

#include <QEvent>
#include <QRect>
#include <QSize>

class QWidget;

namespace reader {

// The window as laid out at load, the size of the screen, fitted to what the desktop leaves of it
// once the window system tells the window's frame: the window with its frame then is the size of
// the screen's available area, and the page view keeps the size it was laid out with, what the
// window loses coming off the margins beside and below it.
class WindowFit {
public:
    // The layout at load: the window's size, and the page view's place in it.
    void laidOut(QSize window, QRect view);
    // An event of the window, shown after the layout at load: its frame is known once it is shown, at
    // once where the program draws it (Wayland), a little later where a window manager does (X11).
    void windowEvent(QWidget &window, QEvent::Type type);

    // The page view's distance from the window's right and bottom edges, in pixels.
    int rightMargin() const { return rightMargin_; }
    int bottomMargin() const { return bottomMargin_; }

private:
    // Fits window, once its frame is known; nothing while it is maximized or fills the screen.
    void fit(QWidget &window);

    QSize sizeAtLoad_;
    int rightMargin_ = 0;
    int bottomMargin_ = 0;
    int rightMarginAtLoad_ = 0;
    int bottomMarginAtLoad_ = 0;
    bool frameFitted_ = false;
    bool areaFitted_ = false;
};

} // namespace reader
