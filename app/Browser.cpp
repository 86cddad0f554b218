#include "Browser.h"

#include "MapImage.h"
#include "Options.h"
#include "Resources.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TileBlock.h"
#include "Utils.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The map pictures and the preview, in pixels.
constexpr int WorldWidth = 360, WorldHeight = 180;
constexpr int PartSide = TPartGeometry::Degrees * TPartGeometry::PixelsPerDegree;

constexpr int PartLineStep = 5;  // degrees between the close-up's labelled lines
constexpr int LargestDoubledPreview = 256;  // previews grow 128, 256, 512 and stay there

// The busy cursor for as long as the preview works, whichever way it ends.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

QPushButton *MakeButton(QWidget *parent, const char *caption, const char *hint, int x, int y)
{
    auto *button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setGeometry(x, y, 75, 25);
    button->setToolTip(QString::fromLatin1(hint));
    return button;
}

} // namespace

TfmBrowser::TfmBrowser()
    : QWidget(nullptr)
{
    EnsureResources();
    setWindowTitle(QStringLiteral("Browse Maps"));
    setFixedSize(735, 560);

    imWorld = new TMapImage(this);
    imWorld->setGeometry(5, 5, WorldWidth, WorldHeight);
    imWorld->setToolTip(QStringLiteral("Choose a part of the world"));
    imPart = new TMapImage(this);
    imPart->setGeometry(5, 195, PartSide, PartSide);
    imPart->setToolTip(QStringLiteral("Choose the SRTM-tile you want to see"));
    Image1 = new QLabel(this);
    Image1->setGeometry(370, 195, 360, 360);
    Image1->setScaledContents(true);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setWordWrap(true);
    Image1->setToolTip(QStringLiteral("Preview"));

    btnReload = MakeButton(this, "Reload", "Reload the list of tiles", 370, 5);
    btnPreview = MakeButton(this, "Preview", "Generate a higher resolution Preview", 370, 150);
    btnOpen = MakeButton(this, "Open", "Open SRTM-tile in viewer", 515, 150);
    QFont bold = btnOpen->font();
    bold.setBold(true);
    btnOpen->setFont(bold);

    lbCurr = new QLabel(this);
    lbCurr->setGeometry(370, 180, 175, 15);
    lbName = new QLabel(this);
    lbName->setGeometry(550, 180, 180, 15);

    connect(btnReload, &QPushButton::clicked, this, &TfmBrowser::btnReloadClick);
    connect(btnPreview, &QPushButton::clicked, this, &TfmBrowser::btnPreviewClick);
    connect(btnOpen, &QPushButton::clicked, this, &TfmBrowser::btnOpenClick);
    connect(imWorld, &TMapImage::MouseDown, this, &TfmBrowser::imWorldMouseDown);
    connect(imPart, &TMapImage::MouseDown, this, &TfmBrowser::imPartMouseDown);
    connect(imPart, &TMapImage::MouseMove, this, &TfmBrowser::imPartMouseMove);
    connect(imPart, &TMapImage::MouseUp, this, &TfmBrowser::imPartMouseUp);

    WorldPicture = std::make_unique<QSvgRenderer>();
    WorldBitmap = QImage(WorldWidth, WorldHeight, QImage::Format_RGB32);
    PartBitmap = QImage(PartSide, PartSide, QImage::Format_RGB32);
    WorldBitmap.fill(Qt::white);
    PartBitmap.fill(Qt::white);
    btnReloadClick();
}

TfmBrowser::~TfmBrowser() = default;

void TfmBrowser::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        raise();
    QWidget::changeEvent(event);
}

void TfmBrowser::RefreshBrowser()
{
    ScanTiles();
    if (!partChosen_ && !TilePicked)
        SelectBusiestPart();
    DrawWorldMap();
    MarkTilesOnWorld();
    DrawPart();
    ShowBitmaps();
}

void TfmBrowser::btnReloadClick()
{
    Options.ZipPath = IncludeTrailingSeparator(Options.ZipPath);
    RefreshBrowser();
}

void TfmBrowser::DrawWorldMap()
{
    if (!WorldPicture->isValid())
        WorldPicture->load(WorldCoastResource);
    DrawMapRegion(-180, 90, 180, -90, WorldBitmap, *WorldPicture);
    DrawDegreeLines(-180, 90, 180, -90, WorldBitmap, TPartGeometry::Degrees, 2 * TPartGeometry::Degrees);
}

