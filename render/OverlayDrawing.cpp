#include "OverlayDrawing.h"

#include <qopengl.h>

namespace {

// A line lies exactly on the ground it is draped over, where the terrain's
// own depth would hide it half the time. It is drawn pulled toward the eye
// by this fraction of its distance: the same pixels, only nearer for the
// depth test. A share of the distance, not a fixed lift, because the depth
// buffer's steps and a wide line's reach beside its centre both grow with
// the distance; small enough that only ground a few thousandths nearer, not
// a hill in front, fails to hide it.
constexpr double kDepthPull = 0.004;

} // namespace

TOverlayDrawing::TOverlayDrawing(TLabelAtlas atlas) : markers_(std::move(atlas)) {}

void TOverlayDrawing::Draw(const std::array<double, 16> &modelView, const std::array<double, 16> &projection,
                           const std::array<int, 4> &viewport)
{
    if (!lines_.Strips.empty())
        DrawLines(modelView);
    markers_.Draw(modelView, projection, viewport);
}

void TOverlayDrawing::DrawLines(const std::array<double, 16> &modelView)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Scaling the eye's coordinates moves a point along its own line of sight.
    const double pull = 1.0 - kDepthPull;
    glScaled(pull, pull, pull);
    glMultMatrixd(modelView.data());
    glDisable(GL_TEXTURE_2D);
    // Lines write no depth: picking reads the ground under them.
    glDepthMask(GL_FALSE);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(TVertex3f), lines_.Points.data());
    for (const TDrapedLines::TStrip &strip : lines_.Strips) {
        glColor3f(strip.Color.R, strip.Color.G, strip.Color.B);
        glLineWidth(strip.WidthPixels);
        glDrawArrays(GL_LINE_STRIP, GLint(strip.First), GLsizei(strip.Count));
    }
    glLineWidth(1);
    glColor3f(1, 1, 1);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();
}
