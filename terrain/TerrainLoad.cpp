// Reading height files into the grid, writing the grey heightmap, and the two
// sampling operations every other layer reads heights through.
#include "Terrain.h"
#include "HgtFile.h"
#include "RegularFile.h"
#include "TerrainError.h"
#include "TilePos.h"
#include "Utils.h"

#include <QImageReader>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// An open descriptor that is closed on every way out.
class TFileHandle {
public:
    explicit TFileHandle(int fd) : fd_(fd) {}
    ~TFileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TFileHandle(TFileHandle &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    TFileHandle(const TFileHandle &) = delete;
    TFileHandle &operator=(const TFileHandle &) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// Opens a regular file for reading and returns it with its size; folders,
// devices and pipes are refused, before the open, with a message a user
// understands.
TFileHandle OpenRegularFile(const std::string &fileName, off_t &size)
{
    RequireRegularFile(fileName, "a height file");
    // Without waiting all the same, should the name have become a FIFO since.
    TFileHandle file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Fd() < 0)
        throw ETerrainError(SystemError("cannot open the file"), fileName);
    struct stat st {};
    if (::fstat(file.Fd(), &st) != 0)
        throw ETerrainError(SystemError("cannot read the file"), fileName);
    if (!S_ISREG(st.st_mode))
        throw ETerrainError("is not a regular file", fileName);
    size = st.st_size;
    return file;
}

}  // namespace

