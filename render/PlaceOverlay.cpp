#include "PlaceOverlay.h"

#include <qopengl.h>

#include <algorithm>
#include <cmath>

namespace {

// How far toward the eye a marker is tested against the terrain, as a
// fraction of its distance: enough that the ground it stands on (also a
// terrain laid flat) does not hide it, little enough that a hill in front does.
constexpr double kDepthPull = 0.01;
// Labels are kept apart on a grid of cells this many pixels wide.
constexpr int kCell = 8;
// Of markers whose tips fall into one cell this many pixels wide only the
// one drawn last (on top) is drawn: the others hardly show beside it.
constexpr int kMarkerCell = 3;

// Column-major 4 × 4 matrix times (x, y, z, w).
std::array<double, 4> Transform(const std::array<double, 16> &m, double x, double y, double z, double w)
{
    return {m[0] * x + m[4] * y + m[8] * z + m[12] * w, m[1] * x + m[5] * y + m[9] * z + m[13] * w,
            m[2] * x + m[6] * y + m[10] * z + m[14] * w, m[3] * x + m[7] * y + m[11] * z + m[15] * w};
}

unsigned UploadAlpha(const std::vector<uint8_t> &pixels, int width, int height)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    // Glyphs land on whole pixels: no filtering, no mipmaps.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return name;
}

uint8_t Byte(float component)
{
    return static_cast<uint8_t>(std::clamp(component, 0.0f, 1.0f) * 255.0f + 0.5f);
}

} // namespace

TPlaceOverlay::TPlaceOverlay(TLabelAtlas atlas) : atlas_(std::move(atlas)) {}

void TPlaceOverlay::SetMarkers(std::vector<TMarker> markers)
{
    markers_ = std::move(markers);
    labelWidths_.clear();
    labelWidths_.reserve(markers_.size());
    for (const TMarker &marker : markers_)
        labelWidths_.push_back(atlas_.TextWidth(marker.Codes));
}

// The textures live as long as the context: they go with it.
void TPlaceOverlay::UploadAtlas()
{
    textTexture_ = UploadAlpha(atlas_.Text, atlas_.Width, atlas_.Height);
    haloTexture_ = UploadAlpha(atlas_.Halo, atlas_.Width, atlas_.Height);
}

void TPlaceOverlay::AddMarker(const TMarker &marker, const TPlaced &at)
{
    const float x = at.X, y = at.Y, z = -at.Depth;
    const float half = MarkerWidth / 2.0f, top = float(MarkerHeight);
    // The outline contrasts with the fill: dark around light colours, light around dark ones.
    const bool light = 0.3f * marker.R + 0.59f * marker.G + 0.11f * marker.B > 0.5f;
    const uint8_t edge = light ? 0 : 255;
    const uint8_t r = Byte(marker.R), g = Byte(marker.G), b = Byte(marker.B);
    markerVertices_.push_back({edge, edge, edge, 255, x, y - 2.5f, z});
    markerVertices_.push_back({edge, edge, edge, 255, x - half - 2.5f, y + top + 1.5f, z});
    markerVertices_.push_back({edge, edge, edge, 255, x + half + 2.5f, y + top + 1.5f, z});
    markerVertices_.push_back({r, g, b, 255, x, y, z});
    markerVertices_.push_back({r, g, b, 255, x - half, y + top, z});
    markerVertices_.push_back({r, g, b, 255, x + half, y + top, z});
}

void TPlaceOverlay::HideCoveredMarkers(int width, int height, float reach)
{
    // Cells over the screen and the margin where markers still show.
    const int margin = int(reach) + MarkerHeight;
    const int cellsX = (width + 2 * margin) / kMarkerCell + 1, cellsY = (height + 2 * margin) / kMarkerCell + 1;
    markerCells_.assign(size_t(cellsX) * cellsY, 0);
    for (auto p = placed_.rbegin(); p != placed_.rend(); ++p) {
        const int cx = std::clamp(int(p->At.X + margin) / kMarkerCell, 0, cellsX - 1);
        const int cy = std::clamp(int(p->At.Y + margin) / kMarkerCell, 0, cellsY - 1);
        uint8_t &cell = markerCells_[size_t(cy) * cellsX + cx];
        p->Drawn = cell == 0;
        cell = 1;
    }
}

bool TPlaceOverlay::Reserve(int x0, int y0, int x1, int y1)
{
    const int cx0 = std::max(0, x0 / kCell), cy0 = std::max(0, y0 / kCell);
    const int cx1 = std::min(cellsX_ - 1, x1 / kCell), cy1 = std::min(cellsY_ - 1, y1 / kCell);
    for (int cy = cy0; cy <= cy1; ++cy)
        for (int cx = cx0; cx <= cx1; ++cx)
            if (taken_[size_t(cy) * cellsX_ + cx])
                return false;
    for (int cy = cy0; cy <= cy1; ++cy)
        std::fill_n(taken_.begin() + cy * cellsX_ + cx0, cx1 - cx0 + 1, uint8_t(1));
    return true;
}

