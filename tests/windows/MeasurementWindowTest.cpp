// Measuring in the main window, driven by mouse input through the window as a user gives
// it: the guide lines in the three cursor shapes, start and end points, results, prompts,
// the double-click time-out, and results too long to record.
#include "mainwindow/PictureBox.h"
#include "support/Form1Fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

const QString kLockSlope = QStringLiteral("LQ クリックで傾きをロック");
const QString kStartPoint = QStringLiteral("LQ 始点をクリック");
const QString kEndPoint = QStringLiteral("LQ 終点をダブルクリック");
const QString kClear = QStringLiteral("LQ クリックでクリア");

class Measuring : public Form1Fixture {
protected:
    // Starts with `options` in lq.ini and a pasted picture of `size` pixels.
    void startWith(const QByteArray& options, QSize size = QSize(400, 300)) {
        writeIni("[options]\n" + options);
        ASSERT_TRUE(start());
        // The pointer may rest where an earlier test left it; a move to the same place
        // would not count as a move.
        QTest::mouseMove(form->windowHandle(), QPoint(2, 2));
        QTest::mouseMove(form->windowHandle(), QPoint(1, 1));
        fake.clipboard.bitmap = true;
        fake.clipboard.image = QImage(size, QImage::Format_RGB32);
        fake.clipboard.image.fill(Qt::white);
        form->paste_Click();
        ASSERT_EQ(form->Picture2->size(),
                  QSize(size.width() * settings.MagStep / 2, size.height() * settings.MagStep / 2));
    }

    // A point of the picture box as the window sees it.
    QPoint inWindow(QPoint picturePoint) const {
        return form->Picture2->mapTo(form.get(), picturePoint);
    }
    void move(QPoint p) { QTest::mouseMove(form->windowHandle(), inWindow(p)); }
    void click(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
        move(p);
        QTest::mouseClick(form->windowHandle(), button, {}, inWindow(p));
    }
    void doubleClick(QPoint p) {
        move(p);
        QTest::mouseDClick(form->windowHandle(), Qt::LeftButton, {}, inWindow(p));
    }

    // Straight to the picture box, for points outside the part the window shows.
    void clickDirect(QPoint p) {
        QTest::mouseMove(form->Picture2, p);
        QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, p);
    }
    void doubleClickDirect(QPoint p) {
        clickDirect(p); // the first click of a double click is an ordinary one
        QTest::mouseDClick(form->Picture2, Qt::LeftButton, {}, p);
    }

    QStringList results() const {
        return {form->mnudX->text(), form->mnudY->text(), form->mnuDist->text()};
    }

    static QLineF twips(const LineControl& line) {
        return QLineF(line.X1(), line.Y1(), line.X2(), line.Y2());
    }

    // Two lines run in the same direction (either way along).
    static bool parallel(const QLineF& a, const QLineF& b) {
        const double d = std::fmod(a.angle() - b.angle() + 360.0, 180.0);
        return d < 0.5 || d > 179.5;
    }
};

