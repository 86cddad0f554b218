// The frame loop: paces frames to the option FrameTarget, copies the pad's
// camera into the view, draws, updates the two status read-outs and shows the
// smoothed frame rate in the caption.
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

// Between frames the loop sleeps in a precise timer until the next frame is
// due, instead of spinning through idle time, so a fast renderer leaves the
// processor free; the pacing itself is the same.
void TfmView::ScheduleNextTick(double delayMs)
{
    frameTimer_->start(std::max(0, int(std::ceil(delayMs))));
}

void TfmView::AppIdle()
{
    const double period = FramePeriodMs();
    const double sinceLast = ElapsedMs(LastFrame);
    if (sinceLast < period) {
        ScheduleNextTick(period - sinceLast);
        return;
    }
    LastFrame = ReadCounter();
    if (View_ && View_->Loaded) {
        CopyCameraToView();
        View_->Render();
        ++framesDrawn_;
        UpdateReadouts();
        emptyFrameShown_ = false;
    } else if (View_ && !emptyFrameShown_) {
        // Nothing to draw: the panel is cleared to the sky once, and again
        // whenever it was uncovered.
        View_->Render();
        emptyFrameShown_ = true;
    }
    ++FrameCount;
    UpdateFrameRate();
    ScheduleNextTick(period - ElapsedMs(LastFrame));
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

QString TfmView::PositionText(const TTilePos &pos) const
{
    const std::string where = FormatLatLon(pos.GetLatLon());
    double x = 0, z = 0;
    pos.GetWorldXZ(x, z);
    const double metres = View_->HeightAt(float(x), float(z)) / TTerrain::HeightScale;
    return QString::asprintf("%s: %.1f m", where.c_str(), metres);
}

void TfmView::UpdateReadouts()
{
    TTilePos center;
    View_->GetViewCenter(center);
    StatusPanel2->setText(PositionText(center));

    // The ground under the pointer where it was when this frame was drawn:
    // the frame kept that pixel's depth. Asking for the pointer again would
    // find it elsewhere while it moves, and picking there would draw the
    // whole frame a second time. No pointer over the terrain, no ground.
    const std::optional<QPoint> pixel = View_->KeptPixel();
    if (!pixel) {
        StatusPanel1->clear();
        return;
    }
    TTilePos ground;
    View_->PickGround(pixel->x(), pixel->y(), ground);
    StatusPanel1->setText(PositionText(ground));
}

// Once a period the caption shows the geometric mean of the new rate and the
// one shown before, which settles the number without hiding real changes.
void TfmView::UpdateFrameRate()
{
    const double elapsed = ElapsedMs(FpsStart);
    if (elapsed < kFpsPeriodMs)
        return;
    Fps = float(FrameCount * 1000.0 / elapsed);
    float s = std::sqrt(Fps * FpsSmooth);
    if (s == 0)
        s = Fps;
    if (s == 0)
        s = 1;
    FpsSmooth = s;
    setWindowTitle(QStringLiteral("Orolith - FPS : %1").arg(std::lround(s)));
    FpsStart = ReadCounter();
    FrameCount = 0;
}
