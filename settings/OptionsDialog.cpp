#include "OptionsDialog.h"

#include "ColorPanel.h"
#include "DialogButtons.h"
#include "IntegerText.h"
#include "TrackBarHint.h"
#include "Utils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

QSlider *MakeSlider(const char *name, int minimum, int maximum, int tick, const char *hint)
{
    auto *slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(minimum, maximum);
    slider->setTickInterval(tick);
    slider->setSingleStep(1);
    slider->setPageStep(tick);
    slider->setTickPosition(QSlider::TicksBelow);
    if (hint)
        slider->setToolTip(QString::fromLatin1(hint));
    slider->setMinimumWidth(260);
    return slider;
}

// The decimal sliders work in tenths; halves round to even as the FPU does.
int Tenths(float value)
{
    return static_cast<int>(std::nearbyint(static_cast<double>(value) * 10.0));
}

} // namespace

TfmOptions::TfmOptions(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    pcOptions = new QTabWidget;
    pcOptions->setObjectName(QStringLiteral("pcOptions"));
    tsGeneral = MakeGeneralPage();
    tsDisplay = MakeDisplayPage();
    tsScene = MakeScenePage();
    pcOptions->addTab(tsGeneral, QStringLiteral("General"));
    pcOptions->addTab(tsDisplay, QStringLiteral("Display"));
    pcOptions->addTab(tsScene, QStringLiteral("Scene"));

    QDialogButtonBox *buttons = OkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pcOptions);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QSlider *s : {ofVertexSize, ofFrameTarget})
        connect(s, &QSlider::valueChanged, this, &TfmOptions::ofSliderChange);
    for (QSlider *s : {ofSmallC, ofC})
        connect(s, &QSlider::valueChanged, this, &TfmOptions::ofSlider2Change);
    connect(ofBackColor, &TColorPanel::Clicked, this, &TfmOptions::ofBackColorClick);
    connect(ofZipPathBrowse, &QToolButton::clicked, this, &TfmOptions::ofZipPathBrowseClick);

    adjustSize();
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

QWidget *TfmOptions::MakeGeneralPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsGeneral"));
    ofZipPath = new QLineEdit;
    ofZipPath->setObjectName(QStringLiteral("ofZipPath"));
    ofZipPathBrowse = new QToolButton;
    ofZipPathBrowse->setObjectName(QStringLiteral("ofZipPathBrowse"));
    ofZipPathBrowse->setText(QStringLiteral("..."));
    auto *row = new QHBoxLayout;
    row->addWidget(ofZipPath, 1);
    row->addWidget(ofZipPathBrowse);
    auto *layout = new QFormLayout(page);
    layout->setRowWrapPolicy(QFormLayout::WrapAllRows);
    layout->addRow(QStringLiteral("Path to .HGT.ZIP Files:"), row);
    return page;
}

QWidget *TfmOptions::MakeDisplayPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsDisplay"));
    ofTopoClass = new QComboBox;
    ofTopoClass->setObjectName(QStringLiteral("ofTopoClass"));
    ofTopoClass->addItems({QStringLiteral("Range-Independant CLOD (RILOD)"),
                           QStringLiteral("VertexBuffer-Objects (VBO)"), QStringLiteral("VertexArrays")});
    ofVertexSize = MakeSlider("ofVertexSize", 32, 512, 32, "Size of real drawn things (center is at VertexSize/2)");
    ofFrameTarget = MakeSlider("ofFrameTarget", 10, 250, 5, "Target Frame Rate, set large value do do highest possible");
    ofSmallC = MakeSlider("ofSmallC", 1, 25, 1,
                          "Influence of Terrain(Resolution in Ranges with high surface errors)");
    ofC = MakeSlider("ofC", 15, 120, 5, "The lower the C, the higher the Resolution");
    ofTrueProportions = new QCheckBox(QStringLiteral("True proportions"));
    ofTrueProportions->setObjectName(QStringLiteral("ofTrueProportions"));
    ofTrueProportions->setToolTip(
        QStringLiteral("Draw the terrain with its real width and depth; vertical scale 1 is the true relief"));

    auto *group = new QGroupBox(QStringLiteral("RILOD Settings "));
    auto *groupLayout = new QFormLayout(group);
    groupLayout->addRow(QStringLiteral("c Value"), ofSmallC);
    groupLayout->addRow(QStringLiteral("C Value"), ofC);

    auto *layout = new QFormLayout(page);
    layout->addRow(QStringLiteral("Display Method:"), ofTopoClass);
    layout->addRow(QStringLiteral("Vertex Size:"), ofVertexSize);
    layout->addRow(QStringLiteral("Target Frame Rate:"), ofFrameTarget);
    layout->addRow(ofTrueProportions);
    layout->addRow(group);
    return page;
}

