#include "acquisition/ImageLoader.h"

#include "platform/ImageLimits.h"

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
