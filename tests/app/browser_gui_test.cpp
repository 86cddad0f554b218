// The tile browser driven through its real widgets: which tiles the maps
// mark and where, picking, naming, previewing and opening tiles, and what
// happens with missing folders and broken archives.
#include "Browser.h"
#include "MapImage.h"
#include "Options.h"
#include "Resources.h"
#include "Terrain.h"
#include "TerrainSource.h"
#include "TestFiles.h"
#include "Utils.h"
#include "WorldMap.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <functional>

// Readable failure messages for the labels' texts.
void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// A 1201 tile with a gentle slope, so its preview is not one flat colour.
std::vector<uint8_t> SlopeTile()
{
    return MakeHgtBytes(1201, [](int col, int row) { return static_cast<int16_t>(col + row); });
}

// Writes `archive` in `dir` holding each (member name, bytes) pair.
void WriteZip(const TestDir &dir, const std::string &archive,
              const std::vector<std::pair<std::string, std::vector<uint8_t>>> &members)
{
    int error = 0;
    zip_t *za = zip_open(dir.Path(archive).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(za, nullptr);
    for (const auto &[name, bytes] : members) {
        zip_source_t *src = zip_source_buffer(za, bytes.data(), bytes.size(), 0);
        ASSERT_NE(src, nullptr);
        ASSERT_GE(zip_file_add(za, name.c_str(), src, ZIP_FL_OVERWRITE), 0);
    }
    ASSERT_EQ(zip_close(za), 0);  // the buffers are read here, while still alive
}

void WriteTileZip(const TestDir &dir, const std::string &tile)
{
    WriteZip(dir, tile + ".hgt.zip", {{tile + ".hgt", SlopeTile()}});
}

bool IsColor(const QImage &image, int x, int y, const QColor &color)
{
    return (image.pixel(x, y) & 0xFFFFFF) == (color.rgb() & 0xFFFFFF);
}

// Pixels of `color` inside and outside the rectangle.
std::pair<int, int> CountColor(const QImage &image, const QColor &color, const QRect &inside)
{
    int in = 0, out = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsColor(image, x, y, color))
                (inside.contains(x, y) ? in : out)++;
    return {in, out};
}

// Runs `action`, answering every message box it opens; returns their texts.
QStringList AnswerMessagesDuring(const std::function<void()> &action)
{
    QStringList texts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->text();
            // The busy cursor must be gone while the user reads the message.
            if (QApplication::overrideCursor())
                texts << QStringLiteral("busy cursor shown with the message");
            box->accept();
        }
    });
    poll.start(20);
    action();
    return texts;
}

// What the preview left in the temporary folder.
QStringList PreviewLeftovers()
{
    return QDir(QString::fromStdString(GetTempFolder())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class Browser : public testing::Test {
protected:
    void SetUp() override
    {
        savedZipPath_ = Options.ZipPath;
        Options.ZipPath = dir.Root();  // without the separator: Reload adds it
        // A temporary folder of this test's own, so that what the preview
        // leaves there is this test's doing.
        savedTemp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(temp.Root()));
    }
    void TearDown() override
    {
        Options.ZipPath = savedZipPath_;
        if (savedTemp_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTemp_);
    }

    std::unique_ptr<TfmBrowser> Open()
    {
        auto b = std::make_unique<TfmBrowser>();
        b->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(b.get()));
        return b;
    }
    static void ClickWorld(TfmBrowser &b, int x, int y) { QTest::mouseClick(b.imWorld, Qt::LeftButton, {}, QPoint(x, y)); }
    static void ClickPart(TfmBrowser &b, int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(b.imPart, button, {}, QPoint(x, y));
    }
    static QSize PreviewShown(const TfmBrowser &b) { return b.Image1->pixmap().size(); }

    TestDir dir;
    TestDir temp;

private:
    std::string savedZipPath_;
    QByteArray savedTemp_;
};

} // namespace

