// The about box: pictures, version and copyright from the build, the link.
#include "About.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

TEST(AboutBox, ShowsTheBuildsVersionCopyrightAndPictures)
{
    TfmAbout d;
    EXPECT_EQ(d.windowTitle(), "About Orolith");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(d.lbVersion->text()).hasMatch())
        << d.lbVersion->text().toStdString();
    EXPECT_FALSE(d.lbCopyRight->text().isEmpty());
    // Both pictures come from the program's resources, not a file beside it.
    ASSERT_FALSE(d.imPic->pixmap().isNull());
    EXPECT_EQ(d.imPic->pixmap().size(), QSize(260, 100));
    EXPECT_FALSE(d.imIcon->pixmap().isNull());
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    KeepScreenshot(d.grab().toImage(), "orolith-about");
}

TEST(AboutBox, ClickingTheLinkOpensItsAddressInTheWebBrowser)
{
    TfmAbout d;
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QUrl address(d.Label5->text());
    ASSERT_TRUE(address.isValid() && !address.scheme().isEmpty()) << d.Label5->text().toStdString();
    EXPECT_EQ(d.Label5->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(d.Label5->toolTip().isEmpty());

    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(address.scheme(), &catcher, "open");
    QTest::mouseClick(d.Label1, Qt::LeftButton);  // elsewhere: nothing opens
    QTest::mouseClick(d.Label5, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(address.scheme());
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], address);
}

TEST(AboutBox, OkClosesTheModalBoxAccepted)
{
    TfmAbout d;
    // Click OK once the box is the active modal window; give up after a few seconds.
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == &d && d.isVisible())
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        else if (++tries > 100)
            d.reject();
    });
    poll.start(30);
    EXPECT_EQ(d.exec(), QDialog::Accepted);
}

#include "about_gui_test.moc"
