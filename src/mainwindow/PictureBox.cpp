#include "mainwindow/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void PictureBox::SetImage(const QImage& picture, const QImage& drawing) {
    picture_ = picture;
    drawing_ = drawing;
    resize(drawing_.size());
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    // Only the exposed part is copied; the drawing is already at the displayed size.
    QPainter painter(this);
    const QRect exposed = event->rect();
    const QRect withImage = exposed.intersected(drawing_.rect());
    if (!withImage.isEmpty()) {
        painter.drawImage(withImage.topLeft(), drawing_, withImage);
    }
    const QRegion background = QRegion(exposed).subtracted(QRegion(withImage));
    for (const QRect& r : background) {
        painter.fillRect(r, Qt::white);
    }
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->buttons(), event->modifiers(), event->position());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->button(), event->modifiers(), event->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event->button(), event->modifiers(), event->position(),
                       event->globalPosition().toPoint());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_UNUSED(event);
    emit doubleClicked();
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}
