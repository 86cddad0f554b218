// The main window as a user meets it: start-up, commands and menus, the
// frame loop's caption and read-outs, mouse drags and keys.
#include "MainWindowFixture.h"

#include "Browser.h"
#include "DrawTarget.h"
#include "OptionsDialog.h"
#include "TerrainSource.h"
#include "TopoViewVBO.h"
#include "TilePos.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>

namespace {

TEST_F(MainWindowTest, StartsItsWindowsInOrderAndShowsThePadInTheCorner)
{
    EXPECT_EQ(fmView, &view());
    EXPECT_EQ(fmControls, &pad());
    // The pad belongs to the main window, so it stays above it.
    EXPECT_EQ(pad().parentWidget(), &view());
    EXPECT_EQ(view().windowTitle(), "Orolith");
    EXPECT_EQ(pad().windowTitle(), "Controls");
    EXPECT_EQ(windows->Browser()->windowTitle(), "Browse Maps");
    ASSERT_NE(view().View(), nullptr);
    EXPECT_FALSE(topo().Loaded);

    ShowWindows();
    EXPECT_TRUE(pad().isVisible());
    EXPECT_TRUE(windows->Browser()->isVisible());
    QTest::qWait(50);
    EXPECT_EQ(pad().frameGeometry().right(), view().frameGeometry().right());
    // The translation sliders span the terrain square (VertexSize 128).
    EXPECT_EQ(pad().tbTransX->minimum(), -64);
    EXPECT_EQ(pad().tbTransZ->maximum(), 64);
    // The first progress report moved the bar into the status bar.
    EXPECT_EQ(view().ProgressBar->parentWidget(), view().StatusPanel0);
}

// A window manager sizes the main window after it was shown (maximised):
// the pad follows the corner until the user moves it, and comes back by its
// shortcut once closed; the browser comes back from being minimised.
TEST_F(MainWindowTest, PadKeepsToTheCornerAndComesBackAfterClosing)
{
    ShowWindows();
    const auto cornerOf = [](const QWidget &w) { return w.frameGeometry().topRight(); };
    view().setGeometry(40, 40, 1000, 700);
    QTest::qWait(50);
    EXPECT_EQ(cornerOf(pad()).x(), cornerOf(view()).x());
    EXPECT_EQ(pad().geometry().top(), view().pnControl1->mapToGlobal(QPoint(0, view().pnControl1->height())).y());

    pad().move(pad().pos() - QPoint(300, 0));
    const QPoint put = pad().pos();
    view().resize(900, 650);
    QTest::qWait(50);
    EXPECT_EQ(pad().pos(), put);

    pad().close();
    ASSERT_FALSE(pad().isVisible());
    view().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view()));
    QTest::keyClick(&view(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(pad().isVisible());

    windows->Browser()->showMinimized();
    QTest::keyClick(&view(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(windows->Browser()->isVisible());
    EXPECT_FALSE(windows->Browser()->isMinimized());
}

TEST_F(MainWindowTest, CommandsCarryCategoryCaptionHintAndShortcut)
{
    struct Row {
        QAction *action;
        const char *category, *caption, *hint, *shortcut;
    };
    TfmView &v = view();
    const Row rows[] = {
        {v.acBrowser, "File", "Browser...", "Browse Maps", "Ctrl+B"},
        {v.acLoadFile, "File", "Load File", "Load Height Data from a file", "Ctrl+O"},
        {v.acSaveHM, "File", "Save Heightmap", "Save the Heightmap", ""},
        {v.acSaveTexture, "File", "Save Texture", "Save the Current Texture", ""},
        {v.acExportMesh, "File", "Export Mesh...", "Export the Terrain Mesh for 3D Printing or 3D Tools", ""},
        {v.acSaveScreen, "File", "Save Screenshot", "Save a Screenshot of the current image", ""},
        {v.acReloadOptions, "Options", "Reload Options", "Reload Options From Ini File", ""},
        {v.acExit, "File", "Exit", "Exit Orolith", "Alt+F4"},
        {v.acGLInfo, "Info", "OpenGL-Info", "Show Info about OpenGL", ""},
        {v.acAboutOrolith, "Info", "About Orolith", "About Orolith", ""},
        {v.acShowOptDialog, "Options", "Options...", "Show Options Dialog", ""},
        {v.acSaveOptions, "Options", "Save Options", "Save Options", ""},
        {v.acPlaces, "Options", "Placemarks/Classes", "Edit Placemarks and Classes", ""},
        {v.acControls, "Window", "Navigation Pad", "Show the Navigation Pad", "Ctrl+P"},
        {v.acLoadTrack, "File", "Load Track...", "Load GPS Tracks (GPX, KML, GeoJSON)", "Ctrl+T"},
        {v.acMeasure, "Tools", "Measure", "Measure Distances and Heights by Clicking on the Terrain", "Ctrl+M"},
        {v.acFollowTrack, "Tools", "Follow Track", "Walk Along the Selected Track in Hiking Mode", "Ctrl+F"},
        {v.acSaveProfilePicture, "Tools", "Save Profile Picture...", "Save the Elevation Profile as PNG or SVG", ""},
        {v.acSaveProfileCsv, "Tools", "Save Profile CSV...", "Save the Elevation Profile's Samples as CSV", ""},
    };
    ASSERT_EQ(v.ActionList1.size(), std::size(rows));
    for (const Row &r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(r.action->property("category").toString(), r.category);
        EXPECT_EQ(r.action->text(), r.caption);
        EXPECT_EQ(r.action->toolTip(), r.hint);
        EXPECT_EQ(r.action->shortcut().toString(QKeySequence::PortableText), r.shortcut);
    }
}

QStringList MenuItems(QMenu *menu)
{
    QStringList items;
    for (QAction *a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}

TEST_F(MainWindowTest, MenusToolBarAndPanelAreLaidOutAsTabled)
{
    QStringList menus;
    for (QAction *a : view().menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"File", "Options", "Tools", "Window", "Info"}));
    EXPECT_EQ(MenuItems(view().mnFile), QStringList({"Load File", "Load Track...", "-", "Browser...", "-", "Save Screenshot",
                                                     "Save Heightmap", "Save Texture", "Export Mesh...",
                                                     "Fill Voids in Exports", "-", "Exit"}));
    EXPECT_EQ(MenuItems(view().mnOptions),
              QStringList({"Options...", "Save Options", "Reload Options", "-", "Placemarks/Classes"}));
    EXPECT_EQ(MenuItems(view().mnTools), QStringList({"Measure", "Follow Track", "-", "Save Profile Picture...",
                                                      "Save Profile CSV..."}));
    EXPECT_EQ(MenuItems(view().mnWindow),
              QStringList({"Navigation Pad", "Browser...", "Track List", "Elevation Profile"}));
    EXPECT_EQ(MenuItems(view().mnInfo), QStringList({"OpenGL-Info", "About Orolith"}));

    QStringList tools;
    for (QAction *a : view().pnControl1->actions())
        tools << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(tools, QStringList({"Load File", "-", "Browser...", "-", "Save Screenshot", "Save Heightmap"}));

    EXPECT_EQ(view().sbSetSea->text(), "Set");
    EXPECT_EQ(view().sbSetSea->toolTip(), "Set Sealevel");
    EXPECT_EQ(view().sbInfo->toolTip(), "View Information");
    EXPECT_EQ(view().tbVertScale->value(), -10);
    EXPECT_TRUE(view().tbVertScale->toolTip().startsWith("Vertical Scaling\nCurrent Value: 1.0"));
    view().tbSeaLevel->setValue(-250);
    EXPECT_EQ(view().lbSeaLevel->text(), "250");
    EXPECT_TRUE(view().tbSeaLevel->toolTip().endsWith("Current Value: 250.0"));
}

TEST_F(MainWindowTest, ReadoutsShowPositionAndHeightOfTheCentre)
{
    ShowWindows();
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    ASSERT_TRUE(WaitForFrame());
    // The camera looks at the tile's centre: 11.5E 47.5N, 600 columns of 10/12 m.
    EXPECT_EQ(view().StatusPanel2->text(), "11.500000E  47.500000N: 500.0 m");
    // The loaded tile sets the hiking eye to its highest point.
    EXPECT_FLOAT_EQ(pad().GetValue(pvHikeY), 1000 * 0.006f);
}

TEST_F(MainWindowTest, GroundReadoutIsUnderThePixelTheFrameKept)
{
    ShowWindows();
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    windows->Browser()->hide();  // it opens over the view's centre
    QWindow *draw = view().DrawWindow();
    const QPoint centre(draw->width() / 2, draw->height() / 2);
    QCursor::setPos(draw->mapToGlobal(centre));
    // The pointer arrives with the window system's next event: a frame follows.
    for (int i = 0; i < 50 && view().StatusPanel1->text().isEmpty(); ++i)
        ASSERT_TRUE(WaitForFrame());
    const QString underPointer = view().StatusPanel1->text();
    ASSERT_TRUE(underPointer.endsWith(" m")) << underPointer.toStdString();

    // With the pointer gone, a frame that kept the same pixel still reads the
    // ground there: the read-out follows the frame, not a second look at the
    // pointer (which, while it moves, would cost drawing the frame again).
    QCursor::setPos(draw->mapToGlobal(QPoint(-40, -40)));
    topo().PickPixel = centre;
    topo().AddPlaceClass(9, "Unused", 1, 1, 1);  // a frame is drawn, the picture stays
    ASSERT_TRUE(WaitForFrame());
    EXPECT_EQ(view().StatusPanel1->text(), underPointer);

    topo().PickPixel.reset();
    ASSERT_TRUE(WaitForFrame());
    EXPECT_TRUE(view().StatusPanel1->text().isEmpty()) << view().StatusPanel1->text().toStdString();

    // Over the navigation pad where it covers the view, the pointer is on the
    // pad: no ground is read there, and moving it draws no frames.
    pad().show();
    pad().move(draw->mapToGlobal(centre) - QPoint(30, 30));
    pad().raise();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pad()));
    QCursor::setPos(draw->mapToGlobal(centre));
    QTest::qWait(200);
    topo().AddPlaceClass(10, "Unused", 1, 1, 1);
    ASSERT_TRUE(WaitForFrame());
    EXPECT_TRUE(view().StatusPanel1->text().isEmpty()) << view().StatusPanel1->text().toStdString();
}

class DragTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        ShowWindows();
        pad().SetValue(pvHeading, 0);
        pad().SetValue(pvTilt, 0);
    }
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent e(type, at, view().DrawWindow()->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(view().DrawWindow(), &e);
    }
    // Presses the buttons one after another at `from`, moves to each point, releases.
    void Drag(Qt::MouseButtons buttons, QPoint from, std::initializer_list<QPoint> to)
    {
        Qt::MouseButtons held;
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            if (buttons & b)
                Send(QEvent::MouseButtonPress, from, b, held |= b);
        for (QPoint p : to)
            Send(QEvent::MouseMove, p, Qt::NoButton, held);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            if (buttons & b)
                Send(QEvent::MouseButtonRelease, *(to.end() - 1), b, held &= ~Qt::MouseButtons(b));
    }
};

TEST_F(DragTest, RightDragTurnsHeadingAndTilt)
{
    Drag(Qt::RightButton, {100, 100}, {{110, 104}});
    EXPECT_EQ(pad().GetValue(pvHeading), 5);
    EXPECT_EQ(pad().GetValue(pvTilt), 2);
    Drag(Qt::RightButton, {100, 100}, {{103, 100}});
    EXPECT_EQ(pad().GetValue(pvHeading), 6);
    // Each move counts on its own: two 3-pixel moves are 1 + 1, not 3.
    Drag(Qt::RightButton, {100, 100}, {{103, 100}, {106, 100}});
    EXPECT_EQ(pad().GetValue(pvHeading), 8);
}

