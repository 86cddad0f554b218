// The main window: owns the one terrain view, loads terrain files into it,
// drives drawing at the configured frame rate, turns mouse drags and keys into
// changes of the navigation pad's camera values, and holds the commands for
// loading, exporting, options, placemarks and the information dialogs.
#pragma once

#include "Controls.h"
#include "PlacemarkText.h"
#include "TopoView.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;
class QToolBar;
class TGLDrawWindow;
class TMeasureLine;
class TMeasureTool;
class TPointMarker;
class TProfilePanel;
class TTrackList;
class TTrackOverlay;
struct TTrack;
class TTopoView;
class TTerrainSource;
struct TGroundPoint;

// The file dialogs of the load and save commands. The default shows Qt's
// dialogs; tests put their own in to choose a file without a modal dialog.
struct TFileDialogs {
    struct TRequest {
        QString Caption;
        QString Filter;          // "Text|*.a|Text|*.b" pairs, as the commands spell them
        int FilterIndex = 1;     // 1-based
        QString FileName;        // initial name
        QString DefaultExtension;  // without the dot
    };
    // Chosen file (empty when cancelled) and the 1-based filter that was chosen.
    struct TResult {
        QString FileName;
        int FilterIndex = 0;
        QStringList FileNames;   // every file chosen, where a dialog lets several be (FileName is the first)
    };
    std::function<TResult(QWidget *parent, const TRequest &)> Open;
    std::function<TResult(QWidget *parent, const TRequest &)> Save;
};

