// The tile browser "Browse Maps": marks the tiles of the tile folder on a
// world coastline map, enlarges a 30° × 30° part of it with one circle per
// tile, previews the picked tile's colour relief and hands it to the viewer.
#pragma once

#include "TileAvailability.h"
#include "TilePos.h"
#include "WorldMap.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QSvgRenderer;
class TMapImage;
class TTerrainSource;

class TfmBrowser : public QWidget {
    Q_OBJECT
public:
    // A window of its own, not owned by the main window, so it can be placed
    // and raised independently. Scans the tile folder and draws both maps.
    TfmBrowser();
    ~TfmBrowser() override;

    // "Open": given the picked tile's archive, or the block of picked tiles,
    // the main window shows itself and loads it. Errors of the load are the
    // main window's to report.
    std::function<void(std::shared_ptr<const TTerrainSource> picked)> OnOpenTile;

    // Re-reads the tile folder and redraws both maps; the part shown and the
    // picked tile stay.
    void RefreshBrowser();

    void btnReloadClick();
    void btnPreviewClick();
    void btnOpenClick();
    void imWorldMouseDown(int x, int y);
    // Pressing on one tile picks it; releasing on another then picks the
    // square block with the two at opposite corners, growing from the first.
    void imPartMouseDown(int x, int y);
    void imPartMouseUp(int x, int y);
    void imPartMouseMove(int x, int y);

    std::unique_ptr<QSvgRenderer> WorldPicture;
    QImage WorldBitmap;  // 1 pixel per degree
    QImage PartBitmap;   // 12 pixels per degree
    int PartTop = 0;     // latitude of the part's northern edge
    int PartLeft = 0;    // longitude of the part's western edge
    TTilePos CurrentTile{};  // the picked tile, the south-west one of a picked block
    int PickedSide = 1;      // tiles a side of the pick
    bool TilePicked = false;
    int PreviewSize = 64;  // samples per side of the last preview
    TTileAvailability TileAvailable;

    TMapImage *imWorld, *imPart;
    QLabel *Image1;
    QPushButton *btnReload, *btnPreview, *btnOpen;
    QLabel *lbCurr, *lbName;

protected:
    void changeEvent(QEvent *event) override;

private:
    void DrawWorldMap();
    void ScanTiles();
    void MarkTilesOnWorld();
    void DrawPart();
    void ShowBitmaps();
    void SelectPart(int column, int row);
    // Until the user chooses a part or a tile, the close-up shows the part
    // with the most tiles (the north-western one of equals).
    void SelectBusiestPart();
    // The pick has no file: the preview says so, and a box too when a
    // button asked.
    void SayNoTile(bool inABox);
    // The tile whose cell in the part view holds pixel (x, y).
    TTilePos TileAtPartPixel(int x, int y) const;
    // The picked tile's archive, or the archives of the picked block's
    // tiles that are in the tile folder; null before any pick and when none
    // of them is there. Throws ETerrainError when they make no block.
    std::shared_ptr<const TTerrainSource> PickedSource() const;
    // Renders the preview; throws with a message naming the file.
    QImage RenderPreview(const TTerrainSource &source) const;

    void Preview(bool askedFor);

    TTilePos pressedTile_{};
    bool pressed_ = false;
    bool partChosen_ = false;
};
