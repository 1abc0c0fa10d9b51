// The picture as shown at a magnification: bilinear for enlargements, the mean of 2 x 2
// pixels for 50 %. It is worked out a tile at a time, the first time a tile is shown, and
// kept: a large scan appears as soon as it is decoded, the parts never shown cost nothing,
// and no part is scaled twice.
#pragma once

#include <QImage>
#include <QRect>
#include <vector>

class QPainter;

class ScaledImage {
public:
    ScaledImage() = default;
    // `picture` in 32-bit RGB; `MagStep` 1 to 4 for 50 % to 200 %.
    ScaledImage(const QImage& picture, int MagStep);

    bool isNull() const { return picture_.isNull(); }
    QSize size() const { return size_; }
    QRect rect() const { return QRect(QPoint(0, 0), size_); }

    // Draws the part `area` of the scaled image at the same place.
    void draw(QPainter& painter, const QRect& area) const;

    // Copies the pixels of `area` of the scaled image into 32-bit RGB rows that start at
    // `bits` and lie `stride` bytes apart; what lies outside the image is white.
    void CopyTo(uchar* bits, qsizetype stride, const QRect& area) const;
    // The same into `target` (32-bit RGB, at least as large as `area`) at its top-left corner.
    void CopyTo(QImage& target, const QRect& area) const {
        CopyTo(target.bits(), target.bytesPerLine(), area);
    }

    // The pixels of `area` of the scaled image (for tests and tools).
    QImage copy(const QRect& area) const;
    // The whole scaled image.
    QImage toImage() const { return copy(rect()); }

private:
    static constexpr int kTile = 256;
    const QImage& tile(int column, int row) const;
    void scaleInto(QImage& target, const QRect& area) const;

    QImage picture_;
    QSize size_;
    int magStep_ = 2;
    // Bilinear sampling: for each target column and row the first source pixel and the
    // weight (0..256) of the next one.
    std::vector<int> firstX_, weightX_, firstY_, weightY_;
    int columns_ = 0;
    int rows_ = 0;
    mutable std::vector<QImage> tiles_;
};
