// Reading images for display: decoding with a memory limit, so that a broken or hostile
// file can only fail, and the scaled copy shown at the chosen magnification.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Decodes the image file at `path`. A null image when the file cannot be read or is not a
// valid image (or would need more memory than allowed); then `error` says why.
QImage LoadImageFile(const QString& path, QString* error = nullptr);

// The open dialog's filter: BMP files first, then every image format this system reads.
QString ImageFileFilter();

// The image as 32-bit RGB; transparent parts are shown on the picture's white background.
// A null image when there is not memory enough for it.
QImage FlattenOnWhite(const QImage& image);

// The displayed size of an image of `natural` pixels at magnification `MagStep` / 2, each
// side rounded half to even and at least one pixel.
QSize ScaledSize(QSize natural, int MagStep);
