// TGLBMP against a real OpenGL context: the mipmapped texture and the viewport capture.
#include "GLBMP.h"
#include "SamplePictures.h"
#include "TestFiles.h"

#include <QColor>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <qopengl.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GLTexture : public testing::Test {
protected:
    void SetUp() override
    {
        surface_.setFormat(QSurfaceFormat::defaultFormat());
        surface_.create();
        context_.setFormat(QSurfaceFormat::defaultFormat());
        ASSERT_TRUE(context_.create());
        ASSERT_TRUE(context_.makeCurrent(&surface_));
    }
    void TearDown() override { context_.doneCurrent(); }

    struct Level0 {
        GLint width = 0, height = 0, format = 0, compressed = 0;
        std::vector<uint8_t> rgba;
    };
    static Level0 ReadBoundLevel0()
    {
        Level0 level;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &level.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &level.height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &level.format);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &level.compressed);
        level.rgba.resize(size_t(level.width) * size_t(level.height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.rgba.data());
        return level;
    }
    static int LargestDifference(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
    {
        EXPECT_EQ(a.size(), b.size());
        int largest = 0;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
        return largest;
    }

    // Clears a w × h viewport to one colour, then a rectangle (GL window
    // coordinates: rows counted from the bottom) to another.
    static void Paint(int w, int h, QColor background, QRect inner = {}, QColor innerColour = {})
    {
        glViewport(0, 0, w, h);
        glClearColor(background.redF(), background.greenF(), background.blueF(), 1);
        glClear(GL_COLOR_BUFFER_BIT);
        if (inner.isEmpty())
            return;
        glEnable(GL_SCISSOR_TEST);
        glScissor(inner.x(), inner.y(), inner.width(), inner.height());
        glClearColor(innerColour.redF(), innerColour.greenF(), innerColour.blueF(), 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }

    QOffscreenSurface surface_;
    QOpenGLContext context_;
};

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;

} // namespace

TEST_F(GLTexture, CompressedUploadKeepsSizeOrientationAndColours)
{
    ASSERT_TRUE(context_.hasExtension("GL_EXT_texture_compression_s3tc"));
    TGLBMP image;
    FillQuadrants(image, 64, 32, Red, Green, Blue, White, 255);
    const auto source = Snapshot(image);
    ASSERT_TRUE(image.GenTexture(true, false));
    ASSERT_NE(image.TextureId(), 0u);
    EXPECT_EQ(image.TextureFormat(), TGLBMP::GlCompressedDxt1);

    glBindTexture(GL_TEXTURE_2D, 0);
    image.Bind();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), image.TextureId());

    const Level0 level = ReadBoundLevel0();
    EXPECT_EQ(level.width, 64);
    EXPECT_EQ(level.height, 32);
    EXPECT_EQ(level.format, GLint(TGLBMP::GlCompressedDxt1));
    EXPECT_TRUE(level.compressed);
    // Flat 4 × 4 blocks survive DXT1 almost exactly; a row order or channel
    // mix-up would differ by 255.
    EXPECT_LE(LargestDifference(level.rgba, source), 8);
    EXPECT_EQ(Snapshot(image), source);   // the pixels stay in memory
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLTexture, UncompressedUploadIsExactAndBuildsEveryMipmapLevel)
{
    TGLBMP image;
    FillQuadrants(image, 16, 8, Red, Green, Blue, White, 255);
    ASSERT_TRUE(image.GenTexture(false, false));
    EXPECT_EQ(image.TextureFormat(), GLuint(GL_RGBA));
    image.Bind();
    const Level0 level = ReadBoundLevel0();
    EXPECT_FALSE(level.compressed);
    EXPECT_EQ(level.rgba, Snapshot(image));
    GLint lastWidth = 0, lastHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 4, GL_TEXTURE_WIDTH, &lastWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 4, GL_TEXTURE_HEIGHT, &lastHeight);
    EXPECT_EQ(lastWidth, 1);
    EXPECT_EQ(lastHeight, 1);
}

TEST_F(GLTexture, ReplacingOrDroppingTheTextureFreesTheOldName)
{
    TGLBMP image;
    EXPECT_FALSE(image.GenTexture(true, false));   // no pixels
    EXPECT_EQ(image.TextureId(), 0u);

    FillQuadrants(image, 8, 8, Red, Green, Blue, White, 255);
    ASSERT_TRUE(image.GenTexture(true, false));
    const GLuint first = image.TextureId();
    ASSERT_TRUE(image.GenTexture(true, true));
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_TRUE(glIsTexture(image.TextureId()));

    GLuint second = 0;
    {
        TGLBMP scoped;
        FillQuadrants(scoped, 8, 8, Red, Green, Blue, White, 255);
        ASSERT_TRUE(scoped.GenTexture(false, false));
        second = scoped.TextureId();
        EXPECT_TRUE(glIsTexture(second));
    }
    EXPECT_FALSE(glIsTexture(second));
}

