#include "acquisition/ImageLoader.h"

#include "platform/ImageLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

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

// The fields of a BMP file's headers that tell how its pixels are stored.
struct BmpHeader {
    qint64 pixelOffset = 0;
    qint64 infoSize = 0;
    qint64 width = 0;
    qint64 height = 0; // negative for rows stored top down
    qint64 bitsPerPixel = 0;
    qint64 compression = 0;

    static constexpr qint64 Uncompressed = 0, RunLength8 = 1, RunLength4 = 2, BitFields = 3,
                            AlphaBitFields = 6;
};

std::optional<BmpHeader> ReadBmpHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray head = file.read(34);
    if (head.size() < 26 || !head.startsWith("BM")) {
        return std::nullopt;
    }
    BmpHeader h;
    h.pixelOffset = LittleEndian(head, 10, 4);
    h.infoSize = LittleEndian(head, 14, 4);
    if (h.infoSize == 12) { // the old layout: 16-bit sizes, never compressed
        h.width = LittleEndian(head, 18, 2);
        h.height = LittleEndian(head, 20, 2);
        h.bitsPerPixel = LittleEndian(head, 24, 2);
    } else if (h.infoSize >= 40 && head.size() >= 34) {
        h.width = static_cast<qint32>(LittleEndian(head, 18, 4));
        h.height = static_cast<qint32>(LittleEndian(head, 22, 4));
        h.bitsPerPixel = LittleEndian(head, 28, 2);
        h.compression = LittleEndian(head, 30, 4);
    } else {
        return std::nullopt;
    }
    return h;
}

// Qt's BMP reader stops quietly where a file is cut short and returns the image with the rows
// it never read holding whatever was in memory. For the uncompressed layouts the header says
// how many bytes the pixels take, so a file too short to hold them can be told apart: true
// for such a file. The pixels are taken to start no earlier than the header's own offset and
// the end of the info header, which never asks more of a file than the reader needs.
bool IsTruncated(const BmpHeader& h, qint64 fileSize) {
    if ((h.compression != BmpHeader::Uncompressed && h.compression != BmpHeader::BitFields &&
         h.compression != BmpHeader::AlphaBitFields) ||
        h.width <= 0 || h.height == 0 || h.bitsPerPixel <= 0 || h.bitsPerPixel > 32) {
        return false; // compressed, or a size the reader refuses itself
    }
    const qint64 rows = h.height < 0 ? -h.height : h.height;
    const qint64 rowBytes = (h.width * h.bitsPerPixel + 31) / 32 * 4;
    const qint64 pixelStart = std::max(h.pixelOffset, 14 + h.infoSize);
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
    QImage image;
    if (const auto bmp = reader.format() == "bmp" ? ReadBmpHeader(path) : std::nullopt) {
        if (IsTruncated(*bmp, info.size())) {
            setError(error, QStringLiteral("The file is cut short: it does not hold the "
                                           "pixels its header announces."));
            return {};
        }
        // The reader writes only the pixels that runs name and leaves those that a jump or an
        // early end skips as whatever was in memory. Given an image of the size and format it
        // will make, it fills that one instead, so skipped pixels take the first colour of the
        // palette. The size is known to fit the limit by now.
        if ((bmp->compression == BmpHeader::RunLength8 ||
             bmp->compression == BmpHeader::RunLength4) &&
            size.isValid()) {
            image = QImage(size, reader.imageFormat());
            image.fill(0);
        }
    }
    if (!reader.read(&image) || image.isNull() || image.width() <= 0 || image.height() <= 0) {
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
