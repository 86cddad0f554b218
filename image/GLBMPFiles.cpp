// TGLBMP's image files: the writer chosen by extension, BMP and TGA byte
// layouts, and the JPEG hand-over. Every writer goes through a temporary file
// beside the target that is renamed into place only once it is complete.
#include "GLBMP.h"
#include "JpegEncoder.h"

#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace {

// Runs write on a temporary file in the target's folder and renames it over
// the target when everything was written; the target is untouched otherwise.
bool WriteReplacing(const std::string &fileName, const std::function<bool(QIODevice &)> &write)
{
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!write(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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

// Both BMP and TGA want B, G, R, A with the bottom row first: the buffer's row
// order with red and blue exchanged, done in blocks on a copy so the buffer
// itself never changes.
bool WriteBgra(QIODevice &out, const uint8_t *rgba, size_t size)
{
    constexpr size_t block = size_t(1) << 18;
    std::vector<uint8_t> bgra(std::min(block, size));
    for (size_t done = 0; done < size;) {
        const size_t n = std::min(block, size - done);
        const uint8_t *from = rgba + done;
        for (size_t i = 0; i < n; i += 4) {
            bgra[i] = from[i + 2];
            bgra[i + 1] = from[i + 1];
            bgra[i + 2] = from[i];
            bgra[i + 3] = from[i + 3];
        }
        if (!WriteAll(out, bgra.data(), n))
            return false;
        done += n;
    }
    return true;
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

} // namespace

bool TGLBMP::SaveToFile(const std::string &fileName) const
{
    const std::string extension = LowerExtension(fileName);
    if (extension == ".bmp")
        return SaveBMP(fileName);
    if (extension == ".jpg")
        return SaveJPG(fileName);
    if (extension == ".tga")
        return SaveTGA(fileName);
    return false;
}

bool TGLBMP::SaveBMP(const std::string &fileName) const
{
    // The file size field has 32 bits: a larger picture cannot be described.
    if (!HasPixels() || ByteCount() > std::numeric_limits<uint32_t>::max() - 54)
        return false;
    const auto imageSize = uint32_t(ByteCount());
    std::array<uint8_t, 54> header{};
    header[0] = 'B';
    header[1] = 'M';
    PutLittleEndian(header, 2, imageSize + 54, 4);
    PutLittleEndian(header, 10, 54, 4);      // pixels follow the two headers
    PutLittleEndian(header, 14, 40, 4);      // BITMAPINFOHEADER
    PutLittleEndian(header, 18, uint32_t(width_), 4);
    PutLittleEndian(header, 22, uint32_t(height_), 4);   // positive: bottom row first
    PutLittleEndian(header, 26, 1, 2);       // planes
    PutLittleEndian(header, 28, 32, 2);      // bits per pixel
    PutLittleEndian(header, 34, imageSize, 4);
    return WriteReplacing(fileName, [&](QIODevice &out) {
        return WriteAll(out, header.data(), header.size()) && WriteBgra(out, pixels_.get(), ByteCount());
    });
}

bool TGLBMP::SaveTGA(const std::string &fileName) const
{
    // Width and height fields have 16 bits.
    if (!HasPixels() || width_ > 0xFFFF || height_ > 0xFFFF)
        return false;
    std::array<uint8_t, 18> header{};
    header[2] = 2;                            // uncompressed true colour
    PutLittleEndian(header, 12, uint32_t(width_), 2);
    PutLittleEndian(header, 14, uint32_t(height_), 2);
    header[16] = 32;
    header[17] = 0;                           // origin lower left: bottom row first
    return WriteReplacing(fileName, [&](QIODevice &out) {
        return WriteAll(out, header.data(), header.size()) && WriteBgra(out, pixels_.get(), ByteCount());
    });
}

bool TGLBMP::SaveJPG(const std::string &fileName) const
{
    if (!HasPixels())
        return false;
    return WriteReplacing(fileName, [&](QIODevice &out) {
        QString error;
        if (EncodeJpeg(out, pixels_.get(), width_, height_, JpegQuality, &error))
            return true;
        qWarning("JPEG %s not written: %s", fileName.c_str(), qPrintable(error));
        return false;
    });
}
