// Where a terrain view draws: an on-screen window that swaps its buffers, or
// an offscreen framebuffer for the command-line tool, tests and benchmarks.
// The view creates and owns the OpenGL context; a target only supplies the
// surface, its size and how a finished frame is presented, so one drawing
// path serves both.
#pragma once

#include <QPoint>
#include <QSize>
#include <QWindow>

#include <memory>
#include <optional>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

class TDrawTarget {
public:
    virtual ~TDrawTarget() = default;

    virtual QSurface *Surface() = 0;
    // Client area in device pixels: the viewport of every frame.
    virtual QSize PixelSize() const = 0;
    // Called with the context current, before anything is drawn.
    virtual void BeginFrame(QOpenGLContext &context) { (void)context; }
    // Shows the finished frame; false when it could not be shown (a window
    // not on screen). The back buffer is undefined afterwards unless
    // FrameSurvivesPresent.
    virtual bool Present(QOpenGLContext &context) = 0;
    // True when the pixels of the last frame stay readable after Present.
    virtual bool FrameSurvivesPresent() const { return false; }
    // The pixel (from the top left) whose depth each frame should keep for
    // ground picking, usually the one under the mouse; none by default.
    virtual std::optional<QPoint> PointerPixel() const { return std::nullopt; }
    // Frees GL objects of the target; called with the context current just
    // before the view destroys the context.
    virtual void ReleaseGL() {}
};

// The on-screen drawing surface: a native window with its own context that
// swaps directly (no copy of an intermediate framebuffer per frame). Embed it
// in a widget layout with QWidget::createWindowContainer. Input arrives as
// signals, since a container widget does not see the window's events.
class TGLDrawWindow : public QWindow, public TDrawTarget {
    Q_OBJECT
public:
    explicit TGLDrawWindow(QWindow *parent = nullptr);

    QSurface *Surface() override;
    QSize PixelSize() const override;
    bool Present(QOpenGLContext &context) override;
    // The mouse cursor's position over the window, when it is inside and
    // no other window lies over it there.
    std::optional<QPoint> PointerPixel() const override;

signals:
    void MousePressed(QMouseEvent *event);
    void MouseReleased(QMouseEvent *event);
    void MouseMoved(QMouseEvent *event);
    void WheelTurned(QWheelEvent *event);
    void KeyPressed(QKeyEvent *event);
    void KeyReleased(QKeyEvent *event);
    // The window became visible or its content was lost (a window above it
    // went away): the owner should draw it again.
    void Exposed();

protected:
    void exposeEvent(QExposeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};

// An invisible target of a fixed size: a framebuffer object drawn through an
// offscreen surface. The frame stays readable after Present.
class TGLOffscreenTarget : public TDrawTarget {
public:
    explicit TGLOffscreenTarget(QSize pixelSize);
    ~TGLOffscreenTarget() override;

    QSurface *Surface() override;
    QSize PixelSize() const override { return size_; }
    void BeginFrame(QOpenGLContext &context) override;
    bool Present(QOpenGLContext &context) override;
    bool FrameSurvivesPresent() const override { return true; }
    void ReleaseGL() override;

private:
    QSize size_;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};

// The surface format every view asks for: fixed-function GL needs a
// compatibility context, which Mesa gives for "2.1, no profile"; no
// multisampling so depth stays readable; swap interval 0 so the owner's
// frame pacing, not the display refresh, sets the frame rate.
QSurfaceFormat TerrainSurfaceFormat();