// The whole tile in one read (the page cache makes this the cheap part); the
// size decides the grid before anything is allocated.
THgtBytes ReadHgtFile(const std::string &fileName)
{
    off_t fileSize = 0;
    TFileHandle file = OpenRegularFile(fileName, fileSize);
    if (HgtSideForSize(static_cast<uint64_t>(fileSize)) == 0)
        throw ETerrainError("Wrong Size of hgt File", fileName);
    const auto size = static_cast<size_t>(fileSize);
    THgtBytes bytes(size + 1);
    size_t got = 0;
    // One byte more than expected is asked for, so a file that grew since
    // fstat is noticed as well as one that shrank.
    while (got <= size) {
        const ssize_t n = ::read(file.Fd(), bytes.data() + got, size + 1 - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw ETerrainError(SystemError("cannot read the file"), fileName);
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got != size)
        throw ETerrainError("Wrong Size of hgt File", fileName);
    bytes.resize(size);
    return bytes;
}

namespace {

int16_t Decode(const uint8_t *src)
{
    return static_cast<int16_t>(static_cast<uint16_t>(src[0] << 8 | src[1]));
}

}  // namespace

// The running extremes are kept in 16 bits with the void as a neutral value,
// so the loop has no branch: a void never raises the maximum (it is the
// smallest int16) and is replaced by the largest value before it meets the
// minimum. Sixteen lanes side by side, each with its own extremes, give the
// compiler a fixed-size loop it turns into vector code without being asked
// for more than the usual optimisation level.
__attribute__((noinline)) void DecodeHgtRow(const uint8_t *__restrict src, int16_t *__restrict dst, int n, int16_t &lo, int16_t &hi)
{
    constexpr int Lanes = 16;
    int16_t l[Lanes], h[Lanes];
    std::fill(l, l + Lanes, lo);
    std::fill(h, h + Lanes, hi);
    int c = 0;
    for (; c + Lanes <= n; c += Lanes)
        for (int k = 0; k < Lanes; ++k) {
            const int16_t v = Decode(src + 2 * (c + k));
            dst[c + k] = v;
            l[k] = std::min(l[k], v == TSIArray::Void ? static_cast<int16_t>(INT16_MAX) : v);
            h[k] = std::max(h[k], v);
        }
    for (; c < n; ++c) {
        const int16_t v = Decode(src + 2 * c);
        dst[c] = v;
        l[0] = std::min(l[0], v == TSIArray::Void ? static_cast<int16_t>(INT16_MAX) : v);
        h[0] = std::max(h[0], v);
    }
    lo = *std::min_element(l, l + Lanes);
    hi = *std::max_element(h, h + Lanes);
}

int HgtSideForSize(uint64_t size)
{
    return size == static_cast<uint64_t>(TTerrain::HgtSize1201)   ? 1201
           : size == static_cast<uint64_t>(TTerrain::HgtSize3601) ? 3601
                                                                  : 0;
}

namespace {

// Qt's BMP decoder reports success for a file that ends early and leaves the
// missing rows undefined, so an uncompressed BMP is measured against its own
// header first. Other formats and compressed BMPs are left to the decoder.
void CheckBmpComplete(const std::string &fileName, const TFileHandle &file, off_t fileSize)
{
    uint8_t h[34] = {};
    const ssize_t n = ::pread(file.Fd(), h, sizeof h, 0);
    if (n < 2 || h[0] != 'B' || h[1] != 'M')
        return;
    auto u16 = [&](int at) { return static_cast<uint32_t>(h[at] | h[at + 1] << 8); };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    const uint32_t infoSize = u32(14);
    const bool core = infoSize == 12;  // the old OS/2 header with 16-bit sizes
    if (n < (core ? 26 : 34))
        throw ETerrainError("the bitmap file is cut short in its header", fileName);
    const double width = core ? u16(18) : std::fabs(static_cast<double>(static_cast<int32_t>(u32(18))));
    const double height = core ? u16(20) : std::fabs(static_cast<double>(static_cast<int32_t>(u32(22))));
    const uint32_t bits = core ? u16(24) : u16(28);
    const uint32_t compression = core ? 0 : u32(30);
    if (compression != 0 && compression != 3 && compression != 6)  // BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS
        return;
    const double stride = std::floor((width * bits + 31) / 32) * 4;
    const double needed = u32(10) + stride * height;
    if (static_cast<double>(fileSize) < needed)
        throw ETerrainError("the bitmap file is cut short: " + std::to_string(fileSize) + " of " +
                                std::to_string(static_cast<long long>(needed)) + " bytes",
                            fileName);
}

}  // namespace

void TTerrain::LoadFromFile(const std::string &fileName)
{
    const std::string ext = LowerExtension(fileName);
    if (ext == "hgt")
        LoadHgt(fileName);
    else if (ext == "bmp")
        LoadBmp(fileName);
    else
        Clear();
    // Only a load that succeeded gets here, so the name always describes the grid.
    TTilePos origin;
    TileOriginFromName(origin, fileName);
    PlaceAt(fileName, ext == "hgt", origin.Lat, origin.Lon, 1);
}

void TTerrain::LoadHgt(const std::string &fileName)
{
    const THgtBytes bytes = ReadHgtFile(fileName);
    LoadHgtBytes(bytes.data(), bytes.size(), fileName);
}

void TTerrain::LoadHgtBytes(const uint8_t *bytes, size_t size, const std::string &fileName)
{
    const int side = HgtSideForSize(size);
    if (side == 0)
        throw ETerrainError("Wrong Size of hgt File", fileName);
    const int high = side - 1;

    TSIArray grid;
    grid.SetSize(side);
    int16_t lo = INT16_MAX, hi = INT16_MIN;
    DoProgress(0.0f);
    for (int r = 0; r < side; ++r) {
        DecodeHgtRow(bytes + static_cast<size_t>(r) * side * 2, grid.Row(r), side, lo, hi);
        DoProgress(static_cast<float>(r) / static_cast<float>(high));
    }
    // hi stays at the void value only when every sample is a void; the
    // figures then keep their "nothing seen" starting values.
    const bool any = hi != TSIArray::Void;
    Adopt(grid, any ? lo : 9999999, any ? hi : -9999999);
}

void TTerrain::LoadBmp(const std::string &fileName)
{
    off_t fileSize = 0;
    const TFileHandle file = OpenRegularFile(fileName, fileSize);  // the decoder's messages for these are vague

    QImageReader reader(QString::fromStdString(fileName));
    QSize size = reader.size();
    // A top-down BMP (the usual kind from image editors) says so with a
    // negative height, which the reader passes on as it is.
    size.setHeight(std::abs(size.height()));
    if (size.width() <= 0 || size.height() <= 0)
        throw ETerrainError("not a bitmap that can be read: " + reader.errorString().toStdString(), fileName);
    // The decoded picture and the grid decide the memory; check the size
    // from the header before a single pixel is decoded.
    if (size.width() > MaxBitmapWidth || size.height() > MaxBitmapWidth)
        throw ETerrainError("the bitmap is " + std::to_string(size.width()) + " × " + std::to_string(size.height()) +
                                " pixels; heightmaps up to " + std::to_string(MaxBitmapWidth) +
                                " pixels a side can be loaded",
                            fileName);
    CheckBmpComplete(fileName, file, fileSize);
    // Qt refuses pictures above 128 MB by default (5792² at four bytes a
    // pixel); the size check above is the limit here.
    constexpr int64_t largestPicture = int64_t(MaxBitmapWidth) * MaxBitmapWidth * 4;
    reader.setAllocationLimit(static_cast<int>(largestPicture >> 20));
    QImage image;
    if (!reader.read(&image))
        throw ETerrainError("cannot decode the bitmap: " + reader.errorString().toStdString(), fileName);

    const int side = image.width();
    const int high = side - 1;
    const int rows = std::min(image.height(), side);
    // Pictures in other formats are converted a row at a time, so a large
    // one is not held twice.
    const bool rgb = image.format() == QImage::Format_RGB32;
    QImage converted;
    TSIArray grid;
    grid.SetSize(side);  // rows below the picture stay 0
    DoProgress(0.0f);
    int lo = INT_MAX, hi = INT_MIN;
    for (int y = 0; y < side; ++y) {
        int16_t *dst = grid.Row(y);
        if (y < rows) {
            if (!rgb)
                converted = image.copy(0, y, side, 1).convertToFormat(QImage::Format_RGB32);
            const auto *line = reinterpret_cast<const QRgb *>(rgb ? image.constScanLine(y) : converted.constScanLine(0));
            for (int x = 0; x < side; ++x) {
                // Colour as the 24-bit number R + 256·G + 65536·B scaled onto
                // 0 … 255 grey levels of 4 m: a grey pixel v gives exactly 4·v.
                const int64_t c = qRed(line[x]) + 256 * qGreen(line[x]) + 65536 * qBlue(line[x]);
                dst[x] = static_cast<int16_t>(4 * (c * 255 / 16777215));
            }
        }
        const auto [mn, mx] = std::minmax_element(dst, dst + side);
        lo = std::min(lo, static_cast<int>(*mn));
        hi = std::max(hi, static_cast<int>(*mx));
        DoProgress(high > 0 ? static_cast<float>(y) / static_cast<float>(high) : 1.0f);
    }
    Adopt(grid, lo, hi);
}

void TTerrain::AdoptBlock(TSIArray &grid, int minHeight, int maxHeight, double originLat, double originLon, int span,
                          const std::string &name)
{
    Adopt(grid, minHeight, maxHeight);
    PlaceAt(name, true, originLat, originLon, span);
}

void TTerrain::AdoptRaster(TSIArray &grid, int minHeight, int maxHeight, double step, double base,
                           const TGeoReference &geoRef, const TSourceInfo &source, const std::string &name)
{
    Adopt(grid, minHeight, maxHeight);
    HeightStep = step;
    HeightBase = base;
    FileName = name;
    HgtLoaded = false;
    GeoRef = geoRef;
    Source = source;
}

void TTerrain::PlaceAt(const std::string &name, bool tiles, double originLat, double originLon, int span)
{
    FileName = name;
    HgtLoaded = tiles;
    GeoRef = TGeoReference::ForTiles(originLat, originLon, span, GridHigh);
    const int samples = Heights.Size();
    Source = {tiles ? "SRTM .hgt" : "bitmap", samples, samples, 1};
}

void TTerrain::Adopt(TSIArray &grid, int minHeight, int maxHeight)
{
    Heights.Swap(grid);
    GridHigh = Heights.Size() - 1;
    MinHeight = minHeight;
    MaxHeight = maxHeight;
    // Whole metres unless the reader says otherwise (AdoptRaster).
    HeightStep = 1.0;
    HeightBase = 0.0;
    // The texture belonged to the previous grid.
    TextureBuilt = false;
}

void TTerrain::Clear()
{
    TextureBuilt = false;
    TextureBitmap = QImage();
    Heights.SetSize(0);
    GridHigh = -1;
}

bool TTerrain::SaveHeightmap(const std::string &fileName, int64_t *saturatedWhite) const
{
    if (Empty())
        return false;
    const int side = Heights.Size();
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Qt writes RGB32 images as 24-bit BMPs, so the 32-bit form is written
    // here: a bottom-up BI_RGB bitmap whose fourth byte stays 0.
    const uint32_t rowBytes = static_cast<uint32_t>(side) * 4;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(side);
    std::vector<uint8_t> header;
    auto put = [&header](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    header = {'B', 'M'};
    put(54 + imageBytes, 4);  // file size
    put(0, 4);                // reserved
    put(54, 4);               // offset of the pixels
    put(40, 4);               // BITMAPINFOHEADER
    put(static_cast<uint32_t>(side), 4);
    put(static_cast<uint32_t>(side), 4);  // positive: rows from the bottom
    put(1, 2);                // planes
    put(32, 2);               // bits per pixel
    put(0, 4);                // BI_RGB
    put(imageBytes, 4);
    for (int field = 0; field < 4; ++field)
        put(0, 4);            // resolutions and palette counts
    if (file.write(reinterpret_cast<const char *>(header.data()), static_cast<qint64>(header.size())) != 54)
        return false;

    std::vector<uint8_t> line(rowBytes, 0);
    int64_t white = 0;
    DoProgress(0.0f);
    for (int written = 0; written < side; ++written) {
        const int16_t *src = Heights.Row(GridHigh - written);
        for (int x = 0; x < side; ++x) {
            // Integer division truncates toward zero; heights outside
            // 0 … 1023 m saturate at the darkest and brightest grey rather
            // than wrap into levels that mean other heights.
            const int level = src[x] / 4;
            white += level > 255;
            const auto grey = static_cast<uint8_t>(std::clamp(level, 0, 255));
            line[4 * static_cast<size_t>(x)] = grey;
            line[4 * static_cast<size_t>(x) + 1] = grey;
            line[4 * static_cast<size_t>(x) + 2] = grey;
        }
        if (file.write(reinterpret_cast<const char *>(line.data()), rowBytes) != rowBytes)
            return false;
        DoProgress(GridHigh > 0 ? static_cast<float>(written) / static_cast<float>(GridHigh) : 1.0f);
    }
    if (!file.commit())
        return false;
    if (saturatedWhite)
        *saturatedWhite = white;
    return true;
}

void TTerrain::WorldToGrid(float p[3]) const
{
    const float half = static_cast<float>(WorldSize) / 2.0f;
    const auto size = static_cast<float>(WorldSize);
    const auto high = static_cast<float>(GridHigh);
    p[0] = (half + p[0]) / size * high;
    p[2] = (half + p[2]) / size * high;
}

float TTerrain::SampleHeight(float gx, float gz) const
{
    int h = TSIArray::Void;
    // Written as "inside" so that NaN coordinates count as off the grid.
    const auto high = static_cast<float>(GridHigh);
    if (gx >= 0.0f && gz >= 0.0f && gx <= high && gz <= high && !Heights.Empty())
        h = Heights(static_cast<int>(gx), static_cast<int>(gz));
    if (h == TSIArray::Void)
        h = MinHeight - 1;
    return static_cast<float>(Metres(h) * 0.006);
}

std::optional<double> TTerrain::InterpolatedMetres(double gx, double gz) const
{
    if (!(gx >= 0 && gz >= 0 && gx <= GridHigh && gz <= GridHigh) || Heights.Empty())
        return std::nullopt;
    const int c = std::min(static_cast<int>(gx), std::max(GridHigh - 1, 0));
    const int r = std::min(static_cast<int>(gz), std::max(GridHigh - 1, 0));
    const int c1 = std::min(c + 1, GridHigh), r1 = std::min(r + 1, GridHigh);
    const int16_t h00 = Heights(c, r), h10 = Heights(c1, r), h01 = Heights(c, r1), h11 = Heights(c1, r1);
    if (h00 == TSIArray::Void || h10 == TSIArray::Void || h01 == TSIArray::Void || h11 == TSIArray::Void)
        return std::nullopt;
    const double fx = gx - c, fz = gz - r;
    const double top = h00 + (h10 - h00) * fx, bottom = h01 + (h11 - h01) * fx;
    return Metres(top + (bottom - top) * fz);
}

TLatLon TTerrain::LatLonAtWorld(double x, double z) const
{
    const double size = WorldSize > 0 ? WorldSize : 1;
    const double half = size / 2.0;
    return GeoRef.LatLonAtFraction((half + x) / size, (half - z) / size);
}

std::optional<std::array<double, 2>> TTerrain::WorldAt(const TLatLon &p) const
{
    const auto f = GeoRef.FractionAt(p);
    if (!f)
        return std::nullopt;
    const double size = WorldSize;
    return std::array<double, 2>{size * (*f)[0] - size / 2.0, size / 2.0 - size * (*f)[1]};
}
