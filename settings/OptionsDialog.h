// The modal options dialog: three pages of controls over the settings record.
#pragma once

#include "Options.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QTabWidget;
class QToolButton;
class QWidget;
class TColorPanel;

class TfmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfmOptions(QWidget *parent = nullptr);

    void FillFrom(const TOptions &options);
    // Copies the controls into `options`; call only after the dialog was accepted.
    void CopyTo(TOptions &options) const;
    // The "Resolution:" text as a number, or nothing when it is not a whole
    // number the views can build.
    std::optional<int32_t> ResolutionValue() const;

    QTabWidget *pcOptions;
    QWidget *tsGeneral;
    QWidget *tsDisplay;
    QWidget *tsScene;
    QLineEdit *ofZipPath;
    QToolButton *ofZipPathBrowse;
    QComboBox *ofTopoClass;
    QSlider *ofVertexSize;
    QSlider *ofFrameTarget;
    QCheckBox *ofTrueProportions;
    QSlider *ofSmallC;
    QSlider *ofC;
    QComboBox *ofResolution;
    TColorPanel *ofBackColor;
    QCheckBox *ofGradient;

public slots:
    void accept() override;

private slots:
    void ofSliderChange();
    void ofSlider2Change();
    void ofBackColorClick();
    void ofZipPathBrowseClick();

private:
    QWidget *MakeGeneralPage();
    QWidget *MakeDisplayPage();
    QWidget *MakeScenePage();
};
