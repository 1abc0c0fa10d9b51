// The system clipboard through the toolkit.
#pragma once

#include "platform/Clipboard.h"

#include <QObject>

class QtClipboard : public IClipboard {
public:
    // Needs the application object: it follows the clipboard's changes from here on.
    QtClipboard();

    bool HasBitmap() const override;
    bool HasDeviceIndependentBitmap() const override;
    QImage Bitmap() const override;
    uint64_t ChangeSerial() const override { return serial_; }
    bool WaitForImageSince(uint64_t serial, std::chrono::milliseconds bound) override;

private:
    QObject watcher_; // holds the connection to the toolkit's clipboard
    uint64_t serial_ = 0;
};
