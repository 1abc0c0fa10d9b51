// Capture through the source application, driven from the main window's commands on fake
// platform services: activation, the access key, the wait for the picture, the paste at once
// or on Timer1, and the restart of a source application that has gone.
#include "acquisition/SourceAppCapture.h"
#include "mainwindow/Form1.h"
#include "mainwindow/PictureBox.h"
#include "settings/SettingsModule.h"
#include "support/Form1Fixture.h"
#include "support/WaitFor.h"

#include <QAction>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

const QString kRestart = SourceAppCapture::RestartMessage();
const QString kCannotContinue = SourceAppCapture::CannotContinueMessage();
const QString kReminder = QStringLiteral("Please close the source app.");

QImage picture(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class SourceAppCaptureTest : public Form1Fixture {
protected:
    // Starts in source-application mode with the access key Alt+P.
    void startWith(int noWait, int delayMs = 0) {
        writeIni(QStringLiteral("[options]\nUseSourceApp=1\n[source app]\napp=/opt/capture/"
                                "grab\nkey=%p\nnotwait=%1\nnotwaitms=%2\n")
                     .arg(noWait)
                     .arg(delayMs)
                     .toUtf8());
        ASSERT_TRUE(start());
        ASSERT_NE(settings.SourceAppTaskId, 0);
        fake.desktop.windows.insert(settings.SourceAppTaskId);
    }

    // The source application copies `image` when it gets its keys.
    void copiesOnKeys(const QImage& image) {
        fake.desktop.onKeys = [this, image](const QString&) { fake.clipboard.Put(image); };
    }

    QStringList messages() const {
        QStringList texts;
        for (const auto& shown : fake.messages.shown) {
            texts << shown.text;
        }
        return texts;
    }

    // The measurement is somewhere in the middle before the capture.
    void measuring() {
        settings.MeasureState = 2;
        form->setWindowTitle(QStringLiteral("measuring"));
    }

    void expectPastedAndReset(QSize size) {
        EXPECT_EQ(form->Picture2->size(), size);
        EXPECT_EQ(settings.ImageSource, 2);
        EXPECT_EQ(settings.MeasureState, 0);
        EXPECT_EQ(form->windowTitle(), "LQ 始点をクリック");
    }
};

TEST_F(SourceAppCaptureTest, CtrlAWaitsUntilTheSourceAppHasCopiedThenPastesAndResets) {
    startWith(0);
    // The picture arrives only while the capture waits for it, after the keys: a paste
    // that did not wait would find nothing.
    fake.desktop.onKeys = [this](const QString&) {
        fake.clipboard.whileWaiting = [this] { fake.clipboard.Put(picture({300, 200}, 0xff0000)); };
    };
    measuring();
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);

    EXPECT_EQ(fake.desktop.activated, QList<int32_t>{settings.SourceAppTaskId});
    EXPECT_EQ(fake.desktop.keysSent, (QList<QPair<QString, bool>>{{"%p", true}}));
    EXPECT_EQ(fake.clipboard.waits,
              QList<std::chrono::milliseconds>{SourceAppCapture::kPictureBound});
    EXPECT_EQ(fake.desktop.ownFocusCount, 1);
    expectPastedAndReset({300, 200});
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(messages().isEmpty());

    // The pop-up's command does the same.
    copiesOnKeys(picture({120, 90}, 0x00ff00));
    fake.clipboard.whileWaiting = nullptr;
    form->mnuRsource->trigger();
    EXPECT_EQ(fake.desktop.keysSent.size(), 2);
    EXPECT_EQ(form->Picture2->size(), QSize(120, 90));
}

TEST_F(SourceAppCaptureTest, KeysThatCannotBeTypedAreNotWaitedForButThePasteStillRuns) {
    startWith(0);
    fake.desktop.keysFail = true;
    fake.clipboard.Put(picture({80, 60}, 0x0000ff)); // whatever the clipboard held before
    measuring();
    form->mnuFromSA->trigger();
    EXPECT_EQ(fake.desktop.keysSent.size(), 1);
    EXPECT_TRUE(fake.clipboard.waits.isEmpty());
    EXPECT_EQ(fake.desktop.ownFocusCount, 1);
    expectPastedAndReset({80, 60});
}

TEST_F(SourceAppCaptureTest, DelayedCapturePastesOnceWhenTimer1FiresHoweverOftenAsked) {
    startWith(1, 300);
    copiesOnKeys(picture({200, 150}, 0xff00ff));
    measuring();
    form->mnuFromSA->trigger();
    form->mnuRsource->trigger(); // a second capture while the paste is pending
    EXPECT_EQ(fake.desktop.keysSent, (QList<QPair<QString, bool>>{{"%p", false}, {"%p", false}}));
    EXPECT_TRUE(fake.clipboard.waits.isEmpty());
    ASSERT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 300);
    EXPECT_EQ(fake.clipboard.bitmapReads, 0);
    EXPECT_EQ(settings.MeasureState, 2);

    ASSERT_TRUE(waitFor([&] { return !form->Timer1->isActive(); }, 3000));
    QTest::qWait(400); // long enough for a second paste, were there one
    EXPECT_EQ(fake.clipboard.bitmapReads, 1);
    EXPECT_EQ(fake.desktop.ownFocusCount, 1);
    expectPastedAndReset({200, 150});
}

