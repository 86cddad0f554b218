// The "OpenGL Info" dialog: what the OpenGL implementation behind the terrain
// view reports about itself.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QOpenGLContext;
class QPlainTextEdit;
class QSurface;
class QTabWidget;

// The strings an implementation reports; gluVersion is empty when GLU offers
// no version query.
struct TGLInfo {
    std::string Version, Vendor, Renderer, Extensions, GluVersion;
};

// Reads them from the context current on this thread.
TGLInfo ReadCurrentGLInfo();

struct TGLVersionFlags {
    bool GL10 = false, GL11 = false, GL12 = false;
    bool GLU11 = false, GLU12 = false, GLU13 = false;
};
// From the leading "major.minor" of the version texts; text that does not
// start with a number reads as version 0.0.
TGLVersionFlags GLVersionFlags(const std::string &glVersion, const std::string &gluVersion);

class TfmGLInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfmGLInfo(QWidget *parent = nullptr);

    // Handed over by the main window before the dialog is shown: the view's
    // context and a surface it can be made current on. When both are set, the
    // dialog reads its figures from them as it is shown.
    QSurface *InfoDC = nullptr;
    QOpenGLContext *InfoRC = nullptr;

    // Fills the controls from `info` and shows the first page.
    void ShowInfo(const TGLInfo &info);

    QTabWidget *PageControl1;
    QLineEdit *edVersion, *edVendor, *edRenderer;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3;  // GL 1.0, 1.1, 1.2
    QCheckBox *CheckBox7, *CheckBox8, *CheckBox9;  // GLU 1.1, 1.2, 1.3
    QPlainTextEdit *meExtensions;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CheckBoxClick(QCheckBox *box);
    bool Updating = false;
};
