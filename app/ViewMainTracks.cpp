// The main window's tracks, elevation profile and measuring: loading track
// files, the track list and profile docks, the link between the profile and
// the terrain under the pointer, zooming to a track and following it.
#include "ViewMain.h"

#include "DrawTarget.h"
#include "Geodesic.h"
#include "MeasureTool.h"
#include "ProfileLink.h"
#include "ProfilePanel.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "TrackList.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
// How close the pointer must come to the line on the ground to mark it.
constexpr double kHoverPixels = 6;
constexpr const char *kOffTerrain = "the track lies entirely off the terrain.";

}  // namespace

void TfmView::BuildTrackDocks()
{
    trackList_ = new TTrackList(tracks_, this);
    profilePanel_ = new TProfilePanel(this);
    addDockWidget(Qt::BottomDockWidgetArea, trackList_);
    splitDockWidget(trackList_, profilePanel_, Qt::Horizontal);
    // The profile takes the width; the list needs only its names.
    trackList_->setMaximumWidth(340);
    // Both wait until they are used.
    trackList_->hide();
    profilePanel_->hide();
    QAction *showTracks = trackList_->toggleViewAction();
    showTracks->setText(QStringLiteral("Track List"));
    QAction *showProfile = profilePanel_->toggleViewAction();
    showProfile->setText(QStringLiteral("Elevation Profile"));
    mnWindow->addActions({showTracks, showProfile});

    // Showing, hiding and colours leave the profile as it is; a removal
    // selects another track.
    trackList_->OnChanged = [this] { SceneChanged(); };
    trackList_->OnSelected = [this](int) { RefreshProfile(true); };
    trackList_->OnZoomTo = [this](int index) { RunCommand([this, index] { ZoomToTrack(index); }); };
    trackList_->OnAddToPlacemarks = [this](int index) { AddWaypointsToPlacemarks(index); };

    profilePanel_->Plot->OnPointer = [this](std::optional<double> distance) {
        profileMarker_->Where = distance ? ProfilePointAt(profilePanel_->Profile(), *distance) : std::nullopt;
        SceneChanged();
    };
    connect(profilePanel_->btnSavePicture, &QPushButton::clicked, acSaveProfilePicture, &QAction::trigger);
    connect(profilePanel_->btnSaveCsv, &QPushButton::clicked, acSaveProfileCsv, &QAction::trigger);

    measureTool_ = new TMeasureTool(drawWindow_, [this] { return View_.get(); }, measureLine_, this);
    measureTool_->OnChanged = [this] {
        SceneChanged();
        RefreshProfile(measureLine_->Points.size() >= 2);
    };
    connect(acMeasure, &QAction::toggled, this, [this](bool on) { measureTool_->SetActive(on); });
}

void TfmView::AddOverlaysToView()
{
    for (const std::shared_ptr<TOverlay> &overlay :
         std::initializer_list<std::shared_ptr<TOverlay>>{tracks_, measureLine_, profileMarker_})
        View_->Scene.Add(overlay);
}

void TfmView::SceneChanged()
{
    if (View_)
        View_->Scene.Changed();
}

void TfmView::OpenFiles(const std::vector<std::string> &files)
{
    std::vector<std::string> terrain, tracks;
    for (const std::string &file : files)
        (IsTrackFileName(file) ? tracks : terrain).push_back(file);
    if (!terrain.empty())
        OpenTerrainFiles(terrain);
    if (!tracks.empty())
        OpenTrackFiles(tracks);
}