void TPlaceOverlay::AddLabel(const TMarker &marker, const TPlaced &at, int width)
{
    // The pen on the baseline, on whole pixels so every glyph texel meets one
    // pixel; descenders clear the marker's top.
    const int penX = int(std::lround(at.X)) + 2;
    const int penY = int(std::lround(at.Y)) + MarkerHeight + 2 + atlas_.Descent + LabelHaloPixels;
    const int bottom = penY - atlas_.Descent - LabelHaloPixels;
    const int top = bottom + LabelFontCellHeight + 2 * LabelHaloPixels;
    if (width == 0 || penX + width < 0 || top < 0 || penX >= cellsX_ * kCell || bottom >= cellsY_ * kCell)
        return;
    if (!Reserve(penX - LabelHaloPixels, bottom, penX + width + LabelHaloPixels, top))
        return;
    const float z = -at.Depth;
    int x = penX;
    for (const char code : marker.Codes) {
        const TAtlasGlyph &g = atlas_.Glyphs[static_cast<unsigned char>(code)];
        const float x0 = float(x + g.Left), y0 = float(penY + g.Bottom);
        const float x1 = x0 + float(g.Width), y1 = y0 + float(g.Height);
        labelVertices_.push_back({g.S0, g.T1, x0, y0, z});
        labelVertices_.push_back({g.S1, g.T1, x1, y0, z});
        labelVertices_.push_back({g.S1, g.T0, x1, y1, z});
        labelVertices_.push_back({g.S0, g.T0, x0, y1, z});
        x += g.Advance;
    }
    ++labelsDrawn_;
}

void TPlaceOverlay::Draw(const std::array<double, 16> &modelView, const std::array<double, 16> &projection,
                         const std::array<int, 4> &viewport)
{
    labelsDrawn_ = 0;
    if (markers_.empty())
        return;
    const int width = std::max(viewport[2], 1), height = std::max(viewport[3], 1);
    markerVertices_.clear();
    labelVertices_.clear();
    cellsX_ = (width + kCell - 1) / kCell;
    cellsY_ = (height + kCell - 1) / kCell;
    taken_.assign(size_t(cellsX_) * cellsY_, 0);

    const float reach = MarkerWidth / 2.0f + 3;
    placed_.clear();
    for (size_t i = 0; i < markers_.size(); ++i) {
        const TMarker &marker = markers_[i];
        const std::array<double, 4> eye = Transform(modelView, marker.X, marker.Y, marker.Z, 1);
        const double pull = 1.0 - kDepthPull;
        const std::array<double, 4> clip = Transform(projection, eye[0] * pull, eye[1] * pull, eye[2] * pull, eye[3]);
        // Behind the eye, before the near plane or beyond the far one: not drawn.
        if (clip[3] <= 0 || clip[2] < -clip[3] || clip[2] > clip[3])
            continue;
        const TPlaced at{float((clip[0] / clip[3] + 1) * 0.5 * width),
                         float((clip[1] / clip[3] + 1) * 0.5 * height), float((clip[2] / clip[3] + 1) * 0.5)};
        if (at.X < -reach || at.X > width + reach || at.Y < -MarkerHeight - 3 || at.Y > height + 3)
            continue;
        placed_.push_back({i, at, true});
    }
    HideCoveredMarkers(width, height, reach);
    for (const TOnScreen &p : placed_) {
        if (p.Drawn)
            AddMarker(markers_[p.Index], p.At);
        AddLabel(markers_[p.Index], p.At, labelWidths_[p.Index]);
    }
    if (markerVertices_.empty())
        return;

    if (textTexture_ == 0)
        UploadAtlas();
    // Window pixels, window depth = −z.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDepthMask(GL_FALSE);

    glDisable(GL_TEXTURE_2D);
    glInterleavedArrays(GL_C4UB_V3F, 0, markerVertices_.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(markerVertices_.size()));
    glEnable(GL_TEXTURE_2D);

    if (!labelVertices_.empty()) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        glInterleavedArrays(GL_T2F_V3F, 0, labelVertices_.data());
        glColor3f(1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, haloTexture_);
        glDrawArrays(GL_QUADS, 0, GLsizei(labelVertices_.size()));
        glColor3f(0, 0, 0);
        glBindTexture(GL_TEXTURE_2D, textTexture_);
        glDrawArrays(GL_QUADS, 0, GLsizei(labelVertices_.size()));
        glDisable(GL_ALPHA_TEST);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    glDisableClientState(GL_COLOR_ARRAY);
    glColor3f(1, 1, 1);
    glDepthMask(GL_TRUE);
    glPolygonMode(GL_FRONT, GLenum(polygonMode[0]));
    glPolygonMode(GL_BACK, GLenum(polygonMode[1]));
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
