// Placemarks and their classes, and drawing them as markers with labels.
#include "TopoView.h"

#include "BitmapFont.h"
#include "TilePos.h"

#include <QString>
#include <qopengl.h>

#include <stdexcept>

namespace {

std::string ShortName(const std::string &name)
{
    const QString text = QString::fromStdString(name);
    return text.size() <= PlaceNameLength ? name : text.left(PlaceNameLength).toStdString();
}

} // namespace

void TTopoView::AddPlace(const TLatLon &where, const std::string &name, int16_t classId)
{
    auto place = std::make_unique<TPlaceRec>();
    place->Lat = where.Lat;
    place->Lon = where.Lon;
    place->Name = ShortName(name);
    place->ClassId = classId;
    Places.push_back(std::move(place));
}

void TTopoView::GetPlace(int index, TPlaceRec &rec) const
{
    if (index < 0 || size_t(index) >= Places.size())
        throw std::out_of_range("no placemark number " + std::to_string(index));
    rec = *Places[size_t(index)];
}

void TTopoView::ClearPlaces()
{
    Places.clear();
}

void TTopoView::AddPlaceClass(int16_t id, const std::string &name, float r, float g, float b)
{
    auto placeClass = std::make_unique<TPlaceClassRec>();
    placeClass->Id = id;
    placeClass->Name = ShortName(name);
    placeClass->R = r;
    placeClass->G = g;
    placeClass->B = b;
    placeClass->Visible = true;
    PlaceClasses.push_back(std::move(placeClass));
}

void TTopoView::SetClassVisible(int16_t id, bool visible)
{
    for (auto &placeClass : PlaceClasses)
        if (placeClass->Id == id)
            placeClass->Visible = visible;
}

const TPlaceClassRec *TTopoView::ClassOf(int16_t id) const
{
    for (const auto &placeClass : PlaceClasses)
        if (placeClass->Id == id)
            return placeClass.get();
    return nullptr;
}

void TTopoView::FindPlaceClass(int16_t id, TPlaceClassRec &rec) const
{
    const TPlaceClassRec *found = ClassOf(id);
    rec = found ? *found : TPlaceClassRec();
}

void TTopoView::ClearPlaceClasses()
{
    PlaceClasses.clear();
}

void TTopoView::DrawText(const std::string &text)
{
    if (FontBase == 0)
        return;
    const std::string codes = GlyphCodes(text);
    glListBase(FontBase);
    glCallLists(GLsizei(codes.size()), GL_UNSIGNED_BYTE, codes.data());
}

void TTopoView::DrawPlaces()
{
    const TTilePos origin = TileOrigin();
    glDisable(GL_LIGHTING);
    const double half = WorldSize / 2.0;
    // Markers stand as tall over a block as over a tile, though its heights
    // are drawn lower (1 for a tile, so its markers are as they always were).
    const float up = static_cast<float>(Terrain.Span);
    for (const auto &place : Places) {
        // A missing class reads as the default record: not visible.
        const TPlaceClassRec *placeClass = ClassOf(place->ClassId);
        if (!placeClass || !placeClass->Visible)
            continue;
        TTilePos pos = origin;
        pos.SetOffsetFromLatLon(place->Lat, place->Lon);
        double wx = 0, wz = 0;
        pos.GetWorldXZ(wx, wz);
        if (wx < -half || wx > half || wz < -half || wz > half)
            continue;
        const float x = float(wx), z = float(wz), y = HeightAbove(x, z);
        const float top = y + 0.8f * up, label = y + 0.84f * up;

        // An upside-down square pyramid with its tip on the ground.
        glColor3f(placeClass->R, placeClass->G, placeClass->B);
        glBegin(GL_TRIANGLE_FAN);
        glVertex3f(x, y, z);
        glVertex3f(x - 0.2f, top, z - 0.2f);
        glVertex3f(x - 0.2f, top, z + 0.2f);
        glVertex3f(x + 0.2f, top, z + 0.2f);
        glVertex3f(x + 0.2f, top, z - 0.2f);
        glVertex3f(x - 0.2f, top, z - 0.2f);
        glEnd();

        // The raster colour is latched by glRasterPos: set it first.
        glColor3f(0, 0, 0);
        glRasterPos3f(x, label, z);
        DrawText(place->Name);
    }
}