bool TfmView::OpenTrackFiles(const std::vector<std::string> &files)
{
    QStringList problems;
    bool allRead = true;
    const size_t before = tracks_->Tracks.size();
    for (const std::string &file : files) {
        try {
            TTrack track = ReadTrack(file);
            // Loaded all the same: it shows once a terrain under it is loaded.
            if (View_->Loaded && TrackOnTerrain(track, true).empty())
                problems << QStringLiteral("%1: %2 It shows when a terrain under it is loaded.")
                                .arg(QString::fromStdString(file), QLatin1String(kOffTerrain));
            tracks_->Add(std::move(track));
        } catch (const ETerrainError &e) {
            problems << QString::fromStdString(e.FullMessage());
            allRead = false;
        } catch (const std::exception &e) {
            problems << QStringLiteral("%1: %2").arg(QString::fromStdString(file), QString::fromLocal8Bit(e.what()));
            allRead = false;
        }
    }
    if (tracks_->Tracks.size() > before) {
        SceneChanged();
        trackList_->Refresh();
        trackList_->show();
        // The first of the new tracks is the one the profile shows.
        trackList_->Select(int(before));
    }
    if (!problems.isEmpty())
        ShowError(problems.join(QLatin1Char('\n')));
    return allRead;
}

void TfmView::RefreshProfile(bool show)
{
    profileMarker_->Where.reset();
    SceneChanged();
    if (!View_ || !View_->Loaded) {
        profilePanel_->Clear();
        return;
    }
    const TTerrain &terrain = View_->Terrain;
    const int selected = trackList_->Selected();
    if (measureTool_->Active() && measureLine_->Points.size() >= 2) {
        const std::optional<double> rise = measureLine_->HeightDifference(terrain);
        const QString difference =
            rise ? QString::asprintf("End to end: %+.1f m", *rise) : QStringLiteral("End to end: -");
        // The profile's length is the line's geodesic length.
        profilePanel_->ShowProfile(ProfileAlong(terrain, measureLine_->Points), QStringLiteral("Measured Line"),
                                   difference);
    } else if (selected >= 0) {
        const TTrack &track = tracks_->Tracks[size_t(selected)];
        profilePanel_->ShowProfile(ProfileAlong(terrain, track.Segments), QString::fromStdString(track.Name));
    } else {
        profilePanel_->Clear();
    }
    if (show && profilePanel_->HasProfile())
        profilePanel_->show();
}

// The pointer over the plot marks its own point; only otherwise does the
// ground under the pointer choose it.
void TfmView::PointerOverGround(const std::optional<TGroundPoint> &ground)
{
    // Runs after every frame: nothing to mark while no profile is shown.
    if (!profilePanel_->HasProfile() || !profilePanel_->isVisible() || profilePanel_->Plot->Pointing())
        return;
    std::optional<double> distance;
    if (ground) {
        // The few pixels' reach, in metres on the ground there.
        const double reach = PixelsToWorld(kHoverPixels, ground->X, ground->Z);
        const TLatLon beside = View_->Terrain.LatLonAtWorld(ground->X + reach, ground->Z);
        const double metres = GeodesicMetres(ground->LatLon, beside);
        distance = ProfileDistanceNear(profilePanel_->Profile(), ground->LatLon, metres);
    }
    profilePanel_->Plot->SetMark(distance);
}

// A pixel spans 2·d·tan(fov/2) / height drawn units at distance d from the
// eye; the eye stands where the view's translation puts it, in hiking mode
// at its own height, else on the orbit 2·WorldSize from the centre. The
// camera works in drawn units: the ground point is stretched as drawn, and
// the span comes back in world units along X.
double TfmView::PixelsToWorld(double pixels, double worldX, double worldZ) const
{
    const TTopoView &v = *View_;
    const TDrawnScale drawn = v.DrawnScale();
    const double x = worldX * drawn.X, z = worldZ * drawn.Z;
    double eyeX = -v.OffsetX, eyeY = v.EyeHeight, eyeZ = -v.OffsetZ;
    if (!v.HikingMode) {
        const double d = 2.0 * v.WorldSize, pitch = v.Pitch * kPi / 180, yaw = v.Yaw * kPi / 180;
        eyeX += d * std::cos(pitch) * std::sin(yaw);
        eyeY = -d * std::sin(pitch);
        eyeZ += d * std::cos(pitch) * std::cos(yaw);
    }
    // The ground's own height changes the distance too little to matter.
    const double distance = std::sqrt((eyeX - x) * (eyeX - x) + eyeY * eyeY + (eyeZ - z) * (eyeZ - z));
    const int height = std::max(1, drawWindow_->height());
    return pixels * 2 * distance * std::tan(v.FieldOfView * kPi / 360) / height / drawn.X;
}

