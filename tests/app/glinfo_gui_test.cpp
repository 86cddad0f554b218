// The OpenGL information dialog: version flags, the extension list and the
// check boxes the user cannot change.
#include "GLInfo.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

struct Flags {
    bool gl10, gl11, gl12, glu11, glu12, glu13;
};

Flags Shown(const TfmGLInfo &d)
{
    return {d.CheckBox1->isChecked(), d.CheckBox2->isChecked(), d.CheckBox3->isChecked(),
            d.CheckBox7->isChecked(), d.CheckBox8->isChecked(), d.CheckBox9->isChecked()};
}

TGLInfo Info(const std::string &version, const std::string &glu = "1.3")
{
    return {version, "Vendor", "Renderer", "GL_A GL_B", glu};
}

} // namespace

TEST(GLInfoDialog, VersionTextSetsTheFlagsOfEveryVersionItCovers)
{
    TfmGLInfo d;
    d.ShowInfo(Info("2.1.2 NVIDIA 390.1"));
    Flags f = Shown(d);
    EXPECT_TRUE(f.gl10 && f.gl11 && f.gl12);

    d.ShowInfo(Info("1.1.0"));
    f = Shown(d);
    EXPECT_TRUE(f.gl10);
    EXPECT_TRUE(f.gl11);
    EXPECT_FALSE(f.gl12);

    d.ShowInfo(Info("1.0"));
    f = Shown(d);
    EXPECT_TRUE(f.gl10);
    EXPECT_FALSE(f.gl11 || f.gl12);

    // Version 1.10 is newer than 1.2: the minor number is a number, not a digit.
    d.ShowInfo(Info("1.10"));
    EXPECT_TRUE(Shown(d).gl12);

    d.ShowInfo(Info("4.5 (Compatibility Profile) Mesa 22.3.6"));
    f = Shown(d);
    EXPECT_TRUE(f.gl10 && f.gl11 && f.gl12);
    EXPECT_EQ(d.edVersion->text(), "4.5 (Compatibility Profile) Mesa 22.3.6");
    EXPECT_EQ(d.edVendor->text(), "Vendor");
    EXPECT_EQ(d.edRenderer->text(), "Renderer");

    // Text without a version reads as nothing beyond 1.0.
    d.ShowInfo(Info("garbage"));
    f = Shown(d);
    EXPECT_TRUE(f.gl10);
    EXPECT_FALSE(f.gl11 || f.gl12);
}

TEST(GLInfoDialog, GluFlagsFollowTheGluMinorNumberAndStayClearWithoutAVersion)
{
    TfmGLInfo d;
    d.ShowInfo(Info("2.1", "1.3"));
    Flags f = Shown(d);
    EXPECT_TRUE(f.glu11 && f.glu12 && f.glu13);

    d.ShowInfo(Info("2.1", "1.2.2"));
    f = Shown(d);
    EXPECT_TRUE(f.glu11 && f.glu12);
    EXPECT_FALSE(f.glu13);

    d.ShowInfo(Info("2.1", "1.1"));
    f = Shown(d);
    EXPECT_TRUE(f.glu11);
    EXPECT_FALSE(f.glu12 || f.glu13);

    d.ShowInfo(Info("2.1", ""));
    f = Shown(d);
    EXPECT_FALSE(f.glu11 || f.glu12 || f.glu13);
}

TEST(GLInfoDialog, ListsOneExtensionALineWithoutEmptyLines)
{
    std::string names;
    for (int i = 0; i < 120; ++i)
        names += "GL_EXT_number_" + std::to_string(i) + " ";  // drivers end the string with a blank
    TfmGLInfo d;
    d.ShowInfo({"2.1", "v", "r", names, "1.3"});
    QTextDocument *doc = d.meExtensions->document();
    ASSERT_EQ(doc->blockCount(), 120);
    EXPECT_EQ(doc->findBlockByNumber(0).text(), "GL_EXT_number_0");
    EXPECT_EQ(doc->findBlockByNumber(119).text(), "GL_EXT_number_119");
    EXPECT_EQ(d.meExtensions->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(d.meExtensions->isReadOnly());
    EXPECT_EQ(d.PageControl1->currentIndex(), 0);
}

TEST(GLInfoDialog, ClicksAndKeysLeaveEveryCheckBoxAsItWas)
{
    TfmGLInfo d;
    d.ShowInfo(Info("1.1.0", "1.2"));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    for (QCheckBox *box : {d.CheckBox1, d.CheckBox3, d.CheckBox8, d.CheckBox9}) {
        const bool before = box->isChecked();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        EXPECT_EQ(box->isChecked(), before) << box->text().toStdString();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_EQ(box->isChecked(), before) << box->text().toStdString();
    }
    // The figures themselves can still be shown afresh.
    d.ShowInfo(Info("2.1", "1.3"));
    EXPECT_TRUE(d.CheckBox3->isChecked());
    EXPECT_TRUE(d.CheckBox9->isChecked());
}

TEST(GLInfoDialog, ReadsTheHandedOverContextWhenShownAndRestoresTheCurrentOne)
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    ASSERT_TRUE(context.create());
    QOffscreenSurface otherSurface;
    otherSurface.create();
    QOpenGLContext other;
    ASSERT_TRUE(other.create());

    ASSERT_TRUE(context.makeCurrent(&surface));
    const QString version = QString::fromLatin1(reinterpret_cast<const char *>(context.functions()->glGetString(GL_VERSION)));
    ASSERT_TRUE(other.makeCurrent(&otherSurface));

    TfmGLInfo d;
    d.InfoRC = &context;
    d.InfoDC = &surface;
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.edVersion->text(), version);
    EXPECT_FALSE(d.edRenderer->text().isEmpty());
    EXPECT_TRUE(d.CheckBox1->isChecked());
    EXPECT_GT(d.meExtensions->document()->blockCount(), 10);
    EXPECT_TRUE(d.meExtensions->toPlainText().split('\n').contains("GL_ARB_vertex_buffer_object"));
    EXPECT_EQ(QOpenGLContext::currentContext(), &other);
    KeepScreenshot(d.grab().toImage(), "orolith-glinfo");
    other.doneCurrent();
}
