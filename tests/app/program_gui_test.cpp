// The orolith program as started from a shell: it opens the tile named on
// its command line and draws it.
#include "TestFiles.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Share of pixels in the middle of the picture that are not the sky colour.
double TerrainShare(const QImage &picture, QColor sky)
{
    int terrain = 0, all = 0;
    for (int y = picture.height() / 4; y < picture.height() * 3 / 4; y += 4)
        for (int x = picture.width() / 4; x < picture.width() * 3 / 4; x += 4, ++all)
            if (QColor(picture.pixel(x, y)) != sky)
                ++terrain;
    return all ? double(terrain) / all : 0;
}

TEST(ViewerProgram, OpensTheTileNamedOnItsCommandLine)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int row) { return int16_t(col + row); });
    const std::string ini = dir.Path("settings.ini");
    // A sky colour nothing in the terrain's colour ramp has.
    std::ofstream(ini) << "[General]\nTopoClass=2\n[General.Scene]\nResolution=64\nBackColor=$00FF00FF\n[Browser]\nZipPath="
                       << dir.Root() << "/\n";
    const QString shot = QString::fromStdString(dir.Path("shot.png"));

    QProcess viewer;
    viewer.setProcessChannelMode(QProcess::ForwardedChannels);
    viewer.start(QStringLiteral(OROLITH_VIEWER), {"--settings", QString::fromStdString(ini), "--screenshot", shot,
                                                  QString::fromStdString(tile)});
    ASSERT_TRUE(viewer.waitForFinished(60000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);

    const QImage picture(shot);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(TerrainShare(picture, QColor(255, 0, 255)), 0.2);

    // The configured sky surrounds it.
    int sky = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            sky += QColor(picture.pixel(x, y)) == QColor(255, 0, 255);
    EXPECT_GT(sky, 10000);
}

}  // namespace
