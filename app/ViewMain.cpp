// The main window's structure and life cycle: actions, menu, tool bar, the
// left panel's sliders, the drawing panel, the status bar, creation and the
// first show.
#include "ViewMain.h"

#include "DrawTarget.h"
#include "FormControls.h"
#include "KeyPreview.h"
#include "MeasureTool.h"
#include "Options.h"
#include "ProfileLink.h"
#include "ProfilePanel.h"
#include "TopoView.h"
#include "TrackBarHint.h"
#include "TrackList.h"
#include "Utils.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TfmView *fmView = nullptr;
TfmControls *fmControls = nullptr;

namespace {

QAction *MakeAction(QObject *owner, std::vector<QAction *> &list, const char *category, const QString &caption,
                    const QString &hint, const QKeySequence &shortcut = {})
{
    auto *a = new QAction(caption, owner);
    a->setProperty("category", QString::fromLatin1(category));
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setShortcut(shortcut);
    list.push_back(a);
    return a;
}

// The lowest position is at the top: more exaggeration and higher sea levels
// sit higher up the panel.
QSlider *MakeVerticalSlider(QWidget *parent, QRect geometry, int min, int max, int position, int tick,
                            const QString &hint)
{
    QSlider *s = MakeTrackBar(parent, Qt::Vertical, geometry, min, max, position, tick, hint);
    s->setInvertedAppearance(true);
    s->setInvertedControls(true);
    s->setFocusPolicy(Qt::NoFocus);
    return s;
}

}  // namespace

TfmView::TfmView(QWidget *parent) : QMainWindow(parent)
{
    fmView = this;
    setObjectName(QStringLiteral("fmView"));
    setWindowTitle(QStringLiteral("Orolith"));
    resize(742, 553);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setAcceptDrops(true);
    // Overlays outlive the views: a re-created view shows them again.
    tracks_ = std::make_shared<TTrackOverlay>();
    measureLine_ = std::make_shared<TMeasureLine>();
    profileMarker_ = std::make_shared<TPointMarker>();

    BuildActions();
    BuildMenu();
    BuildToolBar();

    auto *client = new QWidget(this);
    auto *row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    BuildLeftPanel();
    BuildDrawPanel();
    row->addWidget(pnControl2);
    row->addWidget(PanelDraw, 1);
    setCentralWidget(client);
    BuildStatusBar();
    BuildTrackDocks();

    FormCreate();
}

TfmView::~TfmView()
{
    // The docks and the tool outlive this window's members as its children:
    // nothing they report may reach it any more.
    profilePanel_->Plot->OnPointer = nullptr;
    measureTool_->OnChanged = nullptr;
    trackList_->OnChanged = nullptr;
    trackList_->OnSelected = nullptr;
    // The view's context lives on the drawing window: free the view first.
    View_.reset();
    if (fmView == this)
        fmView = nullptr;
}

