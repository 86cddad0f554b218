// orolith-cli render: one frame of the terrain view written as a picture.
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

namespace {

TCliRun RunRender(const QStringList &args)
{
    return RunCli(QStringList{"render"} + args);
}

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

constexpr QRgb Sky = 0xFFB0EAFF;  // the viewer's default background

struct TRenderFiles {
    TestDir dir;
    std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int row) {
        return int16_t(500 + 300 * std::sin(col * 0.02) + 200 * std::cos(row * 0.015));
    });
    QStringList Args(const std::string &out, const QStringList &more = {}) const
    {
        return QStringList{Q(tile), Q(dir.Path(out)), "--size", "200x150", "--resolution", "64"} + more;
    }
};

TEST(CliRender, DrawsTheTerrainUnderTheSkyAsPngOrThroughTheImageWriters)
{
    TRenderFiles f;
    ASSERT_EQ(RunRender(f.Args("base.png", {"--view", "base"})).code, 0);
    const QImage base(Q(f.dir.Path("base.png")));
    ASSERT_EQ(base.size(), QSize(200, 150));
    EXPECT_EQ(base.pixel(100, 0), Sky);
    EXPECT_NE(base.pixel(100, 75), Sky);

    // Another renderer of the same quads, another writer: the same picture.
    ASSERT_EQ(RunRender(f.Args("vbo.bmp", {"--view", "vbo"})).code, 0);
    EXPECT_EQ(ReadFileBytes(f.dir.Path("vbo.bmp")).size(), 200u * 150 * 4 + 54);
    EXPECT_EQ(QImage(Q(f.dir.Path("vbo.bmp"))).convertToFormat(QImage::Format_RGB32),
              base.convertToFormat(QImage::Format_RGB32));

    // Camera options change the picture.
    ASSERT_EQ(RunRender(f.Args("turned.png", {"--view", "base", "--yaw", "60", "--pitch", "-80"})).code, 0);
    EXPECT_NE(QImage(Q(f.dir.Path("turned.png"))), base);
}

// Pixels of the first two tracks' colours, magenta and cyan.
int TrackPixels(const QImage &picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            count += (qRed(p) > 240 && qGreen(p) < 60 && qBlue(p) > 200) ||
                     (qRed(p) < 60 && qGreen(p) > 200 && qBlue(p) > 240);
        }
    return count;
}

TEST(CliRender, DrawsEveryTrackGivenOnTheGround)
{
    TRenderFiles f;
    const auto gpx = [&f](const std::string &name, double lon) {
        WriteFileBytes(f.dir.Path(name), [lon] {
            std::string text = "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"test\" "
                               "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>";
            for (int i = 0; i <= 20; ++i)
                text += "<trkpt lat=\"" + std::to_string(47.1 + 0.04 * i) + "\" lon=\"" + std::to_string(lon) + "\"/>";
            text += "</trkseg></trk></gpx>";
            return std::vector<uint8_t>(text.begin(), text.end());
        }());
        return Q(f.dir.Path(name));
    };
    ASSERT_EQ(RunRender(f.Args("none.png")).code, 0);
    EXPECT_EQ(TrackPixels(QImage(Q(f.dir.Path("none.png")))), 0);
    ASSERT_EQ(RunRender(f.Args("one.png", {"--track", gpx("west.gpx", 11.3)})).code, 0);
    const int one = TrackPixels(QImage(Q(f.dir.Path("one.png"))));
    EXPECT_GT(one, 60);
    ASSERT_EQ(RunRender(f.Args("two.png", {"--track", gpx("west.gpx", 11.3), "--track", gpx("east.gpx", 11.7)})).code, 0);
    EXPECT_GT(TrackPixels(QImage(Q(f.dir.Path("two.png")))), one + 60);
}

TEST(CliRender, RefusesBadInputWithAMessageAndWritesNothing)
{
    TRenderFiles f;
    struct TCase {
        QStringList args;
        std::string says;
    } cases[] = {
        {f.Args("a.png", {"--view", "fast"}), "--view"},
        {{Q(f.tile), Q(f.dir.Path("a.png")), "--size", "0x5"}, "--size"},
        {f.Args("a.png", {"--yaw", "north"}), "--yaw"},
        {f.Args("a.png", {"--fov", "0"}), "--fov must be from 1 to 179, not '0'"},
        {{Q(f.tile), Q(f.dir.Path("a.png")), "--resolution", "2.5"}, "--resolution"},
        {{Q(f.tile), Q(f.dir.Path("a.gif"))}, "a.gif"},
        {{Q(f.dir.Path("missing.hgt")), Q(f.dir.Path("a.png"))}, "missing.hgt"},
        {{Q(f.tile)}, "usage"},
        {f.Args("a.png", {"--track", Q(f.tile)}), "N47E011.hgt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const TCliRun run = RunRender(c.args);
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFile::exists(Q(f.dir.Path("a.png"))));
    EXPECT_FALSE(QFile::exists(Q(f.dir.Path("a.gif"))));
}

} // namespace
