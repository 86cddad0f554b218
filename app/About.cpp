#include "About.h"

#include "Resources.h"

#include <QDesktopServices>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

// The build passes the project version and the copyright line; a build
// without them shows empty labels rather than invented ones.
#ifndef OROLITH_COPYRIGHT
#define OROLITH_COPYRIGHT ""
#endif
#ifndef OROLITH_HOMEPAGE
#define OROLITH_HOMEPAGE ""
#endif

QString ProgramVersionText()
{
#if defined(OROLITH_VERSION_MAJOR) && defined(OROLITH_VERSION_MINOR) && defined(OROLITH_VERSION_PATCH) && defined(OROLITH_VERSION_TWEAK)
    return QString::asprintf("%d.%d.%d.%d", OROLITH_VERSION_MAJOR, OROLITH_VERSION_MINOR, OROLITH_VERSION_PATCH,
                             OROLITH_VERSION_TWEAK);
#else
    return {};
#endif
}

QString ProgramCopyright() { return QStringLiteral(OROLITH_COPYRIGHT); }
QString ProgramHomepage() { return QStringLiteral(OROLITH_HOMEPAGE); }

TfmAbout::TfmAbout(QWidget *parent)
    : QDialog(parent)
{
    EnsureResources();
    setWindowTitle(QStringLiteral("About Orolith"));
    setFixedSize(369, 338);

    imIcon = new QLabel(this);
    imIcon->setGeometry(10, 5, 71, 100);
    imIcon->setAlignment(Qt::AlignCenter);
    imIcon->setPixmap(QIcon(IconResource).pixmap(64, 64));

    imPic = new QLabel(this);
    imPic->setGeometry(98, 5, 260, 100);
    imPic->setPixmap(QPixmap(ProductPictureResource));

    Label1 = new QLabel(QStringLiteral("Version: "), this);
    Label1->move(100, 115);
    lbVersion = new QLabel(ProgramVersionText(), this);
    lbVersion->move(165, 115);

    Label2 = new QLabel(QStringLiteral("A Tool to display SRTM Data"), this);
    Label2->move(100, 150);
    Label3 = new QLabel(QStringLiteral("Coastlines: Natural Earth (public domain)"), this);
    Label3->move(100, 180);

    Label5 = new QLabel(ProgramHomepage(), this);
    Label5->move(100, 214);
    QFont linkFont = Label5->font();
    linkFont.setUnderline(true);
    Label5->setFont(linkFont);
    Label5->setStyleSheet(QStringLiteral("color: #0000ff"));
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setToolTip(QStringLiteral("NASA's page on the Shuttle Radar Topography Mission, where the tiles come from"));
    Label5->installEventFilter(this);

    Label4 = new QLabel(QStringLiteral("Many thanks to NASA for publishing these files!"), this);
    Label4->move(10, 270);

    lbCopyRight = new QLabel(ProgramCopyright(), this);
    lbCopyRight->move(10, 308);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(283, 300, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

bool TfmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && !Label5->text().isEmpty()) {
        QDesktopServices::openUrl(QUrl(Label5->text()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
