// Fuzz target for the way an image file comes in: the decoder under the allocation limit,
// then the copy and the scaled tiles made for display.
#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "acquisition/ImageLoader.h"
#include "acquisition/ScaledImage.h"
#include "platform/ImageLimits.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

namespace {

constexpr qint64 kDisplayCheckPixels = 4 * 1024 * 1024;

// The pixels of `area` of each magnification: the tiles a window showing the picture's
// corners would need.
void CheckScaled(const QImage& picture, int MagStep) {
    const ScaledImage drawing(picture, MagStep);
    FUZZ_CHECK(!drawing.isNull());
    FUZZ_CHECK(drawing.size() == ScaledSize(picture.size(), MagStep));
    const QSize corner(std::min(drawing.size().width(), 40), std::min(drawing.size().height(), 40));
    for (const QPoint at : {QPoint(0, 0), drawing.rect().bottomRight() -
                                              QPoint(corner.width() - 1, corner.height() - 1)}) {
        const QImage part = drawing.copy(QRect(at, corner));
        FUZZ_CHECK(part.size() == corner);
    }
}

} // namespace

void FuzzImageLoading(QByteArrayView input) {
    // The name says BMP, so the BMP reader is asked first; a file that is something else is
    // recognised by its contents, as when a user opens a misnamed file.
    static const QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/input.bmp");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(input.data(), input.size()) == input.size());
    }

    QString error;
    const QImage image = LoadImageFile(path, &error);
    if (image.isNull()) {
        FUZZ_CHECK(!error.isEmpty());
        return;
    }
    FUZZ_CHECK(error.isEmpty());
    FUZZ_CHECK(image.width() > 0 && image.height() > 0);
    FUZZ_CHECK(image.sizeInBytes() <= qsizetype(kImageAllocationLimitMb) * 1024 * 1024);

    // The display path does the same work, row by row and tile by tile, at any size; beyond a
    // few million pixels it only costs the fuzzer seconds of page faults per input.
    if (qint64(image.width()) * image.height() > kDisplayCheckPixels) {
        return;
    }
    const QImage picture = FlattenOnWhite(image);
    FUZZ_CHECK(!picture.isNull());
    FUZZ_CHECK(picture.format() == QImage::Format_RGB32 && picture.size() == image.size());
    for (int MagStep = 1; MagStep <= 4; ++MagStep) {
        CheckScaled(picture, MagStep);
    }
}
