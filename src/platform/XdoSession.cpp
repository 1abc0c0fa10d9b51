// Plain C++ over Xlib and libxdo; no Qt header may follow these includes.
#include "platform/XdoSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// libxdo's header declares C functions without an extern "C" guard of its own.
extern "C" {
#include <xdo.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Time between two key events of one sequence, in microseconds.
constexpr useconds_t kKeyDelayUs = 12000;

// --- X errors ---------------------------------------------------------------------------
//
// Windows of other programs can vanish at any moment, and Xlib's default error handler ends
// the program on the resulting BadWindow. While an ErrorTrap exists, errors on its
// connection are counted instead; errors of other connections go to the handler that was
// there before (the toolkit's own).

Display* trappedDisplay = nullptr;
int trapDepth = 0;
int trappedErrors = 0;
XErrorHandler previousHandler = nullptr;

int countError(Display* display, XErrorEvent* event) {
    if (display == trappedDisplay) {
        ++trappedErrors;
        return 0;
    }
    return previousHandler ? previousHandler(display, event) : 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display)
        : display_(display) {
        if (trapDepth++ == 0) {
            XSync(display_, False); // errors of earlier requests are not ours to count
            trappedDisplay = display_;
            trappedErrors = 0;
            previousHandler = XSetErrorHandler(countError);
        }
        errorsBefore_ = trappedErrors;
    }
    ~ErrorTrap() {
        if (--trapDepth == 0) {
            XSync(display_, False);
            XSetErrorHandler(previousHandler);
            trappedDisplay = nullptr;
            previousHandler = nullptr;
        }
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // True when a request made since the trap was set failed.
    bool Failed() {
        XSync(display_, False);
        return trappedErrors != errorsBefore_;
    }

private:
    Display* display_;
    int errorsBefore_ = 0;
};

// --- properties -------------------------------------------------------------------------

// A property of 32-bit items (Xlib hands them out as longs).
std::vector<unsigned long> property32(Display* display, Window window, Atom property, Atom type) {
    std::vector<unsigned long> values;
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int rc = XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType,
                                      &actualFormat, &count, &remaining, &data);
    if (rc == Success && data != nullptr && actualFormat == 32 &&
        (type == AnyPropertyType || actualType == type)) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return values;
}

bool hasProperty(Display* display, Window window, Atom property) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int rc = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType,
                                      &actualType, &actualFormat, &count, &remaining, &data);
    if (data != nullptr) {
        XFree(data);
    }
    return rc == Success && actualType != None;
}

Window parentOf(Display* display, Window window, Window* root) {
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, root, &parent, &children, &count)) {
        return 0;
    }
    if (children != nullptr) {
        XFree(children);
    }
    return parent;
}

