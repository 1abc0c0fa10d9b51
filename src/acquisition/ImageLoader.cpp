#include "acquisition/ImageLoader.h"

#include "platform/ImageLimits.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace {

void setError(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
}

} // namespace

QImage LoadImageFile(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        setError(error, QStringLiteral("The file does not exist."));
        return {};
    }
    if (!info.isFile()) {
        setError(error, QStringLiteral("This is not a file."));
        return {};
    }
    QImageReader reader(path);
    reader.setAllocationLimit(kImageAllocationLimitMb);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!reader.canRead() || (size.isValid() && size.isEmpty())) {
        setError(error, QStringLiteral("The file is not an image that can be read: %1")
                            .arg(reader.errorString()));
        return {};
    }
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        setError(error,
                 QStringLiteral("The image could not be decoded: %1").arg(reader.errorString()));
        return {};
    }
    return image;
}

QString ImageFileFilter() {
    QStringList patterns{QStringLiteral("*.bmp")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern)) {
            patterns.append(pattern);
        }
    }
    return QStringLiteral("BMP file(*.bmp)|*.bmp|All images|") + patterns.join(QLatin1Char(';'));
}

QSize ScaledSize(QSize natural, int MagStep) {
    const double factor = MagStep / 2.0;
    const auto side = [factor](int pixels) {
        return std::max(1, int(std::nearbyint(pixels * factor)));
    };
    return {side(natural.width()), side(natural.height())};
}

namespace {

// Bilinear sampling positions along one axis: for every target pixel the first source
// pixel and the weight (0..256) of the second, with pixel centres aligned.
struct Taps {
    std::vector<int> first;
    std::vector<int> weight;
};

Taps bilinearTaps(int source, int target) {
    Taps taps;
    taps.first.resize(target);
    taps.weight.resize(target);
    const double scale = double(source) / target;
    for (int i = 0; i < target; ++i) {
        const double at = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(source - 1));
        const int first = std::min(int(at), source - 1);
        taps.first[i] = first;
        taps.weight[i] = first + 1 < source ? int(std::lround((at - first) * 256)) : 0;
    }
    return taps;
}

// Blends two RGB32 pixels with weight w/256 for b, two channels at a time.
inline quint32 blend(quint32 a, quint32 b, quint32 w) {
    const quint32 rb = ((a & 0x00ff00ffu) * (256 - w) + (b & 0x00ff00ffu) * w) >> 8;
    const quint32 ag = (((a >> 8) & 0x00ff00ffu) * (256 - w) + ((b >> 8) & 0x00ff00ffu) * w);
    return (rb & 0x00ff00ffu) | (ag & 0xff00ff00u);
}

// Scales rows [rowBegin, rowEnd) of the target; each source row is interpolated
// horizontally once and kept while consecutive target rows need it.
void scaleRows(const QImage& source, QImage& target, const Taps& tx, const Taps& ty, int rowBegin,
               int rowEnd) {
    const int width = target.width();
    std::vector<quint32> upper(width);
    std::vector<quint32> lower(width);
    int upperRow = -1;
    int lowerRow = -1;
    const auto horizontal = [&](int row, std::vector<quint32>& out) {
        const auto* line = reinterpret_cast<const quint32*>(source.constScanLine(row));
        const int last = source.width() - 1;
        for (int x = 0; x < width; ++x) {
            const int f = tx.first[x];
            out[x] = blend(line[f], line[std::min(f + 1, last)], quint32(tx.weight[x]));
        }
    };
    for (int y = rowBegin; y < rowEnd; ++y) {
        const int top = ty.first[y];
        const int bottom = std::min(top + 1, source.height() - 1);
        if (upperRow != top) {
            if (lowerRow == top) {
                std::swap(upper, lower);
                std::swap(upperRow, lowerRow);
            } else {
                horizontal(top, upper);
                upperRow = top;
            }
        }
        if (lowerRow != bottom) {
            horizontal(bottom, lower);
            lowerRow = bottom;
        }
        auto* out = reinterpret_cast<quint32*>(target.scanLine(y));
        const quint32 w = quint32(ty.weight[y]);
        for (int x = 0; x < width; ++x) {
            out[x] = blend(upper[x], lower[x], w);
        }
    }
}

// Halving: each target pixel is the mean of its 2 x 2 source pixels.
void halveRows(const QImage& source, QImage& target, int rowBegin, int rowEnd) {
    const int width = target.width();
    const int lastX = source.width() - 1;
    const int lastY = source.height() - 1;
    for (int y = rowBegin; y < rowEnd; ++y) {
        const auto* a =
            reinterpret_cast<const quint32*>(source.constScanLine(std::min(2 * y, lastY)));
        const auto* b =
            reinterpret_cast<const quint32*>(source.constScanLine(std::min(2 * y + 1, lastY)));
        auto* out = reinterpret_cast<quint32*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int x0 = std::min(2 * x, lastX);
            const int x1 = std::min(2 * x + 1, lastX);
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
}

} // namespace

QImage FlattenOnWhite(const QImage& image) {
    if (image.isNull() || image.format() == QImage::Format_RGB32) {
        return image;
    }
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB32);
    }
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull()) {
        return {};
    }
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QImage ScaleForDisplay(const QImage& image, int MagStep) {
    if (image.isNull() || MagStep == 2) {
        return image;
    }
    // Our own bilinear filter: as smooth as the toolkit's for these fixed factors and fast
    // enough that a large scan shows in about the time it takes to decode, using every core.
    const QImage source = image.format() == QImage::Format_RGB32
                              ? image
                              : image.convertToFormat(QImage::Format_RGB32);
    const QSize size = ScaledSize(source.size(), MagStep);
    QImage target(size, QImage::Format_RGB32);
    if (target.isNull()) {
        return {};
    }
    const bool halve = MagStep == 1;
    const Taps tx = halve ? Taps{} : bilinearTaps(source.width(), size.width());
    const Taps ty = halve ? Taps{} : bilinearTaps(source.height(), size.height());
    const auto work = [&](int begin, int end) {
        if (halve) {
            halveRows(source, target, begin, end);
        } else {
            scaleRows(source, target, tx, ty, begin, end);
        }
    };
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    const int rows = size.height();
    if (threads == 1 || qint64(rows) * size.width() < 1'000'000) {
        work(0, rows);
        return target;
    }
    std::vector<std::thread> pool;
    const int band = (rows + threads - 1) / threads;
    for (int t = 1; t < threads; ++t) {
        const int begin = std::min(rows, t * band);
        const int end = std::min(rows, begin + band);
        if (begin < end) {
            pool.emplace_back(work, begin, end);
        }
    }
    work(0, std::min(rows, band));
    for (std::thread& thread : pool) {
        thread.join();
    }
    return target;
}
