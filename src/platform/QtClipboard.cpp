#include "platform/QtClipboard.h"

#include "platform/ImageLimits.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>

namespace {

const QMimeData* clipboardData() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

} // namespace

bool QtClipboard::HasBitmap() const {
    const QMimeData* data = clipboardData();
    return data && data->hasImage();
}

bool QtClipboard::HasDeviceIndependentBitmap() const {
    const QMimeData* data = clipboardData();
    return data && data->hasFormat(QStringLiteral("image/bmp"));
}

QImage QtClipboard::Bitmap() const {
    const QMimeData* data = clipboardData();
    if (!data) {
        return {};
    }
    // Decode the offered bytes ourselves, so that a hostile or broken image cannot make
    // the decoder allocate without bound.
    const QStringList preferred = {QStringLiteral("image/png"), QStringLiteral("image/bmp"),
                                   QStringLiteral("image/x-bmp")};
    QStringList formats = preferred;
    for (const QString& f : data->formats()) {
        if (f.startsWith(QLatin1String("image/")) && !formats.contains(f)) {
            formats.append(f);
        }
    }
    for (const QString& format : formats) {
        if (!data->hasFormat(format)) {
            continue;
        }
        QByteArray bytes = data->data(format);
        if (bytes.isEmpty()) {
            continue;
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(kImageAllocationLimitMb);
        QImage image = reader.read();
        if (!image.isNull()) {
            return image;
        }
    }
    return {};
}