void sleepFor(milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace

struct XdoSession::State {
    Display* display = nullptr;
    xdo_t* xdo = nullptr;
    std::string displayName;
    bool hasXTest = false;
    unsigned long pingSerial = 0;

    Atom wmState = None;
    Atom wmProtocols = None;
    Atom netWmPing = None;
    Atom netWmPid = None;
    Atom netActiveWindow = None;
    Atom netSupported = None;
    Atom netSupportingWmCheck = None;

    ~State() {
        if (xdo != nullptr) {
            xdo_free(xdo); // leaves the display open: it was handed over, not opened by xdo
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    Window Root() const { return DefaultRootWindow(display); }

    // The top-level client window `window` belongs to (itself or an ancestor): the one with
    // WM_STATE under a window manager, the child of the root without one. 0 when none.
    Window ClientOf(Window window) {
        for (int depth = 0; window != 0 && window != Root() && depth < 64; ++depth) {
            if (hasProperty(display, window, wmState)) {
                return window;
            }
            Window root = 0;
            const Window parent = parentOf(display, window, &root);
            if (parent == 0) {
                return 0;
            }
            if (parent == root) {
                return window;
            }
            window = parent;
        }
        return 0;
    }
};

XdoSession::XdoSession(std::unique_ptr<State> state)
    : d_(std::move(state)) {}

XdoSession::~XdoSession() = default;

std::unique_ptr<XdoSession> XdoSession::Connect(const char* name, std::string* error) {
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        if (error) {
            *error = std::string("window activation and keystrokes need an X11 display, and "
                                 "the display \"") +
                     (name ? name : "") + "\" could not be opened";
        }
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->display = display;
    state->displayName = DisplayString(display);
    state->xdo = xdo_new_with_opened_display(display, nullptr, False);
    if (state->xdo == nullptr) {
        if (error) {
            *error = "libxdo could not use the X11 display \"" + state->displayName + "\"";
        }
        return nullptr;
    }
    state->xdo->quiet = True;
    // libxdo types keys into the focused window through XTest (its own feature flag for it
    // is never set, so ask the server).
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    state->hasXTest = XQueryExtension(display, "XTEST", &opcode, &firstEvent, &firstError);

    state->wmState = XInternAtom(display, "WM_STATE", False);
    state->wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    state->netWmPing = XInternAtom(display, "_NET_WM_PING", False);
    state->netWmPid = XInternAtom(display, "_NET_WM_PID", False);
    state->netActiveWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    state->netSupported = XInternAtom(display, "_NET_SUPPORTED", False);
    state->netSupportingWmCheck = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    return std::unique_ptr<XdoSession>(new XdoSession(std::move(state)));
}

std::unique_ptr<XdoSession> XdoSession::Open(std::string* error) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        if (error) {
            *error = "window activation and keystrokes need an X11 display (X11 or XWayland), "
                     "and DISPLAY is not set";
        }
        return nullptr;
    }
    return Connect(name, error);
}

std::unique_ptr<XdoSession> XdoSession::OpenSameServerAs(void* xlibDisplay, std::string* error) {
    if (xlibDisplay == nullptr) {
        return Open(error);
    }
    return Connect(DisplayString(static_cast<Display*>(xlibDisplay)), error);
}

std::string XdoSession::DisplayName() const {
    return d_->displayName;
}

bool XdoSession::CanSendKeys() const {
    return d_->hasXTest;
}

bool XdoSession::HasWindowManager() {
    ErrorTrap trap(d_->display);
    const auto check = property32(d_->display, d_->Root(), d_->netSupportingWmCheck, XA_WINDOW);
    if (check.empty() || check.front() == 0) {
        return false;
    }
    // A window manager that died leaves the root's property behind, naming a window that is
    // gone or no longer points to itself.
    const auto self = property32(d_->display, check.front(), d_->netSupportingWmCheck, XA_WINDOW);
    if (trap.Failed() || self.empty() || self.front() != check.front()) {
        return false;
    }
    const auto supported = property32(d_->display, d_->Root(), d_->netSupported, XA_ATOM);
    return std::find(supported.begin(), supported.end(), d_->netActiveWindow) != supported.end();
}

std::vector<XdoSession::WindowId> XdoSession::FindWindowsOfProcess(int pid) {
    std::vector<WindowId> found;
    if (pid <= 0) {
        return found; // pid 0 would match every window that does not name its process
    }
    // Our own walk over the window tree rather than xdo_search_windows(): when a window
    // vanishes during that search (a message box just closed, a program ending), libxdo reads
    // the item count of a property it could not get and frees that property twice.
    ErrorTrap trap(d_->display);
    CollectWindowsOfProcess(d_->Root(), pid, 0, &found);
    return found;
}

// Depth first, each level in stacking order (bottom first, as XQueryTree lists it), so the
// client windows come out in the stacking order of their frames. A window that has gone
// meanwhile answers nothing and is passed over; so is everything not viewable and every
// override-redirect pop-up. A top-level client window ends the descent.
void XdoSession::CollectWindowsOfProcess(WindowId parent, int pid, int depth,
                                         std::vector<WindowId>* found) {
    constexpr int kMaxDepth = 8; // root, frame, client and a few wrappers at most
    Window root = 0;
    Window parentOfParent = 0;
    Window* listed = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d_->display, parent, &root, &parentOfParent, &listed, &count)) {
        return;
    }
    const std::vector<Window> children(listed, listed + count);
    if (listed != nullptr) {
        XFree(listed);
    }
    for (const Window child : children) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(d_->display, child, &attributes) ||
            attributes.override_redirect || attributes.map_state != IsViewable) {
            continue;
        }
        const bool managed = hasProperty(d_->display, child, d_->wmState);
        const auto pids = property32(d_->display, child, d_->netWmPid, XA_CARDINAL);
        if (!pids.empty() && static_cast<int>(pids.front()) == pid &&
            d_->ClientOf(child) == child) {
            found->push_back(child);
        } else if (!managed && depth + 1 < kMaxDepth) {
            CollectWindowsOfProcess(child, pid, depth + 1, found);
        }
    }
}

int XdoSession::WindowPid(WindowId window) {
    ErrorTrap trap(d_->display);
    const auto pid = property32(d_->display, window, d_->netWmPid, XA_CARDINAL);
    return pid.empty() ? 0 : static_cast<int>(pid.front());
}

XdoSession::WindowId XdoSession::ActiveWindow() {
    ErrorTrap trap(d_->display);
    const auto active = property32(d_->display, d_->Root(), d_->netActiveWindow, XA_WINDOW);
    return active.empty() ? 0 : active.front();
}

XdoSession::WindowId XdoSession::FocusedClientWindow() {
    ErrorTrap trap(d_->display);
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(d_->display, &focus, &revertTo);
    if (focus == None || focus == PointerRoot) {
        return 0;
    }
    return d_->ClientOf(focus);
}

bool XdoSession::ActivateThroughWindowManager(WindowId window, milliseconds bound) {
    // The EWMH request itself rather than xdo_activate_window(): that one reads the window's
    // attributes without checking that the window still exists and leaks the root's
    // _NET_SUPPORTED list on every call. Source indication 2 (a pager) asks for the window
    // to be activated whatever the focus-stealing rules.
    {
        ErrorTrap trap(d_->display);
        XEvent request;
        std::memset(&request, 0, sizeof request);
        request.xclient.type = ClientMessage;
        request.xclient.window = window;
        request.xclient.message_type = d_->netActiveWindow;
        request.xclient.format = 32;
        request.xclient.data.l[0] = 2;
        request.xclient.data.l[1] = CurrentTime;
        request.xclient.data.l[2] = 0;
        XSendEvent(d_->display, d_->Root(), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &request);
        if (trap.Failed()) {
            return false;
        }
    }
    // xdo_wait_for_window_active() would poll for up to 15 s and then report success
    // anyway; this wait has its own bound and says whether the window became active.
    const auto deadline = Clock::now() + bound;
    for (;;) {
        if (ActiveWindow() == window) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        sleepFor(milliseconds(10));
    }
}