TEST_F(Browser, MarksATileOnTheWorldAndCirclesItInItsPart)
{
    WriteTileZip(dir, "N47E008");
    auto b = Open();
    EXPECT_EQ(Options.ZipPath, dir.Root() + "/");
    EXPECT_EQ(b->TileAvailable.Count(), 1);
    // A square of 4 × 4 pixels around the tile's one-degree cell (188, 42): seen at a glance.
    EXPECT_EQ(CountColor(b->WorldBitmap, MapColors::Tile, QRect(187, 41, 4, 4)), std::make_pair(16, 0));
    // The map on screen is the bitmap.
    EXPECT_EQ(b->imWorld->pixmap().toImage().convertToFormat(QImage::Format_RGB32), b->WorldBitmap);

    ClickWorld(*b, 180, 59);
    EXPECT_EQ(b->PartTop, 60);
    EXPECT_EQ(b->PartLeft, 0);
    ClickWorld(*b, 209, 30);
    EXPECT_EQ(b->PartTop, 60);
    EXPECT_EQ(b->PartLeft, 0);
    const auto [in, out] = CountColor(b->PartBitmap, MapColors::Tile, QRect(96, 144, 12, 12));
    EXPECT_GT(in, 40);  // two pixels wide
    EXPECT_EQ(out, 0);
    // An outline, not a disc: the cell's centre stays unpainted.
    EXPECT_FALSE(IsColor(b->PartBitmap, 101, 149, MapColors::Tile));
    EXPECT_EQ(b->imPart->pixmap().toImage().convertToFormat(QImage::Format_RGB32), b->PartBitmap);
    // Nothing picked by looking.
    EXPECT_TRUE(b->lbName->text().isEmpty());
    EXPECT_TRUE(b->Image1->pixmap().isNull());
}

TEST_F(Browser, PickingATileNamesItTurnsItsCircleBlueAndPreviewsInGrowingSizes)
{
    WriteTileZip(dir, "N47E008");
    auto b = Open();
    ClickWorld(*b, 195, 45);
    ClickPart(*b, 107, 144, Qt::RightButton);  // any button picks

    EXPECT_EQ(b->lbName->text(), "N47E008");
    const QRect cell(96, 144, 12, 12);
    EXPECT_EQ(CountColor(b->PartBitmap, MapColors::Tile, cell), std::make_pair(0, 0));
    EXPECT_GT(CountColor(b->PartBitmap, MapColors::Picked, cell).first, 20);
    EXPECT_EQ(CountColor(b->PartBitmap, MapColors::Picked, cell).second, 0);
    EXPECT_EQ(PreviewShown(*b), QSize(128, 128));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    for (int expected : {256, 512, 512}) {
        QTest::mouseClick(b->btnPreview, Qt::LeftButton);
        EXPECT_EQ(PreviewShown(*b), QSize(expected, expected));
    }
    // The preview is the tile's colour relief: the slope gives more than one colour.
    const QImage preview = b->Image1->pixmap().toImage();
    EXPECT_NE(preview.pixel(0, 0), preview.pixel(511, 511));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(PreviewLeftovers().isEmpty()) << PreviewLeftovers().join(' ').toStdString();

    // A new pick starts again at 128.
    ClickPart(*b, 100, 150);
    EXPECT_EQ(PreviewShown(*b), QSize(128, 128));
    KeepScreenshot(b->grab().toImage(), "orolith-browser");
}

