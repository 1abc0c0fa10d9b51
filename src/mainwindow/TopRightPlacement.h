// Keeps a top-level window within the screen and at its top-right corner, counting the
// frame that the window manager puts around it. The frame is known only some time after
// the window is shown, so the fit is done again whenever it changes.
#pragma once

#include <QMargins>
#include <QSize>

class ISystemInfo;
class QWidget;

class TopRightPlacement {
public:
    TopRightPlacement(QWidget& window, ISystemInfo& system)
        : window_(window)
        , system_(system) {}

    // The frame around the window as the window manager has it now (none before showing).
    QMargins FrameMargins() const;
    // The window's size with its frame.
    QSize OuterSize() const;
    void SetOuterSize(QSize outer);
    // Shrinks the window to the screen where it is larger, then places it top right.
    void FitToScreen();
    void PlaceTopRight();
    // Fits and places the window again when its frame has changed since the last fit; true
    // when it did.
    bool FollowFrame();

private:
    QWidget& window_;
    ISystemInfo& system_;
    QMargins lastFrame_{-1, -1, -1, -1}; // the frame last fitted to the screen
};
