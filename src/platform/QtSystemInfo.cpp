#include "platform/QtSystemInfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>

namespace {

double twipsPerPixel(qreal dpi) {
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

} // namespace

int QtSystemInfo::DoubleClickTime() const {
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

QRect QtSystemInfo::ScreenRect() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

double QtSystemInfo::TwipsPerPixelX() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96.0);
}

double QtSystemInfo::TwipsPerPixelY() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96.0);
}