void TfmBrowser::ScanTiles()
{
    TileAvailable.Scan(Options.ZipPath);
}

void TfmBrowser::MarkTilesOnWorld()
{
    MarkTiles(WorldBitmap, TileAvailable);
}

void TfmBrowser::DrawPart()
{
    DrawMapRegion(PartLeft, PartTop, PartLeft + TPartGeometry::Degrees, PartTop - TPartGeometry::Degrees, PartBitmap,
                  *WorldPicture);
    DrawDegreeLines(PartLeft, PartTop, PartLeft + TPartGeometry::Degrees, PartTop - TPartGeometry::Degrees, PartBitmap,
                    PartLineStep, PartLineStep);
    TLatLon picked = CurrentTile.GetLatLon();
    DrawTileCircles(PartBitmap, TPartGeometry{PartTop, PartLeft}, TileAvailable, TilePicked,
                    static_cast<int>(std::lround(picked.Lat)), static_cast<int>(std::lround(picked.Lon)), PickedSide);
    ShowBitmaps();
}

void TfmBrowser::ShowBitmaps()
{
    imWorld->setPixmap(QPixmap::fromImage(WorldBitmap));
    imPart->setPixmap(QPixmap::fromImage(PartBitmap));
}

void TfmBrowser::SelectPart(int column, int row)
{
    PartTop = 90 - row * TPartGeometry::Degrees;
    PartLeft = column * TPartGeometry::Degrees - 180;
    DrawPart();
}

void TfmBrowser::SelectBusiestPart()
{
    constexpr int side = TPartGeometry::Degrees;
    int most = 0;
    for (int top = 90; top > -90; top -= side)
        for (int left = -180; left < 180; left += side)
            if (const int n = TileAvailable.CountInside(top - side, left, side); n > most) {
                most = n;
                PartTop = top;
                PartLeft = left;
            }
}

void TfmBrowser::imWorldMouseDown(int x, int y)
{
    partChosen_ = true;
    SelectPart(x / TPartGeometry::Degrees, y / TPartGeometry::Degrees);
}

TTilePos TfmBrowser::TileAtPartPixel(int x, int y) const
{
    const int column = x / TPartGeometry::PixelsPerDegree;
    const int row = y / TPartGeometry::PixelsPerDegree;
    TTilePos pos{};
    pos.SetOrigin(0, 0);
    pos.SetOffset(PartTop - row - 1, PartLeft + column);
    return pos;
}

void TfmBrowser::imPartMouseDown(int x, int y)
{
    CurrentTile = pressedTile_ = TileAtPartPixel(x, y);
    pressed_ = true;
    PickedSide = 1;
    TilePicked = true;
    lbName->setText(QString::fromStdString(TileNameFor(CurrentTile)));
    DrawPart();
    PreviewSize = 64;
    Preview(false);
}

void TfmBrowser::imPartMouseUp(int x, int y)
{
    if (!pressed_)
        return;
    pressed_ = false;
    const TLatLon from = pressedTile_.GetLatLon(), to = TileAtPartPixel(x, y).GetLatLon();
    const int dLat = static_cast<int>(std::lround(to.Lat - from.Lat));
    const int dLon = static_cast<int>(std::lround(to.Lon - from.Lon));
    if (dLat == 0 && dLon == 0)
        return;  // a plain click
    const int side = std::max(std::abs(dLat), std::abs(dLon)) + 1;
    int south = static_cast<int>(std::lround(dLat >= 0 ? from.Lat : from.Lat - (side - 1)));
    int west = static_cast<int>(std::lround(dLon >= 0 ? from.Lon : from.Lon - (side - 1)));
    KeepBlockInsideWorld(south, west, side);
    CurrentTile.SetOffset(south, west);
    PickedSide = side;
    lbName->setText(QString::fromStdString(TileBlockName(south, west, side)));
    DrawPart();
    PreviewSize = 64;
    Preview(false);
}

void TfmBrowser::imPartMouseMove(int x, int y)
{
    lbCurr->setText(QString::fromStdString(TileNameFor(TileAtPartPixel(x, y))));
}

