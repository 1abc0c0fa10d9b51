// The picture as shown at a magnification, made a tile at a time.
#include "acquisition/ScaledImage.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage patterned(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 13) & 0xff, (y * 11) & 0xff, ((x ^ y) * 5) & 0xff));
        }
    }
    return image;
}

// What the picture box shows: the scaled image drawn in many small exposed pieces.
QImage drawnInPieces(const ScaledImage& scaled, int piece) {
    QImage canvas(scaled.size(), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    for (int y = 0; y < scaled.size().height(); y += piece) {
        for (int x = 0; x < scaled.size().width(); x += piece) {
            scaled.draw(painter, QRect(x, y, piece, piece));
        }
    }
    return canvas;
}

TEST(ScaledImage, PiecesDrawnAnywhereMatchTheWholeScaledImage) {
    const QImage picture = patterned(QSize(301, 203)); // odd sizes cross tile borders
    const struct {
        int step;
        QSize size;
    } cases[] = {// each side rounded half to even: 150.5 -> 150, 101.5 -> 102
                 {1, {150, 102}},
                 {2, {301, 203}},
                 {3, {452, 304}},
                 {4, {602, 406}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const ScaledImage scaled(picture, c.step);
        EXPECT_EQ(scaled.size(), c.size);
        const QImage whole = scaled.toImage();
        EXPECT_EQ(drawnInPieces(scaled, 37), whole);
        EXPECT_EQ(drawnInPieces(scaled, 300), whole);
    }
}

TEST(ScaledImage, SmoothWithoutSeamsOrBleeding) {
    QImage flat(97, 61, QImage::Format_RGB32);
    flat.fill(qRgb(12, 140, 230));
    for (int step : {1, 3, 4}) {
        const QImage whole = ScaledImage(flat, step).toImage();
        for (int y = 0; y < whole.height(); y += 7) {
            for (int x = 0; x < whole.width(); x += 5) {
                ASSERT_EQ(whole.pixel(x, y), qRgb(12, 140, 230)) << step << " " << x << "," << y;
            }
        }
    }
    // 50 %: each pixel is the mean of its 2 x 2 block.
    QImage blocks(2, 2, QImage::Format_RGB32);
    blocks.setPixel(0, 0, qRgb(0, 0, 0));
    blocks.setPixel(1, 0, qRgb(100, 40, 8));
    blocks.setPixel(0, 1, qRgb(200, 80, 16));
    blocks.setPixel(1, 1, qRgb(100, 40, 0));
    EXPECT_EQ(ScaledImage(blocks, 1).toImage().pixel(0, 0), qRgb(100, 40, 6));
    // 200 %: between a black and a white pixel the enlargement passes through grey.
    QImage edge(2, 1, QImage::Format_RGB32);
    edge.setPixel(0, 0, qRgb(0, 0, 0));
    edge.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage wide = ScaledImage(edge, 4).toImage();
    ASSERT_EQ(wide.size(), QSize(4, 2));
    EXPECT_EQ(wide.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_GT(qRed(wide.pixel(1, 0)), 0);
    EXPECT_LT(qRed(wide.pixel(2, 0)), 255);
    EXPECT_EQ(wide.pixel(3, 0), qRgb(255, 255, 255));
}

} // namespace
