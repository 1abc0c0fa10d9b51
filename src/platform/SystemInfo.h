// Facts about the desktop the program runs on: screen, resolution, double-click time.
#pragma once

#include <QRect>

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;

    // The system double-click time in milliseconds.
    virtual int DoubleClickTime() const = 0;
    // The screen area windows may use, in logical pixels.
    virtual QRect ScreenRect() const = 0;
    // Twips (1/1440 inch of the screen's logical resolution) per logical pixel:
    // 15 at 96 dpi.
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
};
