// Window activation and synthetic keystrokes on an X11 display (XWayland included),
// through libxdo and EWMH; the X11 work itself is in XdoSession.
#pragma once

#include "platform/Desktop.h"

#include <chrono>
#include <memory>

class XdoSession;

class X11Desktop : public IDesktop {
public:
    // Connects to the X server the toolkit uses (with the xcb platform), else to $DISPLAY.
    // Without one the desktop is unavailable and every call fails with an explanation.
    X11Desktop();
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    // How long ActivateTask looks for the window of a program that has been running for a
    // while; a program started less than kStartupGrace ago gets until then to show one.
    static constexpr std::chrono::milliseconds kWindowSearchBound{2000};
    static constexpr std::chrono::milliseconds kStartupGrace{10000};
    // How long the window manager gets to report an activation before focus is set directly.
    static constexpr std::chrono::milliseconds kActivationBound{1000};
    // How long SendKeys with `wait` waits for the receiving program.
    static constexpr std::chrono::milliseconds kKeysHandledBound{2000};
    // The pause between the two pings that make sure the receiver dispatched the keys.
    static constexpr std::chrono::milliseconds kPassGap{10};
    // The pause after the keys for a receiver that cannot be asked (no _NET_WM_PING).
    static constexpr std::chrono::milliseconds kSettleDelay{100};
    // How long SendKeys gives the user to let go of modifier keys still held down (the Ctrl
    // of the shortcut that started it) before it lets go of them itself.
    static constexpr std::chrono::milliseconds kModifierReleaseBound{1000};

    bool IsAvailable() const override;
    bool ActivateTask(int32_t taskId, QString* error = nullptr) override;
    bool SendKeys(const QString& notation, bool wait, QString* error = nullptr) override;
    bool FocusOwnWindow(QWidget* window, QString* error = nullptr) override;

    // Why the desktop is unavailable; empty when it is available.
    QString UnavailableReason() const { return unavailable_; }

private:
    bool WaitUntilKeysHandled(QString* error);
    void WaitUntilModifiersReleased();

    std::unique_ptr<XdoSession> session_;
    QString unavailable_;
};
