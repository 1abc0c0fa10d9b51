#include "mainwindow/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

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
    const int m = width / 2 + 2;
    if (!std::isfinite(line.x1()) || !std::isfinite(line.y1()) || !std::isfinite(line.x2()) ||
        !std::isfinite(line.y2())) {
        return {};
    }
    // Only the part within a generous box around any picture matters: a line of the
    // free-angle cross may end far outside it.
    constexpr double kFar = 1 << 20;
    double t0 = 0.0;
    double t1 = 1.0;
    const double d[2] = {line.dx(), line.dy()};
    const double p[2] = {line.x1(), line.y1()};
    for (int axis = 0; axis < 2; ++axis) {
        for (const double edge : {-kFar, kFar}) {
            // Keep the part on the inner side of this edge.
            const double inside = edge < 0 ? p[axis] - edge : edge - p[axis];
            const double towards = edge < 0 ? -d[axis] : d[axis];
            if (towards == 0.0) {
                if (inside < 0) {
                    return {};
                }
                continue;
            }
            const double t = inside / towards;
            if (towards > 0) {
                t1 = std::min(t1, t);
            } else {
                t0 = std::max(t0, t);
            }
        }
    }
    if (t0 > t1) {
        return {};
    }
    line = QLineF(line.pointAt(t0), line.pointAt(t1));

    // Horizontal bands a few rows high, each as wide as the line is within its rows (and
    // the margin above and below): disjoint, sorted rectangles that hug the line.
    const QPointF top = line.y1() <= line.y2() ? line.p1() : line.p2();
    const QPointF bottom = line.y1() <= line.y2() ? line.p2() : line.p1();
    const double dy = bottom.y() - top.y();
    const auto xAt = [&](double y) {
        if (dy < 1e-9) {
            return std::pair(std::min(top.x(), bottom.x()), std::max(top.x(), bottom.x()));
        }
        const double t = std::clamp((y - top.y()) / dy, 0.0, 1.0);
        const double x = top.x() + t * (bottom.x() - top.x());
        return std::pair(x, x);
    };
    constexpr int kBand = 8;
    const int first = int(std::floor(top.y())) - m;
    const int last = int(std::ceil(bottom.y())) + m;
    std::vector<QRect> bands;
    bands.reserve(size_t((last - first) / kBand + 2));
    for (int y = first; y <= last; y += kBand) {
        const int bandBottom = std::min(y + kBand - 1, last);
        const auto [a0, a1] = xAt(y - m);
        const auto [b0, b1] = xAt(bandBottom + m);
        const int left = int(std::floor(std::min({a0, a1, b0, b1}))) - m;
        const int right = int(std::ceil(std::max({a0, a1, b0, b1}))) + m;
        if (!bands.empty() && bands.back().left() == left && bands.back().right() == right) {
            bands.back().setBottom(bandBottom); // a vertical line is a single rectangle
        } else {
            bands.emplace_back(QPoint(left, y), QPoint(right, bandBottom));
        }
    }
    QRegion region;
    region.setRects(bands.data(), int(bands.size()));
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