std::shared_ptr<const TTerrainSource> TfmBrowser::PickedSource() const
{
    if (!TilePicked)
        return nullptr;
    const auto exists = [](const std::string &file) {
        return !file.empty() && QFileInfo(QString::fromStdString(file)).isFile();
    };
    // A tile's SRTM archive: the one named exactly after it, else one the scan
    // found under another letter case; empty when there is neither.
    const auto srtmOf = [&](int lat, int lon) {
        const std::string named = Options.ZipPath + TileBlockName(lat, lon, 1) + ".hgt.zip";
        if (exists(named))
            return named;
        const std::string found = TileAvailable.SrtmFile(lat, lon);
        return exists(found) ? found : std::string();
    };
    const TLatLon corner = CurrentTile.GetLatLon();
    const int south = static_cast<int>(std::lround(corner.Lat)), west = static_cast<int>(std::lround(corner.Lon));
    // Of the two kinds, the one every picked tile in the folder has; the
    // SRTM archives when both will do. A pick of mixed kinds goes to the
    // block as it is, which says why it cannot be one.
    std::vector<std::string> srtm, copernicus, either;
    for (int lat = south; lat < south + PickedSide; ++lat)
        for (int lon = west; lon < west + PickedSide; ++lon) {
            const std::string a = srtmOf(lat, lon), b = TileAvailable.CopernicusFile(lat, lon);
            const bool hasA = !a.empty(), hasB = exists(b);
            if (hasA)
                srtm.push_back(a);
            if (hasB)
                copernicus.push_back(b);
            if (hasA || hasB)
                either.push_back(hasA ? a : b);
        }
    if (either.empty())
        return nullptr;
    const std::vector<std::string> &files = srtm.size() == either.size()         ? srtm
                                            : copernicus.size() == either.size() ? copernicus
                                                                                 : either;
    if (PickedSide == 1)
        return TerrainSourceFor(files);
    return std::make_shared<TTileBlock>(south, west, PickedSide, files);
}

QImage TfmBrowser::RenderPreview(const TTerrainSource &source) const
{
    TTerrain terrain;
    source.LoadInto(terrain);
    terrain.Gradient = Options.Gradient;
    terrain.Resolution = PreviewSize;
    terrain.BuildTexture();
    return terrain.TextureBitmap.copy();
}

void TfmBrowser::SayNoTile(bool inABox)
{
    const QString folder = QString::fromStdString(Options.ZipPath);
    QString text;
    if (!TilePicked)
        text = QStringLiteral("No tile is picked: click a tile's circle on the map below the world map.");
    else if (PickedSide == 1)
        text = QStringLiteral("There is no tile %1 here: the tile folder %2 holds no %1.hgt.zip.")
                   .arg(lbName->text(), folder);
    else
        text = QStringLiteral("There are no tiles in %1: the tile folder %2 holds none of them.")
                   .arg(lbName->text(), folder);
    Image1->setText(text);
    if (inABox)
        QMessageBox::information(this, windowTitle(), text);
}

void TfmBrowser::btnPreviewClick()
{
    Preview(true);
}

// A click on the map previews at once and says quietly when there is nothing;
// the button answers in a box.
void TfmBrowser::Preview(bool askedFor)
{
    if (PreviewSize <= LargestDoubledPreview)
        PreviewSize *= 2;
    QImage preview;
    QString failure;
    try {
        const std::shared_ptr<const TTerrainSource> source = PickedSource();
        if (!source) {
            SayNoTile(askedFor);
            return;
        }
        TBusyCursor busy;
        try {
            preview = RenderPreview(*source);
        } catch (const ETerrainError &) {
            throw;
        } catch (const std::exception &e) {
            throw ETerrainError(e.what(), lbName->text().toStdString());
        }
    } catch (const ETerrainError &e) {
        failure = QString::fromStdString(e.FullMessage());
    }
    // The message waits for the normal cursor; the old preview stays.
    if (!failure.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), failure);
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(preview));
}

void TfmBrowser::btnOpenClick()
{
    std::shared_ptr<const TTerrainSource> source;
    try {
        source = PickedSource();
    } catch (const ETerrainError &e) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.FullMessage()));
        return;
    }
    if (!source)
        SayNoTile(true);
    else if (OnOpenTile)
        OnOpenTile(source);
}