TEST_F(Measuring, ClickAndDoubleClickMeasureInTheImagesOwnScale) {
    // 60 and 80 pixels apart: 900 and 1200 twips on the screen.
    const struct {
        QByteArray magRate;
        QStringList expected;
    } cases[] = {{"1", {"dX=1800", "dY=2400", "Dist.=3000"}},
                 {"2", {"dX=900", "dY=1200", "Dist.=1500"}},
                 {"3", {"dX=600", "dY=800", "Dist.=1000"}},
                 {"4", {"dX=450", "dY=600", "Dist.=750"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.magRate.toStdString());
        startWith("Sloped=0\nMagRate=" + c.magRate + "\n");
        EXPECT_EQ(results(), QStringList({"dX", "dY", "Dist."}));
        EXPECT_EQ(form->windowTitle(), kStartPoint);
        click(QPoint(10, 20));
        EXPECT_EQ(form->windowTitle(), kEndPoint);
        EXPECT_TRUE(form->Line2[0].Visible());
        EXPECT_FALSE(form->Command1->isEnabled());
        doubleClick(QPoint(70, 100));
        EXPECT_EQ(results(), c.expected);
        EXPECT_EQ(form->windowTitle(), kClear);
        EXPECT_EQ(settings.MeasureState, 2);
        EXPECT_TRUE(form->Command1->isEnabled());
        EXPECT_TRUE(form->Topen->isEnabled());
        EXPECT_TRUE(form->rsave->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), form->Text1);
        EXPECT_EQ(form->Picture2->cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(Measuring, CrossFollowsTheMouseAndFreezesAtTheStartPoint) {
    startWith("Sloped=0\n");
    move(QPoint(50, 40));
    EXPECT_EQ(twips(form->Line1[0]), QLineF(750, 0, 750, 4500));
    EXPECT_EQ(twips(form->Line1[1]), QLineF(0, 600, 6000, 600));
    EXPECT_FALSE(form->Line2[0].Visible());
    EXPECT_EQ(form->Picture2->cursor().shape(), Qt::BlankCursor);

    click(QPoint(50, 40));
    move(QPoint(80, 90));
    EXPECT_TRUE(form->Line2[0].Visible());
    EXPECT_TRUE(form->Line2[1].Visible());
    EXPECT_EQ(twips(form->Line2[0]), QLineF(750, 0, 750, 4500));
    EXPECT_EQ(twips(form->Line2[1]), QLineF(0, 600, 6000, 600));
    EXPECT_EQ(twips(form->Line1[0]), QLineF(1200, 0, 1200, 4500));

    // After the result nothing moves; the next click clears the overlay.
    doubleClick(QPoint(80, 90));
    move(QPoint(200, 200));
    EXPECT_EQ(twips(form->Line1[0]), QLineF(1200, 0, 1200, 4500));
    click(QPoint(200, 200));
    EXPECT_FALSE(form->Line2[0].Visible());
    EXPECT_FALSE(form->Line2[1].Visible());
    EXPECT_EQ(form->windowTitle(), kStartPoint);
    EXPECT_EQ(results(), QStringList({"dX=450", "dY=750", "Dist.=875"}));
}

TEST_F(Measuring, RightButtonIsIgnoredAndTheMiddleOneCounts) {
    startWith("Sloped=0\n");
    QTest::mousePress(form->windowHandle(), Qt::RightButton, {}, inWindow(QPoint(30, 30)));
    EXPECT_EQ(settings.MeasureState, 0);
    whilePopupOpen([](QMenu*) {}); // the release opens the pop-up menu; close it
    QTest::mouseRelease(form->windowHandle(), Qt::RightButton, {}, inWindow(QPoint(30, 30)));
    QTest::mousePress(form->windowHandle(), Qt::MiddleButton, {}, inWindow(QPoint(30, 30)));
    EXPECT_EQ(settings.MeasureState, 1);
    bool popupOpened = false;
    whilePopupOpen([&popupOpened](QMenu*) { popupOpened = true; });
    QTest::mouseRelease(form->windowHandle(), Qt::MiddleButton, {}, inWindow(QPoint(30, 30)));
    EXPECT_TRUE(popupOpened);            // any button but the left one opens the pop-up menu
    EXPECT_EQ(settings.MeasureState, 0); // which resets the measurement
}

TEST_F(Measuring, DoubleClickOnTheStartPointIsIgnored) {
    startWith("Sloped=0\n");
    doubleClick(QPoint(40, 40)); // the first click starts, the double click is ignored
    EXPECT_EQ(settings.MeasureState, 1);
    EXPECT_EQ(form->windowTitle(), kEndPoint);
    EXPECT_EQ(results(), QStringList({"dX", "dY", "Dist."}));
    doubleClick(QPoint(40, 40)); // start point equal to end point
    EXPECT_EQ(results(), QStringList({"dX=0", "dY=0", "Dist.=0"}));
}

TEST_F(Measuring, ASingleClickAtTheEndIsCancelledAfterTheDoubleClickTime) {
    fake.system.doubleClickTime = 60;
    startWith("Sloped=2\n");
    click(QPoint(20, 20));
    click(QPoint(90, 60));
    EXPECT_EQ(settings.MeasureState, 2);
    EXPECT_TRUE(form->timDC->isActive());
    EXPECT_EQ(form->timDC->interval(), 60);
    for (int waited = 0; settings.MeasureState != 0 && waited < 2000; waited += 10) {
        QTest::qWait(10);
    }
    EXPECT_EQ(settings.MeasureState, 0);
    EXPECT_EQ(form->windowTitle(), kStartPoint);
    EXPECT_FALSE(form->Line2[0].Visible());
    EXPECT_FALSE(form->Line3.Visible());
    EXPECT_EQ(results(), QStringList({"dX", "dY", "Dist."}));
    // The late second click starts a new measurement.
    click(QPoint(90, 60));
    EXPECT_EQ(settings.MeasureState, 1);
}

TEST_F(Measuring, SmallCrossDrawsARubberBandFromTheStartPoint) {
    startWith("Sloped=2\n");
    move(QPoint(50, 40));
    EXPECT_EQ(twips(form->Line1[0]), QLineF(750, 500, 750, 700));
    EXPECT_EQ(twips(form->Line1[1]), QLineF(650, 600, 850, 600));
    EXPECT_FALSE(form->Line3.Visible());
    click(QPoint(50, 40));
    move(QPoint(90, 70));
    EXPECT_TRUE(form->Line3.Visible());
    EXPECT_EQ(twips(form->Line3), QLineF(750, 600, 1350, 1050));
    doubleClick(QPoint(90, 70));
    EXPECT_EQ(results(), QStringList({"dX=600", "dY=450", "Dist.=750"}));
    click(QPoint(10, 10));
    EXPECT_FALSE(form->Line3.Visible());
}

TEST_F(Measuring, FreeAngleCrossPivotsUntilLockedAndThenSlidesParallel) {
    startWith("Sloped=1\n", QSize(400, 400)); // centre at (200, 200) pixels
    EXPECT_EQ(form->windowTitle(), QStringLiteral("LQ クリックで傾きを固定"));
    move(QPoint(100, 100)); // on the diagonal through the centre
    const QLineF first = twips(form->Line1[0]);
    EXPECT_TRUE(parallel(first, QLineF(0, 0, 1, 1)));
    click(QPoint(100, 100)); // locks the slope
    EXPECT_EQ(settings.SlopeLocked, 1);
    EXPECT_EQ(form->windowTitle(), kStartPoint);
    move(QPoint(300, 100)); // would pivot to the other diagonal if unlocked
    EXPECT_TRUE(parallel(twips(form->Line1[0]), first));
    EXPECT_NE(twips(form->Line1[0]), first);

    // Along and across the locked 45-degree line: 100 pixels along it and 0 across.
    click(QPoint(100, 100));
    doubleClick(QPoint(171, 171)); // 71 * sqrt(2) = 100.4 pixels along
    EXPECT_EQ(form->mnudY->text(), "dY=0");
    EXPECT_EQ(form->mnudX->text(), "dX=1506");

    click(QPoint(10, 10)); // clears: the slope is unlocked again
    EXPECT_EQ(settings.MeasureState, -1);
    EXPECT_EQ(settings.SlopeLocked, 0);
    EXPECT_EQ(form->windowTitle(), kLockSlope);
}

TEST_F(Measuring, AResultTooLongToRecordIsNeverShownOrSaved) {
    startWith("Sloped=0\nMagRate=1\n", QSize(3000, 1200)); // shown at 1500 x 600 pixels
    clickDirect(QPoint(10, 10));
    doubleClickDirect(QPoint(1200, 10)); // 1190 pixels: dX 35700 at 100 %
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_TRUE(fake.messages.shown[0].text.contains("32767"));
    EXPECT_EQ(results(), QStringList({"dX", "dY", "Dist."}));
    EXPECT_FALSE(form->Command1->isEnabled());
    EXPECT_FALSE(form->Topen->isEnabled());

    clickDirect(QPoint(10, 10)); // clear
    clickDirect(QPoint(10, 10));
    doubleClickDirect(QPoint(1010, 510)); // dX 30000 and dY 15000 fit, the distance not
    EXPECT_EQ(fake.messages.shown.size(), 2);
    EXPECT_EQ(results(), QStringList({"dX", "dY", "Dist."}));
    EXPECT_FALSE(form->Command1->isEnabled());

    clickDirect(QPoint(10, 10));
    clickDirect(QPoint(10, 10));
    doubleClickDirect(QPoint(990, 85)); // 980 x 75 pixels
    EXPECT_EQ(results(), QStringList({"dX=29400", "dY=2250", "Dist.=29486"}));
    EXPECT_TRUE(form->Command1->isEnabled());
    EXPECT_EQ(fake.messages.shown.size(), 2);
}

TEST_F(Measuring, AfterScrollingTheSameSegmentGivesTheSameResult) {
    startWith("Sloped=0\n", QSize(2400, 1800)); // larger than the screen
    QScrollArea* host = form->PictureHost;
    ASSERT_TRUE(host->horizontalScrollBar()->maximum() > 0);
    click(QPoint(30, 40));
    doubleClick(QPoint(230, 190));
    const QStringList unscrolled = results();
    EXPECT_EQ(unscrolled, QStringList({"dX=3000", "dY=2250", "Dist.=3750"}));

    click(QPoint(5, 5)); // clear
    host->horizontalScrollBar()->setValue(host->horizontalScrollBar()->maximum());
    host->verticalScrollBar()->setValue(host->verticalScrollBar()->maximum());
    const QPoint a(2400 - 230, 1800 - 190);
    const QPoint b(2400 - 30, 1800 - 40);
    ASSERT_TRUE(host->viewport()->rect().contains(form->Picture2->mapTo(host->viewport(), a)));
    click(a);
    doubleClick(b);
    EXPECT_EQ(results(), unscrolled);
}

} // namespace
