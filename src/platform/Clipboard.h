// The clipboard as the program sees it: two bitmap formats and the image itself.
#pragma once

#include <QImage>

class IClipboard {
public:
    virtual ~IClipboard() = default;

    // The clipboard offers an image in any form the toolkit can hand over ("bitmap").
    virtual bool HasBitmap() const = 0;
    // The clipboard offers a device-independent bitmap, i.e. the image/bmp type.
    virtual bool HasDeviceIndependentBitmap() const = 0;
    // The clipboard's image, or a null image when there is none or it cannot be decoded.
    virtual QImage Bitmap() const = 0;
};
