#include "ColorPanel.h"
#include "ModalDialogs.h"
#include "OptionsDialog.h"
#include "TrackBarHint.h"

#include "TestFiles.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QPushButton *DialogButton(QDialog *d, QDialogButtonBox::StandardButton which)
{
    return d->findChild<QDialogButtonBox *>()->button(which);
}

// Options as a fresh start gives them, with a few values set apart.
class OptionsDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetIniFileName(dir.Path("o.ini"));
        LoadOptions();
    }
    void TearDown() override { SetIniFileName(""); }
    TestDir dir;
};

} // namespace

TEST_F(OptionsDialogTest, ShowsTheOptionsAndClampsSliderValuesOutOfRange)
{
    Options.TopoClass = 1;
    Options.VertexSize = 1000;
    Options.FrameTarget = 5;
    Options.Resolution = 1200;
    Options.BackColor = 0x000000FF;
    Options.Gradient = true;
    Options.smallC = 0.25f; // 2.5 tenths: halves round to even
    Options.C = 4.0f;
    Options.ZipPath = "/data/tiles/";
    TfmOptions d;
    d.FillFrom(Options);
    EXPECT_EQ(d.ofTopoClass->currentText().toStdString(), "VertexBuffer-Objects (VBO)");
    EXPECT_EQ(d.ofVertexSize->value(), 512);
    EXPECT_EQ(d.ofFrameTarget->value(), 10);
    EXPECT_EQ(d.ofResolution->currentText(), "1200");
    EXPECT_EQ(d.ofBackColor->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(d.ofGradient->isChecked());
    EXPECT_EQ(d.ofSmallC->value(), 2);
    EXPECT_EQ(d.ofC->value(), 40);
    EXPECT_EQ(d.ofZipPath->text(), "/data/tiles/");
    EXPECT_EQ(d.pcOptions->currentWidget(), d.tsGeneral);
    EXPECT_EQ(d.ofVertexSize->toolTip().toStdString(), "Size of real drawn things (center is at VertexSize/2)\nCurrent Value: 512.0");
    EXPECT_EQ(d.ofSmallC->toolTip().toStdString(),
              "Influence of Terrain(Resolution in Ranges with high surface errors)\nCurrent Value: 0.2");

    Options.TopoClass = 7;
    d.FillFrom(Options);
    EXPECT_EQ(d.ofTopoClass->currentIndex(), -1);

    d.show();
    d.pcOptions->setCurrentWidget(d.tsDisplay);
    d.grab().save(QString::fromStdString(dir.Path("options_display.png")));
}

TEST_F(OptionsDialogTest, OkStoresWhatTheControlsShow)
{
    Options.VertexSize = 1000;
    Options.ZipPath = "/data/tiles/";
    WhenModal<TfmOptions>([](TfmOptions *d) {
        d->ofTopoClass->setCurrentIndex(2);
        d->ofFrameTarget->setValue(120);
        d->ofSmallC->setValue(15);
        d->ofC->setValue(95);
        d->ofGradient->click();
        d->ofTrueProportions->click();
        d->ofResolution->setEditText("0x400");
        d->ofZipPath->setText("/srv/srtm");
        QTest::mouseClick(DialogButton(d, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    ASSERT_TRUE(ExecuteOptionsDialog());
    EXPECT_EQ(Options.TopoClass, 2);
    EXPECT_EQ(Options.VertexSize, 512); // shown clamped, stored clamped
    EXPECT_EQ(Options.FrameTarget, 120);
    EXPECT_EQ(Options.smallC, 1.5f);
    EXPECT_EQ(Options.C, 9.5f);
    EXPECT_TRUE(Options.Gradient);
    EXPECT_TRUE(Options.TrueProportions);
    EXPECT_EQ(Options.Resolution, 1024);
    EXPECT_EQ(Options.BackColor, 0x00FFEAB0u);
    EXPECT_EQ(Options.ZipPath, "/srv/srtm/");

    // An emptied or relative folder means a folder of the program's own.
    for (const char *typed : {"", "tiles"}) {
        WhenModal<TfmOptions>([typed](TfmOptions *d) {
            d->ofZipPath->setText(typed);
            QTest::keyClick(d, Qt::Key_Return);
        });
        ASSERT_TRUE(ExecuteOptionsDialog());
        EXPECT_EQ(Options.ZipPath, ProgramFolder() + typed + (*typed ? "/" : ""));
    }
}

TEST_F(OptionsDialogTest, CancelAndEscapeChangeNothing)
{
    const TOptions before = Options;
    WhenModal<TfmOptions>([](TfmOptions *d) {
        d->ofVertexSize->setValue(64);
        d->ofResolution->setEditText("256");
        QTest::mouseClick(DialogButton(d, QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(ExecuteOptionsDialog());
    WhenModal<TfmOptions>([](TfmOptions *d) {
        d->ofFrameTarget->setValue(200);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(ExecuteOptionsDialog());
    EXPECT_EQ(Options.VertexSize, before.VertexSize);
    EXPECT_EQ(Options.FrameTarget, before.FrameTarget);
    EXPECT_EQ(Options.Resolution, before.Resolution);
}

TEST_F(OptionsDialogTest, AnUnusableResolutionKeepsTheDialogOpenAndCopiesNothing)
{
    for (const char *bad : {"big", "1", "5000", ""}) {
        const TOptions before = Options;
        std::string message;
        bool stayedOpen = false;
        WhenModal<TfmOptions>([&](TfmOptions *d) {
            d->ofTopoClass->setCurrentIndex(1);
            d->ofVertexSize->setValue(64);
            d->ofResolution->setEditText(bad);
            WhenModal<QMessageBox>([&](QMessageBox *box) {
                message = box->text().toStdString();
                box->accept();
            });
            QTest::mouseClick(DialogButton(d, QDialogButtonBox::Ok), Qt::LeftButton);
            stayedOpen = d->isVisible() && d->pcOptions->currentWidget() == d->tsScene;
            d->reject();
        });
        EXPECT_FALSE(ExecuteOptionsDialog()) << bad;
        EXPECT_TRUE(stayedOpen) << bad;
        EXPECT_NE(message.find(std::string("'") + bad + "'"), std::string::npos) << message;
        EXPECT_EQ(Options.TopoClass, before.TopoClass) << bad;
        EXPECT_EQ(Options.VertexSize, before.VertexSize) << bad;
    }
}

TEST_F(OptionsDialogTest, AClickOnTheSkyColourOpensTheColourDialogAndOnlyAConfirmedChoiceCounts)
{
    TfmOptions d;
    d.FillFrom(Options);
    d.show();
    QColor preset;
    WhenModal<QColorDialog>([&](QColorDialog *c) {
        preset = c->currentColor();
        c->setCurrentColor(QColor(0, 128, 255));
        c->accept();
    });
    QTest::mouseClick(d.ofBackColor, Qt::LeftButton);
    EXPECT_EQ(preset, QColor(176, 234, 255));
    EXPECT_EQ(d.ofBackColor->Color(), 0x00FF8000u); // red in the lowest byte

    WhenModal<QColorDialog>([](QColorDialog *c) {
        c->setCurrentColor(QColor(1, 2, 3));
        c->reject();
    });
    QTest::mouseClick(d.ofBackColor, Qt::LeftButton);
    EXPECT_EQ(d.ofBackColor->Color(), 0x00FF8000u);
}

TEST_F(OptionsDialogTest, BrowseButtonTakesTheChosenFolderWithASeparator)
{
    TfmOptions d;
    d.FillFrom(Options);
    d.show();
    const QString chosen = QString::fromStdString(dir.Root());
    QString startedIn;
    // The dialog lists its folder on another thread; a file picked from that
    // list would race it. Typing the whole path, as a user may, does not.
    WhenModal<QFileDialog>([&](QFileDialog *f) {
        startedIn = f->directory().absolutePath();
        auto *name = f->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(chosen);
        static_cast<QDialog *>(f)->accept();
    });
    d.ofZipPath->setText("/tmp");
    QTest::mouseClick(d.ofZipPathBrowse, Qt::LeftButton);
    EXPECT_EQ(startedIn, "/tmp");
    EXPECT_EQ(d.ofZipPath->text(), chosen + "/");

    WhenModal<QFileDialog>([](QFileDialog *f) { f->reject(); });
    QTest::mouseClick(d.ofZipPathBrowse, Qt::LeftButton);
    EXPECT_EQ(d.ofZipPath->text(), chosen + "/");
}

TEST(SliderHints, CarryOneCurrentValueLine)
{
    QSlider slider;
    slider.setRange(10, 250);
    slider.setValue(50);
    slider.setToolTip("Target Frame Rate");
    UpdateTrackBarHint(&slider, kSliderOwnPosition);
    EXPECT_EQ(slider.toolTip().toStdString(), "Target Frame Rate\nCurrent Value: 50.0");
    UpdateTrackBarHint(&slider, -2.26);
    EXPECT_EQ(slider.toolTip().toStdString(), "Target Frame Rate\nCurrent Value: -2.3");
    UpdateTrackBarHint(&slider, 12345);
    EXPECT_EQ(slider.toolTip().toStdString(), "Target Frame Rate\nCurrent Value: 12345.0");
    slider.setToolTip("");
    UpdateTrackBarHint(&slider, 1);
    EXPECT_EQ(slider.toolTip().toStdString(), "\nCurrent Value: 1.0");
    UpdateTrackBarHint(nullptr, 1); // no slider, nothing to do
}
