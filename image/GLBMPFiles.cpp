// TGLBMP's image files: the writer chosen by extension, BMP and TGA byte
// layouts, and the JPEG hand-over. Every writer goes through a temporary file
// beside the target that is renamed into place only once it is complete.
// A writer that fails leaves the system's reason in errno ("No space left on
// device"), or 0 when the system did not fail, for the caller's message.
#include "GLBMP.h"
#include "JpegEncoder.h"

#include <QSaveFile>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

const std::vector<std::string> &PictureTypes()
{
    static const std::vector<std::string> types = {"bmp", "jpg", "tga"};  // the order SaveByExtension reads
    return types;
}

namespace {

// Runs write on a temporary file in the target's folder and renames it over
// the target when everything was written; the target is untouched otherwise.
bool WriteReplacing(const std::string &fileName, const std::function<bool(QIODevice &)> &write)
{
    int reason = 0;
    bool written = false;
    {
        // The reason is taken at the failing call: clearing up may change errno.
        QSaveFile file(QString::fromStdString(fileName));
        errno = 0;
        if (!file.open(QIODevice::WriteOnly)) {
            reason = errno;
        } else if (!write(file)) {
            reason = errno;
            file.cancelWriting();
        } else {
            written = file.commit();
            reason = written ? 0 : errno;
        }
    }
    errno = reason;
    return written;
}

template <size_t N>
void PutLittleEndian(std::array<uint8_t, N> &bytes, size_t offset, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

bool WriteAll(QIODevice &out, const uint8_t *data, size_t size)
{
    return out.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

// Puts picture row `row` (0 the bottom row) into `bgra` as B, G, R, A.
using TBgraRow = std::function<void(int row, uint8_t *bgra)>;

// A picture as the BMP and TGA writers see it.
struct TBgraPicture {
    int width = 0, height = 0;
    TBgraRow row;
    size_t RowBytes() const { return size_t(width) * 4; }
    size_t ByteCount() const { return RowBytes() * size_t(height); }
};

// Both BMP and TGA store B, G, R, A with the bottom row first. The rows go
// through a block of about 256 KB that is written at once, so the picture
// itself never changes and no second copy of it is made.
bool WriteBgraRows(QIODevice &out, const TBgraPicture &picture)
{
    const size_t rowBytes = picture.RowBytes();
    const int blockRows = int(std::max<size_t>(1, (size_t(1) << 18) / std::max<size_t>(rowBytes, 1)));
    std::vector<uint8_t> block(size_t(std::min(blockRows, picture.height)) * rowBytes);
    for (int first = 0; first < picture.height; first += blockRows) {
        const int rows = std::min(blockRows, picture.height - first);
        for (int i = 0; i < rows; ++i)
            picture.row(first + i, block.data() + size_t(i) * rowBytes);
        if (!WriteAll(out, block.data(), size_t(rows) * rowBytes))
            return false;
    }
    return true;
}

bool SaveBmpPicture(const std::string &fileName, const TBgraPicture &picture)
{
    // The file size field has 32 bits: a larger picture cannot be described.
    if (picture.ByteCount() == 0 || picture.ByteCount() > std::numeric_limits<uint32_t>::max() - 54)
        return false;
    const auto imageSize = uint32_t(picture.ByteCount());
    std::array<uint8_t, 54> header{};
    header[0] = 'B';
    header[1] = 'M';
    PutLittleEndian(header, 2, imageSize + 54, 4);
    PutLittleEndian(header, 10, 54, 4);      // pixels follow the two headers
    PutLittleEndian(header, 14, 40, 4);      // BITMAPINFOHEADER
    PutLittleEndian(header, 18, uint32_t(picture.width), 4);
    PutLittleEndian(header, 22, uint32_t(picture.height), 4);   // positive: bottom row first
    PutLittleEndian(header, 26, 1, 2);       // planes
    PutLittleEndian(header, 28, 32, 2);      // bits per pixel
    PutLittleEndian(header, 34, imageSize, 4);
    return WriteReplacing(fileName, [&](QIODevice &out) {
        return WriteAll(out, header.data(), header.size()) && WriteBgraRows(out, picture);
    });
}

bool SaveTgaPicture(const std::string &fileName, const TBgraPicture &picture)
{
    // Width and height fields have 16 bits.
    if (picture.ByteCount() == 0 || picture.width > 0xFFFF || picture.height > 0xFFFF)
        return false;
    std::array<uint8_t, 18> header{};
    header[2] = 2;                            // uncompressed true colour
    PutLittleEndian(header, 12, uint32_t(picture.width), 2);
    PutLittleEndian(header, 14, uint32_t(picture.height), 2);
    header[16] = 32;
    header[17] = 0;                           // origin lower left: bottom row first
    return WriteReplacing(fileName, [&](QIODevice &out) {
        return WriteAll(out, header.data(), header.size()) && WriteBgraRows(out, picture);
    });
}

bool SaveJpegRows(const std::string &fileName, const uint8_t *top, std::ptrdiff_t stride, TJpegPixels pixels,
                  int width, int height, int quality)
{
    return WriteReplacing(fileName, [&](QIODevice &out) {
        QString error;
        if (EncodeJpegRows(out, top, stride, pixels, width, height, quality, &error))
            return true;
        // A failed write of the file leaves the system's reason in errno
        // (cleared before the file was opened); anything else is the encoder's.
        if (errno != 0)
            return false;
        qWarning("%s: cannot encode the JPEG picture: %s", fileName.c_str(), qPrintable(error));
        errno = 0;
        return false;
    });
}

std::string LowerExtension(const std::string &fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

// The writer for the extension, without regard to case; false for any other.
template <class Bmp, class Jpg, class Tga>
bool SaveByExtension(const std::string &fileName, Bmp bmp, Jpg jpg, Tga tga)
{
    const std::string extension = LowerExtension(fileName);
    const std::vector<std::string> &types = PictureTypes();
    if (extension == "." + types[0])
        return bmp();
    if (extension == "." + types[1])
        return jpg();
    if (extension == "." + types[2])
        return tga();
    return false;
}

// The pixel buffer's rows, R, G, B, A in memory, with red and blue exchanged.
TBgraPicture BufferPicture(const TGLBMP &image)
{
    if (!image.HasPixels())
        return {};
    const uint8_t *pixels = image.Pixels();
    const size_t rowBytes = size_t(image.Width()) * 4;
    return {image.Width(), image.Height(), [pixels, rowBytes](int row, uint8_t *bgra) {
                const uint8_t *from = pixels + size_t(row) * rowBytes;
                for (size_t i = 0; i < rowBytes; i += 4) {
                    bgra[i] = from[i + 2];
                    bgra[i + 1] = from[i + 1];
                    bgra[i + 2] = from[i];
                    bgra[i + 3] = from[i + 3];
                }
            }};
}

// A toolkit picture of one QRgb per pixel, rows from the top, as the buffer
// AssignBitmap would make of it: the same colours, alpha 255.
TBgraPicture ToolkitPicture(const QImage &bitmap)
{
    if (bitmap.isNull())
        return {};
    const int h = bitmap.height();
    return {bitmap.width(), h, [&bitmap, h](int row, uint8_t *bgra) {
                const auto *line = reinterpret_cast<const QRgb *>(bitmap.constScanLine(h - 1 - row));
                const int w = bitmap.width();
                if constexpr (std::endian::native == std::endian::little) {
                    // A QRgb is B, G, R, A in memory already.
                    for (int x = 0; x < w; ++x) {
                        const QRgb opaque = line[x] | 0xFF000000u;
                        std::memcpy(bgra + 4 * size_t(x), &opaque, 4);
                    }
                } else {
                    for (int x = 0; x < w; ++x, bgra += 4) {
                        bgra[0] = uint8_t(qBlue(line[x]));
                        bgra[1] = uint8_t(qGreen(line[x]));
                        bgra[2] = uint8_t(qRed(line[x]));
                        bgra[3] = 255;
                    }
                }
            }};
}

} // namespace

bool TGLBMP::SaveToFile(const std::string &fileName) const
{
    return SaveByExtension(
        fileName, [&] { return SaveBMP(fileName); }, [&] { return SaveJPG(fileName); },
        [&] { return SaveTGA(fileName); });
}

bool TGLBMP::SaveBMP(const std::string &fileName) const
{
    return SaveBmpPicture(fileName, BufferPicture(*this));
}

bool TGLBMP::SaveTGA(const std::string &fileName) const
{
    return SaveTgaPicture(fileName, BufferPicture(*this));
}

bool TGLBMP::SaveJPG(const std::string &fileName) const
{
    if (!HasPixels())
        return false;
    // JPEG stores the top row first; the buffer holds it last.
    const auto stride = std::ptrdiff_t(width_) * 4;
    return SaveJpegRows(fileName, pixels_.get() + (height_ - 1) * stride, -stride, TJpegPixels::Rgbx, width_,
                        height_, JpegQuality);
}

bool SaveBitmap(const QImage &bitmap, const std::string &fileName, int jpegQuality)
{
    const bool direct = bitmap.format() == QImage::Format_RGB32 || bitmap.format() == QImage::Format_ARGB32;
    const QImage source = direct || bitmap.isNull() ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    const TBgraPicture picture = ToolkitPicture(source);
    return SaveByExtension(
        fileName, [&] { return SaveBmpPicture(fileName, picture); },
        [&] {
            // A QRgb is B, G, R, A in memory on a little-endian machine and
            // A, R, G, B on a big-endian one.
            const TJpegPixels pixels = std::endian::native == std::endian::little ? TJpegPixels::Bgrx
                                                                                     : TJpegPixels::Xrgb;
            return !source.isNull() && SaveJpegRows(fileName, source.constScanLine(0), source.bytesPerLine(),
                                                    pixels, source.width(), source.height(), jpegQuality);
        },
        [&] { return SaveTgaPicture(fileName, picture); });
}
