// Capture through the source application: starting it, bringing its window to the front,
// typing its access key, waiting until it has put its picture on the clipboard, and
// starting it again when it has gone. The main window's handlers call it and carry out the
// step it returns (paste now, paste when Timer1 fires, restart, end the program).
#pragma once

#include <QString>
#include <chrono>

class QWidget;
struct PlatformServices;
struct SettingsModule;

// What the main window does after a step of the capture.
enum class CaptureStep {
    Nothing,    // the capture ends here
    PasteNow,   // paste the clipboard's picture and reset the measurement
    PasteLater, // start Timer1 with NoWaitDelay: the paste follows when it fires
    Restart,    // the source application is gone: RestartSourceApp
    EndProgram, // the relaunched source application cannot be reached: unload the window
};

class SourceAppCapture {
public:
    // How long a capture that waits gives the source application to put its picture on the
    // clipboard, counted from the moment it has read the keys. A program that never copies
    // anything costs the user this long, once.
    static constexpr std::chrono::milliseconds kPictureBound{5000};

    SourceAppCapture(SettingsModule& settings, PlatformServices& platform);

    // Starts SourceAppPath (no arguments, no shell) and keeps its task id in
    // SourceAppTaskId. When it cannot be started the user is told why, in one message over
    // `window`, SourceAppTaskId becomes 0 and false is returned; the program goes on.
    bool Launch(QWidget* window);

    // The capture: bring the source application to the front and type its access key; then
    // the paste, at once (having waited for the picture) or after NoWaitDelay. Restart when
    // its window cannot be activated.
    CaptureStep Capture(QWidget* window);

    // The source application has gone: tell the user, start it again and capture through
    // it. EndProgram when the new one cannot be activated either.
    CaptureStep Restart(QWidget* window);

    // Messages, as the user reads them.
    static QString RestartMessage();
    static QString CannotContinueMessage();
    static QString NeedsX11Message();
    static QString CannotStartMessage(const QString& why);

private:
    bool Activate();
    CaptureStep SendAccessKey(QWidget* window);
    bool DesktopUsable(QWidget* window);

    SettingsModule& settings_;
    PlatformServices& platform_;
};