bool XdoSession::RaiseAndFocus(WindowId window) {
    ErrorTrap trap(d_->display);
    // Raise what sits directly on the root: the frame when a window manager has one.
    Window top = window;
    for (int depth = 0; depth < 64; ++depth) {
        Window root = 0;
        const Window parent = parentOf(d_->display, top, &root);
        if (parent == 0 || parent == root) {
            break;
        }
        top = parent;
    }
    XRaiseWindow(d_->display, top);
    XSetInputFocus(d_->display, window, RevertToParent, CurrentTime);
    if (trap.Failed()) {
        return false;
    }
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(d_->display, &focus, &revertTo);
    return focus == window;
}

bool XdoSession::SendKeySequence(const std::string& sequence) {
    if (!CanSendKeys()) {
        return false;
    }
    ErrorTrap trap(d_->display);
    const int rc =
        xdo_send_keysequence_window(d_->xdo, CURRENTWINDOW, sequence.c_str(), kKeyDelayUs);
    return rc == XDO_SUCCESS && !trap.Failed();
}

void XdoSession::Sync() {
    XSync(d_->display, False);
}

bool XdoSession::ModifierKeysDown() {
    charcodemap_t* keys = nullptr;
    int count = 0;
    xdo_get_active_modifiers(d_->xdo, &keys, &count);
    std::free(keys);
    return count > 0;
}

void XdoSession::ReleaseModifierKeys() {
    if (!CanSendKeys()) {
        return;
    }
    ErrorTrap trap(d_->display);
    charcodemap_t* keys = nullptr;
    int count = 0;
    xdo_get_active_modifiers(d_->xdo, &keys, &count);
    if (count > 0) {
        xdo_clear_active_modifiers(d_->xdo, CURRENTWINDOW, keys, count);
    }
    std::free(keys);
    XSync(d_->display, False);
}

XdoSession::PingResult XdoSession::Ping(WindowId window, milliseconds bound) {
    Display* display = d_->display;
    const Window root = d_->Root();
    {
        ErrorTrap trap(display);
        const auto protocols = property32(display, window, d_->wmProtocols, XA_ATOM);
        if (trap.Failed()) {
            return PingResult::WindowGone;
        }
        if (std::find(protocols.begin(), protocols.end(), d_->netWmPing) == protocols.end()) {
            return PingResult::NotSupported;
        }
    }

    // The answer comes as the same message sent to the root window, with the event mask
    // SubstructureRedirect plus StructureNotify (Qt) or SubstructureNotify (GTK, EWMH's own
    // example); it reaches every client that selects one of those on the root. The window
    // manager holds SubstructureRedirect; this connection listens with both notify masks
    // for as long as the ping lasts and takes only its own answer, recognised by the
    // timestamp field (any value is echoed back unchanged).
    const unsigned long stamp =
        (static_cast<unsigned long>(std::time(nullptr)) * 1000UL + ++d_->pingSerial) & 0xffffffffUL;
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    XSync(display, True); // drop whatever this connection had queued before

    XEvent ping;
    std::memset(&ping, 0, sizeof ping);
    ping.xclient.type = ClientMessage;
    ping.xclient.window = window;
    ping.xclient.message_type = d_->wmProtocols;
    ping.xclient.format = 32;
    ping.xclient.data.l[0] = static_cast<long>(d_->netWmPing);
    ping.xclient.data.l[1] = static_cast<long>(stamp);
    ping.xclient.data.l[2] = static_cast<long>(window);

    PingResult result = PingResult::TimedOut;
    {
        ErrorTrap trap(display);
        // Told when the window goes away while its program is asked.
        XSelectInput(display, window, StructureNotifyMask);
        XSendEvent(display, window, False, NoEventMask, &ping);
        if (trap.Failed()) {
            result = PingResult::WindowGone;
        }
    }

    const auto deadline = Clock::now() + bound;
    while (result == PingResult::TimedOut) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == d_->wmProtocols &&
                event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == d_->netWmPing &&
                (static_cast<unsigned long>(event.xclient.data.l[1]) & 0xffffffffUL) == stamp &&
                static_cast<Window>(event.xclient.data.l[2]) == window) {
                result = PingResult::Answered;
                break;
            }
            if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
                result = PingResult::WindowGone;
                break;
            }
        }
        if (result != PingResult::TimedOut) {
            break;
        }
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        if (::poll(&connection, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            break;
        }
    }

    {
        ErrorTrap trap(display);
        XSelectInput(display, window, NoEventMask);
        XSelectInput(display, root, NoEventMask);
    }
    XSync(display, True);
    return result;
}
