// The line shapes over the picture: inverting ink, crossings, and moving lines that leave
// no trace although only the pixels under them are repainted.
#include "mainwindow/PictureBox.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A picture with different colours everywhere, so that a wrong pixel cannot hide.
QImage patterned(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 7) & 0xff, (y * 5) & 0xff, ((x + y) * 3) & 0xff));
        }
    }
    return image;
}

class LineOverlay : public ::testing::Test {
protected:
    void SetUp() override {
        image = patterned(QSize(240, 180));
        box.SetImage(image, ScaledImage(image, 2));
        box.SetLineStyle(0, PictureBox::LineStyle::Dashed);
        box.SetLineStyle(1, PictureBox::LineStyle::Dashed);
        box.SetLineStyle(2, PictureBox::LineStyle::Solid);
        box.SetLineStyle(3, PictureBox::LineStyle::Solid);
        box.SetLineStyle(4, PictureBox::LineStyle::Dotted);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }

    // What the screen shows now: the result of every partial repaint so far.
    QImage onScreen() {
        QCoreApplication::processEvents();
        return box.screen()
            ->grabWindow(box.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // What a repaint of the whole box shows.
    QImage repaintedWhole() { return box.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    static QRgb inverse(QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); }

    QImage image;
    PictureBox box;
};

TEST_F(LineOverlay, LinesInvertThePixelsUnderThemAndCrossingsInvertTwice) {
    box.SetLine(2, QLineF(0, 40, 239, 40));   // horizontal, solid
    box.SetLine(3, QLineF(100, 0, 100, 179)); // vertical, solid
    box.SetLineVisible(2, true);
    box.SetLineVisible(3, true);
    const QImage shown = onScreen();
    EXPECT_EQ(shown.pixel(10, 40), inverse(image.pixel(10, 40)));
    EXPECT_EQ(shown.pixel(100, 150), inverse(image.pixel(100, 150)));
    EXPECT_EQ(shown.pixel(10, 41), image.pixel(10, 41)); // one pixel wide
    EXPECT_EQ(shown.pixel(101, 150), image.pixel(101, 150));
    EXPECT_EQ(shown.pixel(100, 40), image.pixel(100, 40)); // inverted twice
}

TEST_F(LineOverlay, DashedAndDottedLinesLeaveGaps) {
    box.SetLine(0, QLineF(0, 20, 239, 20));
    box.SetLine(4, QLineF(0, 60, 239, 60));
    box.SetLineVisible(0, true);
    box.SetLineVisible(4, true);
    const QImage shown = onScreen();
    for (int y : {20, 60}) {
        int inverted = 0;
        int kept = 0;
        for (int x = 0; x < 240; ++x) {
            (shown.pixel(x, y) == inverse(image.pixel(x, y)) ? inverted : kept) += 1;
            EXPECT_TRUE(shown.pixel(x, y) == image.pixel(x, y) ||
                        shown.pixel(x, y) == inverse(image.pixel(x, y)));
        }
        EXPECT_GT(inverted, 40) << y;
        EXPECT_GT(kept, 40) << y;
    }
}

TEST_F(LineOverlay, MovingLinesLeavesNoTraceAtAnyWidthOrSlope) {
    const QLineF places[] = {{0, 0, 239, 179}, {10, 170, 230, 5},  {120, 0, 121, 179},
                             {0, 90, 239, 91}, {30, 20, 200, 160}, {5, 100, 235, 60},
                             {60, 179, 180, 0}};
    for (int width : {1, 2, 4}) {
        SCOPED_TRACE(width);
        box.SetLineWidth(width);
        box.SetLineVisible(0, true);
        box.SetLineVisible(2, true);
        box.SetLineVisible(4, true);
        for (const QLineF& place : places) {
            box.SetLine(0, place);
            box.SetLine(2, place.translated(7, -3));
            box.SetLine(4, QLineF(place.p2(), place.p1()).translated(-5, 4));
            onScreen();
        }
        // Everything shown equals a fresh repaint of the lines where they are now.
        EXPECT_EQ(onScreen(), repaintedWhole());
    }
    // Hidden again, the picture is exactly as loaded.
    for (int i = 0; i < PictureBox::kLineCount; ++i) {
        box.SetLineVisible(i, false);
    }
    EXPECT_EQ(onScreen(), image);
}

TEST_F(LineOverlay, ZeroLengthLinesDrawNothing) {
    box.SetLineVisible(0, true);
    box.SetLineVisible(1, true);
    EXPECT_EQ(onScreen(), image);
}

// Inside a scrolled window the picture is painted straight into the window's pixels: the
// lines land where the picture is shown and nothing is written over the scroll bars.
TEST(LineOverlayScrolled, PaintsOnlyTheShownPartAtItsPlace) {
    const QImage image = patterned(QSize(400, 300));
    QScrollArea host;
    auto* box = new PictureBox;
    box->SetImage(image, ScaledImage(image, 2));
    host.setWidget(box);
    host.resize(200, 150);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    host.horizontalScrollBar()->setValue(120);
    host.verticalScrollBar()->setValue(90);
    box->SetLineVisible(0, true);
    box->SetLineVisible(1, true);
    for (const QLineF& place :
         {QLineF(0, 0, 399, 299), QLineF(130, 0, 130, 299), QLineF(0, 100, 399, 110)}) {
        box->SetLine(0, place);
        box->SetLine(1, QLineF(place.p2(), place.p1()).translated(9, -4));
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const QImage shown =
        host.screen()->grabWindow(host.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage rendered = host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, rendered);
}

} // namespace
