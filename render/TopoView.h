// The terrain view: owns one loaded terrain, the OpenGL context of its drawing
// target, the camera, the mesh and the placemark lists, and draws one frame on
// request. It is also the brute-force renderer (one vertex-array draw of
// textured quads); TTopoViewVBO and TTopoViewCLOD replace the mesh operations.
#pragma once

#include "DrawnScale.h"
#include "Overlay.h"
#include "PlaceOverlay.h"
#include "Placemarks.h"
#include "Terrain.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QOpenGLContext;
class QSurface;
class TDrawTarget;
class TDrawnSurface;
class TOverlayDrawing;
class TGLBMP;
class TTerrainSource;
struct TLatLon;

struct TVertex3f {
    float X, Y, Z;
};
struct TTexCoord2f {
    float S, T;
};

// A, B, C spacing of one glyph, pixels: advance = A + B + C.
struct TGlyphWidth {
    int A = 0;
    unsigned B = 0;
    int C = 0;
};

class TTopoView {
public:
    TTopoView();
    virtual ~TTopoView();
    TTopoView(const TTopoView &) = delete;
    TTopoView &operator=(const TTopoView &) = delete;

    // The data side: grid, figures and texture bitmap. The reference members
    // below name its fields the way the drawing code reads them.
    TTerrain Terrain;

    // Camera and drawing options, written by the owner before each frame.
    float FieldOfView = 32;     // vertical, degrees
    QImage &TextureBitmap = Terrain.TextureBitmap;
    TDrawTarget *DrawControl = nullptr;  // not owned, must outlive the view; set before InitGL
    int &MaxHeight = Terrain.MaxHeight;
    int &MinHeight = Terrain.MinHeight;
    float VerticalScale = 1;
    QColor BackColor = Qt::black;
    float Yaw = -35;            // about the vertical axis, degrees
    float Pitch = -35;          // about the horizontal screen axis, degrees
    bool HikingMode = false;
    float EyeHeight = 0;        // hiking eye above the ground, world units
    float OffsetZ = 0;          // scene translation, world units
    float OffsetX = 0;
    bool &Gradient = Terrain.Gradient;
    bool Wireframe = false;
    std::string &FileName = Terrain.FileName;
    bool &Shading = Terrain.Shading;
    bool Loaded = false;
    // Progress in whole percent, 0 … 100; may be empty.
    std::function<void(TTopoView &sender, int percent)> OnProgress;
    TSIArray &Heights = Terrain.Heights;
    int &GridHigh = Terrain.GridHigh;
    // Brute-force mesh: four entries per grid cell (the level-of-detail view
    // keeps three per triangle here).
    std::vector<TVertex3f> Vertices;
    std::vector<TTexCoord2f> TexCoords;
    int &Resolution = Terrain.Resolution;
    std::unique_ptr<TGLBMP> Texture;
    bool &TextureBuilt = Terrain.TextureBuilt;
    int &WorldSize = Terrain.WorldSize;
    std::array<TGlyphWidth, 256> GlyphWidths{};
    int &SeaLevel = Terrain.SeaLevel;
    bool GLInitialized = false;
    bool &HgtLoaded = Terrain.HgtLoaded;
    // The placemarks, the scene's first overlay; the lists are its own.
    const std::shared_ptr<TPlacemarks> Placemarks = std::make_shared<TPlacemarks>();
    std::vector<std::unique_ptr<TPlaceRec>> &Places = Placemarks->Places;
    std::vector<std::unique_ptr<TPlaceClassRec>> &PlaceClasses = Placemarks->PlaceClasses;
    // What is drawn over the terrain (placemarks, tracks, waypoints, the
    // measuring line), placed through the terrain's georeference. Its
    // version is part of the frame key: owners call Scene.Changed() after a
    // change (the placemarks do it themselves).
    TScene Scene;

