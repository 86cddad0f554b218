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

class TfmBrowser : public QWidget {
    Q_OBJECT
public:
    // A window of its own, not owned by the main window, so it can be placed
    // and raised independently. Scans the tile folder and draws both maps.
    TfmBrowser();
    ~TfmBrowser() override;

    // "Open": given the archive of the picked tile, the main window shows
    // itself and loads it. Errors of the load are the main window's to report.
    std::function<void(const std::string &archive)> OnOpenTile;

    // Re-reads the tile folder and redraws both maps; the part shown and the
    // picked tile stay.
    void RefreshBrowser();

    void btnReloadClick();
    void btnPreviewClick();
    void btnOpenClick();
    void imWorldMouseDown(int x, int y);
    void imPartMouseDown(int x, int y);
    void imPartMouseMove(int x, int y);

    std::unique_ptr<QSvgRenderer> WorldPicture;
    QImage WorldBitmap;  // 1 pixel per degree
    QImage PartBitmap;   // 12 pixels per degree
    int PartTop = 0;     // latitude of the part's northern edge
    int PartLeft = 0;    // longitude of the part's western edge
    TTilePos CurrentTile{};
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
    // The tile whose cell in the part view holds pixel (x, y).
    TTilePos TileAtPartPixel(int x, int y) const;
    // The picked tile's archive in the tile folder; empty before any pick.
    std::string PickedArchive() const;
    // Renders the preview; throws with a message naming the archive.
    QImage RenderPreview(const std::string &archive) const;
};
