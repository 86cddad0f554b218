// Baseline JPEG encoding of a bottom-up RGBA buffer straight into a device,
// through libjpeg (turbo), without an intermediate upright copy.
#pragma once

#include <QString>

#include <cstdint>

class QIODevice;

// Writes width × height pixels (R, G, B, A; bottom row first, rows packed) as
// an upright colour JPEG of the given quality (1 … 100); alpha is dropped.
// False, with the reason in *error when given, if libjpeg refuses the picture
// (a side over 65500 pixels, for one) or the device takes fewer bytes than given.
bool EncodeJpeg(QIODevice &out, const uint8_t *rgba, int width, int height, int quality,
                QString *error = nullptr);
