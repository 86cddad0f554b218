// Life cycle, terrain data, texture and image export of the terrain view.
// Drawing and picking: TopoViewRender.cpp; mesh: TopoViewMesh.cpp;
// placemarks and the other overlays: TopoViewOverlays.cpp.
#include "TopoView.h"

#include "BitmapFont.h"
#include "DrawTarget.h"
#include "GLBMP.h"
#include "OverlayDrawing.h"
#include "TerrainSource.h"

#include <QOpenGLContext>

#include <cmath>
#include <stdexcept>

TTopoView::TTopoView()
    : Texture(std::make_unique<TGLBMP>()), ScreenImage(std::make_unique<TGLBMP>())
{
    Terrain.OnProgress = [this](int percent) {
        if (OnProgress)
            OnProgress(*this, percent);
    };
    Placemarks->OnChanged = [this] { Scene.Changed(); };
    Scene.Add(Placemarks);
    ResetCamera();
    Resolution = 256;
    Wireframe = false;
    Shading = true;
    Clear();
}

TTopoView::~TTopoView()
{
    if (!RC)
        return;
    // GL objects of the target (an offscreen framebuffer) go first, while
    // their context is still current; the context takes textures, lists and
    // buffers with it.
    if (MakeCurrent())
        DrawControl->ReleaseGL();
    RC->doneCurrent();
}

void TTopoView::SetLoaded()
{
    Loaded = true;
    ContentChanged();
}

void TTopoView::ContentChanged(bool ground)
{
    // One counter for all views: a new view never repeats an old one's number.
    static uint64_t lastVersion = 0;
    contentVersion_ = ++lastVersion;
    if (ground)
        groundVersion_ = contentVersion_;
}

TTopoView::TFrameKey TTopoView::FrameKey() const
{
    TFrameKey key;
    key.Content = contentVersion_;
    key.Scene = Scene.Version();
    key.Loaded = Loaded;
    key.HikingMode = HikingMode;
    key.Wireframe = Wireframe;
    key.FieldOfView = FieldOfView;
    key.VerticalScale = VerticalScale;
    key.Pitch = Pitch;
    key.Yaw = Yaw;
    key.OffsetX = OffsetX;
    key.OffsetZ = OffsetZ;
    key.EyeHeight = EyeHeight;
    if (DrawControl) {
        key.Size = DrawControl->PixelSize();
        key.Pixel = PickPixel ? PickPixel : DrawControl->PointerPixel();
    }
    return key;
}

void TTopoView::InitGL()
{
    if (!DrawControl)
        throw std::logic_error("the terrain view has no drawing target");
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(TerrainSurfaceFormat());
    if (!context->create())
        throw std::runtime_error("no OpenGL context could be created");
    RC = std::move(context);
    if (!MakeCurrent())
        throw std::runtime_error("the OpenGL context could not be made current");

    glClearColor(float(BackColor.redF()), float(BackColor.greenF()), float(BackColor.blueF()), 0.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    BuildFont();
    GLInitialized = true;
    ContentChanged();
}

void TTopoView::BuildFont()
{
    overlayDrawing_ = std::make_unique<TOverlayDrawing>(BuildLabelAtlas(GlyphWidths));
    overlaysScene_ = overlaysGround_ = 0;
    overlaysLines_.clear();
}

void TTopoView::ResetCamera()
{
    Yaw = -35;
    Pitch = HikingMode ? 20 : -35;
    FieldOfView = 32;
    VerticalScale = 1.0f;
    OffsetX = EyeHeight = OffsetZ = 0;
    // The sea level stays: it is what the texture was coloured with, and
    // only colouring it again changes that.
}

void TTopoView::SetBackColor(QColor value)
{
    BackColor = value;
}

QSurface *TTopoView::GetDeviceContext() const
{
    return DrawControl ? DrawControl->Surface() : nullptr;
}

QOpenGLContext *TTopoView::GetRenderContext() const
{
    return RC.get();
}

bool TTopoView::MakeCurrent()
{
    if (!RC || !DrawControl)
        return false;
    QSurface *surface = DrawControl->Surface();
    if (QOpenGLContext::currentContext() != RC.get() || RC->surface() != surface)
        if (!RC->makeCurrent(surface))
            return false;
    DrawControl->BeginFrame(*RC);
    return true;
}

// ---- terrain data

void TTopoView::ClearMesh()
{
    Vertices.clear();
    TexCoords.clear();
    ContentChanged();
}

void TTopoView::LoadFromFile(const std::string &fileName, bool buildTex)
{
    LoadWith([&] { Terrain.LoadFromFile(fileName); }, buildTex);
}

void TTopoView::LoadFrom(const TTerrainSource &source, bool buildTex)
{
    LoadWith([&] { source.LoadInto(Terrain); }, buildTex);
}

void TTopoView::LoadHgt(const std::string &fileName, bool buildTex)
{
    LoadWith([&] { Terrain.LoadHgt(fileName); }, buildTex);
}

void TTopoView::LoadBmp(const std::string &fileName, bool buildTex)
{
    LoadWith([&] { Terrain.LoadBmp(fileName); }, buildTex);
}

void TTopoView::LoadWith(const std::function<void()> &load, bool buildTex)
{
    ClearMesh();
    load();
    // Any extension but a height file's clears the terrain.
    if (Terrain.Empty()) {
        Clear();
        return;
    }
    if (buildTex)
        BuildTexture();
    SetLoaded();
}

void TTopoView::Clear()
{
    Terrain.Clear();
    Loaded = false;
    Texture->SetSize(0, 0);
    ContentChanged();
}

bool TTopoView::SaveHeightmap(const std::string &fileName) const
{
    return Loaded && Terrain.SaveHeightmap(fileName);
}

void TTopoView::BuildTexture()
{
    Terrain.BuildTexture();
}

void TTopoView::SetSeaLevel(int metres)
{
    SeaLevel = metres;
    if (TextureBuilt)
        BuildTexture();
    UploadTexture(0);
}

void TTopoView::DoProgress(float fraction)
{
    if (OnProgress)
        OnProgress(*this, static_cast<int>(std::nearbyint(fraction * 100.0f)));  // halves to even
}

// ---- texture and pictures

void TTopoView::UploadTexture(uint8_t mode)
{
    AssignBitmap(TextureBitmap, *Texture);
    switch (mode) {
    case 1: Texture->MirrorHorizontal(); break;
    case 2: Texture->FlipVertical(); break;
    case 3: Texture->Rotate180(); break;
    case 4: Texture->Invert(); break;
    default: break;
    }
    if (MakeCurrent())
        Texture->GenTexture(true, false);
    ContentChanged(false);
}

bool TTopoView::SaveScreenshot(const std::string &fileName)
{
    // The back buffer is undefined once a frame was presented: draw it again.
    if (!MakeCurrent())
        return false;
    DrawFrame();
    return ScreenImage->ScreenShot(fileName);
}

bool TTopoView::SaveTexture(const std::string &fileName)
{
    return Texture->SaveToFile(fileName);
}

QImage TTopoView::GrabFrame()
{
    if (!MakeCurrent())
        return {};
    DrawFrame();
    if (!ScreenImage->GrabScreen(std::string()) || !ScreenImage->HasPixels())
        return {};
    // The grab is R, G, B, A with the bottom row first.
    const QImage bottomUp(ScreenImage->Pixels(), ScreenImage->Width(), ScreenImage->Height(),
                          QImage::Format_RGBA8888);
    return bottomUp.mirrored().convertToFormat(QImage::Format_RGB32);
}
