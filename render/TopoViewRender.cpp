// One frame of the terrain view: projection, camera, terrain, overlays,
// and the depth read-back that ground picking relies on.
#include "TopoView.h"

#include "DrawTarget.h"
#include "GLBMP.h"
#include "TilePos.h"

#include <QOpenGLContext>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

using TMatrix4 = std::array<float, 16>;  // column-major, as GL stores it

// Rotation by `degrees` about the unit axis (x, y, z), as glRotate builds it.
TMatrix4 AxisAngleRotation(float degrees, float x, float y, float z)
{
    const float a = degrees * float(M_PI) / 180.0f;
    const float c = std::cos(a), s = std::sin(a), t = 1 - c;
    return {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0,
            t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0,
            t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0,
            0,                 0,                 0,                 1};
}

TMatrix4 Multiply(const TMatrix4 &a, const TMatrix4 &b)
{
    TMatrix4 m{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            m[col * 4 + row] = sum;
        }
    return m;
}

} // namespace

void TTopoView::SetupProjection()
{
    const QSize size = DrawControl ? DrawControl->PixelSize() : QSize(1, 1);
    const int width = std::max(size.width(), 1), height = std::max(size.height(), 1);
    glMatrixMode(GL_PROJECTION);
    glViewport(0, 0, width, height);
    glLoadIdentity();
    // The walker's eye stands 0.03 above the ground: a near plane of 0.1
    // would cut away the ground in front of their feet. A third of that
    // height keeps it visible even looking straight down; the orbit camera
    // keeps the larger plane and with it the finer depth steps.
    const double nearPlane = HikingMode ? 0.01 : 0.1;
    gluPerspective(FieldOfView, double(width) / double(height), nearPlane, 4.0 * WorldSize);
}

bool TTopoView::DrawFrame()
{
    frame_.Valid = false;
    keptDepth_.Valid = false;
    SetupProjection();
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, Wireframe ? GL_LINE : GL_FILL);
    if (!Loaded)
        return false;

    // Turning the matrix about its own X axis by Pitch and then about its own
    // Y axis by Yaw is the same as the scene turned by −Pitch about X, then by
    // −Yaw about Y.
    const TMatrix4 rotation =
        Multiply(AxisAngleRotation(-Pitch, 1, 0, 0), AxisAngleRotation(-Yaw, 0, 1, 0));
    glLoadIdentity();
    if (!HikingMode)
        glTranslatef(0, 0, -2.0f * float(WorldSize));  // the orbit distance
    glMultMatrixf(rotation.data());
    glTranslatef(OffsetX, HikingMode ? -EyeHeight : 0.0f, OffsetZ);
    // The offsets are taken in drawn units, so a walk goes where it heads
    // whatever the proportions.
    const TDrawnScale drawn = DrawnScale();
    if (!drawn.Square())
        glScalef(float(drawn.X), 1, float(drawn.Z));
    glGetDoublev(GL_MODELVIEW_MATRIX, unscaledModelView_.data());
    glScalef(1, VerticalScale * drawn.Y, 1);

    glGetDoublev(GL_MODELVIEW_MATRIX, frame_.ModelView.data());
    glGetDoublev(GL_PROJECTION_MATRIX, frame_.Projection.data());
    glGetIntegerv(GL_VIEWPORT, frame_.Viewport.data());
    frame_.Valid = true;

    glColor3f(1, 1, 1);
    Texture->Bind();
    DrawTerrain();
    glBindTexture(GL_TEXTURE_2D, 0);
    DrawOverlays();
    return true;
}

void TTopoView::Render()
{
    Render(PickPixel ? PickPixel : DrawControl ? DrawControl->PointerPixel() : std::nullopt);
}

void TTopoView::Render(std::optional<QPoint> pixel)
{
    if (!MakeCurrent())
        return;
    // A window's buffers take a new size only when a frame is presented
    // (Mesa's software renderer): the first frame at another size would be
    // drawn into the old buffers, partly lost, and its depth unreadable.
    // Present one to bring them to size, then draw the frame that counts.
    const QSize size = DrawControl->PixelSize();
    if (size != presentedSize_) {
        DrawFrame();
        if (DrawControl->Present(*RC))
            presentedSize_ = size;
    }
    // Without a terrain the cleared frame is shown all the same: the window
    // would otherwise keep whatever covered it last (a closed dialog).
    if (!DrawFrame()) {
        DrawControl->Present(*RC);
        return;
    }
    // Keep the depth under the pixel the owner will pick at, while the frame
    // is still in the back buffer: after the swap its content is undefined.
    if (pixel)
        keptDepth_ = {true, *pixel, ReadDepth(pixel->x(), pixel->y())};
    DrawControl->Present(*RC);
}

float TTopoView::ReadDepth(int winX, int winY)
{
    const auto &vp = frame_.Viewport;
    if (!frame_.Valid || winX < 0 || winY < 0 || winX >= vp[2] || winY >= vp[3])
        return 1.0f;
    float depth = 1.0f;
    glReadPixels(winX, vp[3] - 1 - winY, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

float TTopoView::HeightAt(float x, float z)
{
    float p[3] = {x, 0, z};
    WorldToGrid(p);
    return SampleHeight(p[0], p[2]);
}

float TTopoView::HeightAbove(float x, float z)
{
    return HeightAt(x, z) + 0.03f;
}

float TTopoView::EyeHeightAbove(float x, float z)
{
    const TDrawnScale drawn = DrawnScale();
    return HeightAt(float(x / drawn.X), float(z / drawn.Z)) * drawn.Y + 0.03f;
}

TGroundPoint TTopoView::GetViewCenter() const
{
    // Before the first mesh there is no square to measure offsets on; the
    // centre of the square is where the camera looks all the same.
    if (WorldSize <= 0)
        return Terrain.GroundAt(0, 0);
    const TDrawnScale drawn = DrawnScale();
    return Terrain.GroundAt(-OffsetX / drawn.X, -OffsetZ / drawn.Z);
}

bool TTopoView::PickGround(int winX, int winY, TGroundPoint &pos)
{
    // Missing the ground leaves the view's centre in `pos`.
    const auto miss = [&] {
        pos = GetViewCenter();
        return false;
    };
    float depth = 1.0f;
    if (keptDepth_.Valid && keptDepth_.Pixel == QPoint(winX, winY)) {
        depth = keptDepth_.Depth;
    } else {
        if (!MakeCurrent())
            return miss();
        // An offscreen frame is still there to read; a window's is not.
        if (!(DrawControl->FrameSurvivesPresent() && frame_.Valid) && !DrawFrame())
            return miss();
        depth = ReadDepth(winX, winY);
    }
    // The far plane's depth: the pixel shows the sky, no ground.
    if (!frame_.Valid || depth >= 1.0f)
        return miss();

    // The centre of the pixel, GL's window rows counted from the bottom. The
    // matrix without the vertical scale gives the same X and Z and stays
    // invertible when the scale lays the terrain flat.
    const auto &vp = frame_.Viewport;
    double ox = 0, oy = 0, oz = 0;
    if (gluUnProject(winX + 0.5, vp[3] - 1 - winY + 0.5, depth, unscaledModelView_.data(),
                     frame_.Projection.data(), vp.data(), &ox, &oy, &oz) != GL_TRUE)
        return miss();
    const double half = WorldSize / 2.0;
    pos = Terrain.GroundAt(std::clamp(ox, -half, half), std::clamp(oz, -half, half));
    return true;
}