    // Virtual operations, in the order the variants override them.
    virtual void DrawTerrain();
    virtual void SetLoaded();
    // Creates the context on DrawControl and makes it current.
    virtual void InitGL();
    virtual void ResetCamera();
    virtual void BuildMesh(int size);
    virtual float HeightAt(float x, float z);
    // The ground as the mesh draws it, for draping lines over it.
    virtual std::unique_ptr<TDrawnSurface> DrawnSurface() const;

    void SetBackColor(QColor value);  // takes effect at the next InitGL
    QSurface *GetDeviceContext() const;
    QOpenGLContext *GetRenderContext() const;

    // Terrain data. Loading throws ETerrainError naming the file and then
    // leaves the view as it was (apart from the emptied mesh).
    void LoadFromFile(const std::string &fileName, bool buildTex = false);
    // The same from any terrain source: a file, a zipped tile, a block of tiles.
    void LoadFrom(const TTerrainSource &source, bool buildTex = false);
    void LoadHgt(const std::string &fileName, bool buildTex = false);
    void LoadBmp(const std::string &fileName, bool buildTex = false);
    void Clear();
    bool SaveHeightmap(const std::string &fileName) const;
    void WorldToGrid(float p[3]) const { Terrain.WorldToGrid(p); }
    float SampleHeight(float gx, float gz) const { return Terrain.SampleHeight(gx, gz); }
    void BuildTexture();
    // Recolours a computed texture for the new level and uploads it again.
    void SetSeaLevel(int metres);

    // Drawing. Each makes the context current itself.
    void SetupProjection();
    // Draws and presents a frame, keeping the depth under `pixel` for the
    // read-outs (without one: the pick pixel, else the pointer's).
    void Render();
    void Render(std::optional<QPoint> pixel);
    // 0 as is, 1 mirrored left–right, 2 flipped top–bottom, 3 turned by 180°, 4 inverted.
    void UploadTexture(uint8_t mode);
    // Draws the current frame again and writes it; the format follows the
    // extension (.bmp, .jpg, .tga). False when nothing could be written.
    bool SaveScreenshot(const std::string &fileName);
    // Writes the terrain texture as last uploaded.
    bool SaveTexture(const std::string &fileName);
    // The current frame as a picture, drawn again without presenting it.
    QImage GrabFrame();

    // Geometry queries
    float HeightAbove(float x, float z);
    // Draw the terrain with its real width and depth, and its relief true at
    // the vertical scale 1 (DrawnScale.h). Set before BuildMesh.
    bool TrueProportions = false;
    // How the square is drawn now: proportions and height of the relief.
    TDrawnScale DrawnScale() const { return DrawnScaleOf(Terrain, TrueProportions); }
    // What the drawing multiplies heights by besides VerticalScale.
    float HeightDrawScale() const { return DrawnScale().Y; }
    // The terrain's highest point as drawn: where the walker's eye starts.
    float TopEyeHeight() const { return float(Terrain.Metres(MaxHeight)) * TTerrain::HeightScale * HeightDrawScale(); }
    // Where the hiking eye stands at the drawn point (x, z), the negated
    // hiking offsets: just above the ground as drawn (HeightAbove for a
    // single tile).
    float EyeHeightAbove(float x, float z);
    // The ground the camera looks at (the centre of the square before the
    // first mesh).
    TGroundPoint GetViewCenter() const;
    // Ground under pixel (winX, winY) of DrawControl, counted from the top
    // left. Exact and cheap for the pixel the last frame kept the depth of
    // (PickPixel, or the pointer over the target); any other pixel costs
    // drawing the frame once more. False, with pos at the view centre, where
    // the pixel shows no terrain (sky, or nothing drawn).
    bool PickGround(int winX, int winY, TGroundPoint &pos);
    // The pixel whose depth the next frames keep; empty: the target's pointer.
    std::optional<QPoint> PickPixel;
    // The pixel whose depth the last frame kept, if it kept one: where the
    // pointer was when the frame was drawn.
    std::optional<QPoint> KeptPixel() const
    {
        return keptDepth_.Valid ? std::optional<QPoint>(keptDepth_.Pixel) : std::nullopt;
    }