TEST_F(Browser, DraggingFromOneTileToAnotherPicksTheBlockBetweenThem)
{
    WriteTileZip(dir, "N47E008");
    WriteTileZip(dir, "N48E009");
    auto b = Open();
    ClickWorld(*b, 195, 45);
    // From N48E009 down to N47E008: the block grows south-west from the pressed tile.
    QTest::mousePress(b->imPart, Qt::LeftButton, {}, QPoint(110, 135));
    QTest::mouseRelease(b->imPart, Qt::LeftButton, {}, QPoint(100, 150));

    EXPECT_EQ(b->lbName->text(), QString::fromUtf8("N47E008 \u2013 N48E009"));
    EXPECT_GT(CountColor(b->PartBitmap, MapColors::Picked, QRect(96, 144, 12, 12)).first, 20);
    EXPECT_GT(CountColor(b->PartBitmap, MapColors::Picked, QRect(108, 132, 12, 12)).first, 20);
    EXPECT_EQ(PreviewShown(*b), QSize(128, 128));

    std::shared_ptr<const TTerrainSource> opened;
    b->OnOpenTile = [&](std::shared_ptr<const TTerrainSource> picked) { opened = std::move(picked); };
    QTest::mouseClick(b->btnOpen, Qt::LeftButton);
    ASSERT_TRUE(opened);
    TTerrain terrain;
    opened->LoadInto(terrain);
    EXPECT_EQ(terrain.GeoRef.Span(), 2);
    EXPECT_EQ(terrain.GridHigh, 2400);
    EXPECT_EQ(terrain.GeoRef.SouthLat(), 47);
    EXPECT_EQ(terrain.GeoRef.WestLon(), 8);
}

// Copernicus DEM tiles of the folder are marked, previewed and opened like
// archives, as are archives named in lower case.
TEST_F(Browser, ShowsPreviewsAndOpensCopernicusTilesAndLowerCaseArchives)
{
    GDALAllRegister();
    const std::string tif = dir.Path("Copernicus_DSM_COG_10_N47_00_E008_00_DEM.tif");
    GDALDataset *ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(tif.c_str(), 120, 120, 1, GDT_Float32, nullptr);
    double gt[6] = {8 - 0.5 / 120, 1.0 / 120, 0, 48 + 0.5 / 120, 0, -1.0 / 120};
    ds->SetGeoTransform(gt);
    std::vector<float> slope(120 * 120);
    for (size_t i = 0; i < slope.size(); ++i)
        slope[i] = static_cast<float>(i % 120 + i / 120);
    ASSERT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, 120, 120, slope.data(), 120, 120, GDT_Float32, 0, 0, nullptr),
              CE_None);
    GDALClose(ds);
    WriteZip(dir, "n47e009.hgt.zip", {{"n47e009.hgt", SlopeTile()}});
    auto b = Open();
    EXPECT_TRUE(b->TileAvailable.Get(47, 8));
    EXPECT_TRUE(b->TileAvailable.Get(47, 9));
    std::vector<std::string> opened;
    b->OnOpenTile = [&](std::shared_ptr<const TTerrainSource> picked) { opened.push_back(picked->Files().front()); };
    ClickWorld(*b, 195, 45);
    for (int column : {8, 9}) {
        ClickPart(*b, column * 12 + 2, 150);
        EXPECT_EQ(PreviewShown(*b), QSize(128, 128)) << column;
        QTest::mouseClick(b->btnOpen, Qt::LeftButton);
    }
    EXPECT_EQ(opened, std::vector<std::string>({tif, dir.Path("n47e009.hgt.zip")}));
}

TEST_F(Browser, NamesSouthernAndWesternTilesFromTheirCells)
{
    auto b = Open();
    ClickWorld(*b, 90, 120);
    EXPECT_EQ(b->PartTop, -30);
    EXPECT_EQ(b->PartLeft, -90);
    ClickWorld(*b, 119, 149);
    EXPECT_EQ(b->PartTop, -30);
    EXPECT_EQ(b->PartLeft, -90);
    ClickPart(*b, 1, 1);  // QTest takes (0, 0) for "the centre"
    EXPECT_EQ(b->lbName->text(), "S31W090");
    ClickPart(*b, 11, 11);
    EXPECT_EQ(b->lbName->text(), "S31W090");
    // The south-east cell of the part and the far corners of the world.
    ClickPart(*b, 359, 359);
    EXPECT_EQ(b->lbName->text(), "S60W061");
    ClickWorld(*b, 1, 1);
    ClickPart(*b, 1, 1);
    EXPECT_EQ(b->lbName->text(), "N89W180");
    ClickWorld(*b, 359, 179);
    ClickPart(*b, 359, 359);
    EXPECT_EQ(b->lbName->text(), "S90E179");
    // No file for any of them: nothing previewed, nothing reported.
    EXPECT_TRUE(b->Image1->pixmap().isNull());
}

