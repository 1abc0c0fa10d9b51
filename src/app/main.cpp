// Linealis: measure distances on raster images.
#include "mainwindow/Form1.h"
#include "platform/LinuxProcessService.h"
#include "platform/PlatformServices.h"
#include "platform/QtClipboard.h"
#include "platform/QtFileDialogBackend.h"
#include "platform/QtMessageService.h"
#include "platform/QtSystemInfo.h"
#include "platform/X11Desktop.h"
#include "settings/SettingsModule.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Activating another program's window and typing keys into it need X11; under Wayland
    // the program runs through XWayland.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("linealis"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setOrganizationName(QString());

    QtFileDialogBackend fileDialogs;
    LinuxProcessService processes;
    X11Desktop desktop;
    QtClipboard clipboard;
    QtSystemInfo system;
    QtMessageService messages;
    PlatformServices platform{fileDialogs, processes, desktop, clipboard, system, messages};

    SettingsModule settings;
    settings.IniPath = DefaultIniPath();

    Form1 window(settings, platform);
    if (!window.Form_Load()) {
        return 0;
    }
    window.show();
    return app.exec();
}