QWidget *TfmOptions::MakeScenePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsScene"));
    ofResolution = new QComboBox;
    ofResolution->setObjectName(QStringLiteral("ofResolution"));
    ofResolution->setEditable(true);
    ofResolution->setInsertPolicy(QComboBox::NoInsert);
    ofResolution->addItems({"64", "128", "256", "512", "768", "1024", "1200", "2048", "2400"});
    ofBackColor = new TColorPanel;
    ofBackColor->setObjectName(QStringLiteral("ofBackColor"));
    ofGradient = new QCheckBox(QStringLiteral("Use Gradients for AutoTextures"));
    ofGradient->setObjectName(QStringLiteral("ofGradient"));
    ofGradient->setToolTip(QStringLiteral("Use Gradients for AutoTextures?"));
    // The caption stands left of the box.
    ofGradient->setLayoutDirection(Qt::RightToLeft);

    auto *layout = new QFormLayout(page);
    layout->addRow(QStringLiteral("Resolution:"), ofResolution);
    layout->addRow(QStringLiteral("Sky Color:"), ofBackColor);
    layout->addRow(ofGradient);
    return page;
}

void TfmOptions::FillFrom(const TOptions &options)
{
    ofTopoClass->setCurrentIndex(options.TopoClass >= 0 && options.TopoClass < ofTopoClass->count()
                                     ? options.TopoClass
                                     : -1);
    ofVertexSize->setValue(options.VertexSize);
    ofFrameTarget->setValue(options.FrameTarget);
    ofTrueProportions->setChecked(options.TrueProportions);
    ofResolution->setEditText(QString::number(options.Resolution));
    ofBackColor->SetColor(options.BackColor);
    ofGradient->setChecked(options.Gradient);
    ofSmallC->setValue(Tenths(options.smallC));
    ofC->setValue(Tenths(options.C));
    ofZipPath->setText(QString::fromStdString(options.ZipPath));
    pcOptions->setCurrentWidget(tsGeneral);
    // A position equal to the slider's minimum sends no change: show every value once.
    ofSliderChange();
    ofSlider2Change();
}

std::optional<int32_t> TfmOptions::ResolutionValue() const
{
    const auto value = TryStrToInt(ofResolution->currentText().toStdString());
    if (!value || *value < kMinResolution || *value > kMaxResolution)
        return std::nullopt;
    return value;
}

void TfmOptions::accept()
{
    if (!ResolutionValue()) {
        QMessageBox::warning(this, QStringLiteral("Options"),
                             QStringLiteral("'%1' is not a valid resolution: enter a whole number from %2 to %3.")
                                 .arg(ofResolution->currentText())
                                 .arg(kMinResolution)
                                 .arg(kMaxResolution));
        pcOptions->setCurrentWidget(tsScene);
        ofResolution->setFocus();
        return;
    }
    QDialog::accept();
}

void TfmOptions::CopyTo(TOptions &options) const
{
    options.TopoClass = std::max(0, ofTopoClass->currentIndex());
    options.VertexSize = ofVertexSize->value();
    options.FrameTarget = ofFrameTarget->value();
    options.TrueProportions = ofTrueProportions->isChecked();
    options.Resolution = ResolutionValue().value_or(options.Resolution);
    options.BackColor = ofBackColor->Color();
    options.Gradient = ofGradient->isChecked();
    options.smallC = static_cast<float>(ofSmallC->value() / 10.0);
    options.C = static_cast<float>(ofC->value() / 10.0);
    // Relative or empty folders are taken from the same folder as when loading.
    options.ZipPath = IncludeTrailingSeparator(CombinePath(TileFolderBase(), ofZipPath->text().toStdString()));
}

void TfmOptions::ofSliderChange()
{
    for (QSlider *s : {ofVertexSize, ofFrameTarget})
        if (!sender() || sender() == s)
            UpdateTrackBarHint(s, kSliderOwnPosition);
}

void TfmOptions::ofSlider2Change()
{
    for (QSlider *s : {ofSmallC, ofC})
        if (!sender() || sender() == s)
            UpdateTrackBarHint(s, s->value() / 10.0);
}

void TfmOptions::ofBackColorClick()
{
    ofBackColor->ChooseColor();
}

void TfmOptions::ofZipPathBrowseClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Path to .HGT.ZIP Files:"),
                                                             ofZipPath->text());
    if (!folder.isEmpty())
        ofZipPath->setText(QString::fromStdString(IncludeTrailingSeparator(folder.toStdString())));
}

bool ExecuteOptionsDialog(QWidget *parent)
{
    TfmOptions dialog(parent);
    dialog.FillFrom(Options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.CopyTo(Options);
    return true;
}
