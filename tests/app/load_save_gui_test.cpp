// Loading terrain files into the main window, the export commands, the
// sea level and the options commands.
#include "MainWindowFixture.h"

#include "TerrainError.h"
#include "TilePos.h"
#include "Track.h"
#include "Utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QUrl>

namespace {

std::string Magic(const std::string &file, size_t n)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    return std::string(bytes.begin(), bytes.begin() + std::min(n, bytes.size()));
}

class LoadTest : public MainWindowTest {
protected:
    void SetUp() override { ShowWindows(); }

    // The save dialog answers with this file and filter.
    void ChooseForSave(const std::string &file, int filter = 1)
    {
        view().FileDialogs.Save = [file, filter](QWidget *, const TFileDialogs::TRequest &r) {
            requests.push_back(r);
            return TFileDialogs::TResult{QString::fromStdString(file), filter};
        };
    }
    static inline std::vector<TFileDialogs::TRequest> requests;
};

TEST_F(LoadTest, LoadsAHgtTileAndRemembersIt)
{
    const std::string tile = WriteRampTile(dir, "N47E011.hgt");
    view().LoadTerrainFile(tile);
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(view().CurrentFileName(), tile);
    EXPECT_EQ(topo().MaxHeight, 1000);
    EXPECT_TRUE(topo().TextureBuilt);
    EXPECT_FALSE(topo().Vertices.empty());
    EXPECT_EQ(topo().Resolution, 64);
    EXPECT_FALSE(view().ProgressBar->isVisible());
}

TEST_F(LoadTest, ZippedTileIsExtractedLoadedAndRemoved)
{
    const std::string archive = dir.Path("N46E012.hgt.zip");
    WriteZip(archive, "N46E012.hgt", MakeHgtBytes(1201, [](int, int row) { return int16_t(row); }));
    // A file of the user's in the temporary folder that bears the member's
    // name is neither replaced nor removed.
    const std::string own = GetTempFolder() + "N46E012.hgt";
    const std::vector<uint8_t> mine = {'m', 'i', 'n', 'e'};
    WriteFileBytes(own, mine);
    struct TRemove {
        std::string path;
        ~TRemove() { QFile::remove(QString::fromStdString(path)); }
    } removeOwn{own};

    view().LoadTerrainFile(archive);
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(topo().MaxHeight, 1200);
    EXPECT_EQ(view().CurrentFileName(), archive);

    // Re-creating the view unpacks the archive again.
    view().RecreateView(true);
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(topo().MaxHeight, 1200);
    EXPECT_EQ(ReadFileBytes(own), mine);
    EXPECT_TRUE(QDir(QString::fromStdString(GetTempFolder())).entryList({"orolith-tile-*"}, QDir::AllEntries).isEmpty());
}

TEST_F(LoadTest, FailedLoadsKeepTheCurrentTerrainAndLeaveNothingBehind)
{
    const std::string good = WriteRampTile(dir, "N47E011.hgt");
    view().LoadTerrainFile(good);
    const size_t vertices = topo().Vertices.size();

    const std::string badZip = dir.Path("N10E010.hgt.zip");
    WriteZip(badZip, "N10E010.hgt", std::vector<uint8_t>(1000, 0));
    try {
        view().LoadTerrainFile(badZip);
        ADD_FAILURE() << "a short tile was loaded";
    } catch (const ETerrainError &e) {
        // The user opened the archive: the message names it and the member.
        EXPECT_EQ(e.FullMessage().rfind(badZip + ": N10E010.hgt: ", 0), 0u) << e.FullMessage();
    }

    const std::string noMember = dir.Path("N11E010.hgt.zip");
    WriteZip(noMember, "readme.txt", {'h', 'i'});
    EXPECT_THROW(view().LoadTerrainFile(noMember), ETerrainError);

    EXPECT_THROW(view().LoadTerrainFile(dir.Path("N12E010.hgt")), ETerrainError);
    WriteFileBytes(dir.Path("short.hgt"), std::vector<uint8_t>(77, 1));
    EXPECT_THROW(view().LoadTerrainFile(dir.Path("short.hgt")), ETerrainError);

    // Any other extension names the file and changes nothing.
    WriteFileBytes(dir.Path("notes.txt"), {'x'});
    try {
        view().LoadTerrainFile(dir.Path("notes.txt"));
        ADD_FAILURE() << "a text file was loaded";
    } catch (const ETerrainError &e) {
        EXPECT_NE(e.FullMessage().find("notes.txt"), std::string::npos) << e.FullMessage();
    }

    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(topo().MaxHeight, 1000);
    EXPECT_EQ(topo().Vertices.size(), vertices);
    EXPECT_EQ(view().CurrentFileName(), good);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Through the command, the user reads the message and the program goes on.
    QString message;
    DismissNextMessage(message);
    EXPECT_FALSE(view().OpenTerrainFile(dir.Path("short.hgt")));
    EXPECT_TRUE(message.contains("short.hgt")) << message.toStdString();
}

