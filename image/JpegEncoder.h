// Baseline JPEG encoding of 32-bit pixels straight into a device, through
// libjpeg (turbo), without an intermediate upright copy.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

class QIODevice;

// Writes width × height pixels (R, G, B, A; bottom row first, rows packed) as
// an upright colour JPEG of the given quality (1 … 100); alpha is dropped.
// False, with the reason in *error when given, if libjpeg refuses the picture
// (a side over 65500 pixels, for one) or the device takes fewer bytes than given.
bool EncodeJpeg(QIODevice &out, const uint8_t *rgba, int width, int height, int quality,
                QString *error = nullptr);

// Where the colour bytes sit in a pixel of four; the remaining byte is skipped.
enum class TJpegPixels { Rgbx, Bgrx, Xrgb };

// The same for any row order: the picture's top row at `top`, each row below
// it `stride` bytes further on (negative for a bottom-up buffer).
bool EncodeJpegRows(QIODevice &out, const uint8_t *top, std::ptrdiff_t stride, TJpegPixels pixels, int width,
                    int height, int quality, QString *error = nullptr);
