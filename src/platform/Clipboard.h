// The clipboard as the program sees it: two bitmap formats, the image itself, and a way to
// wait until another program has put a new image on it.
#pragma once

#include <QImage>
#include <chrono>
#include <cstdint>

class IClipboard {
public:
    virtual ~IClipboard() = default;

    // The clipboard offers an image in any form the toolkit can hand over ("bitmap").
    virtual bool HasBitmap() const = 0;
    // The clipboard offers a device-independent bitmap, i.e. the image/bmp type.
    virtual bool HasDeviceIndependentBitmap() const = 0;
    // The clipboard's image, or a null image when there is none or it cannot be decoded.
    virtual QImage Bitmap() const = 0;

    // A number that grows every time the clipboard gets new content, from this program or
    // from another one. Taken before asking another program to copy something, it tells
    // afterwards whether that program did.
    virtual uint64_t ChangeSerial() const = 0;

    // Returns as soon as the clipboard has changed since `serial` and offers an image (true),
    // or when `bound` has run out without that (false). Meanwhile the program's windows go
    // on repainting and its timers run; the user's input waits until the call returns.
    virtual bool WaitForImageSince(uint64_t serial, std::chrono::milliseconds bound) = 0;
};
