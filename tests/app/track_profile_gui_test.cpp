// Tracks, their elevation profile and measuring as a user meets them in the
// main window: the profile and the terrain point at each other, a bad track
// file changes nothing, two clicks measure the geodesic length and save its
// profile, and the walker follows a track.
#include "MainWindowFixture.h"

#include "MeasureTool.h"
#include "ProfileLink.h"
#include "ProfilePanel.h"
#include "ProfilePlot.h"
#include "Track.h"
#include "TrackList.h"

#include <GeographicLib/Geodesic.hpp>

#include <QAction>
#include <QFileInfo>
#include <QToolButton>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>

#include <fstream>

namespace {

double WGS84Metres(const TLatLon &a, const TLatLon &b)
{
    double metres = 0;
    GeographicLib::Geodesic::WGS84().Inverse(a.Lat, a.Lon, b.Lat, b.Lon, metres);
    return metres;
}

class TrackProfileTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        ShowWindows();
        view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
        // Open from the start, so the panel keeps its size when they fill.
        view().TrackList()->show();
        view().ProfilePanel()->show();
        view().layout()->activate();
        // Straight down on the square: the panel's centre shows its centre,
        // 47.5N 11.5E.
        pad().btnViewTopClick();
        ASSERT_TRUE(WaitForFrame());
    }

    // A track along the parallel 47.5N from 11.2E to 11.8E, across the middle.
    std::string WriteEastwardTrack(const std::string &name)
    {
        const std::string path = dir.Path(name);
        std::ofstream gpx(path);
        gpx << "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
               "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>East</name><trkseg>\n";
        for (int i = 0; i <= 12; ++i)
            gpx << "<trkpt lat=\"47.5\" lon=\"" << 11.2 + i * 0.05 << "\"><ele>900</ele></trkpt>\n";
        gpx << "</trkseg></trk></gpx>\n";
        return path;
    }

    QPoint PanelCentre() { return {view().DrawWindow()->width() / 2, view().DrawWindow()->height() / 2}; }
};

TEST_F(TrackProfileTest, ProfileAndTerrainMarkEachOthersPoint)
{
    ASSERT_TRUE(view().OpenTrackFiles({WriteEastwardTrack("east.gpx")}));
    TProfilePanel &panel = *view().ProfilePanel();
    ASSERT_TRUE(panel.isVisible());
    ASSERT_TRUE(panel.HasProfile());
    const double half = WGS84Metres({47.5, 11.2}, {47.5, 11.5});

    // The pointer over the terrain's centre marks the middle of the line.
    topo().PickPixel = PanelCentre();
    ASSERT_TRUE(WaitForFrame());
    ASSERT_TRUE(panel.Plot->Mark().has_value());
    EXPECT_NEAR(*panel.Plot->Mark(), half, 300);
    // Off the line, nothing is marked.
    topo().PickPixel = QPoint(PanelCentre().x(), 5);
    ASSERT_TRUE(WaitForFrame());
    EXPECT_FALSE(panel.Plot->Mark().has_value());

    // The pointer over the plot marks its point on the terrain, in the
    // view's scene; leaving the plot takes the marker away.
    TProfilePlot &plot = *panel.Plot;
    const QPointF at(plot.width() * 0.25, plot.height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, plot.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&plot, &move);
    const double along = ProfileDistanceAt(QRectF(plot.rect()), plot.Profile(), at.x());
    const std::optional<TLatLon> marked = view().ProfileMarker().Where;
    ASSERT_TRUE(marked.has_value());
    EXPECT_NEAR(marked->Lat, 47.5, 0.01);
    EXPECT_NEAR(WGS84Metres({47.5, 11.2}, *marked), along, 300);
    const std::vector<TOverlayMarker> markers = topo().Scene.AllMarkers();
    EXPECT_TRUE(std::any_of(markers.begin(), markers.end(),
                            [&](const TOverlayMarker &m) { return m.Where.Lon == marked->Lon; }));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&plot, &leave);
    EXPECT_FALSE(view().ProfileMarker().Where.has_value());
}

