#include "mainwindow/TopRightPlacement.h"

#include "platform/SystemInfo.h"

#include <QWidget>
#include <QWindow>

QMargins TopRightPlacement::FrameMargins() const {
    // Asked of the window itself: the window manager frames it some time after it is shown.
    const QWindow* window = window_.windowHandle();
    return (window != nullptr && window_.isVisible()) ? window->frameMargins() : QMargins();
}

QSize TopRightPlacement::OuterSize() const {
    return window_.size().grownBy(FrameMargins());
}

void TopRightPlacement::SetOuterSize(QSize outer) {
    window_.resize(outer.shrunkBy(FrameMargins()));
}

void TopRightPlacement::FitToScreen() {
    const QRect screen = system_.ScreenRect();
    QSize outer = OuterSize();
    if (screen.height() < outer.height()) {
        outer.setHeight(screen.height());
        SetOuterSize(outer);
    }
    if (screen.width() < outer.width()) {
        outer.setWidth(screen.width());
        SetOuterSize(outer);
    }
    PlaceTopRight();
}

void TopRightPlacement::PlaceTopRight() {
    const QRect screen = system_.ScreenRect();
    const QMargins frame = FrameMargins();
    const QPoint framePos(screen.x() + screen.width() - OuterSize().width(), screen.y());
    // move() puts the client area where its own idea of the frame says; that idea may lag
    // behind the window manager, so aim the client area directly.
    const QPoint clientPos = framePos + QPoint(frame.left(), frame.top());
    window_.move(clientPos - (window_.geometry().topLeft() - window_.pos()));
}

bool TopRightPlacement::FollowFrame() {
    if (!window_.isVisible()) {
        return false;
    }
    const QMargins frame = FrameMargins();
    if (frame == lastFrame_) {
        return false;
    }
    lastFrame_ = frame;
    FitToScreen();
    return true;
}
