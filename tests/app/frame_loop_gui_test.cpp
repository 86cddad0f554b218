// The frame loop as a user meets it: frames only when the picture changes,
// the caption's frame rate, true read-outs under the mouse and the sea level
// on the panel.
#include "MainWindowFixture.h"

#include <QCursor>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

namespace {

class FrameLoopTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        ShowWindows();
        // Windows of tests running beside this one may uncover the panel,
        // which rightly draws it again: those frames are counted apart.
        QObject::connect(view().DrawWindow(), &TGLDrawWindow::Exposed, [this] { ++uncovered; });
    }

    // Lets the frame loop run n more ticks; false when they did not come.
    bool RunTicks(int n)
    {
        const int until = view().TicksRun() + n;
        for (int i = 0; i < 2000 && view().TicksRun() < until; ++i)
            QTest::qWait(5);
        return view().TicksRun() >= until;
    }
    // Frames drawn for another reason than an uncovered panel.
    int ChangedFrames() const { return windows->View()->FramesDrawn() - uncovered; }
    // Runs ticks until ten in a row drew nothing; false when that never
    // happens within 300 ticks.
    bool DrawsNoMore()
    {
        int quiet = 0;
        for (int i = 0; i < 300 && quiet < 10; ++i) {
            const int frames = ChangedFrames();
            if (!RunTicks(1))
                return false;
            quiet = ChangedFrames() == frames ? quiet + 1 : 0;
        }
        return quiet >= 10;
    }
    int uncovered = 0;
    void LoadRamp()
    {
        view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
        ASSERT_TRUE(WaitForFrame());
    }
    // The ground read-out at a pixel of the drawing panel.
    QString GroundAt(QPoint pixel)
    {
        topo().PickPixel = pixel;
        EXPECT_TRUE(WaitForFrame());
        return view().StatusPanel1->text();
    }
};

TEST_F(FrameLoopTest, DrawsOnlyWhenThePictureWouldChange)
{
    // The ground read-out under a fixed pixel, not under a pointer that
    // other tests may move.
    topo().PickPixel = QPoint(20, 20);
    LoadRamp();
    topo().PickPixel = QPoint(20, 20);
    ASSERT_TRUE(DrawsNoMore());
    const int frames = ChangedFrames();
    ASSERT_TRUE(RunTicks(50));
    EXPECT_EQ(ChangedFrames(), frames);

    // Every kind of change draws again, and then the loop rests.
    const std::pair<const char *, std::function<void()>> changes[] = {
        {"pad", [&] { pad().SetValue(pvTilt, -50); }},
        {"vertical scale", [&] { view().tbVertScale->setValue(-20); }},
        {"outlines", [&] { QTest::keyClick(view().DrawWindow(), Qt::Key_W); }},
        {"placemarks", [&] { topo().AddPlaceClass(1, "Peaks", 1, 0, 0); }},
        {"sea level", [&] { view().sbSetSea->click(); }},
        {"window size", [&] { view().resize(view().width() - 40, view().height()); }},
    };
    for (const auto &[what, change] : changes) {
        SCOPED_TRACE(what);
        change();
        EXPECT_TRUE(WaitForFrame());
        EXPECT_TRUE(DrawsNoMore());
    }
}

TEST_F(FrameLoopTest, CaptionKeepsTheLastRateWhileNothingIsDrawn)
{
    LoadRamp();
    EXPECT_EQ(view().windowTitle(), "Orolith");
    // The pad's rotation turns the camera on every one of its ticks.
    pad().sbRotate->click();
    const QRegularExpression caption(QStringLiteral("^Orolith - FPS : (\\d+)$"));
    for (int i = 0; i < 600 && !caption.match(view().windowTitle()).hasMatch(); ++i)
        RunTicks(1);
    pad().sbRotate->click();
    const auto match = caption.match(view().windowTitle());
    ASSERT_TRUE(match.hasMatch()) << view().windowTitle().toStdString();
    EXPECT_GT(match.captured(1).toInt(), 0);
    EXPECT_LE(match.captured(1).toInt(), 51);  // FrameTarget 50

    ASSERT_TRUE(DrawsNoMore());
    const QString shown = view().windowTitle();
    ASSERT_TRUE(RunTicks(120));  // more than two periods of ticks
    EXPECT_EQ(view().windowTitle(), shown);
}

TEST_F(FrameLoopTest, GroundReadoutFollowsThePointerFromTheTopAndIsEmptyOverTheSky)
{
    LoadRamp();
    const QSize panel = view().DrawWindow()->size();
    // From the top the terrain lies flat (vertical scale 0).
    pad().btnViewTopClick();
    const QString west = GroundAt(QPoint(panel.width() / 4, panel.height() / 2));
    const QString east = GroundAt(QPoint(panel.width() * 3 / 4, panel.height() / 2));
    EXPECT_TRUE(west.endsWith(" m")) << west.toStdString();
    EXPECT_TRUE(east.endsWith(" m")) << east.toStdString();
    EXPECT_NE(west, east);
    EXPECT_NE(west, view().StatusPanel2->text());

    // The standard view shows sky above the terrain: nothing to read there.
    pad().sbViewStandardClick();
    EXPECT_TRUE(GroundAt(QPoint(panel.width() / 2, 2)).isEmpty()) << view().StatusPanel1->text().toStdString();
    EXPECT_FALSE(GroundAt(QPoint(panel.width() / 2, panel.height() / 2)).isEmpty());
}

TEST_F(FrameLoopTest, SeaLevelOnThePanelIsTheOneDrawnAfterTheOptionsAreReloaded)
{
    LoadRamp();
    view().tbSeaLevel->setValue(-476);
    view().sbSetSea->click();
    const QImage flooded = topo().TextureBitmap;
    view().acReloadOptions->trigger();
    ASSERT_TRUE(topo().Loaded);
    EXPECT_EQ(topo().SeaLevel, 476);
    EXPECT_EQ(topo().TextureBitmap, flooded);
    EXPECT_EQ(view().tbSeaLevel->value(), -476);
    EXPECT_EQ(view().lbSeaLevel->text(), "476");
}

}  // namespace
