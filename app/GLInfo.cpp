#include "GLInfo.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabWidget>

#include <GL/glu.h>

#include <cstdlib>

static std::string GLText(QOpenGLFunctions *f, GLenum name)
{
    const GLubyte *text = f->glGetString(name);
    return text ? reinterpret_cast<const char *>(text) : std::string();
}

TGLInfo ReadCurrentGLInfo()
{
    TGLInfo info;
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!context)
        return info;
    QOpenGLFunctions *f = context->functions();
    info.Version = GLText(f, GL_VERSION);
    info.Vendor = GLText(f, GL_VENDOR);
    info.Renderer = GLText(f, GL_RENDERER);
    info.Extensions = GLText(f, GL_EXTENSIONS);
    // A core profile has no extension string; Qt collects the names another way.
    if (info.Extensions.empty()) {
        QStringList names;
        for (const QByteArray &name : context->extensions())
            names << QString::fromLatin1(name);
        names.sort();
        info.Extensions = names.join(QLatin1Char(' ')).toStdString();
    }
    if (const GLubyte *glu = gluGetString(GLU_VERSION))
        info.GluVersion = reinterpret_cast<const char *>(glu);
    return info;
}

// The leading "major.minor" of a version text; 0.0 when it has none.
static void MajorMinor(const std::string &text, int &major, int &minor)
{
    major = minor = 0;
    const char *p = text.c_str();
    char *end = nullptr;
    const long ma = std::strtol(p, &end, 10);
    if (end == p || *end != '.')
        return;
    p = end + 1;
    const long mi = std::strtol(p, &end, 10);
    if (end == p)
        return;
    major = static_cast<int>(ma);
    minor = static_cast<int>(mi);
}

TGLVersionFlags GLVersionFlags(const std::string &glVersion, const std::string &gluVersion)
{
    TGLVersionFlags flags;
    int major, minor;
    MajorMinor(glVersion, major, minor);
    flags.GL10 = true;
    flags.GL11 = major > 1 || (major == 1 && minor >= 1);
    flags.GL12 = major > 1 || (major == 1 && minor >= 2);
    if (!gluVersion.empty()) {
        MajorMinor(gluVersion, major, minor);
        flags.GLU11 = true;
        flags.GLU12 = minor >= 2;
        flags.GLU13 = minor >= 3;
    }
    return flags;
}

TfmGLInfo::TfmGLInfo(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("OpenGL Info"));
    setFixedSize(335, 204);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 335, 204);

    auto *TabSheet1 = new QWidget;
    PageControl1->addTab(TabSheet1, QStringLiteral("Version"));
    auto label = [&](const char *text, int x, int y) {
        auto *l = new QLabel(QString::fromLatin1(text), TabSheet1);
        l->move(x, y);
        // The captions must end before the fields at x 80, whatever the system font.
        const int room = 80 - x - 2;
        const int needed = l->fontMetrics().horizontalAdvance(l->text());
        if (needed > room) {
            QFont f = l->font();
            f.setPointSizeF(f.pointSizeF() * room / needed);
            l->setFont(f);
        }
        l->adjustSize();
    };
    label("GL_VERSION:", 5, 15);
    label("Supports:", 5, 40);
    label("Vendor:", 5, 110);
    label("Renderer:", 5, 145);
    auto edit = [&](int x, int y, int width) {
        auto *e = new QLineEdit(TabSheet1);
        e->setReadOnly(true);
        e->setGeometry(x, y, width, 21);
        return e;
    };
    edVersion = edit(80, 10, 121);
    edVendor = edit(80, 105, 234);
    edRenderer = edit(80, 140, 234);
    auto check = [&](const char *text, int x, int y) {
        auto *c = new QCheckBox(QString::fromLatin1(text), TabSheet1);
        c->move(x, y);
        connect(c, &QCheckBox::clicked, this, [this, c] { CheckBoxClick(c); });
        return c;
    };
    CheckBox1 = check("GL 1.0", 80, 39);
    CheckBox2 = check("GL 1.1", 80, 58);
    CheckBox3 = check("GL 1.2", 80, 77);
    CheckBox7 = check("GLU 1.1", 180, 39);
    CheckBox8 = check("GLU 1.2", 180, 58);
    CheckBox9 = check("GLU 1.3", 180, 77);

    meExtensions = new QPlainTextEdit;
    meExtensions->setReadOnly(true);
    meExtensions->setLineWrapMode(QPlainTextEdit::NoWrap);
    meExtensions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PageControl1->addTab(meExtensions, QStringLiteral("Extensions"));
}

void TfmGLInfo::ShowInfo(const TGLInfo &info)
{
    Updating = true;
    const TGLVersionFlags flags = GLVersionFlags(info.Version, info.GluVersion);
    edVersion->setText(QString::fromStdString(info.Version));
    CheckBox1->setChecked(flags.GL10);
    CheckBox2->setChecked(flags.GL11);
    CheckBox3->setChecked(flags.GL12);
    CheckBox7->setChecked(flags.GLU11);
    CheckBox8->setChecked(flags.GLU12);
    CheckBox9->setChecked(flags.GLU13);
    edVendor->setText(QString::fromStdString(info.Vendor));
    edRenderer->setText(QString::fromStdString(info.Renderer));
    // Long texts show their beginning, where the version number is.
    for (QLineEdit *e : {edVersion, edVendor, edRenderer})
        e->setCursorPosition(0);
    // One extension a line; drivers end the string with a blank, which must
    // not become an empty last line.
    const QStringList names = QString::fromStdString(info.Extensions).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    meExtensions->setPlainText(names.join(QLatin1Char('\n')));
    PageControl1->setCurrentIndex(0);
    Updating = false;
}

void TfmGLInfo::showEvent(QShowEvent *event)
{
    if (InfoRC && InfoDC) {
        // Leave whatever context was current as it was.
        QOpenGLContext *previous = QOpenGLContext::currentContext();
        QSurface *previousSurface = previous ? previous->surface() : nullptr;
        if (InfoRC->makeCurrent(InfoDC))
            ShowInfo(ReadCurrentGLInfo());
        if (previous && previousSurface)
            previous->makeCurrent(previousSurface);
        else
            InfoRC->doneCurrent();
    }
    QDialog::showEvent(event);
}

// The boxes show facts, not choices: a click puts the box back.
void TfmGLInfo::CheckBoxClick(QCheckBox *box)
{
    if (Updating)
        return;
    Updating = true;
    box->setChecked(!box->isChecked());
    Updating = false;
}
