// The X11 side of window activation and synthetic keystrokes: a connection of its own to
// the X server, libxdo for finding windows and typing keys through XTest, EWMH requests for
// activation, and the _NET_WM_PING round trip that tells when a window's program has read
// its input.
// This header names no Xlib or libxdo type: their macros (Status, Bool, None, ...) break
// Qt's headers, so only XdoSession.cpp includes them.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class XdoSession {
public:
    using WindowId = unsigned long; // an X11 window (XID); 0 is none

    // Connects to the X server named by $DISPLAY. Null when that fails; then `error` says
    // why.
    static std::unique_ptr<XdoSession> Open(std::string* error);
    // Connects again to the server of an open Xlib connection (the toolkit's own `Display*`),
    // so that window ids are shared with it.
    static std::unique_ptr<XdoSession> OpenSameServerAs(void* xlibDisplay, std::string* error);

    ~XdoSession();
    XdoSession(const XdoSession&) = delete;
    XdoSession& operator=(const XdoSession&) = delete;

    std::string DisplayName() const;

    // True when the server can synthesise key presses (the XTEST extension).
    bool CanSendKeys() const;

    // True when an EWMH window manager runs and handles activation requests: the root window
    // names a live _NET_SUPPORTING_WM_CHECK window and lists _NET_ACTIVE_WINDOW as
    // supported.
    bool HasWindowManager();

    // The viewable top-level windows whose _NET_WM_PID is `pid`: client windows the window
    // manager manages, or children of the root when none runs; never override-redirect
    // pop-ups. Listed in stacking order, bottom first. Empty for `pid` <= 0.
    std::vector<WindowId> FindWindowsOfProcess(int pid);

    // _NET_WM_PID of `window`, 0 when it has none.
    int WindowPid(WindowId window);

    // The window the window manager reports active (_NET_ACTIVE_WINDOW); 0 when none.
    WindowId ActiveWindow();
    // The top-level client window that holds the keyboard focus; 0 when none.
    WindowId FocusedClientWindow();

    // Asks the window manager to activate `window` (as a pager would, so that focus-stealing
    // rules do not apply) and waits up to `bound` until it reports the window active.
    bool ActivateThroughWindowManager(WindowId window, std::chrono::milliseconds bound);
    // Raises `window` and gives it the keyboard focus directly, for when no window manager
    // does it. True when the focus is there afterwards.
    bool RaiseAndFocus(WindowId window);

    // Presses and releases one key sequence in libxdo's syntax ("ctrl+p") through XTest, so
    // that it reaches the window with the focus like typed keys. False when a key could not
    // be mapped or sent.
    bool SendKeySequence(const std::string& sequence);
    // Returns when the server has processed every request sent so far, the keys included.
    void Sync();

    // True while a modifier key (Shift, Ctrl, Alt, ...) is held down.
    bool ModifierKeysDown();
    // Lets go of every modifier key held down, through XTest, so that the keys typed next
    // are not combined with them.
    void ReleaseModifierKeys();

    enum class PingResult {
        Answered,     // the window's program answered
        NotSupported, // the window does not take part in _NET_WM_PING
        WindowGone,   // the window no longer exists
        TimedOut,     // no answer within the bound
    };
    // One _NET_WM_PING round trip with `window`, waiting at most `bound`.
    PingResult Ping(WindowId window, std::chrono::milliseconds bound);

private:
    struct State;
    void CollectWindowsOfProcess(WindowId parent, int pid, int depth, std::vector<WindowId>* found);
    explicit XdoSession(std::unique_ptr<State> state);
    static std::unique_ptr<XdoSession> Connect(const char* displayName, std::string* error);
    std::unique_ptr<State> d_;
};
