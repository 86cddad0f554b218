#include "Controls.h"

#include "FormControls.h"
#include "KeyPreview.h"
#include "Options.h"
#include "TopoView.h"
#include "TrackBarHint.h"
#include "TrackWalk.h"
#include "Utils.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <limits>

static void InitPadPictures()
{
    Q_INIT_RESOURCE(PadPictures);
}

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

QIcon PadPicture(const QString &name)
{
    QSvgRenderer svg(QStringLiteral(":/resources/pad/%1.svg").arg(name));
    QPixmap pixmap(28, 28);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    svg.render(&painter);
    return QIcon(pixmap);
}

QToolButton *MakePictureButton(QWidget *parent, QPoint at, const QString &picture, const QString &hint)
{
    auto *b = new QToolButton(parent);
    b->setGeometry(QRect(at, QSize(37, 37)));
    b->setAutoRaise(true);
    b->setIcon(PadPicture(picture));
    b->setIconSize(QSize(28, 28));
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

// Trunc toward zero, kept inside int so the slider can clamp it.
int TruncToPosition(float value)
{
    if (std::isnan(value))
        return 0;
    const double limit = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::trunc(static_cast<double>(value)), -limit, limit));
}

}  // namespace

TfmControls::TfmControls(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowMaximizeButtonHint)
{
    InitPadPictures();
    setObjectName(QStringLiteral("fmControls"));
    setWindowTitle(QStringLiteral("Controls"));
    setFixedSize(283, 219);

    cbHiking = new QCheckBox(QStringLiteral("Hiking mode"), this);
    cbHiking->move(5, 10);
    cbHiking->setFocusPolicy(Qt::TabFocus);
    sbReset = MakeButton(this, QRect(220, 10, 41, 22), QStringLiteral("Reset"), QString());
    tbDist = MakeTrackBar(this, Qt::Horizontal, QRect(6, 34, 214, 28), 0, 100, 35, 5,
                        QStringLiteral("Focal Length"));

    Notebook1 = new QStackedWidget(this);
    Notebook1->setGeometry(0, 219 - 156, 283, 156);
    auto *normal = new QWidget;
    auto *hiking = new QWidget;
    BuildNormalPage(normal);
    BuildHikingPage(hiking);
    Notebook1->addWidget(normal);
    Notebook1->addWidget(hiking);

    for (QSlider *s : {tbAngle, tbViewPos, tbTransX, tbTransZ, tbDist}) {
        UpdateTrackBarHint(s, kSliderOwnPosition);
        connect(s, &QSlider::valueChanged, this, [s] { UpdateTrackBarHint(s, kSliderOwnPosition); });
    }

    connect(cbHiking, &QCheckBox::toggled, this, &TfmControls::cbHikingClick);
    connect(sbReset, &QPushButton::clicked, this, &TfmControls::sbResetClick);

    tmrRot = new QTimer(this);
    tmrRot->setInterval(50);
    connect(tmrRot, &QTimer::timeout, this, &TfmControls::tmrRotTimer);
    tmrRot->start();

    new TKeyPreview(this, [this](QKeyEvent *e) { FormKeyDown(e->key(), e->modifiers()); });

    Notebook1->setCurrentIndex(0);
    sbViewStandardClick();
    RegisterNavigationPad(this);
}

TfmControls::~TfmControls()
{
    RegisterNavigationPad(nullptr);
}

void TfmControls::SetTranslationRange(int32_t minimum, int32_t maximum)
{
    tbTransX->setRange(minimum, maximum);
    tbTransZ->setRange(minimum, maximum);
}

void TfmControls::BuildNormalPage(QWidget *page)
{
    tbAngle = MakeTrackBar(page, Qt::Horizontal, QRect(5, 7, 217, 28), -180, 180, -35, 5, QStringLiteral("Tilt"));
    tbViewPos = MakeTrackBar(page, Qt::Horizontal, QRect(5, 31, 217, 28), 0, 360, 35, 10, QStringLiteral("Heading"));
    sbRotate = MakeButton(page, QRect(225, 33, 41, 22), QStringLiteral("Rot"), QStringLiteral("Rotate"));
    sbRotate->setCheckable(true);
    tbTransX = MakeTrackBar(page, Qt::Horizontal, QRect(5, 67, 217, 28), 0, 360, 0, 10,
                          QStringLiteral("Horizontal Translation"));
    tbTransZ = MakeTrackBar(page, Qt::Horizontal, QRect(5, 92, 217, 28), 0, 360, 0, 10,
                          QStringLiteral("Vertical Translation"));
    sbViewStandard = MakeButton(page, QRect(10, 129, 41, 22), QStringLiteral("Std"),
                                QStringLiteral("Set to Standard View"));
    btnViewTop = MakeButton(page, QRect(55, 129, 41, 22), QStringLiteral("Top"), QStringLiteral("View from Top"));
    connect(sbViewStandard, &QPushButton::clicked, this, &TfmControls::sbViewStandardClick);
    connect(btnViewTop, &QPushButton::clicked, this, &TfmControls::btnViewTopClick);
}