class TfmView : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmView(QWidget *parent = nullptr);
    ~TfmView() override;

    // The pad and the tile browser, created right after this window.
    void AttachControls(TfmControls *controls);
    void AttachBrowser(QWidget *browser, std::function<void()> refresh);

    // Loads a terrain file (.hgt, .hgt.zip, .bmp) into the view; throws
    // ETerrainError and then leaves the terrain on screen as it was.
    void LoadTerrainFile(const std::string &fileName);
    // Several tile files as the smallest square block that covers them (one
    // file: as above).
    void LoadTerrainFiles(const std::vector<std::string> &files);
    // Any terrain source; re-creating the view loads it again.
    void LoadTerrain(std::shared_ptr<const TTerrainSource> source);
    // The same, showing any failure in a message box; true on success.
    bool OpenTerrainFile(const std::string &fileName) { return OpenTerrainFiles({fileName}); }
    bool OpenTerrainFiles(const std::vector<std::string> &files);
    bool OpenTerrain(std::shared_ptr<const TTerrainSource> source);
    // Terrain files and track files (told apart by their names) as dropped
    // or named on the command line: the terrain first, the tracks over it.
    void OpenFiles(const std::vector<std::string> &files);
    // Tracks: each file read whole or not at all; a file that cannot be
    // read is named in one message after the others were loaded. The
    // terrain, the placemarks and the tracks loaded before stay as they are.
    // True when every file was read (one lying off the terrain is loaded
    // and said so).
    bool OpenTrackFiles(const std::vector<std::string> &files);
    // Moves the orbit camera over the track's extent on the terrain.
    void ZoomToTrack(int index);
    // The track's waypoints become placemarks of the class "Waypoints"
    // (made in the track's colour when there is none).
    void AddWaypointsToPlacemarks(int index);
    // Walks the hiking eye along the selected track (hiking mode on).
    void FollowSelectedTrack();
    const TTrackOverlay &Tracks() const { return *tracks_; }
    TTrackList *TrackList() const { return trackList_; }
    TProfilePanel *ProfilePanel() const { return profilePanel_; }
    TMeasureTool *MeasureTool() const { return measureTool_; }
    // The marker of the profile's point on the terrain.
    const TPointMarker &ProfileMarker() const { return *profileMarker_; }

    // Creates the view of the configured class, or replaces it when recreate.
    void RecreateView(bool recreate);
    // One tick of the frame loop: draws a frame when the frame period has passed.
    void AppIdle();
    void ViewProgress(const void *sender, int percent);
    static std::string TerrainBmpName(const std::string &fileName);

    // Placemarks: the view's lists against the settings file's text form.
    void LoadPlacemarks();
    void PlacemarksFromText();
    void PlacemarksToText();
    void StorePlacemarks();

    // Mouse over the drawing panel, in panel client pixels.
    void PanelDrawMouseDown(Qt::MouseButton button, int x, int y);
    void PanelDrawMouseUp(Qt::MouseButton button, int x, int y);
    void PanelDrawMouseMove(int x, int y);
    // Every key pressed in this window, before its controls.
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The text of the information box.
    QString InformationText() const;

    TTopoView *View() const { return View_.get(); }
    TGLDrawWindow *DrawWindow() const { return drawWindow_; }
    // The files of the terrain last loaded (one, or the tiles of a block).
    std::vector<std::string> CurrentFileNames() const;
    std::string CurrentFileName() const
    {
        const std::vector<std::string> files = CurrentFileNames();
        return files.empty() ? std::string() : files.front();
    }
    // Frames of a terrain drawn since the window was created.
    int FramesDrawn() const { return framesDrawn_; }
    // Ticks of the frame loop, drawn or not.
    int TicksRun() const { return ticks_; }

    TFileDialogs FileDialogs;

    // Controls
    QToolBar *pnControl1;
    QWidget *pnControl2;
    QSlider *tbVertScale;
    QSlider *tbSeaLevel;
    QLabel *lbSeaLevel;
    QPushButton *sbSetSea;
    QPushButton *sbInfo;
    QFrame *PanelDraw;
    QProgressBar *ProgressBar;
    QStatusBar *StatusBar;
    QWidget *StatusPanel0;
    QLabel *StatusPanel1;  // ground under the mouse
    QLabel *StatusPanel2;  // the point the camera looks at

    // Commands
    QAction *acBrowser, *acLoadFile, *acSaveHM, *acSaveTexture, *acExportMesh, *acSaveScreen, *acReloadOptions, *acExit,
        *acGLInfo, *acAboutOrolith, *acShowOptDialog, *acSaveOptions, *acPlaces, *acControls;
    QAction *acLoadTrack, *acMeasure, *acFollowTrack, *acSaveProfilePicture, *acSaveProfileCsv;
    QAction *acFillVoids;  // checkable: exports fill voids from their edges
    std::vector<QAction *> ActionList1;
    QMenu *mnFile, *mnOptions, *mnTools, *mnWindow, *mnInfo;

    void acLoadFileExecute();
    void acLoadTrackExecute();
    void acSaveProfilePictureExecute();
    void acSaveProfileCsvExecute();
    void acSaveHMExecute();
    void acSaveTextureExecute();
    void acExportMeshExecute();
    void acSaveScreenExecute();
    void acShowOptDialogExecute();
    void acSaveOptionsExecute();
    void acReloadOptionsExecute();
    void acPlacesExecute();
    void acGLInfoExecute();
    void acAboutOrolithExecute();
    // Show the tile browser or the navigation pad again, closed or minimised.
    void acBrowserExecute();
    void acControlsExecute();
    void sbSetSeaClick();
    void sbInfoClick();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void BuildActions();
    void BuildMenu();
    void BuildToolBar();
    void BuildLeftPanel();
    void BuildDrawPanel();
    void BuildStatusBar();
    void BuildTrackDocks();
    void FormCreate();
    void FormShow();
    void FormResize();
    void PlaceControls();
    void FollowWithControls();

    void tbVertScaleChange();
    void tbSeaLevelChange();

    // Frame loop pieces
    void CopyCameraToView();
    void UpdateReadouts();
    QString PositionText(const TGroundPoint &pos) const;
    void UpdateFrameRate();
    // The tracks, the measuring line and the profile marker in a new view.
    void AddOverlaysToView();
    // The profile panel shows the measuring line while the tool has one,
    // else the selected track; `show` brings the panel up when hidden.
    void RefreshProfile(bool show);
    // The pointer over the terrain at `ground`, or off it: marks the
    // profile's point there.
    void PointerOverGround(const std::optional<TGroundPoint> &ground);
    // World units a few pixels span on the ground at world point (x, z).
    double PixelsToWorld(double pixels, double worldX, double worldZ) const;
    // The track's points on the terrain square, as drawn: world X and Z
    // times the drawing's stretch, the units of the camera's offsets and of
    // EyeHeightAbove. Its waypoints too when asked (a file of waypoints
    // alone has no line).
    std::vector<std::array<float, 2>> TrackOnTerrain(const TTrack &track, bool withWaypoints = false) const;
    void SceneChanged();
    // Draws a frame when it would differ from the last; true for a frame of a terrain.
    bool DrawIfChanged();
    // The sea level the view colours its terrain with, on the slider and its label.
    void ShowSeaLevel();
    void ScheduleNextTick(double delayMs);

    // Runs a command and shows its failure instead of letting it escape.
    // True when it ran to the end.
    bool RunCommand(const std::function<void()> &command);
    void ShowError(const QString &text);
    // The files chosen in the open dialog; none when it was cancelled.
    std::vector<std::string> ChooseFilesToOpen(const TFileDialogs::TRequest &request);
    // The save dialog titled `caption`; `save` gets the chosen name and filter.
    void SaveWith(const QString &caption, const QString &filter, const QString &extension,
                  const std::function<void(const QString &, int)> &save);

    int64_t LastFrame = 0;
    float Fps = 0;
    float FpsSmooth = 0;
    int32_t FrameCount = 0;
    int32_t LoadTime = 0;
    int MouseX = 0, MouseY = 0;
    bool Dragging = false;
    Qt::MouseButtons MouseButtons;
    std::shared_ptr<const TTerrainSource> CurrentFile;  // what the last successful load read
    TPlacemarkLines PlacemarkLines;  // text form of the view's placemarks and classes
    std::unique_ptr<TTopoView> View_;
    std::shared_ptr<TTrackOverlay> tracks_;
    std::shared_ptr<TMeasureLine> measureLine_;
    std::shared_ptr<TPointMarker> profileMarker_;
    TTrackList *trackList_ = nullptr;
    TProfilePanel *profilePanel_ = nullptr;
    TMeasureTool *measureTool_ = nullptr;

    TfmControls *controls_ = nullptr;
    QPoint controlsPlacedAt_;  // where the pad was last put beside the corner
    QWidget *browser_ = nullptr;
    std::function<void()> refreshBrowser_;
    TGLDrawWindow *drawWindow_ = nullptr;
    QWidget *drawContainer_ = nullptr;
    QTimer *frameTimer_ = nullptr;
    int framesDrawn_ = 0;
    int ticks_ = 0;
    double drawingMs_ = 0;  // time of the frames counted in FrameCount
    std::optional<TTopoView::TFrameKey> lastFrameKey_;  // what the frame on screen was drawn from
    bool frameOutdated_ = false;  // the panel lost its picture (uncovered)
    bool busyCursor_ = false;
    bool shownOnce_ = false;
};

// The program's long-lived windows, created at start in this order.
extern TfmView *fmView;
extern TfmControls *fmControls;
