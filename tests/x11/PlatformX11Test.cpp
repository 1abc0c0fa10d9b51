// The real process, window-activation and keystroke services against real windows: the
// keyprobe helper records every key it receives, so what was typed can be read back.
#include "platform/LinuxProcessService.h"
#include "platform/X11Desktop.h"
#include "platform/XdoSession.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A running keyprobe window and the file it writes the keys it receives to.
class Probe {
public:
    Probe(LinuxProcessService& processes, const QStringList& options = {})
        : processes_(processes) {
        output_ = dir_.filePath(QStringLiteral("keys.txt"));
        QString error;
        pid_ = processes_.Launch(QStringLiteral(KEYPROBE_PATH), QStringList{output_} + options,
                                 &error);
        EXPECT_GT(pid_, 0) << error.toStdString();
    }
    ~Probe() {
        if (pid_ > 0 && processes_.IsRunning(pid_)) {
            ::kill(pid_, SIGKILL);
            EXPECT_TRUE(waitFor([&] { return !processes_.IsRunning(pid_); }, 5000));
        }
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    int32_t pid() const { return pid_; }

    QStringList Keys() const {
        QFile file(output_);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    LinuxProcessService& processes_;
    QTemporaryDir dir_;
    QString output_;
    int32_t pid_ = 0;
};

class X11Platform : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.IsAvailable()) << desktop.UnavailableReason().toStdString();
        std::string error;
        session = XdoSession::Open(&error);
        ASSERT_TRUE(session) << error;
    }

    // The window that has the keyboard: the active one under a window manager, else the
    // focused one.
    XdoSession::WindowId FrontWindow() {
        return session->HasWindowManager() ? session->ActiveWindow()
                                           : session->FocusedClientWindow();
    }

    bool IsInFront(int32_t pid) {
        const auto windows = session->FindWindowsOfProcess(pid);
        return std::find(windows.begin(), windows.end(), FrontWindow()) != windows.end();
    }

    LinuxProcessService processes;
    X11Desktop desktop;
    std::unique_ptr<XdoSession> session; // a second connection to look at the result
};

TEST_F(X11Platform, KeysReachTheActivatedWindowAsTyped) {
    Probe probe(processes);
    const struct {
        const char* notation;
        QStringList expected;
    } cases[] = {
        {"%p", {"Alt+P"}},       {"^pr", {"Ctrl+P", "R"}}, {"+ab", {"Shift+A", "B"}},
        {"^%x", {"Ctrl+Alt+X"}}, {"Q", {"Shift+Q"}},       {"a7", {"A", "7"}},
    };
    QStringList typed;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation);
        QString error;
        ASSERT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();
        EXPECT_TRUE(IsInFront(probe.pid()));
        ASSERT_TRUE(desktop.SendKeys(QString::fromLatin1(c.notation), true, &error))
            << error.toStdString();
        // With the wait flag the keys have been handled when SendKeys returns: no polling.
        typed += c.expected;
        EXPECT_EQ(probe.Keys(), typed);
    }
}

TEST_F(X11Platform, WaitLastsAsLongAsTheReceiverTakes) {
    Probe probe(processes, {QStringLiteral("--delay-ms"), QStringLiteral("400")});
    QString error;
    ASSERT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();

    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(desktop.SendKeys(QStringLiteral("%p"), true, &error)) << error.toStdString();
    EXPECT_GE(timer.elapsed(), 350);
    EXPECT_EQ(probe.Keys(), QStringList{"Alt+P"});

    // Without the flag the call returns while the receiver is still busy with the key.
    timer.restart();
    ASSERT_TRUE(desktop.SendKeys(QStringLiteral("%q"), false, &error)) << error.toStdString();
    EXPECT_LT(timer.elapsed(), 300);
    EXPECT_EQ(probe.Keys(), QStringList{"Alt+P"});
    EXPECT_TRUE(waitFor([&] { return probe.Keys().size() == 2; }, 3000));
    EXPECT_EQ(probe.Keys(), (QStringList{"Alt+P", "Alt+Q"}));
}

TEST_F(X11Platform, WaitGivesUpOnAHungReceiver) {
    Probe probe(processes, {QStringLiteral("--delay-ms"), QStringLiteral("5000")});
    QString error;
    ASSERT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();

    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(desktop.SendKeys(QStringLiteral("%p"), true, &error));
    EXPECT_GE(timer.elapsed(), X11Desktop::kKeysHandledBound.count() - 100);
    EXPECT_LT(timer.elapsed(), X11Desktop::kKeysHandledBound.count() + 1500);
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(X11Platform, KeysAreNotCombinedWithAModifierTheUserStillHolds) {
    Probe probe(processes);
    QString error;
    ASSERT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();
    const struct {
        const char* what;
        QStringList xdotool; // holds Ctrl, and maybe lets go of it a while later
        int atLeastMs;
    } cases[] = {
        {"let go of after 300 ms", {"keydown", "ctrl", "sleep", "0.3", "keyup", "ctrl"}, 250},
        {"never let go of",
         {"keydown", "ctrl"},
         static_cast<int>(X11Desktop::kModifierReleaseBound.count()) - 50},
    };
    QStringList typed;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QProcess::startDetached(QStringLiteral("xdotool"), c.xdotool));
        ASSERT_TRUE(waitFor([&] { return session->ModifierKeysDown(); }, 3000));
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(desktop.SendKeys(QStringLiteral("%p"), true, &error)) << error.toStdString();
        EXPECT_GE(timer.elapsed(), c.atLeastMs);
        typed << QStringLiteral("Alt+P");
        EXPECT_EQ(probe.Keys(), typed);
        EXPECT_TRUE(waitFor([&] { return !session->ModifierKeysDown(); }, 3000));
    }
}