TEST_F(Browser, ListsOnlyTileArchivesAndSkipsCornersOutsideTheWorld)
{
    WriteFileBytes(dir.Path("notes.hgt.zip"), {1, 2, 3});        // not a tile name: 0°, 0°
    WriteFileBytes(dir.Path("N95E010.hgt.zip"), {1});             // beyond the pole
    WriteFileBytes(dir.Path("S99W010.hgt.zip"), {1});
    WriteFileBytes(dir.Path("N10E999.hgt.zip"), {1});             // beyond the antimeridian
    WriteFileBytes(dir.Path("S10W181.hgt.zip"), {1});
    WriteFileBytes(dir.Path("N10E010.hgt"), {1});                 // not an archive
    WriteFileBytes(dir.Path(".N20E020.hgt.zip"), {1});            // hidden: does not match, marks 0°, 0°
    WriteFileBytes(dir.Path("N90E180.hgt.zip"), {1});             // on the world's edges
    WriteFileBytes(dir.Path("S90W180.hgt.zip"), {1});
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(dir.Path("N30E030.hgt.zip"))));  // a folder
    auto b = Open();

    EXPECT_TRUE(b->TileAvailable.Get(0, 0));
    EXPECT_TRUE(b->TileAvailable.Get(90, 180));
    EXPECT_TRUE(b->TileAvailable.Get(-90, -180));
    EXPECT_FALSE(b->TileAvailable.Get(10, 10));
    EXPECT_FALSE(b->TileAvailable.Get(30, 30));
    EXPECT_EQ(b->TileAvailable.Count(), 3);
    // 0°, 0° is marked around its cell (180, 89), S90W180 around (0, 179),
    // cut by the map's edges; N90E180 lies beyond the map and is not marked.
    EXPECT_EQ(CountColor(b->WorldBitmap, MapColors::Tile, QRect(179, 88, 4, 4)).first, 16);
    EXPECT_EQ(CountColor(b->WorldBitmap, MapColors::Tile, QRect(0, 178, 3, 2)), std::make_pair(6, 16));

    // The tile of 0°, 0° lies north of the equator: not in the part just south of it …
    ClickWorld(*b, 185, 95);
    EXPECT_EQ(CountColor(b->PartBitmap, MapColors::Tile, {}).second, 0);
    // … but in the south-west cell of the part north of it.
    ClickWorld(*b, 185, 85);
    const auto [in, out] = CountColor(b->PartBitmap, MapColors::Tile, QRect(0, 348, 12, 12));
    EXPECT_GT(in, 20);
    EXPECT_EQ(out, 0);
}

