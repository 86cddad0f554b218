// The navigation pad: its camera values, the hiking motion, the presets and
// the keypad, driven through its real widgets.
#include "Controls.h"
#include "TopoView.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class PadTest : public ::testing::Test {
protected:
    PadTest()
    {
        vertScale.setRange(-100, 0);
        vertScale.setValue(-37);
        pad.AttachMainWindow(&vertScale, [this] { return &view; });
        pad.SetTranslationRange(-64, 64);
        // Ticks are taken by hand so each step is exactly one tick.
        pad.tmrRot->stop();
    }

    void PressKeypad(int key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(&pad, Qt::Key(key), Qt::KeypadModifier);
    }

    QSlider vertScale{Qt::Vertical};
    TTopoView view;
    TfmControls pad;
};

TEST_F(PadTest, StartsInStandardViewOnTheNormalPage)
{
    EXPECT_EQ(pad.windowTitle(), "Controls");
    EXPECT_TRUE(pad.windowFlags() & Qt::Tool);
    // Above its main window only: the program's dialogs and message boxes go over it.
    EXPECT_FALSE(pad.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(pad.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(pad.Notebook1->currentIndex(), 0);
    EXPECT_EQ(pad.GetValue(pvTilt), -35);
    EXPECT_EQ(pad.GetValue(pvHeading), 35);
    EXPECT_EQ(pad.GetValue(pvFocal), 35);
    EXPECT_EQ(pad.tbSpeed->value(), 5);
    EXPECT_TRUE(pad.tmrRot->interval() == 50);
    // The hints of the sliders carry their value on a second line.
    EXPECT_EQ(pad.tbAngle->toolTip(), "Tilt\nCurrent Value: -35.0");
    EXPECT_EQ(pad.sbForward->toolTip(), "Forward  [8]");
    for (QToolButton *b : {pad.sbForward, pad.sbLeft, pad.sbStop, pad.sbRight, pad.sbBack, pad.sbUp, pad.sbStopUpDn,
                           pad.sbDown})
        EXPECT_FALSE(b->icon().isNull()) << b->toolTip().toStdString();
}

TEST_F(PadTest, SliderValuesTruncateTowardZeroAndClampToTheRange)
{
    pad.SetValue(pvTilt, -2.7f);
    EXPECT_EQ(pad.GetValue(pvTilt), -2);
    pad.SetValue(pvTilt, 2.7f);
    EXPECT_EQ(pad.GetValue(pvTilt), 2);
    pad.SetValue(pvHeading, 500);
    EXPECT_EQ(pad.GetValue(pvHeading), 360);
    pad.SetValue(pvFocal, -3);
    EXPECT_EQ(pad.GetValue(pvFocal), 0);
    pad.SetValue(pvTransX, 1e30f);
    EXPECT_EQ(pad.GetValue(pvTransX), 64);
    // Hiking fields keep fractions.
    pad.SetValue(pvHikeY, 1.25f);
    EXPECT_FLOAT_EQ(pad.GetValue(pvHikeY), 1.25f);
    EXPECT_EQ(pad.GetValue(TPadValue(42)), 0);
    pad.SetValue(TPadValue(42), 5);  // does nothing, and does not crash
}

TEST_F(PadTest, PanningTruncatesIntoTheSliders)
{
    pad.SetValue(pvHeading, 0);
    pad.SetValue(pvTransX, 10);
    pad.PanHorizontal(1);  // 10.4
    EXPECT_EQ(pad.GetValue(pvTransX), 10);
    pad.SetValue(pvTransX, -10);
    pad.PanHorizontal(1);  // -9.6
    EXPECT_EQ(pad.GetValue(pvTransX), -9);

    // Along the heading: at 90° a horizontal drag moves Z, a vertical one -X.
    pad.SetValue(pvHeading, 90);
    pad.SetValue(pvTransX, 0);
    pad.SetValue(pvTransZ, 0);
    pad.PanHorizontal(10);
    EXPECT_EQ(pad.GetValue(pvTransX), 0);
    EXPECT_EQ(pad.GetValue(pvTransZ), 4);
    pad.PanVertical(20);
    EXPECT_EQ(pad.GetValue(pvTransX), -4);
    EXPECT_EQ(pad.GetValue(pvTransZ), 4);
}

TEST_F(PadTest, ForwardClicksAddUpAndAreLimitedAtTheNextTick)
{
    PressKeypad(Qt::Key_8, 5);
    EXPECT_FLOAT_EQ(pad.Speed, 0.5f);
    PressKeypad(Qt::Key_8, 15);
    EXPECT_NEAR(pad.Speed, 2.0f, 1e-5);
    pad.tmrRotTimer();
    EXPECT_FLOAT_EQ(pad.Speed, 1.5f);
    // The walk moved along heading 0: +Z by the unlimited speed of that tick.
    EXPECT_NEAR(pad.HikeZ, 2.0f, 1e-5);
    EXPECT_NEAR(pad.HikeX, 0.0f, 1e-5);

    // The digits above the letters are not the keypad.
    QTest::keyClick(&pad, Qt::Key_5);
    EXPECT_FLOAT_EQ(pad.Speed, 1.5f);
    PressKeypad(Qt::Key_5);
    EXPECT_EQ(pad.Speed, 0);
}

TEST_F(PadTest, KeypadKeysClickTheirButtons)
{
    PressKeypad(Qt::Key_4, 2);
    EXPECT_FLOAT_EQ(pad.TurnRate, 0.4f);
    PressKeypad(Qt::Key_6);
    EXPECT_FLOAT_EQ(pad.TurnRate, 0.2f);
    PressKeypad(Qt::Key_9, 3);
    EXPECT_FLOAT_EQ(pad.ClimbRate, 0.09f);
    PressKeypad(Qt::Key_3);
    EXPECT_FLOAT_EQ(pad.ClimbRate, 0.06f);
    PressKeypad(Qt::Key_2);
    EXPECT_FLOAT_EQ(pad.Speed, -0.1f);
    PressKeypad(Qt::Key_0);
    EXPECT_EQ(pad.ClimbRate, 0);
    EXPECT_FLOAT_EQ(pad.TurnRate, 0.2f);
    PressKeypad(Qt::Key_5);
    EXPECT_EQ(pad.TurnRate, 0);
    EXPECT_EQ(pad.Speed, 0);
    // A click on the picture button does the same as its key.
    QTest::mouseClick(pad.sbUp, Qt::LeftButton);
    EXPECT_FLOAT_EQ(pad.ClimbRate, 0.03f);
}

TEST_F(PadTest, SpeedSliderOnlyChangesAForwardWalk)
{
    pad.Speed = -0.2f;
    pad.tbSpeed->setValue(8);
    EXPECT_FLOAT_EQ(pad.Speed, -0.2f);
    pad.Speed = 0.1f;
    pad.tbSpeed->setValue(10);
    EXPECT_FLOAT_EQ(pad.Speed, 0.3f);
}

TEST_F(PadTest, HeadingWrapsAtBothEnds)
{
    pad.HikeHeading = 359.9f;
    pad.TurnRate = 0.2f;
    pad.tmrRotTimer();
    EXPECT_EQ(pad.HikeHeading, 0);
    pad.TurnRate = -0.2f;
    pad.tmrRotTimer();
    EXPECT_EQ(pad.HikeHeading, 360);
    pad.TurnRate = 5;
    pad.ClimbRate = -2;
    pad.tmrRotTimer();
    EXPECT_EQ(pad.TurnRate, 3);
    EXPECT_EQ(pad.ClimbRate, -1.5f);
    EXPECT_FLOAT_EQ(pad.HikeY, -2);
}

TEST_F(PadTest, RotationTurnsTheHeadingFromWhereItWas)
{
    pad.tmrRotTimer();  // not rotating: the rotation follows the slider
    QTest::mouseClick(pad.sbRotate, Qt::LeftButton);
    ASSERT_TRUE(pad.sbRotate->isChecked());
    const int expected[] = {35, 35, 35, 36};
    for (int e : expected) {
        pad.tmrRotTimer();
        EXPECT_EQ(pad.tbViewPos->value(), e);
    }
    EXPECT_NEAR(pad.GetValue(pvHeading), 36.2f, 1e-4);

    pad.RotAngle = 359.9f;
    pad.tmrRotTimer();
    EXPECT_EQ(pad.RotAngle, 0);
    QTest::mouseClick(pad.sbRotate, Qt::LeftButton);
    pad.SetValue(pvHeading, 100);
    EXPECT_EQ(pad.GetValue(pvHeading), 100);
}

TEST_F(PadTest, PresetsSetCameraAndVerticalScale)
{
    QTest::mouseClick(pad.btnViewTop, Qt::LeftButton);
    EXPECT_EQ(pad.GetValue(pvTilt), -90);
    EXPECT_EQ(pad.GetValue(pvHeading), 0);
    EXPECT_EQ(pad.GetValue(pvFocal), 32);
    EXPECT_EQ(vertScale.value(), 0);

    pad.SetValue(pvTransX, 20);
    pad.SetValue(pvTransZ, -20);
    QTest::mouseClick(pad.sbViewStandard, Qt::LeftButton);
    EXPECT_EQ(pad.GetValue(pvTilt), -35);
    EXPECT_EQ(pad.GetValue(pvHeading), 35);
    EXPECT_EQ(pad.GetValue(pvFocal), 35);
    EXPECT_EQ(vertScale.value(), -10);
    EXPECT_EQ(pad.GetValue(pvTransX), 0);
    EXPECT_EQ(pad.GetValue(pvTransZ), 0);

    vertScale.setValue(-50);
    pad.Speed = 1;
    pad.TurnRate = 1;
    pad.ClimbRate = 1;
    view.FieldOfView = 60;
    QTest::mouseClick(pad.sbReset, Qt::LeftButton);
    // The view's reset camera: pitch -35, yaw -35 (the slider stops at 0), focal 32.
    EXPECT_EQ(pad.GetValue(pvTilt), -35);
    EXPECT_EQ(pad.GetValue(pvHeading), 0);
    EXPECT_EQ(pad.GetValue(pvFocal), 32);
    EXPECT_EQ(vertScale.value(), -10);
    EXPECT_EQ(pad.Speed, 0);
    EXPECT_EQ(pad.TurnRate, 0);
    EXPECT_EQ(pad.ClimbRate, 0);
}

TEST_F(PadTest, HikingModeSwitchesPageAndCamera)
{
    QTest::mouseClick(pad.cbHiking, Qt::LeftButton);
    EXPECT_TRUE(pad.IsHiking());
    EXPECT_EQ(pad.Notebook1->currentIndex(), 1);
    EXPECT_EQ(pad.GetValue(pvFocal), 80);
    EXPECT_EQ(pad.GetValue(pvTilt), 20);

    pad.SetValue(pvHeading, 200);
    QTest::mouseClick(pad.cbHiking, Qt::LeftButton);
    EXPECT_FALSE(pad.IsHiking());
    EXPECT_EQ(pad.Notebook1->currentIndex(), 0);
    EXPECT_EQ(pad.GetValue(pvHeading), 35);
    EXPECT_EQ(pad.GetValue(pvFocal), 35);
}

// The hiking position is the scene's translation: the eye stands at its
// negation, and on a block of tiles on the ground as drawn (heights at 1/span).
TEST_F(PadTest, HikingEyeStartsAboveTheGroundUnderIt)
{
    constexpr int n = 101;
    view.Heights.SetSize(n);
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col)
            view.Heights(col, row) = int16_t(10 * col + 3 * row);  // rises east and south
    view.GridHigh = n - 1;
    view.WorldSize = 100;
    view.SetLoaded();
    pad.HikeX = 30;
    pad.HikeZ = -20;
    const float ground = view.HeightAt(-30, 20);
    ASSERT_NE(ground, view.HeightAt(30, -20));

    QTest::mouseClick(pad.cbHiking, Qt::LeftButton);
    EXPECT_EQ(pad.GetValue(pvHikeY), view.HeightAbove(-30, 20));
    EXPECT_FLOAT_EQ(pad.GetValue(pvHikeY), ground + 0.03f);

    QTest::mouseClick(pad.cbHiking, Qt::LeftButton);
    view.Terrain.GeoRef = TGeoReference::ForTiles(0, 0, 2, view.GridHigh);
    QTest::mouseClick(pad.cbHiking, Qt::LeftButton);
    EXPECT_FLOAT_EQ(pad.GetValue(pvHikeY), ground / 2 + 0.03f);
}

}  // namespace
