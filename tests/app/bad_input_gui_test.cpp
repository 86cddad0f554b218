// What the main window does with save targets it cannot write and with a
// heightmap whose companion texture is broken: the user reads the file's
// name, and nothing already on disk or on screen is lost.
#include "MainWindowFixture.h"

#include "Terrain.h"

#include <QAction>
#include <QFileInfo>
#include <QImage>

#include <filesystem>

namespace {

class BadInputWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        ShowWindows();
        view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    }
    void ChooseForSave(const std::string &file, int filter)
    {
        view().FileDialogs.Save = [file, filter](QWidget *, const TFileDialogs::TRequest &) {
            return TFileDialogs::TResult{QString::fromStdString(file), filter};
        };
    }
    std::string Text(const std::string &file) const
    {
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        return {bytes.begin(), bytes.end()};
    }
};

}  // namespace

TEST_F(BadInputWindow, HeightmapIntoAFolderThatIsNotThereNamesTheFileAndWritesNothing)
{
    const std::pair<const char *, const char *> cases[] = {{"missing-folder/hm.bmp", "No such file or directory"},
                                                           {"N47E011.hgt/hm.bmp", "Not a directory"}};
    for (const auto &[target, reason] : cases) {
        ChooseForSave(dir.Path(target), 1);
        QString message;
        DismissNextMessage(message);
        view().acSaveHM->trigger();
        EXPECT_EQ(message.toStdString(), dir.Path(target) + ": the file could not be written: " + reason + ".");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("missing-folder")));
    // The tile that stood in for a folder is still the tile, and still shown.
    EXPECT_EQ(std::filesystem::file_size(dir.Path("N47E011.hgt")), uintmax_t(TTerrain::HgtSize1201));
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(topo().MaxHeight, 1000);
}

TEST_F(BadInputWindow, SettingsFileThatCannotBeWrittenIsReportedAndTheOldOneStays)
{
    const std::string before = Text(iniFile);
    const std::string blocked = dir.Path("orolith.ini/inside.ini");  // its "folder" is a regular file
    SetIniFileName(blocked);
    Options.FrameTarget = 25;
    QString message;
    DismissNextMessage(message);
    view().acSaveOptions->trigger();
    EXPECT_TRUE(message.startsWith(QString::fromStdString("Cannot write the settings file " + blocked + ": ")))
        << message.toStdString();
    EXPECT_EQ(Text(iniFile), before);
    // The program carries on with what it had.
    EXPECT_EQ(Options.FrameTarget, 25);
    EXPECT_TRUE(WaitForFrame());
}

TEST_F(BadInputWindow, BrokenCompanionTextureIsPassedOverAndTheTextureComputed)
{
    const std::string heightmap = dir.Path("ramp.bmp");
    ASSERT_TRUE(topo().SaveHeightmap(heightmap));
    for (const std::vector<uint8_t> &companion :
         {std::vector<uint8_t>(300, 0x5A), std::vector<uint8_t>{'B', 'M', 1, 2, 3}, std::vector<uint8_t>{}}) {
        WriteFileBytes(dir.Path("ramp_terrain.bmp"), companion);
        topo().TextureBuilt = false;
        view().LoadTerrainFile(heightmap);
        EXPECT_TRUE(topo().Loaded);
        EXPECT_TRUE(topo().TextureBuilt) << companion.size();
        EXPECT_EQ(topo().TextureBitmap.size(), QSize(64, 64)) << companion.size();
        EXPECT_EQ(view().CurrentFileName(), heightmap);
    }
    EXPECT_TRUE(WaitForFrame());
}

// The writers go by the name's extension: one they have no writer for is
// named with the ones there are, before anything is written.
TEST_F(BadInputWindow, SaveTypesWithoutAWriterAreNamedWithTheSupportedOnes)
{
    struct Row {
        QAction *command;
        const char *file, *caption, *saying;
    };
    const Row rows[] = {
        {view().acSaveScreen, "view.v2", "Save Screenshot",
         ": the type .v2 is not supported; screenshots are saved as .bmp, .jpg or .tga."},
        {view().acSaveTexture, "tex.jpeg", "Save Texture",
         ": the type .jpeg is not supported; textures are saved as .bmp, .jpg or .tga."},
        {view().acSaveHM, "hm.png", "Save Heightmap", ": the type .png is not supported; heightmaps are saved as .bmp."},
    };
    for (const Row &row : rows) {
        QString caption;
        view().FileDialogs.Save = [&](QWidget *, const TFileDialogs::TRequest &r) {
            caption = r.Caption;
            return TFileDialogs::TResult{QString::fromStdString(dir.Path(row.file)), 1};
        };
        QString message;
        DismissNextMessage(message);
        row.command->trigger();
        EXPECT_EQ(caption, row.caption);
        EXPECT_EQ(message.toStdString(), dir.Path(row.file) + row.saying);
        EXPECT_FALSE(std::filesystem::exists(dir.Path(row.file)));
    }
}

// A grey level is 4 m: what lies above 1023 m is written white, and the save
// says how much of the tile that is, once.
TEST_F(BadInputWindow, HeightsAboveTheWhiteLevelAreCountedWhenTheHeightmapIsSaved)
{
    view().LoadTerrainFile(WriteHgt(dir, "N46E011.hgt", 1201, [](int col, int) { return int16_t(col); }));
    ChooseForSave(dir.Path("high.bmp"), 2);
    QString message;
    DismissNextMessage(message);
    view().acSaveHM->trigger();
    // Columns 1024 … 1200 of 1201 rows.
    EXPECT_EQ(message.toStdString(),
              dir.Path("high.bmp") + ": 212577 samples above 1023 m were saved as white, which stands for 1020 m: "
                                     "a grey heightmap holds 0 to 1023 m in steps of 4 m.");
    const QImage saved(QString::fromStdString(dir.Path("high.bmp")));
    EXPECT_EQ(qGray(saved.pixel(1200, 0)), 255);
    EXPECT_EQ(qGray(saved.pixel(1019, 0)), 254);
}
