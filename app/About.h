// The about box: icon, product picture, version, credits, the project's page
// and the copyright line.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "major.minor.release.build" of this build.
QString ProgramVersionText();
// The copyright line this build was configured with.
QString ProgramCopyright();
QString ProgramHomepage();

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget *parent = nullptr);

    QLabel *imIcon, *imPic;
    QLabel *Label1, *lbVersion, *Label2, *Label3, *Label4;
    QLabel *Label5;  // the project's page; a click opens it in the web browser
    QLabel *lbCopyRight;
    QPushButton *Button1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
