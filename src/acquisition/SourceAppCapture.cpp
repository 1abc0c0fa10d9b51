#include "acquisition/SourceAppCapture.h"

#include "platform/Clipboard.h"
#include "platform/Desktop.h"
#include "platform/MessageService.h"
#include "platform/PlatformServices.h"
#include "platform/ProcessService.h"
#include "settings/SettingsModule.h"

SourceAppCapture::SourceAppCapture(SettingsModule& settings, PlatformServices& platform)
    : settings_(settings)
    , platform_(platform) {}

QString SourceAppCapture::RestartMessage() {
    return QStringLiteral("何らかの原因によりデータ元アプリケーションが閉じられていますので、"
                          "再起動します。");
}

QString SourceAppCapture::CannotContinueMessage() {
    return QStringLiteral("続行不可能なエラーのため処理を中断します");
}

QString SourceAppCapture::NeedsX11Message() {
    return QStringLiteral(
        "Capturing through the source application needs an X11 display (an X11 session, or "
        "XWayland in a Wayland session), and there is none.\n\nThe picture shown is kept.");
}

QString SourceAppCapture::CannotStartMessage(const QString& why) {
    return QStringLiteral("The source application could not be started:\n%1\n\nChoose the "
                          "program under Edit > Options > Change > Browse; the next capture "
                          "starts it.")
        .arg(why);
}

bool SourceAppCapture::Launch(QWidget* window) {
    QString error;
    settings_.SourceAppTaskId = platform_.processes.Launch(settings_.SourceAppPath, {}, &error);
    if (settings_.SourceAppTaskId != 0) {
        return true;
    }
    platform_.messages.ShowMessage(window, CannotStartMessage(error));
    return false;
}

CaptureStep SourceAppCapture::Capture(QWidget* window) {
    if (!DesktopUsable(window)) {
        return CaptureStep::Nothing;
    }
    if (!Activate()) {
        return CaptureStep::Restart;
    }
    return SendAccessKey(window);
}

CaptureStep SourceAppCapture::Restart(QWidget* window) {
    if (!DesktopUsable(window)) {
        return CaptureStep::Nothing;
    }
    // A source application that never started (its launch has already been reported) was
    // not closed: it is simply started now.
    if (settings_.SourceAppTaskId != 0) {
        platform_.messages.ShowMessage(window, RestartMessage());
    }
    if (!Launch(window)) {
        return CaptureStep::Nothing; // told why; the path can be chosen again in the options
    }
    if (!Activate()) {
        platform_.messages.ShowMessage(window, CannotContinueMessage());
        return CaptureStep::EndProgram;
    }
    return SendAccessKey(window);
}

bool SourceAppCapture::DesktopUsable(QWidget* window) {
    if (platform_.desktop.IsAvailable()) {
        return true;
    }
    platform_.messages.ShowMessage(window, NeedsX11Message());
    return false;
}

// The task id names exactly the program started: one that has ended is never activated,
// even when another process has meanwhile got its id.
bool SourceAppCapture::Activate() {
    const int32_t taskId = settings_.SourceAppTaskId;
    return taskId != 0 && platform_.processes.IsRunning(taskId) &&
           platform_.desktop.ActivateTask(taskId);
}

// From here on a step that fails is passed over and the next one runs: the paste comes
// whatever the keys did.
CaptureStep SourceAppCapture::SendAccessKey(QWidget* window) {
    IDesktop& desktop = platform_.desktop;
    switch (settings_.NoWait) {
    case 0: {
        // Waiting means: the source application has read the keys, and then has put a new
        // picture on the clipboard. A program that did not even take the keys will not copy
        // anything, so only then is the clipboard waited for.
        const uint64_t before = platform_.clipboard.ChangeSerial();
        if (desktop.SendKeys(settings_.AccessKeyNotation, true)) {
            platform_.clipboard.WaitForImageSince(before, kPictureBound);
        }
        desktop.FocusOwnWindow(window);
        return CaptureStep::PasteNow;
    }
    case 1:
        desktop.SendKeys(settings_.AccessKeyNotation, false);
        // A delay of 0 starts no timer: the keys go out and nothing is pasted.
        return settings_.NoWaitDelay > 0 ? CaptureStep::PasteLater : CaptureStep::Nothing;
    default:
        return CaptureStep::Nothing;
    }
}
