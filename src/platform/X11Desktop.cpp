#include "platform/X11Desktop.h"

#include "platform/KeyNotation.h"
#include "platform/XdoSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

bool fail(QString* error, const QString& why) {
    if (error) {
        *error = why;
    }
    return false;
}

struct ProcessState {
    bool alive = false;  // exists and has not ended (a zombie has ended)
    milliseconds age{0}; // time since it started
};

// What /proc says about `pid`. Only used to stop looking early for the window of a program
// that has gone and to give a program that just started time to show its window; a reused
// id can at worst make the search wait its full bound.
ProcessState processState(int32_t pid) {
    ProcessState state;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return state;
    }
    const QByteArray text = stat.readAll();
    // "pid (name) S ppid ...": the name may hold blanks and parentheses, the rest follows
    // the last ')'. Field 3 is the state, field 22 the start in clock ticks after boot.
    const qsizetype nameEnd = text.lastIndexOf(')');
    if (nameEnd < 0) {
        return state;
    }
    const QList<QByteArray> fields = text.mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() < 20 || fields[0].isEmpty()) {
        return state;
    }
    const char status = fields[0].at(0);
    state.alive = status != 'Z' && status != 'X' && status != 'x';
    bool ok = false;
    const qulonglong startTicks = fields[19].toULongLong(&ok);
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec now{};
    if (ok && ticksPerSecond > 0 && ::clock_gettime(CLOCK_BOOTTIME, &now) == 0) {
        const double started = static_cast<double>(startTicks) / ticksPerSecond;
        const double current = static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
        state.age = milliseconds(static_cast<long long>((current - started) * 1000.0));
    }
    return state;
}

QString fromStd(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

X11Desktop::X11Desktop() {
    std::string why;
    void* toolkitDisplay = nullptr;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            toolkitDisplay = x11->display();
        }
    }
    session_ = toolkitDisplay ? XdoSession::OpenSameServerAs(toolkitDisplay, &why)
                              : XdoSession::Open(&why);
    if (!session_) {
        unavailable_ = fromStd(why);
    }
}

X11Desktop::~X11Desktop() = default;

bool X11Desktop::IsAvailable() const {
    return session_ != nullptr;
}

bool X11Desktop::ActivateTask(int32_t taskId, QString* error) {
    if (!session_) {
        return fail(error, unavailable_);
    }
    if (taskId <= 0) {
        return fail(error, QStringLiteral("%1 is not the task id of a program").arg(taskId));
    }

    // A window appears some time after its program starts; look again in short steps.
    QElapsedTimer searching;
    searching.start();
    const ProcessState atStart = processState(taskId);
    const milliseconds bound = std::max(kWindowSearchBound, kStartupGrace - atStart.age);
    std::vector<XdoSession::WindowId> windows;
    for (;;) {
        windows = session_->FindWindowsOfProcess(taskId);
        if (!windows.empty()) {
            break;
        }
        if (!processState(taskId).alive) {
            return fail(error,
                        QStringLiteral("no program with the task id %1 is running").arg(taskId));
        }
        if (searching.elapsed() >= bound.count()) {
            return fail(
                error,
                QStringLiteral("the program with the task id %1 shows no window").arg(taskId));
        }
        QThread::msleep(25);
    }

    // Of several windows, the one already active, else the one on top (the search lists
    // them in stacking order, bottom first).
    const XdoSession::WindowId active = session_->ActiveWindow();
    const XdoSession::WindowId window =
        std::find(windows.begin(), windows.end(), active) != windows.end() ? active
                                                                           : windows.back();
    if (session_->HasWindowManager() &&
        session_->ActivateThroughWindowManager(window, kActivationBound)) {
        return true;
    }
    // No window manager, or one that did not act: raise it and set the focus ourselves.
    if (session_->RaiseAndFocus(window)) {
        return true;
    }
    return fail(error, QStringLiteral("the window of the program with the task id %1 could "
                                      "not be activated")
                           .arg(taskId));
}