void TfmControls::BuildHikingPage(QWidget *page)
{
    tbSpeed = MakeTrackBar(page, Qt::Vertical, QRect(5, 5, 45, 150), 1, 10, 5, 1,
                         QStringLiteral("Geschwindigkeit minimal"));
    connect(tbSpeed, &QSlider::valueChanged, this, &TfmControls::tbSpeedChange);

    sbForward = MakePictureButton(page, {87, 9}, QStringLiteral("forward"), QStringLiteral("Forward  [8]"));
    sbLeft = MakePictureButton(page, {50, 46}, QStringLiteral("left"), QStringLiteral("Turn Left  [4]"));
    sbStop = MakePictureButton(page, {87, 46}, QStringLiteral("stop"), QStringLiteral("Stop  [5]"));
    sbRight = MakePictureButton(page, {124, 46}, QStringLiteral("right"), QStringLiteral("Turn Right  [6]"));
    sbBack = MakePictureButton(page, {87, 83}, QStringLiteral("back"), QStringLiteral("Backward  [2]"));
    sbUp = MakePictureButton(page, {176, 10}, QStringLiteral("up"), QStringLiteral("Up  [9]"));
    sbStopUpDn = MakePictureButton(page, {176, 47}, QStringLiteral("stopclimb"), QStringLiteral("Stop  [0]"));
    sbDown = MakePictureButton(page, {176, 84}, QStringLiteral("down"), QStringLiteral("Down  [3]"));

    // Each click is one step; the limits apply at the next timer tick.
    connect(sbForward, &QToolButton::clicked, this, [this] { Speed += tbSpeed->value() * 0.02f; });
    connect(sbBack, &QToolButton::clicked, this, [this] { Speed -= tbSpeed->value() * 0.02f; });
    connect(sbLeft, &QToolButton::clicked, this, [this] { TurnRate += 0.2f; });
    connect(sbRight, &QToolButton::clicked, this, [this] { TurnRate -= 0.2f; });
    connect(sbUp, &QToolButton::clicked, this, [this] { ClimbRate += 0.03f; });
    connect(sbDown, &QToolButton::clicked, this, [this] { ClimbRate -= 0.03f; });
    connect(sbStop, &QToolButton::clicked, this, [this] {
        TurnRate = Speed = ClimbRate = 0;
        walk_.reset();
    });
    connect(sbStopUpDn, &QToolButton::clicked, this, [this] { ClimbRate = 0; });

    sbFollow = MakeButton(page, QRect(222, 125, 55, 22), QStringLiteral("Follow"),
                          QStringLiteral("Follow the Selected Track"));
    connect(sbFollow, &QPushButton::clicked, this, [this] {
        if (OnFollow)
            OnFollow();
    });
}

void TfmControls::FollowPath(std::vector<std::array<float, 2>> path)
{
    TurnRate = Speed = ClimbRate = 0;
    walk_ = std::make_unique<TTrackWalk>(std::move(path));
    WalkOn();
}

// One click's step of the forward button per tick; the eye looks about a
// second's walk ahead, so it turns into bends before it reaches them.
void TfmControls::WalkOn()
{
    const float step = tbSpeed->value() * 0.02f;
    walk_->Advance(step);
    const TTrackWalk::TPoint at = walk_->Position();
    HikeX = -at[0];
    HikeZ = -at[1];
    HikeHeading = walk_->HeadingAhead(20 * step);
    if (TTopoView *view = View(); view && view->Loaded)
        HikeY = view->EyeHeightAbove(at[0], at[1]);
    if (walk_->Done())
        walk_.reset();
}

void TfmControls::AttachMainWindow(QSlider *vertScale, std::function<TTopoView *()> view)
{
    vertScale_ = vertScale;
    view_ = std::move(view);
}

TTopoView *TfmControls::View() const
{
    return view_ ? view_() : nullptr;
}

void TfmControls::SetVertScalePosition(int position)
{
    if (vertScale_)
        vertScale_->setValue(position);
}

float TfmControls::GetValue(TPadValue index) const
{
    switch (index) {
    case pvTilt: return float(tbAngle->value());
    case pvHeading: return sbRotate->isChecked() ? RotAngle : float(tbViewPos->value());
    case pvFocal: return float(tbDist->value());
    case pvHikeX: return HikeX;
    case pvHikeZ: return HikeZ;
    case pvHikeHeading: return HikeHeading;
    case pvHikeY: return HikeY;
    case pvTransX: return float(tbTransX->value());
    case pvTransZ: return float(tbTransZ->value());
    }
    return 0;
}