TEST_F(DragTest, LeftDragPansBothButtonsZoomMiddleDoesNothing)
{
    Drag(Qt::LeftButton, {100, 100}, {{110, 110}});
    EXPECT_EQ(pad().GetValue(pvTransX), 4);
    EXPECT_EQ(pad().GetValue(pvTransZ), 2);

    const float focal = pad().GetValue(pvFocal);
    Drag(Qt::LeftButton | Qt::RightButton, {100, 100}, {{100, 110}});
    EXPECT_EQ(pad().GetValue(pvFocal), focal + 5);

    Drag(Qt::RightButton | Qt::MiddleButton, {100, 100}, {{150, 150}});
    EXPECT_EQ(pad().GetValue(pvHeading), 0);
    EXPECT_EQ(pad().GetValue(pvFocal), focal + 5);

    // Moves without a pressed button change nothing.
    Send(QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
    Send(QEvent::MouseMove, {90, 90}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(pad().GetValue(pvTransX), 4);
}

TEST_F(MainWindowTest, KeysToggleOutlinesAndReachThePad)
{
    ShowWindows();
    QWindow *draw = view().DrawWindow();
    QTest::keyClick(draw, Qt::Key_W);
    EXPECT_TRUE(topo().Wireframe);
    QTest::keyClick(draw, Qt::Key_W, Qt::ShiftModifier);
    EXPECT_FALSE(topo().Wireframe);

    // A keypad key pressed in the main window walks the pad, once per press.
    QTest::keyClick(draw, Qt::Key_8, Qt::KeypadModifier);
    EXPECT_FLOAT_EQ(pad().Speed, 0.1f);
    QTest::keyClick(&view(), Qt::Key_8, Qt::KeypadModifier);
    EXPECT_FLOAT_EQ(pad().Speed, 0.2f);
    QTest::keyClick(view().tbSeaLevel, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(pad().Speed, 0);
}

TEST_F(MainWindowTest, SliderCopiesReachTheViewWithTheNextFrame)
{
    ShowWindows();
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    view().tbVertScale->setValue(-25);
    pad().SetValue(pvTilt, -60);
    pad().SetValue(pvFocal, 50);
    ASSERT_TRUE(WaitForFrame());
    EXPECT_FLOAT_EQ(topo().VerticalScale, 2.5f);
    EXPECT_EQ(topo().Pitch, -60);
    EXPECT_EQ(topo().FieldOfView, 50);
    EXPECT_EQ(topo().Yaw, 35);

    // In hiking mode the walker's position and direction drive the camera.
    pad().cbHiking->click();
    pad().HikeHeading = 90;
    ASSERT_TRUE(WaitForFrame());
    EXPECT_TRUE(topo().HikingMode);
    EXPECT_NEAR(topo().Yaw, 90, 1e-3);
    EXPECT_EQ(topo().FieldOfView, 80);
}

TEST_F(MainWindowTest, InformationBoxNamesVersionLoadTimeAndUsage)
{
    QString text;
    DismissNextMessage(text);
    view().sbInfo->click();
    EXPECT_TRUE(text.startsWith("Status:\nVersion: ")) << text.toStdString();
    EXPECT_FALSE(text.contains("VBuffersize"));
    EXPECT_TRUE(text.contains("\nLast Loading Time: 0.00 sec\nFrames per Second: 0.0\n\n\nUsage:\n"));
    EXPECT_TRUE(text.endsWith("Hiking Mode:\nRMB + Move Up/Down   = Look Up/Down"));
}

class VertexBufferWindowTest : public MainWindowTest {
protected:
    VertexBufferWindowTest() : MainWindowTest(1, 768) {}
};

TEST_F(VertexBufferWindowTest, InformationBoxShowsTheBufferSize)
{
    ShowWindows();
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    EXPECT_TRUE(view().InformationText().contains("\nVBuffersize in KB: 45,960\nLast Loading Time: "))
        << view().InformationText().toStdString();
}

}  // namespace

namespace {

// Presses OK (accept) or Escape (reject) in the next modal dialog and keeps its title.
void AnswerNextDialog(bool accept, QString &title)
{
    WhenModal([accept, &title](QWidget *w) {
        title = w->windowTitle();
        if (auto *dialog = qobject_cast<QDialog *>(w); dialog && accept)
            dialog->accept();
        else
            QTest::keyClick(w, Qt::Key_Escape);
    });
}

TEST_F(MainWindowTest, OptionsDialogRecreatesTheViewOnlyWhenAccepted)
{
    ShowWindows();
    const std::string tile = WriteRampTile(dir, "N47E011.hgt");
    view().LoadTerrainFile(tile);
    topo().AddPlaceClass(3, "Peaks", 1, 0, 0);
    topo().AddPlace(MakeLatLon(11.25, 47.25), "Summit", 3);
    topo().SetClassVisible(3, false);

    // A view that was not re-created keeps this.
    topo().Wireframe = true;
    QString title;
    AnswerNextDialog(false, title);
    view().acShowOptDialog->trigger();
    EXPECT_EQ(title, "Options");
    EXPECT_TRUE(topo().Wireframe);

    WhenModal([](QWidget *w) {
        auto *dialog = qobject_cast<TfmOptions *>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->ofTopoClass->setCurrentIndex(1);
        dialog->accept();
    });
    view().acShowOptDialog->trigger();
    EXPECT_FALSE(topo().Wireframe);
    EXPECT_NE(dynamic_cast<TTopoViewVBO *>(&topo()), nullptr);
    // The new view shows the same tile with the same placemarks, every class visible again.
    EXPECT_TRUE(topo().Loaded);
    ASSERT_EQ(topo().Places.size(), 1u);
    EXPECT_EQ(topo().Places[0]->Name, "Summit");
    ASSERT_EQ(topo().PlaceClasses.size(), 1u);
    EXPECT_TRUE(topo().PlaceClasses[0]->Visible);
}

TEST_F(MainWindowTest, InfoAndPlacemarkDialogsOpenModallyAndChangeNothingOnCancel)
{
    ShowWindows();
    topo().AddPlaceClass(1, "Huts", 0, 0, 1);
    QString title;
    AnswerNextDialog(false, title);
    view().acPlaces->trigger();
    EXPECT_EQ(title, "Places/Classes");
    EXPECT_EQ(topo().PlaceClasses.size(), 1u);

    AnswerNextDialog(false, title);
    view().acGLInfo->trigger();
    EXPECT_EQ(title, "OpenGL Info");

    AnswerNextDialog(true, title);
    view().acAboutOrolith->trigger();
    EXPECT_EQ(title, "About Orolith");
}

TEST_F(MainWindowTest, BrowserOpensItsTileInTheMainWindow)
{
    ShowWindows();
    const std::string archive = dir.Path("N45E007.hgt.zip");
    WriteZip(archive, "N45E007.hgt", MakeHgtBytes(1201, [](int, int) { return int16_t(100); }));
    view().acBrowser->trigger();
    EXPECT_TRUE(windows->Browser()->isVisible());
    windows->Browser()->OnOpenTile(TerrainSourceFor({archive}));
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(view().CurrentFileName(), archive);
}

}  // namespace