TEST_F(Browser, MovingOverThePartNamesTheTileUnderTheMouseAndChangesNothingElse)
{
    WriteTileZip(dir, "N47E008");
    auto b = Open();
    ClickWorld(*b, 195, 45);
    ClickPart(*b, 100, 150);
    const QImage part = b->PartBitmap;
    const QImage preview = b->Image1->pixmap().toImage();

    // Sent straight to the picture: moving the shared pointer of the display
    // would race with other tests' windows.
    const auto moveTo = [&](QPoint p, const QString &expected) {
        QMouseEvent move(QEvent::MouseMove, p, b->imPart->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(b->imPart, &move);
        EXPECT_EQ(b->lbCurr->text(), expected);
    };
    moveTo(QPoint(5, 5), "N59E000");
    moveTo(QPoint(359, 200), "N43E029");

    EXPECT_EQ(b->lbName->text(), "N47E008");
    EXPECT_EQ(b->PartTop, 60);
    EXPECT_EQ(b->PartLeft, 0);
    EXPECT_EQ(b->PartBitmap, part);
    EXPECT_EQ(b->Image1->pixmap().toImage(), preview);
    EXPECT_EQ(b->PreviewSize, 128);
}

TEST_F(Browser, OpenHandsThePickedArchiveToTheViewerOnlyWhenItExists)
{
    WriteTileZip(dir, "S31W090");
    auto b = Open();
    std::vector<std::string> opened;
    b->OnOpenTile = [&](std::shared_ptr<const TTerrainSource> picked) { opened.push_back(picked->Files().front()); };

    // Before any pick, even with a file named just ".hgt.zip" in the folder:
    // each button says that nothing is picked.
    WriteFileBytes(dir.Path(".hgt.zip"), {1, 2, 3});
    QStringList said = AnswerMessagesDuring([&] {
        QTest::mouseClick(b->btnOpen, Qt::LeftButton);
        QTest::mouseClick(b->btnPreview, Qt::LeftButton);
    });
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(b->Image1->pixmap().isNull());
    ASSERT_EQ(said.size(), 2) << said.join(" | ").toStdString();
    EXPECT_TRUE(said[0].startsWith("No tile is picked")) << said[0].toStdString();

    // A cell without a file: the click says so where the preview would be,
    // quietly; Open and Preview say it in a box.
    ClickWorld(*b, 100, 130);
    said = AnswerMessagesDuring([&] { ClickPart(*b, 30, 0); });  // S31W088
    EXPECT_TRUE(said.isEmpty());
    const QString noTile = QString::fromStdString("There is no tile S31W088 here: the tile folder " + dir.Root() +
                                                  "/ holds no S31W088.hgt.zip.");
    EXPECT_EQ(b->Image1->text(), noTile);
    said = AnswerMessagesDuring([&] {
        QTest::mouseClick(b->btnOpen, Qt::LeftButton);
        QTest::mouseClick(b->btnPreview, Qt::LeftButton);
    });
    EXPECT_EQ(said, QStringList({noTile, noTile}));
    EXPECT_TRUE(opened.empty());

    ClickPart(*b, 5, 5);
    QTest::mouseClick(b->btnOpen, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], dir.Root() + "/S31W090.hgt.zip");
    EXPECT_TRUE(b->btnOpen->font().bold());
}

TEST_F(Browser, ReloadFollowsTheFolderAndKeepsThePartAndThePick)
{
    WriteTileZip(dir, "N47E008");
    auto b = Open();
    ClickWorld(*b, 195, 45);
    ClickPart(*b, 100, 150);

    WriteFileBytes(dir.Path("N48E009.hgt.zip"), {1});
    ASSERT_TRUE(QFile::remove(QString::fromStdString(dir.Path("N47E008.hgt.zip"))));
    EXPECT_FALSE(b->TileAvailable.Get(48, 9));  // not before the refresh
    QTest::mouseClick(b->btnReload, Qt::LeftButton);
    EXPECT_TRUE(b->TileAvailable.Get(48, 9));
    EXPECT_FALSE(b->TileAvailable.Get(47, 8));
    EXPECT_TRUE(IsColor(b->WorldBitmap, 189, 41, MapColors::Tile));
    EXPECT_FALSE(IsColor(b->WorldBitmap, 187, 44, MapColors::Tile));  // N47E008's mark, not N48E009's
    EXPECT_EQ(b->PartTop, 60);
    EXPECT_EQ(b->PartLeft, 0);
    EXPECT_EQ(b->lbName->text(), "N47E008");

    // The main window's refresh after it re-created its view does the same.
    WriteTileZip(dir, "N47E008");
    b->RefreshBrowser();
    EXPECT_TRUE(IsColor(b->WorldBitmap, 187, 44, MapColors::Tile));
    EXPECT_GT(CountColor(b->PartBitmap, MapColors::Picked, QRect(96, 144, 12, 12)).first, 20);
}