// A file that is no track is named in the message; the terrain, the tracks
// and what is drawn stay, also across another terrain and a new view. A
// track off the terrain loads but says why it is not seen.
TEST_F(TrackProfileTest, BadTrackLeavesTheSceneAsItWas)
{
    ASSERT_TRUE(view().OpenTrackFiles({WriteEastwardTrack("good.gpx")}));
    const size_t lines = topo().Scene.AllLines().size();
    ASSERT_GT(lines, 0u);

    const std::string bad = dir.Path("broken.gpx");
    std::ofstream(bad) << "<?xml version=\"1.0\"?><gpx><trk><trkseg><trkpt lat=\"47";
    view().FileDialogs.Open = [&](QWidget *, const TFileDialogs::TRequest &) {
        return TFileDialogs::TResult{QString::fromStdString(bad), 1, {QString::fromStdString(bad)}};
    };
    QString message;
    DismissNextMessage(message);
    view().acLoadTrack->trigger();
    EXPECT_TRUE(message.contains(QStringLiteral("broken.gpx"))) << message.toStdString();
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(view().Tracks().Tracks.size(), 1u);
    EXPECT_EQ(topo().Scene.AllLines().size(), lines);

    const std::string far = dir.Path("far.gpx");
    std::ofstream(far) << "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
                          "xmlns=\"http://www.topografix.com/GPX/1/1\"><rte><rtept lat=\"10\" lon=\"10\"/>"
                          "<rtept lat=\"10.1\" lon=\"10\"/></rte></gpx>";
    // Waypoints alone on the terrain are seen, so nothing is said of them.
    const std::string waypoints = dir.Path("waypoints.gpx");
    std::ofstream(waypoints) << "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
                                "xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"47.4\" lon=\"11.5\">"
                                "<name>Hut</name></wpt></gpx>";
    DismissNextMessage(message);
    EXPECT_TRUE(view().OpenTrackFiles({far, waypoints}));
    EXPECT_TRUE(message.contains(QStringLiteral("far.gpx: the track lies entirely off the terrain.")))
        << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("waypoints.gpx"))) << message.toStdString();
    EXPECT_EQ(view().Tracks().Tracks.size(), 3u);
    DismissNextMessage(message);
    view().acFollowTrack->trigger();
    EXPECT_TRUE(message.startsWith(QStringLiteral("%1: the track lies").arg(QString::fromStdString(far))));
    EXPECT_FALSE(pad().IsFollowing());

    const size_t withFar = topo().Scene.AllLines().size();
    view().LoadTerrainFile(WriteRampTile(dir, "N46E011.hgt"));
    EXPECT_EQ(topo().Scene.AllLines().size(), withFar);
    view().RecreateView(true);
    EXPECT_EQ(topo().Scene.AllLines().size(), withFar);
    EXPECT_EQ(view().Tracks().Tracks.size(), 3u);
}

