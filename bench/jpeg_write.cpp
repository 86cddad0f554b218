// Writing a full-resolution terrain texture (3601 × 3601) as JPEG at quality
// 75, against the same encode through QImage (Qt's own libjpeg path) and
// against BMP, TGA and a plain fwrite of the pixels, all to the same folder.
// Wall time: the writers wait on the file system as much as they compute.
#include "GLBMP.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int Side = 3601;

// Smooth colour fields with a little grain, like a shaded relief texture:
// JPEG speed depends on content, so neither flat nor pure noise.
void Paint(TGLBMP &t)
{
    t.SetSize(Side, Side);
    uint32_t state = 1;
    uint8_t *p = t.Pixels();
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x, p += 4) {
            state = state * 1664525u + 1013904223u;
            const double relief = std::sin(x * 0.011) * std::cos(y * 0.007) + std::sin((x + y) * 0.031) * 0.3;
            const int grain = int(state >> 28) - 8;
            p[0] = uint8_t(std::clamp(int(120 + 90 * relief) + grain, 0, 255));
            p[1] = uint8_t(std::clamp(int(140 + 60 * relief) + grain, 0, 255));
            p[2] = uint8_t(std::clamp(int(90 - 50 * relief) + grain, 0, 255));
            p[3] = 255;
        }
}

const TGLBMP &Picture()
{
    static TGLBMP image;
    if (!image.HasPixels())
        Paint(image);
    return image;
}

std::string Target(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(name).toStdString();
}

// Pixel bytes per second, and the size of what was written (equal JPEG
// sizes show both encoders did the same work).
void Report(benchmark::State &state, const std::string &path)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Picture().ByteCount()));
    state.counters["file_MB"] = double(QFileInfo(QString::fromStdString(path)).size()) / 1e6;
}

using Writer = bool (TGLBMP::*)(const std::string &) const;

void BM_Save(benchmark::State &state, Writer save, const char *name)
{
    const TGLBMP &image = Picture();
    const std::string path = Target(name);
    for (auto _ : state)
        if (!(image.*save)(path))
            state.SkipWithError("save failed");
    Report(state, path);
}

// Qt's writer needs a top-down picture; building it is part of that route.
void BM_QImageJpeg(benchmark::State &state)
{
    const TGLBMP &image = Picture();
    const QString path = QString::fromStdString(Target("q.jpg"));
    for (auto _ : state) {
        const QImage bottomUp(image.Pixels(), Side, Side, Side * 4, QImage::Format_RGBX8888);
        if (!bottomUp.mirrored(false, true).save(path, "JPEG", 75))
            state.SkipWithError("QImage::save failed");
    }
    Report(state, path.toStdString());
}

// The floor for any uncompressed writer: the bytes as they are, no reordering.
void BM_RawFwrite(benchmark::State &state)
{
    const TGLBMP &image = Picture();
    const std::string path = Target("t.raw");
    for (auto _ : state) {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(image.Pixels(), 1, image.ByteCount(), f) != image.ByteCount())
            state.SkipWithError("fwrite failed");
        if (f)
            std::fclose(f);
    }
    Report(state, path);
}

} // namespace

BENCHMARK_CAPTURE(BM_Save, SaveJPG, &TGLBMP::SaveJPG, "t.jpg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QImageJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Save, SaveBMP, &TGLBMP::SaveBMP, "t.bmp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Save, SaveTGA, &TGLBMP::SaveTGA, "t.tga")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFwrite)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);   // Qt's JPEG writer is a plugin
    benchmark::Initialize(&argc, argv);
    Picture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