TEST_F(Browser, WithoutATileFolderTheMapsStayUnmarkedAndNothingBreaks)
{
    Options.ZipPath = dir.Path("no-such-folder");
    auto b = Open();
    EXPECT_EQ(b->TileAvailable.Count(), 0);
    EXPECT_EQ(CountColor(b->WorldBitmap, MapColors::Tile, {}).second, 0);
    const QStringList messages = AnswerMessagesDuring([&] {
        ClickWorld(*b, 195, 45);
        ClickPart(*b, 100, 150);
        QTest::mouseClick(b->btnPreview, Qt::LeftButton);
    });
    ASSERT_EQ(messages.size(), 1);  // the button's, not the click's
    EXPECT_TRUE(messages[0].startsWith("There is no tile N47E008 here")) << messages[0].toStdString();
    EXPECT_EQ(b->lbName->text(), "N47E008");
    EXPECT_TRUE(b->Image1->pixmap().isNull());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Browser, ABrokenArchiveIsReportedAndThePreviousPreviewStays)
{
    WriteTileZip(dir, "N47E008");
    WriteFileBytes(dir.Path("N47E009.hgt.zip"), {'n', 'o', 't', ' ', 'z', 'i', 'p'});
    WriteZip(dir, "N47E010.hgt.zip", {{"N12E034.hgt", SlopeTile()}});                    // another tile inside
    WriteZip(dir, "N47E011.hgt.zip", {{"N47E011.hgt", std::vector<uint8_t>(1000, 0)}});   // too short
    WriteZip(dir, "N47E012.hgt.zip", {{"../N47E012.hgt", SlopeTile()}});                  // escapes its folder
    auto b = Open();
    ClickWorld(*b, 195, 45);
    ClickPart(*b, 100, 150);
    ASSERT_EQ(PreviewShown(*b), QSize(128, 128));
    const QImage good = b->Image1->pixmap().toImage();

    for (int column : {9, 10, 11}) {
        const std::string tile = QString::asprintf("N47E%03d", column).toStdString();
        const QStringList messages = AnswerMessagesDuring([&] { ClickPart(*b, column * 12 + 2, 150); });
        EXPECT_EQ(b->lbName->text().toStdString(), tile);
        ASSERT_EQ(messages.size(), 1) << tile << ": " << messages.join(" | ").toStdString();
        EXPECT_TRUE(messages[0].contains(QString::fromStdString(tile))) << messages[0].toStdString();
        EXPECT_EQ(b->Image1->pixmap().toImage(), good) << tile;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // A member path with "../" is written inside the work folder under its bare name.
    AnswerMessagesDuring([&] { ClickPart(*b, 12 * 12 + 2, 150); });
    EXPECT_FALSE(QFile::exists(QString::fromStdString(GetTempFolder() + "N47E012.hgt")));
    EXPECT_TRUE(PreviewLeftovers().isEmpty()) << PreviewLeftovers().join(' ').toStdString();
}

TEST_F(Browser, StartsAsATopLevelWindowOnTheEquatorWithAGraticule)
{
    auto b = Open();
    EXPECT_EQ(b->windowTitle(), "Browse Maps");
    EXPECT_EQ(b->parentWidget(), nullptr);
    EXPECT_TRUE(b->isWindow());
    // The starting part: longitudes 0° … 30° east, latitudes 0° … 30° south.
    EXPECT_EQ(b->PartTop, 0);
    EXPECT_EQ(b->PartLeft, 0);
    // The 30° graticule in silver on the world map.
    EXPECT_TRUE(IsColor(b->WorldBitmap, 30, 5, MapColors::Graticule));
    EXPECT_TRUE(IsColor(b->WorldBitmap, 5, 150, MapColors::Graticule));
    EXPECT_TRUE(IsColor(b->WorldBitmap, 330, 120, MapColors::Graticule));
    KeepScreenshot(b->grab().toImage(), "orolith-browser-start");
}

TEST_F(Browser, StartsOnThePartWithTheMostTilesUntilOneIsChosen)
{
    for (const char *tile : {"S05E020", "N47E008", "N46E008", "N47E009"})
        WriteFileBytes(dir.Path(std::string(tile) + ".hgt.zip"), {1});
    auto b = Open();
    EXPECT_EQ(b->PartTop, 60);
    EXPECT_EQ(b->PartLeft, 0);
    // The user's part stays, however the folder changes.
    ClickWorld(*b, 215, 95);
    WriteFileBytes(dir.Path("N48E008.hgt.zip"), {1});
    QTest::mouseClick(b->btnReload, Qt::LeftButton);
    EXPECT_EQ(b->PartTop, 0);
    EXPECT_EQ(b->PartLeft, 30);
}

// Ink of the degree labels: dark pixels on an empty white map.
TEST(WorldMapDrawing, LabelsTheDegreeLinesAtTheLeftAndTopEdges)
{
    QImage part(360, 360, QImage::Format_RGB32);
    part.fill(Qt::white);
    DrawDegreeLines(0, 60, 30, 30, part, 5, 5);
    const auto ink = [&part](const QRect &r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(part.pixel(x, y)) < 128;
        return n;
    };
    for (int k = 1; k < 6; ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(IsColor(part, 200, k * 60, MapColors::Graticule));
        EXPECT_TRUE(IsColor(part, k * 60, 200, MapColors::Graticule));
        EXPECT_GT(ink(QRect(1, k * 60 - 12, 30, 11)), 10);   // "55°N" … above its line
        EXPECT_GT(ink(QRect(k * 60 + 2, 1, 30, 12)), 10);    // "5°E" … right of its line
    }
    // Nothing but lines inside the map.
    EXPECT_EQ(ink(QRect(40, 20, 320, 340)), 0);
}

// DrawMapRegion with a picture of one known square: a region maps longitude
// and latitude linearly onto the canvas.
TEST(WorldMapDrawing, StretchesTheRegionOfThePictureOntoTheWholeCanvas)
{
    // A black square over 10°…11° E, 46°…47° N, at 10 units per degree.
    const QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="3600" height="1800" viewBox="0 0 3600 1800">
        <rect x="1900" y="430" width="10" height="10" fill="#000"/></svg>)";
    QSvgRenderer picture(svg);
    ASSERT_TRUE(picture.isValid());

    QImage part(360, 360, QImage::Format_RGB32);
    part.fill(Qt::red);  // every pixel is painted, whatever was there
    DrawMapRegion(0, 60, 30, 30, part, picture);
    EXPECT_EQ(CountColor(part, Qt::black, QRect(120, 156, 12, 12)), std::make_pair(144, 0));
    EXPECT_EQ(CountColor(part, Qt::red, part.rect()).second, 0);

    QImage world(360, 180, QImage::Format_RGB32);
    DrawMapRegion(-180, 90, 180, -90, world, picture);
    EXPECT_EQ(CountColor(world, Qt::black, QRect(190, 43, 1, 1)), std::make_pair(1, 0));

    // A region outside the square sees nothing of it.
    DrawMapRegion(-150, 30, -120, 0, part, picture);
    EXPECT_EQ(CountColor(part, Qt::white, part.rect()).second, 0);
}