std::vector<std::array<float, 2>> TfmView::TrackOnTerrain(const TTrack &track, bool withWaypoints) const
{
    std::vector<std::array<float, 2>> points;
    if (!View_->Loaded)
        return points;
    const double half = View_->WorldSize / 2.0;
    const TDrawnScale drawn = View_->DrawnScale();
    const auto add = [&](const TLatLon &where) {
        if (const auto world = View_->Terrain.WorldAt(where);
            world && std::abs((*world)[0]) <= half && std::abs((*world)[1]) <= half)
            points.push_back({float((*world)[0] * drawn.X), float((*world)[1] * drawn.Z)});
    };
    for (const TTrackSegment &segment : track.Segments)
        for (const TTrackPoint &point : segment.Points)
            add(point.Where);
    if (withWaypoints)
        for (const TWaypoint &waypoint : track.Waypoints)
            add(waypoint.Where);
    return points;
}

void TfmView::ZoomToTrack(int index)
{
    const TTrack &track = tracks_->Tracks.at(size_t(index));
    const std::vector<std::array<float, 2>> points = TrackOnTerrain(track, true);
    if (points.empty())
        throw ETerrainError(kOffTerrain, track.File);
    float minX = points[0][0], maxX = minX, minZ = points[0][1], maxZ = minZ;
    for (const auto &[x, z] : points) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minZ = std::min(minZ, z);
        maxZ = std::max(maxZ, z);
    }
    if (!controls_)
        return;
    if (controls_->IsHiking())
        controls_->cbHiking->setChecked(false);
    // The orbit camera looks at the track's centre from 2·WorldSize away:
    // the field of view that takes in its extent with a margin.
    const double extent = std::max({maxX - minX, maxZ - minZ, 1.0f}) * 1.3;
    const double fov = 2 * std::atan(extent / (4.0 * View_->WorldSize)) * 180 / kPi;
    controls_->SetValue(pvTransX, -(minX + maxX) / 2);
    controls_->SetValue(pvTransZ, -(minZ + maxZ) / 2);
    controls_->SetValue(pvFocal, float(std::clamp(std::ceil(fov), 5.0, 100.0)));
}

void TfmView::AddWaypointsToPlacemarks(int index)
{
    const TTrack &track = tracks_->Tracks.at(size_t(index));
    const std::string className = "Waypoints";
    int16_t id = 0;
    const auto &classes = View_->PlaceClasses;
    const auto found =
        std::find_if(classes.begin(), classes.end(), [&](const auto &c) { return c->Name == className; });
    if (found != classes.end()) {
        id = (*found)->Id;
    } else {
        for (const auto &c : classes)
            id = std::max<int16_t>(id, int16_t(c->Id + 1));
        View_->AddPlaceClass(id, className, track.Color.R, track.Color.G, track.Color.B);
    }
    for (const TWaypoint &waypoint : track.Waypoints)
        View_->AddPlace(waypoint.Where, waypoint.Name, id);
}

void TfmView::FollowSelectedTrack()
{
    const int selected = trackList_->Selected();
    if (selected < 0)
        throw std::runtime_error("Select a track in the track list to follow it.");
    const TTrack &track = tracks_->Tracks[size_t(selected)];
    if (track.Segments.empty())
        throw ETerrainError("holds waypoints only, no line to follow.", track.File);
    std::vector<std::array<float, 2>> path = TrackOnTerrain(track);
    if (path.empty())
        throw ETerrainError(kOffTerrain, track.File);
    if (!controls_)
        return;
    if (!controls_->IsHiking())
        controls_->cbHiking->setChecked(true);
    controls_->FollowPath(std::move(path));
}
