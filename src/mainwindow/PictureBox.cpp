#include "mainwindow/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void PictureBox::SetImage(const QImage& picture, const ScaledImage& drawing) {
    picture_ = picture;
    drawing_ = drawing;
    resize(drawing_.size());
    update();
}

void PictureBox::SetLineStyle(int index, LineStyle style) {
    lines_[index].style = style;
    if (lines_[index].visible) {
        updateLine(lines_[index]);
    }
}

void PictureBox::SetLine(int index, QLineF line) {
    Shape& shape = lines_[index];
    if (shape.line == line) {
        return;
    }
    if (shape.visible) {
        updateLine(shape);
    }
    shape.line = line;
    if (shape.visible) {
        updateLine(shape);
    }
}

void PictureBox::SetLineVisible(int index, bool visible) {
    Shape& shape = lines_[index];
    if (shape.visible != visible) {
        shape.visible = visible;
        updateLine(shape);
    }
}

void PictureBox::SetLineWidth(int width) {
    width = std::clamp(width, 1, 16);
    if (width == lineWidth_) {
        return;
    }
    for (const Shape& shape : lines_) {
        if (shape.visible) {
            updateLine(shape);
        }
    }
    lineWidth_ = width;
    for (const Shape& shape : lines_) {
        if (shape.visible) {
            updateLine(shape);
        }
    }
}

QRegion PictureBox::LineRegion(QLineF line, int width) {
    // A margin of the pen's half width and one pixel of rounding on every side.
    const int margin = width / 2 + 2;
    const double length = line.length();
    if (!std::isfinite(length)) {
        return {};
    }
    // Axis-parallel (and short) lines are one thin rectangle; slanted ones a chain of
    // rectangles a few pixels long, so that the band stays narrow.
    constexpr double kStep = 12.0;
    const bool straight = std::abs(line.dx()) < 1.0 || std::abs(line.dy()) < 1.0;
    const int pieces = straight ? 1 : std::max(1, int(std::ceil(length / kStep)));
    QRegion region;
    for (int i = 0; i < pieces; ++i) {
        const QPointF a = line.pointAt(double(i) / pieces);
        const QPointF b = line.pointAt(double(i + 1) / pieces);
        const QRect box = QRectF(a, b).normalized().toAlignedRect();
        region += box.adjusted(-margin, -margin, margin, margin);
    }
    return region;
}

void PictureBox::updateLine(const Shape& shape) {
    update(LineRegion(shape.line, lineWidth_));
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Only the exposed pixels are copied; the drawing is already at the displayed size.
    for (const QRect& exposed : event->region()) {
        const QRect withImage = exposed.intersected(drawing_.rect());
        drawing_.draw(painter, withImage);
        for (const QRect& r : QRegion(exposed).subtracted(QRegion(withImage))) {
            painter.fillRect(r, Qt::white);
        }
    }
    // Inverting ink: XOR with white turns every colour into its inverse.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const Shape& shape : lines_) {
        if (!shape.visible || shape.line.p1() == shape.line.p2()) {
            continue;
        }
        QPen pen(Qt::white, lineWidth_);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        pen.setStyle(shape.style == LineStyle::Dashed   ? Qt::DashLine
                     : shape.style == LineStyle::Dotted ? Qt::DotLine
                                                        : Qt::SolidLine);
        painter.setPen(pen);
        painter.drawLine(shape.line);
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
