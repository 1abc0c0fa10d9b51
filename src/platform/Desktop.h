// Window activation and synthetic keystrokes: the services that drive another program's
// window. On Linux they need an X11 display (XWayland included).
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

class IDesktop {
public:
    virtual ~IDesktop() = default;

    // True when activation and keystrokes can work at all (an X11 display is open).
    virtual bool IsAvailable() const = 0;

    // Brings the top-level window of the process `taskId` to the front and gives it the
    // keyboard focus. False (with `error`) when no window of that process can be found or
    // activated.
    virtual bool ActivateTask(int32_t taskId, QString* error = nullptr) = 0;

    // Types `notation` ("+" Shift, "^" Ctrl, "%" Alt for the next letter only, then letters)
    // into the window that has the focus. With `wait`, returns only after the receiving
    // program has handled the keys, or when a bounded wait has run out (then false).
    virtual bool SendKeys(const QString& notation, bool wait, QString* error = nullptr) = 0;

    // Brings `window` (one of this program's top-level windows) back to the front with the
    // keyboard focus.
    virtual bool FocusOwnWindow(QWidget* window, QString* error = nullptr) = 0;
};
