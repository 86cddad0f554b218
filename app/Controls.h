// The navigation pad: a small tool window that holds the camera's values for
// both camera modes. The orbit camera's tilt, heading, focal length and
// translation live on sliders; the hiking camera's position, walking direction
// and motion rates live in fields that a 50 ms timer integrates. The main
// window reads them before every frame and writes them while the user drags.
#pragma once

#include "Options.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QKeyEvent;
class QPushButton;
class QSlider;
class QStackedWidget;
class QTimer;
class QToolButton;
class TTopoView;
class TTrackWalk;

// Index of the camera values the main window exchanges with the pad.
enum TPadValue : int {
    pvTilt = 0,
    pvHeading = 1,
    pvFocal = 2,
    pvHikeX = 3,
    pvHikeZ = 4,
    pvHikeHeading = 5,
    pvHikeY = 6,
    pvTransX = 7,
    pvTransZ = 8,
};

class TfmControls : public QWidget, public TTranslationRangeTarget {
    Q_OBJECT
public:
    // A tool window of `mainWindow`: above the main window, below its dialogs.
    explicit TfmControls(QWidget *mainWindow = nullptr);
    ~TfmControls() override;

    // Both translation sliders span the terrain square.
    void SetTranslationRange(int32_t minimum, int32_t maximum) override;

    // What the pad uses of the main window: its vertical-scale slider and its
    // current terrain view (which the main window replaces now and then).
    void AttachMainWindow(QSlider *vertScale, std::function<TTopoView *()> view);

    float GetValue(TPadValue index) const;
    // Slider values land on Trunc(value), clamped by the slider; hiking fields
    // take the value unchanged.
    void SetValue(TPadValue index, float value);
    bool IsHiking() const;
    // Moves the translation sliders along the current heading; distances in pixels.
    void PanHorizontal(float dx);
    void PanVertical(float dy);

    // The keypad keys 0, 2, 3, 4, 5, 6, 8 and 9 click the hiking buttons; true
    // when the key was one of them. The main window forwards its keys here too.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // One step of the rotation and hiking motion (the timer's handler).
    void tmrRotTimer();

    // Walks the hiking eye along a line of world points (X, Z) at the
    // walking speed, looking ahead; "Stop", leaving hiking mode or the
    // line's end ends the walk.
    void FollowPath(std::vector<std::array<float, 2>> path);
    bool IsFollowing() const { return walk_ != nullptr; }
    // Asked for the line to follow when "Follow" is clicked.
    std::function<void()> OnFollow;

    // View presets.
    void sbViewStandardClick();
    void btnViewTopClick();
    void sbResetClick();

    // Controls
    QCheckBox *cbHiking;
    QPushButton *sbReset;
    QSlider *tbDist;
    QStackedWidget *Notebook1;
    QSlider *tbAngle;
    QSlider *tbViewPos;
    QPushButton *sbRotate;
    QSlider *tbTransX;
    QSlider *tbTransZ;
    QPushButton *sbViewStandard;
    QPushButton *btnViewTop;
    QSlider *tbSpeed;
    QToolButton *sbForward, *sbLeft, *sbStop, *sbRight, *sbBack;
    QToolButton *sbUp, *sbStopUpDn, *sbDown;
    QPushButton *sbFollow;
    QTimer *tmrRot;

    // Hiking camera and motion rates, world units and degrees per tick.
    float HikeX = 0;
    float HikeY = 0;
    float HikeZ = 0;
    float HikeHeading = 0;
    float TurnRate = 0;
    float Speed = 0;
    float ClimbRate = 0;
    float RotAngle = 0;

    static constexpr float MaxTurnRate = 3.0f;
    static constexpr float MaxSpeed = 1.5f;
    static constexpr float MaxClimbRate = 1.5f;

private:
    void BuildNormalPage(QWidget *page);
    void BuildHikingPage(QWidget *page);
    void cbHikingClick();
    void tbSpeedChange();
    void SetVertScalePosition(int position);
    TTopoView *View() const;
    void WalkOn();

    QSlider *vertScale_ = nullptr;
    std::function<TTopoView *()> view_;
    std::unique_ptr<TTrackWalk> walk_;
};
