// Screen, resolution and double-click time from the toolkit.
#pragma once

#include "platform/SystemInfo.h"

class QtSystemInfo : public ISystemInfo {
public:
    int DoubleClickTime() const override;
    QRect ScreenRect() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
};
