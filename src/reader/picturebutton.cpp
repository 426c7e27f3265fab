#include "picturebutton.h"

#include <platform/screen.h>

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPen>
#include <QStylePainter>
#include <QTimer>

namespace reader {
namespace {

// What assistive technology sees of a picture button: a button with its name, which it can press.
class AccessibleButton final : public QAccessibleWidget {
public:
    explicit AccessibleButton(PictureButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &action) const override
    {
        const QKeySequence &keys = static_cast<const PictureButton *>(widget())->keys();
        if (action != pressAction() || keys.isEmpty())
            return {};
        return {keys.toString(QKeySequence::NativeText)};
    }
    // The press is answered at once and the click comes after: a command that shows a message or a
    // dialog would hold the answer for as long as that is open.
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            QTimer::singleShot(0, widget(),
                               [button = static_cast<PictureButton *>(widget())] { emit button->clicked(); });
    }
};

QAccessibleInterface *accessibleButton(const QString &className, QObject *object)
{
    if (className == QLatin1String("reader::PictureButton"))
        return new AccessibleButton(static_cast<PictureButton *>(object));
    return nullptr;
}

// The factory must stand before the first button exists: assistive technology may ask for a
// widget's interface as soon as it is made, and the one it is given then is kept.
QWidget *withAccessibleButtons(QWidget *parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleButton);
        return true;
    }();
    Q_UNUSED(installed)
    return parent;
}

} // namespace

PictureButton::PictureButton(const QString &name, float left, float top, float width, float height,
                             const QColor &background, const QString &toolTip, QWidget *parent)
    : QWidget(withAccessibleButtons(parent)), background_(background), left_(left), top_(top), width_(width),
      height_(height)
{
    setObjectName(name);
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    applyGeometry();
}

void PictureButton::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    width_ = platform::pixelsToTwips(picture.width());
    height_ = platform::pixelsToTwips(picture.height());
    applyGeometry();
    update();
}

void PictureButton::setLeft(float twips)
{
    left_ = twips;
    applyGeometry();
}

void PictureButton::setTop(float twips)
{
    top_ = twips;
    applyGeometry();
}

void PictureButton::applyGeometry()
{
    setGeometry(platform::twipsToPixels(left_), platform::twipsToPixels(top_), platform::twipsToPixels(width_),
                platform::twipsToPixels(height_));
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.fillRect(rect(), background_);
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);
    // The focus mark: a dark ring inside a light one, so that one of the two stands out against any
    // picture and any window colour (the style's dotted mark can be as faint as 1.6:1).
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::black, 2));
        painter.drawRect(QRectF(rect()).adjusted(3, 3, -3, -3));
    }
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked();
}

} // namespace reader
