// A raster opened read-only through GDAL, closed on every way out, with
// GDAL's own complaints turned into ETerrainError messages that name the
// file. Every reader that goes through GDAL opens its files here.
#pragma once

#include <cpl_error.h>
#include <gdal_priv.h>

#include <memory>
#include <string>

// Owns what GDALOpen gives and closes it.
struct TGdalClose {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};
using TGdalDatasetPtr = std::unique_ptr<GDALDataset, TGdalClose>;

class TGdalDataset {
public:
    // Throws ETerrainError naming `path` when it is no regular file (a FIFO
    // would block) or GDAL cannot open it as a raster.
    explicit TGdalDataset(const std::string &path);
    // Takes over a dataset made in memory (a virtual raster of several
    // files) that goes by `name` in messages; throws ETerrainError with
    // GDAL's reason when it is null.
    TGdalDataset(GDALDataset *made, const std::string &name, const std::string &reason);

    GDALDataset &operator*() const { return *dataset_; }
    GDALDataset *operator->() const { return dataset_.get(); }
    const std::string &Path() const { return path_; }

    // `rows` rows of band `band` (1-based) as 32-bit floats, `width`
    // samples a row, read from the raster's window of rows [srcRow, srcRow +
    // srcRows) and all its columns: GDAL averages (or uses its overviews)
    // when the window is larger than the rows asked for. The window may
    // start and end inside a row, so that a raster decimated by a ratio that
    // is no whole number can be read in bands that add up to one read.
    // Throws ETerrainError with GDAL's reason when a block cannot be read.
    void ReadRows(int band, double srcRow, double srcRows, int rows, int width, float *out) const;

private:
    std::string path_;
    TGdalDatasetPtr dataset_;
};

// GDAL reports through a per-thread error state: while one of these lives,
// what GDAL says on this thread is collected here instead of printed.
class TGdalErrors {
public:
    TGdalErrors();
    ~TGdalErrors();
    TGdalErrors(const TGdalErrors &) = delete;
    TGdalErrors &operator=(const TGdalErrors &) = delete;
    // The first and the last failure reported; empty while there is none.
    const std::string &First() const { return first_; }
    const std::string &Last() const { return last_; }

private:
    static void CPL_STDCALL Handle(CPLErr level, CPLErrorNum, const char *text);
    std::string first_, last_;
};

// GDAL's drivers, registered once; safe to call from any thread.
void RegisterGdalDrivers();