TEST_F(SourceAppCaptureTest, NoPasteFollowsAZeroDelayOrAnUnknownWaitingMode) {
    const struct {
        const char* what;
        int noWait;
        int delayMs;
        bool keysSent;
    } cases[] = {
        {"no wait, delay 0: the keys go, nothing is pasted", 1, 0, true},
        {"waiting mode 2: activation only", 2, 500, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form = nullptr;
        fake.desktop.keysSent.clear();
        fake.desktop.activated.clear();
        startWith(c.noWait, c.delayMs);
        settings.NoWait = int16_t(c.noWait); // lq.ini only ever yields 0 or 1
        copiesOnKeys(picture({50, 50}, 0xffffff));
        form->mnuFromSA->trigger();
        QTest::qWait(100);
        EXPECT_EQ(fake.desktop.activated.size(), 1);
        EXPECT_EQ(fake.desktop.keysSent.size(), c.keysSent ? 1 : 0);
        EXPECT_FALSE(form->Timer1->isActive());
        EXPECT_EQ(fake.clipboard.bitmapReads, 0);
        EXPECT_NE(settings.ImageSource, 2);
    }
}

TEST_F(SourceAppCaptureTest, SourceAppClosedByHandIsRestartedWithAMessageAndCapturedThrough) {
    startWith(0);
    const int32_t first = settings.SourceAppTaskId;
    fake.processes.running.remove(first); // closed by hand
    const int32_t second = fake.processes.nextTaskId;
    fake.desktop.windows.insert(second);
    copiesOnKeys(picture({160, 100}, 0x808000));
    measuring();
    form->mnuFromSA->trigger();

    EXPECT_EQ(messages(), QStringList{kRestart});
    EXPECT_EQ(fake.messages.shown[0].title, "Linealis");
    ASSERT_EQ(fake.processes.launched.size(), 2);
    EXPECT_EQ(fake.processes.launched[1].program, "/opt/capture/grab");
    EXPECT_EQ(settings.SourceAppTaskId, second);
    // The ended program is never activated, even if its id had a window again.
    EXPECT_EQ(fake.desktop.activated, QList<int32_t>{second});
    EXPECT_EQ(fake.desktop.keysSent.size(), 1);
    expectPastedAndReset({160, 100});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SourceAppCaptureTest, RelaunchThatCannotBeActivatedEndsTheProgramAfterTheSecondMessage) {
    startWith(0);
    fake.processes.running.remove(settings.SourceAppTaskId);
    form->mnuFromSA->trigger(); // the new one shows no window
    EXPECT_EQ(messages(), (QStringList{kRestart, kCannotContinue, kReminder}));
    EXPECT_TRUE(fake.desktop.keysSent.isEmpty());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SourceAppCaptureTest, SourceAppThatCannotStartIsReportedAndTheNextCaptureStartsIt) {
    startWith(0);
    fake.processes.running.remove(settings.SourceAppTaskId);
    fake.processes.failLaunch = true; // the program has meanwhile gone from its folder
    form->mnuFromSA->trigger();
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[0], kRestart);
    EXPECT_TRUE(messages()[1].contains("/opt/capture/grab"));
    EXPECT_EQ(settings.SourceAppTaskId, 0);
    EXPECT_TRUE(fake.desktop.keysSent.isEmpty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->mnuFromSA->isVisible());

    // Still missing: one message per capture, no claim that it was closed.
    fake.messages.shown.clear();
    form->mnuFromSA->trigger();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("could not be started"));

    // The path chosen again (in the options): the next capture starts it and captures.
    fake.messages.shown.clear();
    fake.processes.failLaunch = false;
    settings.SourceAppPath = QStringLiteral("/usr/bin/grab");
    fake.desktop.windows.insert(fake.processes.nextTaskId);
    copiesOnKeys(picture({90, 70}, 0x008080));
    form->mnuFromSA->trigger();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(fake.processes.launched.last().program, "/usr/bin/grab");
    EXPECT_EQ(form->Picture2->size(), QSize(90, 70));
}

TEST_F(SourceAppCaptureTest, WithoutX11TheCaptureSaysSoAndTheProgramGoesOn) {
    startWith(0);
    fake.desktop.available = false;
    fake.clipboard.Put(picture({40, 40}, 0));
    measuring();
    form->mnuFromSA->trigger();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("X11"));
    EXPECT_EQ(fake.processes.launched.size(), 1); // no restart
    EXPECT_TRUE(fake.desktop.keysSent.isEmpty());
    EXPECT_EQ(fake.clipboard.bitmapReads, 0);
    EXPECT_EQ(settings.MeasureState, 2);
    EXPECT_TRUE(form->isVisible());
}

} // namespace