void TfmView::BuildActions()
{
    auto &l = ActionList1;
    acBrowser = MakeAction(this, l, "File", QStringLiteral("Browser..."), QStringLiteral("Browse Maps"),
                           QKeySequence(Qt::CTRL | Qt::Key_B));
    acLoadFile = MakeAction(this, l, "File", QStringLiteral("Load File"), QStringLiteral("Load Height Data from a file"),
                            QKeySequence(Qt::CTRL | Qt::Key_O));
    acLoadTrack = MakeAction(this, l, "File", QStringLiteral("Load Track..."),
                             QStringLiteral("Load GPS Tracks (GPX, KML, GeoJSON)"), QKeySequence(Qt::CTRL | Qt::Key_T));
    acSaveHM = MakeAction(this, l, "File", QStringLiteral("Save Heightmap"), QStringLiteral("Save the Heightmap"));
    acSaveTexture = MakeAction(this, l, "File", QStringLiteral("Save Texture"), QStringLiteral("Save the Current Texture"));
    acExportMesh = MakeAction(this, l, "File", QStringLiteral("Export Mesh..."),
                              QStringLiteral("Export the Terrain Mesh for 3D Printing or 3D Tools"));
    // A setting of Export Mesh rather than a command: not in the command list.
    acFillVoids = new QAction(QStringLiteral("Fill Voids in Exports"), this);
    acFillVoids->setStatusTip(QStringLiteral("Fill Voids from their Edges in Exported Meshes"));
    acFillVoids->setCheckable(true);
    acSaveScreen = MakeAction(this, l, "File", QStringLiteral("Save Screenshot"),
                              QStringLiteral("Save a Screenshot of the current image"));
    acReloadOptions = MakeAction(this, l, "Options", QStringLiteral("Reload Options"),
                                 QStringLiteral("Reload Options From Ini File"));
    acExit = MakeAction(this, l, "File", QStringLiteral("Exit"), QStringLiteral("Exit Orolith"),
                        QKeySequence(Qt::ALT | Qt::Key_F4));
    acGLInfo = MakeAction(this, l, "Info", QStringLiteral("OpenGL-Info"), QStringLiteral("Show Info about OpenGL"));
    acAboutOrolith = MakeAction(this, l, "Info", QStringLiteral("About Orolith"), QStringLiteral("About Orolith"));
    acShowOptDialog = MakeAction(this, l, "Options", QStringLiteral("Options..."), QStringLiteral("Show Options Dialog"));
    acSaveOptions = MakeAction(this, l, "Options", QStringLiteral("Save Options"), QStringLiteral("Save Options"));
    acPlaces = MakeAction(this, l, "Options", QStringLiteral("Placemarks/Classes"),
                          QStringLiteral("Edit Placemarks and Classes"));
    acControls = MakeAction(this, l, "Window", QStringLiteral("Navigation Pad"),
                            QStringLiteral("Show the Navigation Pad"), QKeySequence(Qt::CTRL | Qt::Key_P));
    acMeasure = MakeAction(this, l, "Tools", QStringLiteral("Measure"),
                           QStringLiteral("Measure Distances and Heights by Clicking on the Terrain"),
                           QKeySequence(Qt::CTRL | Qt::Key_M));
    acMeasure->setCheckable(true);
    acFollowTrack = MakeAction(this, l, "Tools", QStringLiteral("Follow Track"),
                               QStringLiteral("Walk Along the Selected Track in Hiking Mode"),
                               QKeySequence(Qt::CTRL | Qt::Key_F));
    acSaveProfilePicture = MakeAction(this, l, "Tools", QStringLiteral("Save Profile Picture..."),
                                      QStringLiteral("Save the Elevation Profile as PNG or SVG"));
    acSaveProfileCsv = MakeAction(this, l, "Tools", QStringLiteral("Save Profile CSV..."),
                                  QStringLiteral("Save the Elevation Profile's Samples as CSV"));

    const std::pair<QAction *, void (TfmView::*)()> handlers[] = {
        {acBrowser, &TfmView::acBrowserExecute},
        {acLoadFile, &TfmView::acLoadFileExecute},
        {acLoadTrack, &TfmView::acLoadTrackExecute},
        {acFollowTrack, &TfmView::FollowSelectedTrack},
        {acSaveProfilePicture, &TfmView::acSaveProfilePictureExecute},
        {acSaveProfileCsv, &TfmView::acSaveProfileCsvExecute},
        {acSaveHM, &TfmView::acSaveHMExecute},
        {acSaveTexture, &TfmView::acSaveTextureExecute},
        {acExportMesh, &TfmView::acExportMeshExecute},
        {acSaveScreen, &TfmView::acSaveScreenExecute},
        {acReloadOptions, &TfmView::acReloadOptionsExecute},
        {acGLInfo, &TfmView::acGLInfoExecute},
        {acAboutOrolith, &TfmView::acAboutOrolithExecute},
        {acShowOptDialog, &TfmView::acShowOptDialogExecute},
        {acSaveOptions, &TfmView::acSaveOptionsExecute},
        {acPlaces, &TfmView::acPlacesExecute},
        {acControls, &TfmView::acControlsExecute},
    };
    for (const auto &[action, handler] : handlers)
        connect(action, &QAction::triggered, this, [this, handler = handler] { RunCommand([this, handler] { (this->*handler)(); }); });
    connect(acExit, &QAction::triggered, this, &QWidget::close);
    for (QAction *a : ActionList1)
        addAction(a);  // shortcuts work while the menu is closed
}

void TfmView::BuildMenu()
{
    mnFile = menuBar()->addMenu(QStringLiteral("File"));
    mnFile->addActions({acLoadFile, acLoadTrack});
    mnFile->addSeparator();
    mnFile->addAction(acBrowser);
    mnFile->addSeparator();
    mnFile->addActions({acSaveScreen, acSaveHM, acSaveTexture, acExportMesh, acFillVoids});
    mnFile->addSeparator();
    mnFile->addAction(acExit);

    mnOptions = menuBar()->addMenu(QStringLiteral("Options"));
    mnOptions->addActions({acShowOptDialog, acSaveOptions, acReloadOptions});
    mnOptions->addSeparator();
    mnOptions->addAction(acPlaces);

    mnTools = menuBar()->addMenu(QStringLiteral("Tools"));
    mnTools->addActions({acMeasure, acFollowTrack});
    mnTools->addSeparator();
    mnTools->addActions({acSaveProfilePicture, acSaveProfileCsv});

    // The pad and the browser can be closed and minimised: here they come back.
    mnWindow = menuBar()->addMenu(QStringLiteral("Window"));
    mnWindow->addActions({acControls, acBrowser});

    mnInfo = menuBar()->addMenu(QStringLiteral("Info"));
    mnInfo->addActions({acGLInfo, acAboutOrolith});
    // The information command needs a view to ask; the menu checks it as it opens.
    connect(mnInfo, &QMenu::aboutToShow, this, [this] { acGLInfo->setEnabled(View_ != nullptr); });
}