bool X11Desktop::SendKeys(const QString& notation, bool wait, QString* error) {
    if (!session_) {
        return fail(error, unavailable_);
    }
    QString parseError;
    const auto keys = ParseKeyNotation(notation, &parseError);
    if (!keys) {
        return fail(error, parseError);
    }
    if (!session_->CanSendKeys()) {
        return fail(error, QStringLiteral("the X server \"%1\" cannot synthesise keys (no XTEST "
                                          "extension)")
                               .arg(fromStd(session_->DisplayName())));
    }
    WaitUntilModifiersReleased();
    for (const QString& key : *keys) {
        if (!session_->SendKeySequence(key.toStdString())) {
            return fail(error, QStringLiteral("the key %1 could not be typed").arg(key));
        }
    }
    session_->Sync();
    return wait ? WaitUntilKeysHandled(error) : true;
}

// Keys typed through XTest combine with the keys held on the keyboard: typed while the user
// still holds the Ctrl of Ctrl+A, Alt+P would arrive as Ctrl+Alt+P. A person lets go within a
// moment; a modifier still down after kModifierReleaseBound is let go of here.
void X11Desktop::WaitUntilModifiersReleased() {
    QElapsedTimer waiting;
    waiting.start();
    while (session_->ModifierKeysDown()) {
        if (waiting.elapsed() >= kModifierReleaseBound.count()) {
            session_->ReleaseModifierKeys();
            return;
        }
        QThread::msleep(10);
    }
}

// "Handled" means: the receiving program's event loop has read the keys from its X
// connection and gone on to the next pass of its loop, having dispatched them.
//
// XSync above returns once the server has processed the XTest requests, so the key events
// are already in the receiver's event stream; a _NET_WM_PING sent now stands behind them, and
// an X client reads its events in order. Its answer says the receiver has read the keys.
// A toolkit, though, answers a ping the moment it reads it but hands the key events to its
// widgets only after the batch of events it is reading (Qt does), so that answer can come
// just before the keys reach the widget. A second ping, sent a moment after the first
// answer, is read in a later pass of the receiver's loop, after the keys were dispatched;
// its answer closes the wait. Both round trips together are bounded by kKeysHandledBound.
// What the program does later on its own (work on a timer or a thread) is beyond what X can
// tell.
//
// A window without _NET_WM_PING cannot be asked: then a short settle delay after XSync is
// all there is. Keys that went to a window of this very program are handled once control
// returns to its event loop; waiting here could only block it.
bool X11Desktop::WaitUntilKeysHandled(QString* error) {
    XdoSession::WindowId target = session_->ActiveWindow();
    if (target == 0) {
        target = session_->FocusedClientWindow();
    }
    if (target == 0 || session_->WindowPid(target) == QCoreApplication::applicationPid()) {
        QThread::msleep(static_cast<unsigned long>(kSettleDelay.count()));
        return true;
    }

    QElapsedTimer waiting;
    waiting.start();
    for (int round = 0; round < 2; ++round) {
        const milliseconds left(std::max<qint64>(0, kKeysHandledBound.count() - waiting.elapsed()));
        switch (session_->Ping(target, left)) {
        case XdoSession::PingResult::Answered:
            // Let the receiver finish the pass that read the keys before asking again.
            QThread::msleep(static_cast<unsigned long>(kPassGap.count()));
            break;
        case XdoSession::PingResult::NotSupported:
            QThread::msleep(static_cast<unsigned long>(kSettleDelay.count()));
            return true;
        case XdoSession::PingResult::WindowGone:
            return true; // the keys closed it, or it went on its own: nothing left to wait for
        case XdoSession::PingResult::TimedOut:
            return fail(error, QStringLiteral("the program that received the keys did not "
                                              "confirm them within %1 ms")
                                   .arg(kKeysHandledBound.count()));
        }
    }
    return true;
}

bool X11Desktop::FocusOwnWindow(QWidget* window, QString* error) {
    if (window == nullptr) {
        return fail(error, QStringLiteral("no window to bring to the front"));
    }
    QWidget* top = window->window();
    if (!top->isVisible()) {
        return fail(error, QStringLiteral("the window to bring to the front is not shown"));
    }
    bool done = true;
    QString why;
    // Only with the xcb platform is the window an X11 window this session can reach.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (!session_) {
            done = false;
            why = unavailable_;
        } else {
            const auto id = static_cast<XdoSession::WindowId>(top->winId());
            done = (session_->HasWindowManager() &&
                    session_->ActivateThroughWindowManager(id, kActivationBound)) ||
                   session_->RaiseAndFocus(id);
            if (!done) {
                why = QStringLiteral("the window could not be brought to the front");
            }
        }
    }
    top->raise();
    top->activateWindow();
    return done ? true : fail(error, why);
}
