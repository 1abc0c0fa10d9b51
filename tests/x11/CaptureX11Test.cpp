// Capture through a real source application in a real X server: the main window with the
// real platform services drives the fakecapture helper, which copies a known picture on
// Alt+P. Message boxes are real and answered by the test; screenshots go to
// build/screenshots/.
#include "acquisition/SourceAppCapture.h"
#include "acquisition/frmSourceAPP.h"
#include "helpers/fakecapture.h"
#include "mainwindow/Form1.h"
#include "mainwindow/PictureBox.h"
#include "platform/LinuxProcessService.h"
#include "platform/PlatformServices.h"
#include "platform/QtClipboard.h"
#include "platform/QtFileDialogBackend.h"
#include "platform/QtMessageService.h"
#include "platform/QtSystemInfo.h"
#include "platform/X11Desktop.h"
#include "settings/SettingsModule.h"
#include "support/Files.h"
#include "support/Form1Fixture.h"
#include "support/TempXdg.h"
#include "support/WaitFor.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;

// The real clipboard, counting how often the program takes its picture (one take per paste).
class CountingClipboard : public IClipboard {
public:
    bool HasBitmap() const override { return real.HasBitmap(); }
    bool HasDeviceIndependentBitmap() const override { return real.HasDeviceIndependentBitmap(); }
    QImage Bitmap() const override {
        ++takes;
        return real.Bitmap();
    }
    uint64_t ChangeSerial() const override { return real.ChangeSerial(); }
    bool WaitForImageSince(uint64_t serial, std::chrono::milliseconds bound) override {
        return real.WaitForImageSince(serial, bound);
    }

    QtClipboard real;
    mutable int takes = 0;
};

// Saves a picture of the whole screen as build/screenshots/NAME.
void screenshot(const char* name) {
    QDir().mkpath(QStringLiteral(LINEALIS_SCREENSHOT_DIR));
    QProcess::execute(QStringLiteral("/usr/bin/import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       QStringLiteral(LINEALIS_SCREENSHOT_DIR "/") + QString::fromLatin1(name)});
}

// Answers every message box with OK as it comes up, keeping its text; `beforeAnswer` may
// look at the box first.
class MessageAnswerer {
public:
    MessageAnswerer() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box->property("answered").toBool()) {
                return;
            }
            box->setProperty("answered", true);
            seen << box->text();
            titles << box->windowTitle();
            if (QTest::qWaitForWindowExposed(box) && beforeAnswer) {
                QTest::qWait(200); // painted
                beforeAnswer(box);
            }
            box->button(QMessageBox::Ok)->click();
        });
        poll_.start(20);
    }

    QStringList seen;
    QStringList titles;
    std::function<void(QMessageBox*)> beforeAnswer;

private:
    QTimer poll_;
};

class CaptureX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.IsAvailable()) << desktop.UnavailableReason().toStdString();
        settings.IniPath = xdg.iniPath();
        log = xdg.root() + QStringLiteral("/fakecapture.log");
        qputenv("FAKECAPTURE_LOG", QFile::encodeName(log));
        qunsetenv("FAKECAPTURE_DELAY_MS");
        qunsetenv("FAKECAPTURE_EXIT_NOW");
    }

    void TearDown() override {
        // Every source application this test started ends with it.
        for (int32_t pid : started) {
            if (processes.IsRunning(pid)) {
                ::kill(pid, SIGKILL);
                waitFor([&] { return !processes.IsRunning(pid); }, 5000);
            }
        }
        form.reset();
        qunsetenv("FAKECAPTURE_LOG");
        qunsetenv("FAKECAPTURE_DELAY_MS");
        qunsetenv("FAKECAPTURE_EXIT_NOW");
    }

    // Settings values are read up to 49 bytes, so the helper is given a short path of its
    // own wherever the build folder is.
    QString shortHelperPath() {
        const QString link = shortDir.filePath(QStringLiteral("fakecapture"));
        if (!QFileInfo::exists(link)) {
            EXPECT_TRUE(QFile::link(QStringLiteral(FAKECAPTURE_PATH), link));
        }
        EXPECT_LE(QFile::encodeName(link).size(), 49);
        return link;
    }
    QTemporaryDir shortDir{QStringLiteral("/tmp/lqXXXXXX")};

    // Starts the program in source-application mode with fakecapture and the key Alt+P;
    // returns when the source application shows its window and the main window is up.
    void startWith(int noWait, int delayMs) {
        ASSERT_TRUE(WriteBytes(settings.IniPath,
                               QStringLiteral("[options]\nUseSourceApp=1\n[source app]\napp=%1\n"
                                              "key=%p\nnotwait=%2\nnotwaitms=%3\n")
                                   .arg(shortHelperPath())
                                   .arg(noWait)
                                   .arg(delayMs)
                                   .toUtf8()));
        form = std::make_unique<Form1>(settings, services);
        answerOptionsDialog(kOk);
        ASSERT_TRUE(form->Form_Load());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_NE(settings.SourceAppTaskId, 0);
        started << settings.SourceAppTaskId;
        ASSERT_TRUE(waitFor([&] { return logLines().contains("started"); }, 10000));
    }

    QStringList logLines() const {
        return QString::fromUtf8(ReadBytes(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The picture shown is fakecapture's picture `number`, at its own size.
    void expectPicture(int number) {
        const QImage& shown = form->Picture2->Picture();
        ASSERT_EQ(shown.size(), fakecapture::kPictureSize);
        EXPECT_EQ(QColor(shown.pixel(20, 20)), fakecapture::CaptureColour(number))
            << "picture " << number;
        EXPECT_EQ(settings.ImageSource, 2);
    }

    void killSourceApp() {
        const int32_t pid = settings.SourceAppTaskId;
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        ASSERT_TRUE(waitFor([&] { return !processes.IsRunning(pid); }, 5000));
    }

    TempXdg xdg;
    QString log;
    LinuxProcessService processes;
    X11Desktop desktop;
    CountingClipboard clipboard;
    QtFileDialogBackend fileDialogs;
    QtSystemInfo system;
    QtMessageService messages;
    PlatformServices services{fileDialogs, processes, desktop, clipboard, system, messages};
    SettingsModule settings;
    std::unique_ptr<Form1> form;
    QList<int32_t> started;
};

TEST_F(CaptureX11, WaitingCapturePastesThePictureTheSourceAppCopiedAfterTheKeys) {
    // The copy comes well after the source application has read the key, so a paste that
    // waited only for the keys would find the previous picture.
    qputenv("FAKECAPTURE_DELAY_MS", "400");
    startWith(0, 0);
    for (int number = 1; number <= 2; ++number) {
        SCOPED_TRACE(number);
        settings.MeasureState = 2;
        QElapsedTimer timer;
        timer.start();
        form->mnuFromSA->trigger();
        EXPECT_GE(timer.elapsed(), 350);
        EXPECT_LT(timer.elapsed(), 5000);
        expectPicture(number);
        EXPECT_EQ(settings.MeasureState, 0);
        EXPECT_EQ(form->windowTitle(), "LQ 始点をクリック");
        EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == form.get(); }, 3000));
    }
    EXPECT_EQ(logLines().filter("key ").join(','), "key Alt+P,key Alt+P");
    QTest::qWait(300);
    screenshot("capture-pasted.png");
}

