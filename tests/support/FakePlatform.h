// Fake platform services for window tests: scripted answers, recorded calls.
#pragma once

#include "platform/Clipboard.h"
#include "platform/Desktop.h"
#include "platform/FileDialogBackend.h"
#include "platform/MessageService.h"
#include "platform/PlatformServices.h"
#include "platform/ProcessService.h"
#include "platform/SystemInfo.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>

class FakeFileDialogs : public IFileDialogBackend {
public:
    // Answers given in order; an empty deque answers "cancelled".
    std::deque<std::optional<QString>> answers;
    QList<FileDialogRequest> requests;

    std::optional<QString> Run(QWidget*, const FileDialogRequest& request) override {
        requests.append(request);
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeProcesses : public IProcessService {
public:
    struct Launched {
        QString program;
        QStringList arguments;
    };
    QList<Launched> launched;
    bool failLaunch = false;
    int32_t nextTaskId = 4242;
    QSet<int32_t> running;

    int32_t Launch(const QString& program, const QStringList& arguments, QString* error) override {
        launched.append({program, arguments});
        if (failLaunch) {
            if (error) {
                *error = QStringLiteral("cannot start %1").arg(program);
            }
            return 0;
        }
        const int32_t id = nextTaskId++;
        running.insert(id);
        return id;
    }
    bool IsRunning(int32_t taskId) override { return running.contains(taskId); }
};

class FakeDesktop : public IDesktop {
public:
    bool available = true;
    bool keysFail = false;
    QSet<int32_t> windows; // task ids that have a window to activate
    QList<int32_t> activated;
    QList<QPair<QString, bool>> keysSent;
    int ownFocusCount = 0;
    // What the window that receives the keys does with them (a source application copies
    // its picture).
    std::function<void(const QString&)> onKeys;

    bool IsAvailable() const override { return available; }
    bool ActivateTask(int32_t taskId, QString* error) override {
        if (!available || !windows.contains(taskId)) {
            if (error) {
                *error = QStringLiteral("no window");
            }
            return false;
        }
        activated.append(taskId);
        return true;
    }
    bool SendKeys(const QString& notation, bool wait, QString*) override {
        keysSent.append({notation, wait});
        if (!available || keysFail) {
            return false;
        }
        if (onKeys) {
            onKeys(notation);
        }
        return true;
    }
    bool FocusOwnWindow(QWidget*, QString*) override {
        ++ownFocusCount;
        return available;
    }
};

class FakeClipboard : public IClipboard {
public:
    bool bitmap = false;
    bool dib = false;
    QImage image;
    uint64_t serial = 0;
    mutable int bitmapReads = 0;
    QList<std::chrono::milliseconds> waits; // the bound of every wait for a new image
    // Runs while the program waits for a new image (a source application copying late).
    std::function<void()> whileWaiting;

    // Another program copies `picture`.
    void Put(const QImage& picture) {
        image = picture;
        bitmap = true;
        ++serial;
    }

    bool HasBitmap() const override { return bitmap; }
    bool HasDeviceIndependentBitmap() const override { return dib; }
    QImage Bitmap() const override {
        ++bitmapReads;
        return (bitmap || dib) ? image : QImage();
    }
    uint64_t ChangeSerial() const override { return serial; }
    bool WaitForImageSince(uint64_t since, std::chrono::milliseconds bound) override {
        waits.append(bound);
        if (whileWaiting) {
            whileWaiting();
        }
        return serial > since && (bitmap || dib);
    }
};

class FakeSystemInfo : public ISystemInfo {
public:
    int doubleClickTime = 400;
    QRect screen{0, 0, 1920, 1080};
    double twipsX = 15.0;
    double twipsY = 15.0;

    int DoubleClickTime() const override { return doubleClickTime; }
    QRect ScreenRect() const override { return screen; }
    double TwipsPerPixelX() const override { return twipsX; }
    double TwipsPerPixelY() const override { return twipsY; }
};

class FakeMessages : public IMessageService {
public:
    struct Shown {
        QString text;
        QString title;
    };
    QList<Shown> shown;
    int beeps = 0;

    void ShowMessage(QWidget*, const QString& text, const QString& title) override {
        shown.append({text, title});
    }
    void Beep() override { ++beeps; }
};

// All fakes together, with the PlatformServices view the windows take.
struct FakePlatform {
    FakeFileDialogs fileDialogs;
    FakeProcesses processes;
    FakeDesktop desktop;
    FakeClipboard clipboard;
    FakeSystemInfo system;
    FakeMessages messages;
    PlatformServices services{fileDialogs, processes, desktop, clipboard, system, messages};
};