void TfmView::BuildToolBar()
{
    pnControl1 = addToolBar(QStringLiteral("Commands"));
    pnControl1->setObjectName(QStringLiteral("pnControl1"));
    pnControl1->setMovable(false);
    pnControl1->setFloatable(false);
    pnControl1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    pnControl1->setContextMenuPolicy(Qt::PreventContextMenu);
    auto addButton = [this](QAction *a) {
        pnControl1->addAction(a);
        if (auto *b = qobject_cast<QToolButton *>(pnControl1->widgetForAction(a)))
            b->setMinimumSize(89, 21);
    };
    addButton(acLoadFile);
    pnControl1->addSeparator();
    addButton(acBrowser);
    pnControl1->addSeparator();
    addButton(acSaveScreen);
    addButton(acSaveHM);
}

void TfmView::BuildLeftPanel()
{
    pnControl2 = new QWidget;
    pnControl2->setObjectName(QStringLiteral("pnControl2"));
    pnControl2->setFixedWidth(51);
    pnControl2->setMinimumHeight(455);
    tbVertScale = MakeVerticalSlider(pnControl2, QRect(5, 4, 43, 166), -100, 0, -10, 5,
                                     QStringLiteral("Vertical Scaling"));
    tbSeaLevel = MakeVerticalSlider(pnControl2, QRect(5, 172, 43, 212), -8000, 100, 0, 100,
                                    QStringLiteral("Sea Level"));
    lbSeaLevel = new QLabel(pnControl2);
    lbSeaLevel->setGeometry(5, 385, 43, 13);
    lbSeaLevel->setAlignment(Qt::AlignCenter);
    sbSetSea = MakeButton(pnControl2, QRect(5, 401, 43, 22), QStringLiteral("Set"), QStringLiteral("Set Sealevel"));
    sbInfo = MakeButton(pnControl2, QRect(5, 429, 43, 22), QStringLiteral("Info"), QStringLiteral("View Information"));
    // Clicks must not take the keys away from the terrain.
    for (QWidget *w : {sbSetSea, sbInfo})
        w->setFocusPolicy(Qt::NoFocus);

    connect(tbVertScale, &QSlider::valueChanged, this, &TfmView::tbVertScaleChange);
    connect(tbSeaLevel, &QSlider::valueChanged, this, &TfmView::tbSeaLevelChange);
    connect(sbSetSea, &QPushButton::clicked, this, [this] { RunCommand([this] { sbSetSeaClick(); }); });
    connect(sbInfo, &QPushButton::clicked, this, [this] { sbInfoClick(); });
    tbVertScaleChange();
    tbSeaLevelChange();
}

void TfmView::BuildDrawPanel()
{
    PanelDraw = new QFrame;
    PanelDraw->setObjectName(QStringLiteral("PanelDraw"));
    PanelDraw->setFrameStyle(QFrame::Box | QFrame::Plain);
    PanelDraw->setLineWidth(1);
    auto *layout = new QVBoxLayout(PanelDraw);
    layout->setContentsMargins(1, 1, 1, 1);

    drawWindow_ = new TGLDrawWindow;
    drawContainer_ = QWidget::createWindowContainer(drawWindow_, PanelDraw);
    drawContainer_->setFocusPolicy(Qt::StrongFocus);
    drawContainer_->setMinimumSize(64, 64);
    layout->addWidget(drawContainer_);
    // The drawing window takes the mouse and the keys itself; its events come as signals.
    connect(drawWindow_, &TGLDrawWindow::MousePressed, this, [this](QMouseEvent *e) {
        PanelDrawMouseDown(e->button(), int(e->position().x()), int(e->position().y()));
    });
    connect(drawWindow_, &TGLDrawWindow::MouseReleased, this, [this](QMouseEvent *e) {
        PanelDrawMouseUp(e->button(), int(e->position().x()), int(e->position().y()));
    });
    connect(drawWindow_, &TGLDrawWindow::MouseMoved, this,
            [this](QMouseEvent *e) { PanelDrawMouseMove(int(e->position().x()), int(e->position().y())); });
    connect(drawWindow_, &TGLDrawWindow::Exposed, this, [this] { frameOutdated_ = true; });
    connect(drawWindow_, &TGLDrawWindow::KeyPressed, this,
            [this](QKeyEvent *e) { FormKeyDown(e->key(), e->modifiers()); });
    new TKeyPreview(this, [this](QKeyEvent *e) { FormKeyDown(e->key(), e->modifiers()); });

    ProgressBar = new QProgressBar(PanelDraw);
    ProgressBar->setRange(0, 100);
    ProgressBar->setGeometry(145, 250, 150, 16);
    ProgressBar->setTextVisible(false);
}

