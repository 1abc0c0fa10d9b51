#include "acquisition/ImageLoader.h"

#include "platform/ImageLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

void setError(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
}

qint64 LittleEndian(QByteArrayView bytes, qsizetype at, int size) {
    qint64 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// Qt's BMP reader stops quietly where a file is cut short and returns the image with the rows
// it never read holding whatever was in memory. For the uncompressed layouts the header says
// how many bytes the pixels take, so a file too short to hold them can be told apart: true
// for such a file. The pixels are taken to start no earlier than the header's own offset and
// the end of the info header, which never asks more of a file than the reader needs.
bool IsTruncatedBmp(QIODevice& file, qint64 fileSize) {
    const QByteArray head = file.read(34);
    if (head.size() < 26 || !head.startsWith("BM")) {
        return false;
    }
    const qint64 pixelOffset = LittleEndian(head, 10, 4);
    const qint64 infoSize = LittleEndian(head, 14, 4);
    qint64 width = 0;
    qint64 height = 0;
    qint64 bitsPerPixel = 0;
    qint64 compression = 0;
    if (infoSize == 12) { // the old layout: 16-bit sizes, never compressed
        width = LittleEndian(head, 18, 2);
        height = LittleEndian(head, 20, 2);
        bitsPerPixel = LittleEndian(head, 24, 2);
    } else if (infoSize >= 40 && head.size() >= 34) {
        width = static_cast<qint32>(LittleEndian(head, 18, 4));
        height = static_cast<qint32>(LittleEndian(head, 22, 4));
        bitsPerPixel = LittleEndian(head, 28, 2);
        compression = LittleEndian(head, 30, 4);
    } else {
        return false;
    }
    // Uncompressed, or uncompressed with channel masks; the reader refuses impossible sizes.
    constexpr qint64 Uncompressed = 0, BitFields = 3, AlphaBitFields = 6;
    if ((compression != Uncompressed && compression != BitFields &&
         compression != AlphaBitFields) ||
        width <= 0 || height == 0 || bitsPerPixel <= 0 || bitsPerPixel > 32) {
        return false;
    }
    const qint64 rows = height < 0 ? -height : height;
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    const qint64 pixelStart = std::max(pixelOffset, 14 + infoSize);
    // Compared by division: the product of a lying header's sizes need not fit in 64 bits.
    return pixelStart > fileSize || (fileSize - pixelStart) / rowBytes < rows;
}

// Whether a picture of `size` can be shown. Every picture is shown from a 32-bit copy, so
// that copy must keep within the allocation limit too: a compressed or palette image passes
// the decoder's limit at a quarter of the pixels or less, and a file of a few dozen bytes
// could otherwise claim gigabytes.
bool FitsForDisplay(QSize size) {
    constexpr qint64 LimitBytes = qint64(kImageAllocationLimitMb) * 1024 * 1024;
    return size.width() <= kImageSideLimit && size.height() <= kImageSideLimit &&
           qint64(size.width()) * size.height() * 4 <= LimitBytes;
}

const QString TooLarge = QStringLiteral("The image is too large to be shown.");

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
    if (size.isValid() && !FitsForDisplay(size)) {
        setError(error, TooLarge);
        return {};
    }
    if (reader.format() == "bmp") {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && IsTruncatedBmp(file, info.size())) {
            setError(error, QStringLiteral("The file is cut short: it does not hold the "
                                           "pixels its header announces."));
            return {};
        }
    }
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        setError(error,
                 QStringLiteral("The image could not be decoded: %1").arg(reader.errorString()));
        return {};
    }
    if (!FitsForDisplay(image.size())) {
        setError(error, TooLarge);
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
