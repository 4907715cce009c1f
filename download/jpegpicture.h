#pragma once

#include <QByteArray>
#include <QImage>

// Decodes JPEG bytes with libjpeg into an RGB image. Damaged or unsupported data, and
// pictures larger than maxJpegSide on a side, give a null image instead of a crash or a
// giant allocation.
QImage decodeJpeg(const QByteArray &bytes);

inline constexpr int maxJpegSide = 8192;

// Reads a JPEG file (or Qt resource) and decodes it; a null image when it is missing or bad.
QImage loadJpeg(const QString &path);