void TfmControls::SetValue(TPadValue index, float value)
{
    switch (index) {
    case pvTilt: tbAngle->setValue(TruncToPosition(value)); break;
    case pvHeading: tbViewPos->setValue(TruncToPosition(value)); break;
    case pvFocal: tbDist->setValue(TruncToPosition(value)); break;
    case pvHikeX: HikeX = value; break;
    case pvHikeZ: HikeZ = value; break;
    case pvHikeHeading: HikeHeading = value; break;
    case pvHikeY: HikeY = value; break;
    case pvTransX: tbTransX->setValue(TruncToPosition(value)); break;
    case pvTransZ: tbTransZ->setValue(TruncToPosition(value)); break;
    }
}

bool TfmControls::IsHiking() const
{
    return cbHiking->isChecked();
}

// Dragging moves the scene along the screen's axes, so the world step turns
// with the heading; each slider then truncates its new position.
void TfmControls::PanHorizontal(float dx)
{
    const double h = GetValue(pvHeading) * kDegToRad;
    const float c = dx * 0.4f;
    SetValue(pvTransX, GetValue(pvTransX) + float(std::cos(h)) * c);
    SetValue(pvTransZ, GetValue(pvTransZ) + float(std::sin(h)) * c);
}

void TfmControls::PanVertical(float dy)
{
    const double h = GetValue(pvHeading) * kDegToRad;
    const float c = dy * 0.2f;
    SetValue(pvTransZ, GetValue(pvTransZ) + float(std::cos(h)) * c);
    SetValue(pvTransX, GetValue(pvTransX) - float(std::sin(h)) * c);
}

bool TfmControls::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Only the numeric keypad walks; the digits above the letters stay free.
    if (!(modifiers & Qt::KeypadModifier))
        return false;
    QToolButton *button = nullptr;
    switch (key) {
    case Qt::Key_8: button = sbForward; break;
    case Qt::Key_2: button = sbBack; break;
    case Qt::Key_4: button = sbLeft; break;
    case Qt::Key_6: button = sbRight; break;
    case Qt::Key_9: button = sbUp; break;
    case Qt::Key_3: button = sbDown; break;
    case Qt::Key_5: button = sbStop; break;
    case Qt::Key_0: button = sbStopUpDn; break;
    default: return false;
    }
    button->click();
    return true;
}

void TfmControls::tmrRotTimer()
{
    if (sbRotate->isChecked()) {
        RotAngle += 0.3f;
        if (RotAngle > 360)
            RotAngle = 0;
        tbViewPos->setValue(TruncToPosition(RotAngle));
    } else {
        // A rotation starts from the current heading.
        RotAngle = float(tbViewPos->value());
    }

    HikeHeading += TurnRate;
    if (HikeHeading > 360)
        HikeHeading = 0;
    else if (HikeHeading < 0)
        HikeHeading = 360;
    const double h = HikeHeading * kDegToRad;
    HikeX += float(std::sin(h)) * Speed;
    HikeZ += float(std::cos(h)) * Speed;
    HikeY += ClimbRate;

    ClampAbsSingle(TurnRate, MaxTurnRate);
    ClampAbsSingle(Speed, MaxSpeed);
    ClampAbsSingle(ClimbRate, MaxClimbRate);
    if (walk_)
        WalkOn();
}

void TfmControls::tbSpeedChange()
{
    // Only a forward walk follows the slider (a different step than a click).
    if (Speed > 0)
        Speed = tbSpeed->value() * 0.03f;
}

void TfmControls::cbHikingClick()
{
    Notebook1->setCurrentIndex(cbHiking->isChecked() ? 1 : 0);
    if (cbHiking->isChecked()) {
        SetValue(pvFocal, 80);
        SetValue(pvTilt, 20);
        // The walker's eye starts just above the ground under it. The hiking
        // position is the scene's translation, so the eye stands at its negation.
        TTopoView *view = View();
        if (view && view->Loaded)
            SetValue(pvHikeY, view->EyeHeightAbove(-HikeX, -HikeZ));
    } else {
        walk_.reset();
        sbViewStandardClick();
    }
}

void TfmControls::sbViewStandardClick()
{
    SetValue(pvTilt, -35);
    SetValue(pvHeading, 35);
    SetValue(pvFocal, 35);
    SetVertScalePosition(-10);
    SetValue(pvTransX, 0);
    SetValue(pvTransZ, 0);
}

void TfmControls::btnViewTopClick()
{
    SetValue(pvTilt, -90);
    SetValue(pvHeading, 0);
    SetValue(pvFocal, 32);
    // Vertical scale 0: the terrain lies flat, a map seen from straight above.
    SetVertScalePosition(0);
    SetValue(pvTransX, 0);
    SetValue(pvTransZ, 0);
}

void TfmControls::sbResetClick()
{
    if (TTopoView *view = View()) {
        view->ResetCamera();
        SetValue(pvTilt, view->Pitch);
        SetValue(pvHeading, view->Yaw);
        SetValue(pvFocal, view->FieldOfView);
    }
    SetVertScalePosition(-10);
    TurnRate = Speed = ClimbRate = 0;
    SetValue(pvTransX, 0);
    SetValue(pvTransZ, 0);
}
