#include "DrawTarget.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

QSurfaceFormat TerrainSurfaceFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::NoProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    format.setSamples(0);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(0);
    return format;
}

// ---- on-screen window

TGLDrawWindow::TGLDrawWindow(QWindow *parent) : QWindow(parent)
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(TerrainSurfaceFormat());
}

QSurface *TGLDrawWindow::Surface()
{
    // A context can only be made current on a window that has its native
    // counterpart, which exists before the window is first shown only on request.
    if (!handle())
        create();
    return this;
}

QSize TGLDrawWindow::PixelSize() const
{
    const qreal ratio = devicePixelRatio();
    return QSize(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
}

bool TGLDrawWindow::Present(QOpenGLContext &context)
{
    if (!isExposed())
        return false;
    context.swapBuffers(this);
    return true;
}

std::optional<QPoint> TGLDrawWindow::PointerPixel() const
{
    const QPoint global = QCursor::pos();
    const QPoint local = mapFromGlobal(global);
    if (local.x() < 0 || local.y() < 0 || local.x() >= width() || local.y() >= height())
        return std::nullopt;
    // A window above the view (the navigation pad, a dialog) has the pointer,
    // not the terrain under it. A system that cannot say which window is on
    // top answers null, and the view is taken to be uncovered.
    const QWindow *ours = this;
    while (ours->parent())
        ours = ours->parent();
    if (const QWindow *top = QGuiApplication::topLevelAt(global); top && top != ours)
        return std::nullopt;
    const qreal ratio = devicePixelRatio();
    return QPoint(int(local.x() * ratio), int(local.y() * ratio));
}

void TGLDrawWindow::exposeEvent(QExposeEvent *event)
{
    QWindow::exposeEvent(event);
    if (isExposed())
        emit Exposed();
}

void TGLDrawWindow::mousePressEvent(QMouseEvent *event) { emit MousePressed(event); }
void TGLDrawWindow::mouseReleaseEvent(QMouseEvent *event) { emit MouseReleased(event); }
void TGLDrawWindow::mouseMoveEvent(QMouseEvent *event) { emit MouseMoved(event); }
void TGLDrawWindow::wheelEvent(QWheelEvent *event) { emit WheelTurned(event); }
void TGLDrawWindow::keyPressEvent(QKeyEvent *event) { emit KeyPressed(event); }
void TGLDrawWindow::keyReleaseEvent(QKeyEvent *event) { emit KeyReleased(event); }

// ---- offscreen framebuffer

TGLOffscreenTarget::TGLOffscreenTarget(QSize pixelSize) : size_(pixelSize) {}

TGLOffscreenTarget::~TGLOffscreenTarget() = default;

QSurface *TGLOffscreenTarget::Surface()
{
    if (!surface_) {
        surface_ = std::make_unique<QOffscreenSurface>();
        surface_->setFormat(TerrainSurfaceFormat());
        surface_->create();
    }
    return surface_.get();
}

void TGLOffscreenTarget::BeginFrame(QOpenGLContext &context)
{
    (void)context;
    const QSize size(std::max(size_.width(), 1), std::max(size_.height(), 1));
    if (!fbo_ || fbo_->size() != size) {
        fbo_.reset();
        // Packed depth and stencil is the attachment that reliably has 24 depth bits.
        fbo_ = std::make_unique<QOpenGLFramebufferObject>(
            size, QOpenGLFramebufferObject::CombinedDepthStencil, GL_TEXTURE_2D, GL_RGB8);
    }
    fbo_->bind();
}

bool TGLOffscreenTarget::Present(QOpenGLContext &context)
{
    (void)context;
    glFlush();
    return true;
}

void TGLOffscreenTarget::ReleaseGL()
{
    fbo_.reset();
}
