// The frame loop: paces ticks to the option FrameTarget, copies the pad's
// camera into the view, draws when the picture would change, updates the two
// status read-outs and shows the smoothed frame rate in the caption.
#include "ViewMain.h"

#include "DrawTarget.h"
#include "Options.h"
#include "TilePos.h"
#include "TopoView.h"
#include "Utils.h"

#include <QLabel>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFpsPeriodMs = 1000;

double FramePeriodMs()
{
    // A target of 0 or less would divide by zero; treat it as one frame a second.
    return 1000.0 / std::max(1, Options.FrameTarget);
}

}  // namespace

// Between ticks the loop sleeps in a precise timer until the next one is
// due, instead of spinning through idle time.
void TfmView::ScheduleNextTick(double delayMs)
{
    frameTimer_->start(std::max(0, int(std::ceil(delayMs))));
}

// A tick draws only when the frame would differ from the one on screen: an
// untouched viewer draws nothing and leaves the processor alone, while a
// moving camera (dragging, the pad's rotation or walk) draws every tick.
void TfmView::AppIdle()
{
    const double period = FramePeriodMs();
    const double sinceLast = ElapsedMs(LastFrame);
    if (sinceLast < period) {
        ScheduleNextTick(period - sinceLast);
        return;
    }
    LastFrame = ReadCounter();
    ++ticks_;
    if (View_ && DrawIfChanged()) {
        // A frame counts for the rate with the time it took, at least the
        // frame period: idle ticks and pauses between moves do not dilute it.
        ++FrameCount;
        drawingMs_ += std::max(period, ElapsedMs(LastFrame));
    }
    UpdateFrameRate();
    ScheduleNextTick(period - ElapsedMs(LastFrame));
}

bool TfmView::DrawIfChanged()
{
    if (View_->Loaded)
        CopyCameraToView();
    const TTopoView::TFrameKey key = View_->FrameKey();
    if (!frameOutdated_ && lastFrameKey_ && *lastFrameKey_ == key)
        return false;
    // Without a terrain this clears the panel to the sky. The key's pixel:
    // asking the window system where the pointer is costs a round trip.
    View_->Render(key.Pixel);
    lastFrameKey_ = key;
    frameOutdated_ = false;
    if (!View_->Loaded) {
        StatusPanel1->clear();
        StatusPanel2->clear();
        return false;
    }
    ++framesDrawn_;
    UpdateReadouts();
    return true;
}

void TfmView::CopyCameraToView()
{
    if (!controls_)
        return;
    TTopoView &v = *View_;
    v.FieldOfView = controls_->GetValue(pvFocal);
    v.HikingMode = controls_->IsHiking();
    v.VerticalScale = -tbVertScale->value() / 10.0f;
    v.Pitch = controls_->GetValue(pvTilt);
    if (v.HikingMode) {
        v.OffsetX = controls_->GetValue(pvHikeX);
        v.EyeHeight = controls_->GetValue(pvHikeY);
        v.OffsetZ = controls_->GetValue(pvHikeZ);
        v.Yaw = controls_->GetValue(pvHikeHeading);
    } else {
        v.OffsetX = controls_->GetValue(pvTransX);
        v.OffsetZ = controls_->GetValue(pvTransZ);
        v.Yaw = controls_->GetValue(pvHeading);
    }
}

QString TfmView::PositionText(const TGroundPoint &pos) const
{
    const std::string where = FormatLatLon(pos.LatLon);
    const double metres = View_->HeightAt(float(pos.X), float(pos.Z)) / TTerrain::HeightScale;
    return QString::asprintf("%s: %.1f m", where.c_str(), metres);
}

void TfmView::UpdateReadouts()
{
    StatusPanel2->setText(PositionText(View_->GetViewCenter()));

    // The ground under the pointer where it was when this frame was drawn:
    // the frame kept that pixel's depth. Asking for the pointer again would
    // find it elsewhere while it moves, and picking there would draw the
    // whole frame a second time. No pointer over the terrain, or the sky
    // under it: no ground.
    const std::optional<QPoint> pixel = View_->KeptPixel();
    TGroundPoint ground;
    const bool onGround = pixel && View_->PickGround(pixel->x(), pixel->y(), ground);
    if (onGround)
        StatusPanel1->setText(PositionText(ground));
    else
        StatusPanel1->clear();
    PointerOverGround(onGround ? std::optional<TGroundPoint>(ground) : std::nullopt);
}

// After a period's worth of frames the caption shows the geometric mean of
// the new rate and the one shown before, which settles the number without
// hiding real changes. While nothing is drawn it keeps the last rate.
void TfmView::UpdateFrameRate()
{
    if (drawingMs_ < kFpsPeriodMs)
        return;
    Fps = float(FrameCount * 1000.0 / drawingMs_);
    float s = std::sqrt(Fps * FpsSmooth);
    if (s == 0)
        s = Fps;
    if (s == 0)
        s = 1;
    FpsSmooth = s;
    setWindowTitle(QStringLiteral("Orolith - FPS : %1").arg(std::lround(s)));
    drawingMs_ = 0;
    FrameCount = 0;
}
