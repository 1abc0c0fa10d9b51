#include "mainwindow/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <bit>
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

namespace {
// What one more rectangle costs when a line is repainted, in pixels copied.
constexpr double kBandCost = 600;
} // namespace

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
    // The band height that keeps the pixels repainted few without making the rectangles
    // too many: steep lines get tall bands, flat ones short bands.
    const double run = std::abs(bottom.x() - top.x()) / std::max(dy, 1.0);
    // A power of two, and the bands start at its multiples: the regions of several lines
    // then share band edges, and their union stays a few rectangles per band.
    const int kBand = int(std::bit_floor(
        unsigned(std::clamp(int(std::sqrt(kBandCost / std::max(run, 1e-3))), 1, 64))));
    const int last = int(std::ceil(bottom.y())) + m;
    const int first = int(std::floor((std::floor(top.y()) - m) / kBand)) * kBand;
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

// Inverts the pixels of `line` (box coordinates) that fall into `piece` (box coordinates too),
// whose rows start at `bits` and lie `bpl` bytes apart. Pixels are stepped along the line's major
// axis, so a line costs one pixel per step however it is clipped; the dash pattern counts steps
// from the line's first end, so every piece of a repaint agrees on it.
void invertLine(uchar* bits, qsizetype bpl, QRect piece, const QLineF& line, int width,
                PictureBox::LineStyle style) {
    const QPoint origin = piece.topLeft();
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
    const int lowOffset = -(width - 1) / 2;
    const int highOffset = width / 2;
    // Only the steps that can touch the piece: within it along the major axis, and near
    // enough to it across.
    double from = std::max(std::min(uStart, uEnd), 0.0);
    double to = std::min(std::max(uStart, uEnd), double(uSize) - 1);
    const double gradient = step * (dv / std::abs(du));
    const double nearLow = -highOffset - 2.0;
    const double nearHigh = double(vSize) - lowOffset + 1.0;
    if (std::abs(gradient) > 1e-12) {
        const double a = uStart + (nearLow - v1) / gradient;
        const double b = uStart + (nearHigh - v1) / gradient;
        from = std::max(from, std::floor(std::min(a, b)));
        to = std::min(to, std::ceil(std::max(a, b)));
    } else if (v1 < nearLow || v1 > nearHigh) {
        return;
    }
    if (from > to) {
        return;
    }
    // Stepped away from the line's first end, so the dash phase just counts on.
    const double first = step > 0 ? from : to;
    const auto steps = static_cast<long long>(to - from) + 1;
    long long phase = period > 0 ? static_cast<long long>(std::abs(first - uStart)) % period : 0;
    for (long long i = 0; i < steps; ++i) {
        const double u = first + step * double(i);
        const bool drawn = period == 0 || phase < on;
        if (period > 0 && ++phase == period) {
            phase = 0;
        }
        if (!drawn) {
            continue;
        }
        const double v = std::floor(v1 + (u - uStart) * gradient + 0.5);
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

constexpr int kCopyRows = 64;

} // namespace

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRegion region = event->region() & rect();
    if (!paintInPlace(painter, region)) {
        paintThroughPainter(painter, region);
    }
}

void PictureBox::paintPiece(uchar* bits, qsizetype stride, const QRect& area) const {
    drawing_.CopyTo(bits, stride, area);
    for (const Shape& shape : lines_) {
        if (shape.visible) {
            invertLine(bits, stride, area, shape.line, lineWidth_, shape.style);
        }
    }
}

bool PictureBox::paintInPlace(QPainter& painter, const QRegion& region) const {
    // When the painter draws straight into a plain 32-bit image at whole-pixel offsets (the
    // window's backing store, or an image the window is rendered into), the picture and the
    // lines are written into that image directly. A mouse move then costs about one copy of
    // the pixels under the lines, with nothing of the painter's machinery per row.
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine != nullptr ? engine->paintDevice() : nullptr;
    if (device == nullptr || device->devType() != QInternal::Image) {
        return false;
    }
    const auto* target = static_cast<const QImage*>(device);
    const QImage::Format format = target->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate || target->devicePixelRatio() != 1.0 ||
        transform.dx() != std::round(transform.dx()) ||
        transform.dy() != std::round(transform.dy())) {
        return false;
    }
    const QPoint offset(int(transform.dx()), int(transform.dy()));
    // What the painter may touch, in the image's pixels: the exposed region, within the
    // system clip when the window sets one (a scrolled or covered picture).
    QRegion allowed = region.translated(offset) & target->rect();
    if (const QRegion clip = engine->systemClip(); !clip.isEmpty()) {
        allowed &= clip;
    }
    // The painter's own memory: written in place, never detached.
    auto* bits = const_cast<uchar*>(target->constBits());
    const qsizetype bpl = target->bytesPerLine();
    for (const QRect& part : allowed) {
        paintPiece(bits + part.top() * bpl + qsizetype(part.left()) * 4, bpl,
                   part.translated(-offset));
    }
    return true;
}

void PictureBox::paintThroughPainter(QPainter& painter, const QRegion& region) {
    // Each exposed rectangle is made in a scratch image and copied out once.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& area : region) {
        const qsizetype needed = qsizetype(area.width()) * area.height();
        if (qsizetype(scratch_.size()) < needed) {
            scratch_.resize(size_t(needed));
        }
        QImage piece(reinterpret_cast<uchar*>(scratch_.data()), area.width(), area.height(),
                     area.width() * 4, QImage::Format_RGB32);
        paintPiece(piece.bits(), piece.bytesPerLine(), area);
        // In bands of a few rows: a tall narrow strip drawn at once is handed to worker
        // threads, which costs more than the copy itself.
        for (int y = 0; y < area.height(); y += kCopyRows) {
            const int rows = std::min(kCopyRows, area.height() - y);
            painter.drawImage(QPoint(area.left(), area.top() + y), piece,
                              QRect(0, y, area.width(), rows));
        }
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
