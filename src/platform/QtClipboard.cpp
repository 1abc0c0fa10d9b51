#include "platform/QtClipboard.h"

#include "platform/ImageLimits.h"

#include <QBuffer>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QTimer>
#include <algorithm>
#include <cstdint>

namespace {

const QMimeData* clipboardData() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

} // namespace

QtClipboard::QtClipboard() {
    // On X11 the toolkit hears of every new owner of the clipboard (XFixes), also when the
    // same program copies again; the selection of the mouse does not count.
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        QObject::connect(clipboard, &QClipboard::changed, &watcher_, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) {
                ++serial_;
            }
        });
    }
}

bool QtClipboard::WaitForImageSince(uint64_t serial, std::chrono::milliseconds bound) {
    const auto ready = [this, serial] {
        return serial_ > serial && (HasBitmap() || HasDeviceIndependentBitmap());
    };
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    // The news of a change arrives through the event loop, so one runs here, without user
    // input: the windows repaint, but no command can start in the middle of this one. A
    // program that clears the clipboard before it copies changes it twice; only a change
    // that leaves an image ends the wait.
    const QDeadlineTimer deadline(bound);
    while (!ready()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            return false;
        }
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(clipboard, &QClipboard::changed, &loop, [&loop](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) {
                loop.quit();
            }
        });
        timeout.start(int(std::min<qint64>(left, INT32_MAX)));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

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
