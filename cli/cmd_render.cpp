// orolith-cli render FILE... OUT.png|bmp|jpg|tga [options]: one frame of the
// viewer's terrain view, drawn offscreen through the same code as the window.
#include "CliCommand.h"
#include "CliRanges.h"
#include "CliLoadTerrain.h"
#include "CliProgress.h"
#include "CliTracks.h"

#include "DrawTarget.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "ViewFactory.h"

#include <QFileInfo>
#include <QImage>

#include <cerrno>
#include <stdexcept>

namespace {

const std::string Usage =
    "render FILE... OUT.png|bmp|jpg|tga [--view clod|vbo|base] [--size WxH] [--resolution R]\n"
    "         [--world-size S] [--yaw D] [--pitch D] [--fov D] [--vscale F] [--sea-level M]\n"
    "         [--hiking] [--eye-height F] [--wireframe] [--gradient] [--true-proportions]\n"
    "         " + std::string(CliTracksUsage) + "\n"
    "                                one frame of the terrain view as a picture, with the tracks\n"
    "                                (GPX, KML, GeoJSON) draped on the ground; --true-proportions draws\n"
    "                                the terrain's real width and depth, --vscale 1 true relief\n" +
    CliRangesUsage("render", {"size", "resolution", "world-size", "yaw", "pitch", "fov", "vscale", "sea-level",
                              "eye-height"});

// The option defaults of the viewer.
constexpr int DefaultResolution = 768;
constexpr int DefaultWorldSize = 128;
constexpr float DefaultC = 4.0f, DefaultSmallC = 0.8f;
const QColor DefaultSky(176, 234, 255);

QSize PictureSize(const std::string &text)
{
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char('x'));
    bool okW = false, okH = false;
    const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
    const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
    const TCliRange &side = CliRange("render", "size");
    if (!okW || !okH || w < side.lowest || h < side.lowest || w > side.highest || h > side.highest)
        throw std::invalid_argument("--size must look like 1024x768 (" + std::to_string(int(side.lowest)) + " to " +
                                    std::to_string(int(side.highest)) + " each), not '" + text + "'");
    return QSize(w, h);
}

int RunRender(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs("render", args,
                                   {"view", "size", "resolution", "world-size", "yaw", "pitch", "fov", "vscale",
                                    "sea-level", "eye-height", "track"},
                                   {"hiking", "wireframe", "gradient", "true-proportions"});
    std::vector<std::string> in;
    std::string out;
    if (!SplitInputsAndOutput(a.positional, in, out))
        return CliFail("", "usage: " + Usage);
    if (!IsValidUtf8(out))
        return CliFail(out, NotUtf8Problem);
    const QString format = QFileInfo(QString::fromStdString(out)).suffix().toLower();
    if (format != "png" && format != "bmp" && format != "jpg" && format != "tga")
        return CliFail(out, "the picture must be .png, .bmp, .jpg or .tga");

    const int topoClass = TopoClassNamed(a.Value("view", "clod"));
    const QSize size = PictureSize(a.Value("size", "1024x768"));
    const int resolution = a.WholeNumber("resolution", DefaultResolution);
    const int worldSize = a.WholeNumber("world-size", DefaultWorldSize);
    // The camera's options are applied after the load, but refused before it.
    for (const char *option : {"yaw", "pitch", "fov", "vscale", "eye-height", "sea-level"})
        a.Number(option, 0);

    TGLOffscreenTarget target(size);
    std::unique_ptr<TTopoView> view = CreateTopoView(topoClass);
    view->DrawControl = &target;
    view->SetBackColor(DefaultSky);
    try {
        view->InitGL();
    } catch (const std::exception &e) {
        return CliFail("", std::string(e.what()) + " (rendering needs an X display with OpenGL, e.g. xvfb-run)");
    }
    if (auto *lod = dynamic_cast<TTopoViewCLOD *>(view.get())) {
        lod->C = DefaultC;
        lod->SmallC = DefaultSmallC;
    }

    try {
        // Tracks first: a file that is no track is refused before the long load.
        CliAddTracks(*view, a);
        CliLoadView(*view, in);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    view->Resolution = resolution;
    view->Gradient = a.Has("gradient");
    {
        const TAttachedProgress progress(view->Terrain, "Texture");
        view->BuildTexture();
    }
    view->UploadTexture(0);
    view->TrueProportions = a.Has("true-proportions");
    {
        const TAttachedProgress progress(*view, "Mesh");
        view->BuildMesh(worldSize);
    }

    view->HikingMode = a.Has("hiking");
    view->ResetCamera();
    view->Yaw = float(a.Number("yaw", view->Yaw));
    view->Pitch = float(a.Number("pitch", view->Pitch));
    view->FieldOfView = float(a.Number("fov", view->FieldOfView));
    view->VerticalScale = float(a.Number("vscale", view->VerticalScale));
    // The hiking eye starts at the height of the tile's highest point, as drawn.
    view->EyeHeight = float(a.Number("eye-height", view->TopEyeHeight()));
    view->Wireframe = a.Has("wireframe");
    if (a.Has("sea-level"))
        view->SetSeaLevel(a.WholeNumber("sea-level", 0));

    // Both ways of writing draw the frame themselves.
    if (format == "png") {
        const QImage frame = view->GrabFrame();
        errno = 0;
        if (frame.isNull() || !frame.save(QString::fromStdString(out), "PNG"))
            return CliFail(out, CliWriteFailure("the picture could not be written"));
    } else if (!view->SaveScreenshot(out)) {
        return CliFail(out, CliWriteFailure("the picture could not be written"));
    }
    return 0;
}

const CliCommand command("render", Usage, RunRender);

} // namespace