// Clicks measure only while the tool is on, and they do not pan the camera.
TEST_F(TrackProfileTest, TwoClicksMeasureTheGeodesicLength)
{
    QWindow *panel = view().DrawWindow();
    const QPoint a = PanelCentre() - QPoint(60, 20), b = PanelCentre() + QPoint(70, 30);
    TGroundPoint groundA, groundB;
    ASSERT_TRUE(topo().PickGround(a.x(), a.y(), groundA));
    ASSERT_TRUE(topo().PickGround(b.x(), b.y(), groundB));
    QTest::mouseClick(panel, Qt::LeftButton, {}, a);
    EXPECT_TRUE(view().MeasureTool()->Line().Points.empty());

    view().acMeasure->trigger();
    const float panX = pad().GetValue(pvTransX), panZ = pad().GetValue(pvTransZ);
    QTest::mouseClick(panel, Qt::LeftButton, {}, a);
    QTest::mouseClick(panel, Qt::LeftButton, {}, b);
    const std::vector<TLatLon> &points = view().MeasureTool()->Line().Points;
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].Lon, groundA.LatLon.Lon, 1e-6);
    EXPECT_NEAR(points[1].Lat, groundB.LatLon.Lat, 1e-6);

    const double metres = WGS84Metres(points[0], points[1]);
    const QString shown = view().ProfilePanel()->lbSummary->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("Length:\u00a0%1\u00a0km").arg(metres / 1000, 0, 'f', 2))) << shown.toStdString();
    EXPECT_EQ(pad().GetValue(pvTransX), panX);
    EXPECT_EQ(pad().GetValue(pvTransZ), panZ);

    // Its profile saves as CSV; a picture type the plot has no writer for
    // is refused before anything is written.
    QString saveAs = QString::fromStdString(dir.Path("line.csv"));
    view().FileDialogs.Save = [&](QWidget *, const TFileDialogs::TRequest &) {
        return TFileDialogs::TResult{saveAs, 1, {saveAs}};
    };
    view().acSaveProfileCsv->trigger();
    std::ifstream csv(saveAs.toStdString());
    std::string header;
    std::getline(csv, header);
    EXPECT_EQ(header, "distance_m,lat,lon,height_m,gpx_height_m");
    saveAs = QString::fromStdString(dir.Path("line.gif"));
    QString message;
    DismissNextMessage(message);
    view().acSaveProfilePicture->trigger();
    EXPECT_TRUE(message.contains(QStringLiteral("profiles are saved as .png or .svg"))) << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(saveAs));

    // Esc ends the line; the next click starts a new one.
    view().FormKeyDown(Qt::Key_Escape, {});
    EXPECT_TRUE(view().MeasureTool()->Line().Finished);
    QTest::mouseClick(panel, Qt::LeftButton, {}, b);
    EXPECT_EQ(view().MeasureTool()->Line().Points.size(), 1u);
}

// The walker stands on the track and looks along it, eastward here.
TEST_F(TrackProfileTest, FollowWalksTheEyeAlongTheTrackLookingAhead)
{
    ASSERT_TRUE(view().OpenTrackFiles({WriteEastwardTrack("east.gpx")}));
    view().acFollowTrack->trigger();
    ASSERT_TRUE(pad().IsHiking());
    for (int i = 0; i < 10; ++i)
        pad().tmrRotTimer();
    const TLatLon eye = topo().Terrain.LatLonAtWorld(-pad().HikeX, -pad().HikeZ);
    EXPECT_NEAR(eye.Lat, 47.5, 0.002);
    EXPECT_GT(eye.Lon, 11.2);
    EXPECT_NEAR(pad().HikeHeading, 270, 1);
    EXPECT_NEAR(pad().HikeY, topo().EyeHeightAbove(-pad().HikeX, -pad().HikeZ), 1e-4);
    pad().sbStop->click();
    EXPECT_FALSE(pad().IsFollowing());
}

TEST_F(TrackProfileTest, ZoomToTrackCentresItInTrueProportions)
{
    // At 60°N the terrain is drawn half as wide as tall: the camera must aim
    // at the track where it is drawn, not where it lies on the square.
    topo().TrueProportions = true;
    view().LoadTerrainFile(WriteRampTile(dir, "N60E011.hgt"));
    const std::string path = dir.Path("short.gpx");
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                           "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
                           "<trkpt lat=\"60.2\" lon=\"11.7\"/><trkpt lat=\"60.4\" lon=\"11.9\"/>"
                           "</trkseg></trk></gpx>\n";
    ASSERT_TRUE(view().OpenTrackFiles({path}));
    view().ZoomToTrack(int(view().Tracks().Tracks.size()) - 1);
    ASSERT_TRUE(WaitForFrame());
    const TLatLon centre = topo().GetViewCenter().LatLon;
    // Within a step of the pad's sliders, which move by whole units.
    EXPECT_NEAR(centre.Lat, 60.3, 0.01);
    EXPECT_NEAR(centre.Lon, 11.8, 0.02);
}

}  // namespace