TEST_F(CaptureX11, DelayedCapturePastesOnceAfterTheDelay) {
    qputenv("FAKECAPTURE_DELAY_MS", "200"); // copies within the 500 ms the paste waits
    startWith(1, 500);
    QElapsedTimer timer;
    timer.start();
    form->mnuFromSA->trigger();
    EXPECT_TRUE(form->Picture2->Picture().isNull()); // nothing yet
    ASSERT_TRUE(form->Timer1->isActive());
    ASSERT_TRUE(waitFor([&] { return !form->Timer1->isActive(); }, 5000));
    EXPECT_GE(timer.elapsed(), 450);
    expectPicture(1);
    EXPECT_EQ(clipboard.takes, 1);

    // Two captures in a row while the paste is pending: one paste, of the second picture.
    form->mnuFromSA->trigger();
    form->mnuRsource->trigger();
    ASSERT_TRUE(waitFor([&] { return !form->Timer1->isActive(); }, 5000));
    QTest::qWait(700);
    EXPECT_EQ(clipboard.takes, 2);
    expectPicture(3);
    EXPECT_EQ(logLines().filter("copied").size(), 3);
}

TEST_F(CaptureX11, SourceAppClosedByHandIsStartedAgainAfterAMessageAndCapturedThrough) {
    startWith(0, 0);
    const int32_t first = settings.SourceAppTaskId;
    killSourceApp();
    MessageAnswerer answerer;
    answerer.beforeAnswer = [](QMessageBox*) { screenshot("capture-restart-message.png"); };
    form->mnuFromSA->trigger();

    EXPECT_EQ(answerer.seen, QStringList{SourceAppCapture::RestartMessage()});
    EXPECT_EQ(answerer.titles, QStringList{"Linealis"});
    EXPECT_NE(settings.SourceAppTaskId, first);
    started << settings.SourceAppTaskId;
    EXPECT_TRUE(processes.IsRunning(settings.SourceAppTaskId));
    expectPicture(1); // the first picture of the new one
    EXPECT_TRUE(form->isVisible());
}

TEST_F(CaptureX11, RelaunchThatCannotBeActivatedEndsTheProgramAfterTheSecondMessage) {
    startWith(0, 0);
    killSourceApp();
    qputenv("FAKECAPTURE_EXIT_NOW", "1"); // the new one ends at once, without a window
    MessageAnswerer answerer;
    QElapsedTimer timer;
    timer.start();
    form->mnuFromSA->trigger();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(answerer.seen, (QStringList{SourceAppCapture::RestartMessage(),
                                          SourceAppCapture::CannotContinueMessage(),
                                          "Please close the source app."}));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->Picture2->Picture().isNull());
}

TEST_F(CaptureX11, SourceAppDialogOpensAtItsPlaceUnderTheWindowManager) {
    settings.SourceAppPath = QStringLiteral("/usr/local/bin/キャプチャ");
    settings.AccessKeyNotation = QStringLiteral("%p");
    settings.NoWait = 1;
    settings.NoWaitDelay = 500;
    UpdateSourceAppInfo(settings);
    frmSourceAPP dialog(settings, services);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(300);
    screenshot("source-app-dialog.png");
    const QRect screen = system.ScreenRect();
    EXPECT_TRUE(screen.contains(dialog.frameGeometry()));
    EXPECT_LT(dialog.frameGeometry().left(), screen.width() / 2); // not centred
    dialog.Command1[2]->click();
}

} // namespace
