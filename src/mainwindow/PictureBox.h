// The picture box of the main window: holds the image at its own size and the drawing of
// it at the displayed size, on a white background, and reports mouse events in logical
// pixels to its owner.
#pragma once

#include <QImage>
#include <QWidget>

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Takes a new image: `picture` at its own size and `drawing`, the picture as shown. The
    // box takes the drawing's size; the drawing is shown from the top-left corner.
    void SetImage(const QImage& picture, const QImage& drawing);

    const QImage& Picture() const { return picture_; }
    const QImage& Drawing() const { return drawing_; }

signals:
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos,
                       QPoint globalPos);
    void doubleClicked();
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage picture_;
    QImage drawing_;
};