TEST(WorldMapDrawing, TheCoastlinesLieWhereTheLandIs)
{
    EnsureResources();
    QSvgRenderer picture(WorldCoastResource);
    ASSERT_TRUE(picture.isValid());
    QImage part(360, 360, QImage::Format_RGB32);
    const auto darkPixels = [&part] {
        int n = 0;
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                n += qGray(part.pixel(x, y)) < 128;
        return n;
    };
    // The open Pacific between Hawaii and Mexico has no coast at all …
    DrawMapRegion(-150, 30, -120, 0, part, picture);
    EXPECT_EQ(darkPixels(), 0);
    // … Europe a great deal, and the Strait of Gibraltar at 5.6° W, 36° N.
    DrawMapRegion(-30, 60, 0, 30, part, picture);
    EXPECT_GT(darkPixels(), 1000);
    int nearStrait = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            nearStrait += qGray(part.pixel((30 - 6) * 12 - 24 + x, (60 - 36) * 12 - 24 + y)) < 128;
    EXPECT_GT(nearStrait, 20);

    // Land cut at the antimeridian must not draw lines across the whole world.
    QImage world(360, 180, QImage::Format_RGB32);
    DrawMapRegion(-180, 90, 180, -90, world, picture);
    for (int y = 0; y < world.height(); ++y) {
        int run = 0, longest = 0;
        for (int x = 0; x < world.width(); ++x) {
            run = qGray(world.pixel(x, y)) < 160 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        EXPECT_LT(longest, 90) << "row " << y;
    }
}