TEST_F(LoadTest, BitmapHeightmapUsesItsCompanionTextureWhenThere)
{
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    const std::string bmp = dir.Path("ramp.bmp");
    ChooseForSave(bmp, 1);
    view().acSaveHMExecute();
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(dir.Path("ramp_terrain.bmp"))));

    // Without its companion the texture is computed.
    QFile::copy(QString::fromStdString(bmp), QString::fromStdString(dir.Path("alone.bmp")));
    view().LoadTerrainFile(dir.Path("alone.bmp"));
    EXPECT_TRUE(topo().TextureBuilt);

    view().LoadTerrainFile(bmp);
    EXPECT_TRUE(topo().Loaded);
    EXPECT_FALSE(topo().TextureBuilt);
    const QImage companion(QString::fromStdString(dir.Path("ramp_terrain.bmp")));
    EXPECT_EQ(topo().TextureBitmap.convertToFormat(QImage::Format_RGB32),
              companion.convertToFormat(QImage::Format_RGB32));

    // "Set" re-uploads a companion texture as it is.
    view().tbSeaLevel->setValue(-400);
    view().sbSetSea->click();
    EXPECT_EQ(topo().TextureBitmap.convertToFormat(QImage::Format_RGB32),
              companion.convertToFormat(QImage::Format_RGB32));
}

TEST_F(LoadTest, SetRecoloursAComputedTexture)
{
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    const QImage before = topo().TextureBitmap.copy();
    view().tbSeaLevel->setValue(-400);
    EXPECT_EQ(topo().TextureBitmap, before);  // the slider alone changes nothing
    view().sbSetSea->click();
    EXPECT_EQ(topo().SeaLevel, 400);
    EXPECT_NE(topo().TextureBitmap, before);
}

TEST_F(LoadTest, SaveCommandsWriteTheFormatOfTheExtension)
{
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    ASSERT_TRUE(WaitForFrame());

    requests.clear();
    ChooseForSave(dir.Path("only.bmp"), 2);
    view().acSaveHM->trigger();
    EXPECT_EQ(Magic(dir.Path("only.bmp"), 2), "BM");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.Path("only_terrain.bmp"))));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Filter, "Heightmap & Texture(*.bmp)|*.bmp|Heightmap only(*.bmp)|*.bmp");
    EXPECT_EQ(requests[0].DefaultExtension, "bmp");
    EXPECT_EQ(requests[0].FilterIndex, 1);

    ChooseForSave(dir.Path("texture.jpg"));
    view().acSaveTexture->trigger();
    EXPECT_EQ(Magic(dir.Path("texture.jpg"), 3), "\xFF\xD8\xFF");
    EXPECT_EQ(requests.back().Filter, "Texture(*.bmp)|*.bmp|Texture(*.jpg)|*.jpg|Texture(*.tga)|*.tga");
    EXPECT_EQ(requests.back().DefaultExtension, "jpg");

    // The filter says JPEG, the name says BMP: the name wins.
    ChooseForSave(dir.Path("screen.bmp"), 2);
    view().acSaveScreen->trigger();
    EXPECT_EQ(Magic(dir.Path("screen.bmp"), 2), "BM");
    EXPECT_EQ(requests.back().Filter,
              "Windows Bitmap(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|Truevision Targa(*.tga)|*.tga");
    const QImage screen(QString::fromStdString(dir.Path("screen.bmp")));
    EXPECT_EQ(screen.size(), view().DrawWindow()->size());

    ChooseForSave(dir.Path("screen.tga"));
    view().acSaveScreen->trigger();
    EXPECT_GT(ReadFileBytes(dir.Path("screen.tga")).size(), 18u);

    // A name typed without an extension takes the chosen filter's, not the default one.
    ChooseForSave(dir.Path("shot1"), 1);
    view().acSaveScreen->trigger();
    EXPECT_EQ(Magic(dir.Path("shot1.bmp"), 2), "BM");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.Path("shot1.jpg"))));
    ChooseForSave(dir.Path("tex1"), 3);
    view().acSaveTexture->trigger();
    EXPECT_GT(ReadFileBytes(dir.Path("tex1.tga")).size(), 18u);
}

