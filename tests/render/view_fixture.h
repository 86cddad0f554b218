// Views drawing into an offscreen target, on terrains made in memory.
#pragma once

#include "DrawTarget.h"
#include "TilePos.h"
#include "TopoView.h"

#include <QImage>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>

#include <functional>
#include <memory>
#include <string>

// Fills the view's grid (side n) as a load would, and marks it loaded.
inline void FillGrid(TTopoView &view, int n, const std::function<int16_t(int col, int row)> &height,
                     const std::string &fileName = "N47E011.hgt")
{
    view.Heights.SetSize(n);
    view.MinHeight = 9999999;
    view.MaxHeight = -9999999;
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col) {
            const int16_t h = height(col, row);
            view.Heights(col, row) = h;
            view.MinHeight = std::min<int>(view.MinHeight, h);
            view.MaxHeight = std::max<int>(view.MaxHeight, h);
        }
    view.GridHigh = n - 1;
    TTilePos origin;
    TileOriginFromName(origin, fileName);
    view.Terrain.PlaceAt(fileName, fileName.size() > 4 && fileName.substr(fileName.size() - 4) == ".hgt", origin.Lat,
                         origin.Lon, 1);
    view.SetLoaded();
}

// Ridges running in both directions, so every part of the picture differs.
inline int16_t Hills(int col, int row)
{
    return int16_t(600 + 400 * std::sin(col * 0.05) * std::cos(row * 0.03) + row);
}

// A view of the given class on its own offscreen target. The target is
// declared first: it must outlive the view's context.
struct TOffscreenView {
    TGLOffscreenTarget Target;
    std::unique_ptr<TTopoView> View;

    explicit TOffscreenView(std::unique_ptr<TTopoView> view, QSize size = QSize(320, 240))
        : Target(size), View(std::move(view))
    {
        View->DrawControl = &Target;
        View->SetBackColor(QColor(176, 234, 255));
    }

    // Initialises GL, then grid, texture and mesh the way the main window does.
    TTopoView &Load(int n, const std::function<int16_t(int, int)> &height, int resolution, int worldSize,
                    const std::string &fileName = "N47E011.hgt")
    {
        if (!View->GLInitialized)
            View->InitGL();
        FillGrid(*View, n, height, fileName);
        View->Resolution = resolution;
        View->BuildTexture();
        View->UploadTexture(0);
        View->BuildMesh(worldSize);
        View->ResetCamera();
        return *View;
    }
};

// Where a world point of the last frame lands on the target, in pixels from the top left.
inline QPoint ProjectToPixel(float x, float y, float z, int targetHeight)
{
    std::array<double, 16> modelView{}, projection{};
    std::array<int, 4> viewport{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    double wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, modelView.data(), projection.data(), viewport.data(), &wx, &wy, &wz);
    return QPoint(int(wx), targetHeight - 1 - int(wy));
}

inline int CountPixels(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}
