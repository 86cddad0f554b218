#include "GdalDataset.h"

#include "RegularFile.h"
#include "TerrainError.h"

#include <cpl_error.h>

#include <algorithm>
#include <cmath>
#include <mutex>

TGdalErrors::TGdalErrors()
{
    CPLPushErrorHandlerEx(&TGdalErrors::Handle, this);
}

TGdalErrors::~TGdalErrors()
{
    CPLPopErrorHandler();
}

void CPL_STDCALL TGdalErrors::Handle(CPLErr level, CPLErrorNum, const char *text)
{
    auto *self = static_cast<TGdalErrors *>(CPLGetErrorHandlerUserData());
    if (!self || level < CE_Failure || !text)
        return;
    if (self->first_.empty())
        self->first_ = text;
    self->last_ = text;
}

void RegisterGdalDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // A compressed raster decodes its blocks on every core unless the
        // user has said otherwise.
        if (!CPLGetConfigOption("GDAL_NUM_THREADS", nullptr))
            CPLSetConfigOption("GDAL_NUM_THREADS", "ALL_CPUS");
    });
}

TGdalDataset::TGdalDataset(const std::string &path) : path_(path)
{
    RegisterGdalDrivers();
    RequireRegularFile(path, "an elevation raster");
    TGdalErrors errors;
    dataset_.reset(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr)));
    if (!dataset_)
        throw ETerrainError(errors.Last().empty() ? "GDAL cannot read it as a raster"
                                                     : "GDAL cannot read it as a raster: " + errors.Last(),
                            path);
}

TGdalDataset::TGdalDataset(GDALDataset *made, const std::string &name, const std::string &reason)
    : path_(name), dataset_(made)
{
    if (!dataset_)
        throw ETerrainError(reason.empty() ? "GDAL cannot make one raster of it" : "GDAL cannot make one raster of it: " + reason,
                            name);
}

void TGdalDataset::ReadRows(int band, double srcRow, double srcRows, int rows, int width, float *out) const
{
    TGdalErrors errors;
    GDALRasterBand *b = dataset_->GetRasterBand(band);
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_Average;
    const int first = static_cast<int>(std::floor(srcRow));
    const int last = std::min(static_cast<int>(std::ceil(srcRow + srcRows)), dataset_->GetRasterYSize());
    extra.bFloatingPointWindowValidity = TRUE;
    extra.dfXOff = 0;
    extra.dfYOff = srcRow;
    extra.dfXSize = dataset_->GetRasterXSize();
    extra.dfYSize = srcRows;
    if (!b || b->RasterIO(GF_Read, 0, first, dataset_->GetRasterXSize(), last - first, out, width, rows, GDT_Float32, 0,
                          0, &extra) != CE_None)
        throw ETerrainError("cannot read its heights: " + (errors.Last().empty() ? std::string("GDAL failed") : errors.Last()),
                            path_);
}