TEST_F(LoadTest, FailedSaveNamesTheFile)
{
    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    const std::string nowhere = dir.Path("missing-folder/shot.jpg");
    ChooseForSave(nowhere);
    QString message;
    DismissNextMessage(message);
    view().acSaveScreen->trigger();
    EXPECT_EQ(message.toStdString(), nowhere + ": the file could not be written: No such file or directory.");

    ChooseForSave(dir.Path("missing-folder/tex.bmp"));
    DismissNextMessage(message);
    view().acSaveTexture->trigger();
    EXPECT_EQ(message.toStdString(), dir.Path("missing-folder/tex.bmp") + ": the file could not be written: No such file or directory.");
}

TEST_F(LoadTest, LoadCommandOffersTheHeightmapFilters)
{
    const std::string tile = WriteRampTile(dir, "N47E011.hgt");
    TFileDialogs::TRequest asked;
    view().FileDialogs.Open = [&](QWidget *, const TFileDialogs::TRequest &r) {
        asked = r;
        return TFileDialogs::TResult{QString::fromStdString(tile), 1};
    };
    // The shortcut works while the main window is the active one.
    view().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view()));
    QTest::keyClick(&view(), Qt::Key_O, Qt::ControlModifier);
    const std::string rasters = "*.tif;*.tiff;*.vrt;*.dt0;*.dt1;*.dt2;*.asc;*.img;*.bil;*.flt;*.dem;*.bt;*.grd";
    EXPECT_EQ(asked.Filter.toStdString(), "Copernicus DEM Tiles|*_DEM.tif|Uncompressed Heightmaps|*.hgt|Compressed "
                                          "Heightmaps|*.hgt.zip;*.zip|Bitmap Heightmaps|*.bmp|Elevation Rasters|" + rasters +
                                          "|All Heightmaps|*_DEM.tif;*.hgt;*.hgt.zip;*.zip;*.bmp;" + rasters + "|All Files|*.*");
    EXPECT_EQ(asked.FilterIndex, 6);
    EXPECT_EQ(asked.FileName, "N51E011.hgt.zip");
    EXPECT_TRUE(topo().Loaded);
}

// A track dropped with the tile goes over it.
TEST_F(LoadTest, DroppedFileIsLoaded)
{
    const std::string tile = WriteRampTile(dir, "N47E011.hgt");
    const std::string track = dir.Path("walk.gpx");
    std::ofstream(track) << "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
                            "xmlns=\"http://www.topografix.com/GPX/1/1\"><rte><rtept lat=\"47.5\" lon=\"11.5\"/>"
                            "<rtept lat=\"47.6\" lon=\"11.5\"/></rte></gpx>";
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(tile)), QUrl::fromLocalFile(QString::fromStdString(track))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view(), &drop);
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(view().CurrentFileName(), tile);
    ASSERT_EQ(view().Tracks().Tracks.size(), 1u);
    EXPECT_EQ(view().Tracks().Tracks[0].File, track);
}

std::string FileText(const std::string &file)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

TEST_F(LoadTest, SaveOptionsWritesOptionsPlacemarksAndClasses)
{
    topo().AddPlaceClass(3, "Peaks", 1, 0, 0);
    topo().AddPlace(MakeLatLon(11.25, 47.25), "Summit", 3);
    Options.FrameTarget = 25;
    view().acSaveOptions->trigger();
    const std::string text = FileText(iniFile);
    EXPECT_NE(text.find("FrameTarget=25"), std::string::npos) << text;
    EXPECT_NE(text.find("[Places]"), std::string::npos) << text;
    EXPECT_NE(text.find("Summit"), std::string::npos) << text;
    EXPECT_NE(text.find("[MClasses]"), std::string::npos) << text;
    EXPECT_NE(text.find("Peaks"), std::string::npos) << text;
}

TEST_F(LoadTest, ReloadOptionsDropsUnsavedChanges)
{
    const std::string tile = WriteRampTile(dir, "N47E011.hgt");
    view().LoadTerrainFile(tile);
    topo().AddPlaceClass(3, "Peaks", 1, 0, 0);
    view().acSaveOptions->trigger();
    topo().AddPlace(MakeLatLon(11.25, 47.25), "Unsaved", 3);
    Options.Resolution = 32;
    Options.FrameTarget = 11;

    view().acReloadOptions->trigger();
    EXPECT_EQ(Options.FrameTarget, 50);
    EXPECT_EQ(Options.Resolution, 64);
    EXPECT_TRUE(topo().Places.empty());
    ASSERT_EQ(topo().PlaceClasses.size(), 1u);
    EXPECT_EQ(topo().PlaceClasses[0]->Name, "Peaks");
    // The new view shows the same tile again.
    EXPECT_TRUE(topo().Loaded);
    EXPECT_EQ(view().CurrentFileName(), tile);
}

}  // namespace
