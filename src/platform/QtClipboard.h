// The system clipboard through the toolkit.
#pragma once

#include "platform/Clipboard.h"

class QtClipboard : public IClipboard {
public:
    bool HasBitmap() const override;
    bool HasDeviceIndependentBitmap() const override;
    QImage Bitmap() const override;
};
