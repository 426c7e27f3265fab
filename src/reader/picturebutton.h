#pragma once

#include <QColor>
#include <QKeySequence>
#include <QPixmap>
#include <QWidget>

namespace reader {

// A toolbar button that is one picture: no border, no caption. It takes the size of the picture it
// is given; until then it keeps its design size and shows its background colour. Its position and
// size are kept in twips, single precision, as the window's layout computes them. To assistive
// technology it is a button named by its tool tip, which can be pressed; it takes the keyboard focus
// (Tab) and shows it with a focus frame, but a key pressed there runs no command (the window's keys
// do, wherever the focus is).
class PictureButton final : public QWidget {
    Q_OBJECT

public:
    PictureButton(const QString &name, float left, float top, float width, float height, const QColor &background,
                  const QString &toolTip, QWidget *parent);

    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

    float left() const { return left_; }
    float top() const { return top_; }
    float width() const { return width_; }
    float height() const { return height_; }
    void setLeft(float twips);
    void setTop(float twips);

    // The window's keys that run the same command, which assistive technology tells with the button.
    void setKeys(const QKeySequence &keys) { keys_ = keys; }
    const QKeySequence &keys() const { return keys_; }

signals:
    // A click with the left mouse button. Keys run no command, even with the keyboard focus here.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyGeometry();

    QPixmap picture_;
    QColor background_;
    float left_ = 0;
    float top_ = 0;
    float width_ = 0;
    float height_ = 0;
    bool pressed_ = false;
    QKeySequence keys_;
};

} // namespace reader