TEST_F(X11Platform, NotationErrorsTypeNothing) {
    Probe probe(processes);
    QString error;
    ASSERT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();
    for (const char* notation : {"", "%", "^p%", "%{F4}", "a b"}) {
        SCOPED_TRACE(notation);
        error.clear();
        EXPECT_FALSE(desktop.SendKeys(QString::fromLatin1(notation), true, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    // A valid key afterwards is the first and only thing the window received.
    ASSERT_TRUE(desktop.SendKeys(QStringLiteral("z"), true, &error)) << error.toStdString();
    EXPECT_EQ(probe.Keys(), QStringList{"Z"});
}

TEST_F(X11Platform, ActivationFailsCleanlyWithoutAWindow) {
    QTemporaryDir dir;
    QString error;
    const int32_t ended = processes.Launch(
        QStringLiteral(KEYPROBE_PATH),
        {dir.filePath(QStringLiteral("unused.txt")), QStringLiteral("--exit-now")}, &error);
    ASSERT_GT(ended, 0) << error.toStdString();
    ASSERT_TRUE(waitFor([&] { return !processes.IsRunning(ended); }, 5000));

    const struct {
        const char* what;
        int32_t taskId;
        int withinMs; // program gone: no waiting for a window
    } cases[] = {
        {"ended and reaped program", ended, 500},
        {"id no process has", 0x7ffffff0, 500},
        {"zero", 0, 100},
        {"negative", -5, 100},
        // Alive and long running, but without a window: the search bound applies.
        {"init", 1, static_cast<int>(X11Desktop::kWindowSearchBound.count()) + 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QElapsedTimer timer;
        timer.start();
        error.clear();
        EXPECT_FALSE(desktop.ActivateTask(c.taskId, &error));
        EXPECT_LT(timer.elapsed(), c.withinMs);
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(X11Platform, ActivationWaitsForTheWindowOfAProgramJustStarted) {
    // Asked at once after the start, before the program could map a window; the second one
    // takes longer than the search bound for programs that have been running a while.
    for (const char* showAfterMs : {"0", "3000"}) {
        SCOPED_TRACE(showAfterMs);
        Probe probe(processes, {QStringLiteral("--show-after"), QString::fromLatin1(showAfterMs)});
        QString error;
        EXPECT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();
        EXPECT_TRUE(IsInFront(probe.pid()));
    }
}

TEST_F(X11Platform, WindowSearchSurvivesWindowsVanishingMeanwhile) {
    // Windows of this process come and go while another connection searches the display,
    // as when a message box has just been closed before the source application is looked
    // for. Each search must simply not list what has gone.
    Probe probe(processes);
    ASSERT_TRUE(waitFor([&] { return !session->FindWindowsOfProcess(probe.pid()).empty(); }, 5000));
    const int32_t self = static_cast<int32_t>(QCoreApplication::applicationPid());
    for (int round = 0; round < 25; ++round) {
        std::vector<std::unique_ptr<QWidget>> passing;
        for (int i = 0; i < 6; ++i) {
            passing.push_back(std::make_unique<QWidget>());
            passing.back()->resize(80, 40);
            passing.back()->show();
        }
        QCoreApplication::processEvents();
        passing.clear(); // destroyed by the server while the searches below run
        QCoreApplication::processEvents();
        for (int search = 0; search < 3; ++search) {
            EXPECT_EQ(session->FindWindowsOfProcess(probe.pid()).size(), 1u);
            session->FindWindowsOfProcess(self);
        }
    }
}

TEST_F(X11Platform, FocusOwnWindowBringsTheWindowBack) {
    QWidget own;
    own.setWindowTitle(QStringLiteral("own window"));
    own.resize(200, 100);
    own.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&own));
    QString error;
    ASSERT_TRUE(desktop.FocusOwnWindow(&own, &error)) << error.toStdString();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &own; }, 3000));

    Probe probe(processes);
    ASSERT_TRUE(desktop.ActivateTask(probe.pid(), &error)) << error.toStdString();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == nullptr; }, 3000));

    ASSERT_TRUE(desktop.FocusOwnWindow(&own, &error)) << error.toStdString();
    EXPECT_EQ(FrontWindow(), static_cast<XdoSession::WindowId>(own.winId()));
    EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == &own; }, 3000));

    // Keys now go to this window, not to the probe.
    ASSERT_TRUE(desktop.SendKeys(QStringLiteral("%p"), false, &error)) << error.toStdString();
    QThread::msleep(200);
    EXPECT_TRUE(probe.Keys().isEmpty());
}

TEST_F(X11Platform, FocusOwnWindowRefusesWhatCannotBeShown) {
    QWidget hidden;
    QString error;
    EXPECT_FALSE(desktop.FocusOwnWindow(&hidden, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(desktop.FocusOwnWindow(nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