TEST_F(GLTexture, ScreenShotReadsTheViewportUpright)
{
    QOpenGLFramebufferObject target(40, 30);
    ASSERT_TRUE(target.bind());
    Paint(40, 30, Qt::red, QRect(0, 15, 40, 15), Qt::green);   // green above red

    TestDir dir;
    TGLBMP image;
    FillQuadrants(image, 8, 8, Blue, Blue, Blue, Blue, 255);
    ASSERT_TRUE(image.GenTexture(true, false));
    const GLuint texture = image.TextureId();
    ASSERT_TRUE(image.ScreenShot(""));
    EXPECT_EQ(image.TextureId(), texture);   // the texture outlives the screenshot
    EXPECT_TRUE(glIsTexture(texture));
    ASSERT_EQ(image.Width(), 40);
    ASSERT_EQ(image.Height(), 30);
    const uint8_t *bottom = image.Pixels();
    const uint8_t *top = image.Pixels() + size_t(29) * 40 * 4;
    EXPECT_EQ(std::vector<uint8_t>(bottom, bottom + 4), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<uint8_t>(top, top + 4), (std::vector<uint8_t>{0, 255, 0, 255}));

    ASSERT_TRUE(image.ScreenShot(dir.Path("shot.bmp")));
    const QImage shot(QString::fromStdString(dir.Path("shot.bmp")));
    ASSERT_EQ(shot.size(), QSize(40, 30));
    EXPECT_EQ(shot.pixel(20, 0), qRgb(0, 255, 0));
    EXPECT_EQ(shot.pixel(20, 29), qRgb(255, 0, 0));

    // The capture happens, but a failed save is reported.
    EXPECT_FALSE(image.ScreenShot(dir.Path("shot.png")));
    EXPECT_FALSE(image.ScreenShot(dir.Path("plain/none.bmp")));
    target.release();
}

TEST_F(GLTexture, ScreenShotTakesOnlyTheViewport)
{
    QOpenGLFramebufferObject target(40, 30);
    ASSERT_TRUE(target.bind());
    Paint(40, 30, Qt::blue, QRect(10, 5, 20, 10), Qt::white);
    glViewport(10, 5, 20, 10);

    TGLBMP image;
    ASSERT_TRUE(image.GrabScreen(""));
    ASSERT_EQ(image.Width(), 20);
    ASSERT_EQ(image.Height(), 10);
    EXPECT_EQ(Snapshot(image), std::vector<uint8_t>(20 * 10 * 4, 255));
    target.release();
}

TEST_F(GLTexture, ShotOfA640By480ViewportMakesFilesOfTheExpectedSize)
{
    QOpenGLFramebufferObject target(640, 480);
    ASSERT_TRUE(target.bind());
    Paint(640, 480, QColor(128, 64, 192));

    TestDir dir;
    TGLBMP image;
    ASSERT_TRUE(image.ScreenShot(dir.Path("shot.tga")));
    EXPECT_EQ(image.ByteCount(), 1228800u);
    EXPECT_EQ(ReadFileBytes(dir.Path("shot.tga")).size(), 1228818u);
    ASSERT_TRUE(image.ScreenShot(dir.Path("shot.bmp")));
    EXPECT_EQ(ReadFileBytes(dir.Path("shot.bmp")).size(), 1228854u);
    ASSERT_TRUE(image.ScreenShot(dir.Path("shot.jpg")));
    EXPECT_EQ(QImage(QString::fromStdString(dir.Path("shot.jpg"))).size(), QSize(640, 480));
    target.release();
}

TEST(GLTextureWithoutContext, NothingHappensWhenNoContextIsCurrent)
{
    ASSERT_EQ(QOpenGLContext::currentContext(), nullptr);
    TGLBMP image;
    FillQuadrants(image, 4, 4, Red, Red, Red, Red, 255);
    const auto before = Snapshot(image);
    EXPECT_FALSE(image.GenTexture(true, false));
    EXPECT_EQ(image.TextureId(), 0u);
    EXPECT_FALSE(image.GrabScreen(""));
    EXPECT_EQ(Snapshot(image), before);
}
