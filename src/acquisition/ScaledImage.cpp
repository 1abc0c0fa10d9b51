#include "acquisition/ScaledImage.h"

#include "acquisition/ImageLoader.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Sampling positions along one axis with pixel centres aligned.
void bilinearTaps(int source, int target, std::vector<int>& first, std::vector<int>& weight) {
    first.resize(target);
    weight.resize(target);
    const double scale = double(source) / target;
    for (int i = 0; i < target; ++i) {
        const double at = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(source - 1));
        const int f = std::min(int(at), source - 1);
        first[i] = f;
        weight[i] = f + 1 < source ? int(std::lround((at - f) * 256)) : 0;
    }
}

// Blends two RGB32 pixels with weight w/256 for b, two channels at a time.
inline quint32 blend(quint32 a, quint32 b, quint32 w) {
    const quint32 rb = ((a & 0x00ff00ffu) * (256 - w) + (b & 0x00ff00ffu) * w) >> 8;
    const quint32 ag = ((a >> 8) & 0x00ff00ffu) * (256 - w) + ((b >> 8) & 0x00ff00ffu) * w;
    return (rb & 0x00ff00ffu) | (ag & 0xff00ff00u);
}

} // namespace

ScaledImage::ScaledImage(const QImage& picture, int MagStep)
    : picture_(picture.format() == QImage::Format_RGB32
                   ? picture
                   : picture.convertToFormat(QImage::Format_RGB32))
    , size_(picture_.isNull() ? QSize() : ScaledSize(picture_.size(), MagStep))
    , magStep_(MagStep) {
    if (picture_.isNull()) {
        return;
    }
    if (magStep_ != 1 && magStep_ != 2) {
        bilinearTaps(picture_.width(), size_.width(), firstX_, weightX_);
        bilinearTaps(picture_.height(), size_.height(), firstY_, weightY_);
    }
    columns_ = (size_.width() + kTile - 1) / kTile;
    rows_ = (size_.height() + kTile - 1) / kTile;
    if (magStep_ != 2) {
        tiles_.resize(size_t(columns_) * size_t(rows_));
    }
}

void ScaledImage::scaleInto(QImage& target, const QRect& area) const {
    const int lastX = picture_.width() - 1;
    const int lastY = picture_.height() - 1;
    if (magStep_ == 1) {
        for (int y = 0; y < area.height(); ++y) {
            const int sy = 2 * (area.top() + y);
            const auto* a =
                reinterpret_cast<const quint32*>(picture_.constScanLine(std::min(sy, lastY)));
            const auto* b =
                reinterpret_cast<const quint32*>(picture_.constScanLine(std::min(sy + 1, lastY)));
            auto* out = reinterpret_cast<quint32*>(target.scanLine(y));
            for (int x = 0; x < area.width(); ++x) {
                const int x0 = std::min(2 * (area.left() + x), lastX);
                const int x1 = std::min(x0 + 1, lastX);
                const quint32 p[4] = {a[x0], a[x1], b[x0], b[x1]};
                quint32 rb = 0;
                quint32 g = 0;
                for (quint32 v : p) {
                    rb += v & 0x00ff00ffu;
                    g += v & 0x0000ff00u;
                }
                out[x] = 0xff000000u | ((rb >> 2) & 0x00ff00ffu) | ((g >> 2) & 0x0000ff00u);
            }
        }
        return;
    }
    for (int y = 0; y < area.height(); ++y) {
        const int ty = area.top() + y;
        const int top = firstY_[ty];
        const auto* upper = reinterpret_cast<const quint32*>(picture_.constScanLine(top));
        const auto* lower =
            reinterpret_cast<const quint32*>(picture_.constScanLine(std::min(top + 1, lastY)));
        const auto wy = quint32(weightY_[ty]);
        auto* out = reinterpret_cast<quint32*>(target.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const int tx = area.left() + x;
            const int f = firstX_[tx];
            const int n = std::min(f + 1, lastX);
            const auto wx = quint32(weightX_[tx]);
            out[x] = blend(blend(upper[f], upper[n], wx), blend(lower[f], lower[n], wx), wy);
        }
    }
}

const QImage& ScaledImage::tile(int column, int row) const {
    QImage& cached = tiles_[size_t(row) * size_t(columns_) + size_t(column)];
    if (cached.isNull()) {
        const QRect area = QRect(column * kTile, row * kTile, kTile, kTile).intersected(rect());
        QImage fresh(area.size(), QImage::Format_RGB32);
        if (!fresh.isNull()) {
            scaleInto(fresh, area);
            cached = fresh;
        }
    }
    return cached;
}

void ScaledImage::draw(QPainter& painter, const QRect& area) const {
    const QRect wanted = area.intersected(rect());
    if (wanted.isEmpty()) {
        return;
    }
    if (magStep_ == 2) {
        painter.drawImage(wanted.topLeft(), picture_, wanted);
        return;
    }
    for (int row = wanted.top() / kTile; row <= wanted.bottom() / kTile; ++row) {
        for (int column = wanted.left() / kTile; column <= wanted.right() / kTile; ++column) {
            const QImage& piece = tile(column, row);
            const QPoint origin(column * kTile, row * kTile);
            const QRect part = wanted.intersected(QRect(origin, piece.size()));
            if (!piece.isNull() && !part.isEmpty()) {
                painter.drawImage(part.topLeft(), piece, part.translated(-origin));
            } else if (!part.isEmpty()) {
                painter.fillRect(part, Qt::white); // no memory for this tile
            }
        }
    }
}

void ScaledImage::CopyTo(uchar* bits, qsizetype stride, const QRect& area) const {
    const QRect inside = area.intersected(rect());
    if (inside != area) {
        for (int y = 0; y < area.height(); ++y) {
            std::fill_n(reinterpret_cast<quint32*>(bits + y * stride), area.width(), 0xffffffffu);
        }
    }
    if (inside.isEmpty()) {
        return;
    }
    const auto copyRows = [&](const QImage& source, QPoint sourceOrigin, const QRect& part) {
        const uchar* from = source.constBits() +
                            (part.top() - sourceOrigin.y()) * source.bytesPerLine() +
                            qsizetype(part.left() - sourceOrigin.x()) * 4;
        uchar* to =
            bits + (part.top() - area.top()) * stride + qsizetype(part.left() - area.left()) * 4;
        const size_t bytes = size_t(part.width()) * 4;
        const qsizetype sourceStride = source.bytesPerLine();
        for (int y = part.top(); y <= part.bottom(); ++y) {
            std::memcpy(to, from, bytes);
            from += sourceStride;
            to += stride;
        }
    };
    if (magStep_ == 2) {
        copyRows(picture_, QPoint(0, 0), inside);
        return;
    }
    for (int row = inside.top() / kTile; row <= inside.bottom() / kTile; ++row) {
        for (int column = inside.left() / kTile; column <= inside.right() / kTile; ++column) {
            const QImage& piece = tile(column, row);
            const QPoint origin(column * kTile, row * kTile);
            const QRect part = inside.intersected(QRect(origin, piece.size()));
            if (!piece.isNull() && !part.isEmpty()) {
                copyRows(piece, origin, part);
            }
        }
    }
}

QImage ScaledImage::copy(const QRect& area) const {
    const QRect wanted = area.intersected(rect());
    QImage result(wanted.size(), QImage::Format_RGB32);
    if (result.isNull()) {
        return {};
    }
    if (magStep_ == 2) {
        return picture_.copy(wanted);
    }
    scaleInto(result, wanted);
    return result;
}
