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
    constexpr int kBand = 48;
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

namespace {

// Inverts the pixels of `line` (box coordinates) that fall into `piece`, whose top-left
// pixel is `origin` of the box. Pixels are stepped along the line's major axis, so a line
// costs one pixel per step however it is clipped; the dash pattern counts steps from the
// line's first end, so every piece of a repaint agrees on it.
void invertLine(QImage& piece, QPoint origin, const QLineF& line, int width,
                PictureBox::LineStyle style) {
    const double dx = line.dx();
    const double dy = line.dy();
    if (dx == 0.0 && dy == 0.0) {
        return;
    }
    int on = 0;
    int period = 0;
    switch (style) {
    case PictureBox::LineStyle::Dashed:
        on = 4 * width;
        period = 6 * width;
        break;
    case PictureBox::LineStyle::Dotted:
        on = width;
        period = 3 * width;
        break;
    case PictureBox::LineStyle::Solid:
        break;
    }
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    // Along the major axis: u; across: v. Coordinates relative to the piece.
    const double u1 = xMajor ? line.x1() - origin.x() : line.y1() - origin.y();
    const double v1 = xMajor ? line.y1() - origin.y() : line.x1() - origin.x();
    const double du = xMajor ? dx : dy;
    const double dv = xMajor ? dy : dx;
    const int uSize = xMajor ? piece.width() : piece.height();
    const int vSize = xMajor ? piece.height() : piece.width();
    const double uStart = std::floor(u1);
    const double uEnd = std::floor(u1 + du);
    const double step = du > 0 ? 1.0 : -1.0;
    // Only the steps that can touch the piece.
    double from = std::max(std::min(uStart, uEnd), -1.0 - width);
    double to = std::min(std::max(uStart, uEnd), double(uSize) + width);
    if (from > to) {
        return;
    }
    const int lowOffset = -(width - 1) / 2;
    const int highOffset = width / 2;
    auto* bits = piece.bits();
    const qsizetype bpl = piece.bytesPerLine();
    for (double u = from; u <= to; u += 1.0) {
        const auto count = static_cast<long long>(std::abs(u - uStart));
        if (period > 0 && count % period >= on) {
            continue;
        }
        if (u < 0 || u >= uSize) {
            continue;
        }
        const double v = std::floor(v1 + (u - uStart) * step * (dv / std::abs(du)) + 0.5);
        for (int k = lowOffset; k <= highOffset; ++k) {
            const double vk = v + k;
            if (vk < 0 || vk >= vSize) {
                continue;
            }
            const int x = xMajor ? int(u) : int(vk);
            const int y = xMajor ? int(vk) : int(u);
            auto* pixel = reinterpret_cast<quint32*>(bits + y * bpl) + x;
            *pixel ^= 0x00ffffffu;
        }
    }
}

} // namespace

void PictureBox::paintEvent(QPaintEvent* event) {
    // Each exposed rectangle is made in a scratch image, the picture and then the lines in
    // inverting ink, and copied out once: the cost follows the exposed pixels only.
    QPainter painter(this);
    for (const QRect& exposed : event->region()) {
        const QRect area = exposed.intersected(rect());
        if (area.isEmpty()) {
            continue;
        }
        const qsizetype needed = qsizetype(area.width()) * area.height();
        if (qsizetype(scratch_.size()) < needed) {
            scratch_.resize(size_t(needed));
        }
        QImage piece(reinterpret_cast<uchar*>(scratch_.data()), area.width(), area.height(),
                     area.width() * 4, QImage::Format_RGB32);
        drawing_.CopyTo(piece, area);
        for (const Shape& shape : lines_) {
            if (shape.visible) {
                invertLine(piece, area.topLeft(), shape.line, lineWidth_, shape.style);
            }
        }
        painter.drawImage(area.topLeft(), piece);
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