    // Placemarks (forwarded to Placemarks)
    void AddPlace(const TLatLon &where, const std::string &name, int16_t classId);
    void GetPlace(int index, TPlaceRec &rec) const;
    void ClearPlaces();
    void AddPlaceClass(int16_t id, const std::string &name, float r, float g, float b);
    void SetClassVisible(int16_t id, bool visible);
    // The first class with this id; all zeros (invisible, black) when none has it.
    void FindPlaceClass(int16_t id, TPlaceClassRec &rec) const;
    void ClearPlaceClasses();

    void DoProgress(float fraction);

    // Everything a frame is drawn from besides the view's content: the
    // camera, the outlines switch, the target's size and the pixel whose
    // depth the frame keeps. Equal keys draw equal frames.
    struct TFrameKey {
        uint64_t Content = 0;  // ContentVersion
        uint64_t Scene = 0;    // Scene.Version()
        bool Loaded = false, HikingMode = false, Wireframe = false;
        float FieldOfView = 0, VerticalScale = 0, Pitch = 0, Yaw = 0;
        float OffsetX = 0, OffsetZ = 0, EyeHeight = 0;
        QSize Size;
        std::optional<QPoint> Pixel;
        bool operator==(const TFrameKey &) const = default;
    };
    TFrameKey FrameKey() const;
    // Changes whenever the terrain, texture or mesh change; never the same
    // for two views.
    uint64_t ContentVersion() const { return contentVersion_; }

protected:
    // Makes the context current on DrawControl and lets the target bind its
    // framebuffer; false without a context.
    bool MakeCurrent();
    // Everything of a frame but presenting it; false when nothing is loaded.
    bool DrawFrame();
    // Draws the scene's overlays, handing them over again first when the
    // scene or the terrain changed since.
    void DrawOverlays();
    // The scene's markers on the terrain square, in scene order. Placemarks
    // stand only on tiles, as they always did.
    std::vector<TPlaceOverlay::TMarker> SceneMarkers();
    // Takes a new ContentVersion: the picture is no longer what it was.
    // `ground` is false when only the texture changed, not the mesh and
    // heights the overlays lie on.
    void ContentChanged(bool ground = true);
    // One draw of Vertices/TexCoords from client memory as GL primitives of
    // the given kind (GL_QUADS for the base mesh, GL_TRIANGLES for a list).
    void DrawMeshArrays(unsigned primitive);
    void BuildFont();
    // Depth (0 … 1) of a pixel of the frame in the back buffer, counted from
    // the top left; 1 outside the viewport.
    float ReadDepth(int winX, int winY);
    // Empties the mesh before a load replaces the grid.
    virtual void ClearMesh();
    // Empties the mesh, runs a loader of the terrain, then the texture if
    // asked for, and marks the view loaded.
    void LoadWith(const std::function<void()> &load, bool buildTex);

    std::unique_ptr<QOpenGLContext> RC;
    std::unique_ptr<TGLBMP> ScreenImage;  // screenshots, apart from the texture

private:
    // Matrices and viewport of the last frame drawn, for unprojecting.
    struct TFrameState {
        bool Valid = false;
        std::array<double, 16> ModelView{};
        std::array<double, 16> Projection{};
        std::array<int, 4> Viewport{};
    };
    struct TKeptDepth {
        bool Valid = false;
        QPoint Pixel;
        float Depth = 1;
    };
    TFrameState frame_;
    // The model-view matrix before the vertical scale: invertible also when
    // the scale is 0 (a terrain laid flat), and it gives the same X and Z.
    std::array<double, 16> unscaledModelView_{};
    TKeptDepth keptDepth_;
    QSize presentedSize_;  // the target's size when a frame last reached it
    uint64_t contentVersion_ = 0;
    std::unique_ptr<TOverlayDrawing> overlayDrawing_;  // made with the context
    uint64_t groundVersion_ = 0;  // changes with the mesh and heights only
    // What the drawing's overlays come from: the scene's and the ground's
    // versions, and the lines as last laid on the ground.
    uint64_t overlaysScene_ = 0, overlaysGround_ = 0;
    std::vector<TOverlayLine> overlaysLines_;
};