void TfmView::BuildStatusBar()
{
    StatusBar = statusBar();
    StatusBar->setSizeGripEnabled(false);
    StatusPanel0 = new QWidget;
    StatusPanel0->setMinimumWidth(150);
    StatusPanel1 = new QLabel;
    StatusPanel2 = new QLabel;
    // Wide enough for the longest read-out in the status bar's own font.
    const int readoutWidth =
        std::max(200, StatusBar->fontMetrics().horizontalAdvance(QStringLiteral("179.999999W  89.999999N: -8888.8 m")) + 12);
    for (QLabel *panel : {StatusPanel1, StatusPanel2}) {
        panel->setFixedWidth(readoutWidth);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    StatusPanel1->setToolTip(QStringLiteral("Ground under the mouse"));
    StatusPanel2->setToolTip(QStringLiteral("Point the camera looks at"));
    StatusBar->addWidget(StatusPanel0, 1);
    StatusBar->addPermanentWidget(StatusPanel1);
    StatusBar->addPermanentWidget(StatusPanel2);
}

void TfmView::FormCreate()
{
    QCoreApplication::setApplicationName(windowTitle());
    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    frameTimer_->setTimerType(Qt::PreciseTimer);
    connect(frameTimer_, &QTimer::timeout, this, &TfmView::AppIdle);

    PlacemarkLines = {};
    LoadOptions();
    RecreateView(true);
    LoadPlacemarks();
    LastFrame = ReadCounter();
    frameTimer_->start(0);
}

void TfmView::AttachControls(TfmControls *controls)
{
    controls_ = controls;
    if (!controls_)
        return;
    controls_->AttachMainWindow(tbVertScale, [this] { return View_.get(); });
    controls_->OnFollow = [this] { RunCommand([this] { FollowSelectedTrack(); }); };
}

void TfmView::AttachBrowser(QWidget *browser, std::function<void()> refresh)
{
    browser_ = browser;
    refreshBrowser_ = std::move(refresh);
}

void TfmView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TfmView::FormShow()
{
    if (controls_) {
        PlaceControls();
        // Mapped after the main window, so that a window manager stacks the
        // pad above it from the start.
        QTimer::singleShot(0, controls_, [pad = controls_] { pad->show(); });
    }
    ApplyOptionsToControls();
    FormResize();
    if (browser_)
        browser_->show();
}

void TfmView::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
    FollowWithControls();
}

void TfmView::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    FollowWithControls();
}

// A window manager maximises and places the window after it was first shown,
// one change at a time: the pad keeps to the corner until the user puts it
// somewhere else.
void TfmView::FollowWithControls()
{
    if (controls_ && controls_->pos() == controlsPlacedAt_)
        PlaceControls();
}

// The pad sits in the main window's top right corner, below the tool bar,
// and never beyond the screen, where a window manager would push it back.
void TfmView::PlaceControls()
{
    const QSize pad = controls_->frameGeometry().size();
    const QPoint toolBarBottom = pnControl1->mapToGlobal(QPoint(0, pnControl1->height()));
    QPoint at(frameGeometry().right() + 1 - pad.width(), toolBarBottom.y());
    if (const QScreen *where = screen()) {
        const QRect area = where->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - pad.width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - pad.height())));
    }
    controlsPlacedAt_ = at;
    controls_->move(at);
}

// Panel 0 takes what the read-outs leave over; the progress bar fills it.
void TfmView::FormResize()
{
    if (ProgressBar->parentWidget() == StatusPanel0)
        ProgressBar->setGeometry(0, 2, StatusPanel0->width(), std::max(1, StatusPanel0->height() - 2));
}

void TfmView::tbVertScaleChange()
{
    UpdateTrackBarHint(tbVertScale, -tbVertScale->value() / 10.0);
}

void TfmView::tbSeaLevelChange()
{
    UpdateTrackBarHint(tbSeaLevel, -tbSeaLevel->value());
    lbSeaLevel->setText(QString::number(-tbSeaLevel->value()));
}

void TfmView::ShowSeaLevel()
{
    tbSeaLevel->setValue(-View_->SeaLevel);
    tbSeaLevelChange();
}
