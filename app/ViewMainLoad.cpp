// Creating the terrain view and loading terrain files into it.
#include "ViewMain.h"

#include "ColorPanel.h"
#include "DrawTarget.h"
#include "ExtractedTile.h"
#include "Options.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>

#include <cmath>

std::string TfmView::TerrainBmpName(const std::string &fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? fileName.substr(0, dot) : fileName) + "_terrain.bmp";
}

void TfmView::RecreateView(bool recreate)
{
    std::string remembered;
    if (View_) {
        if (View_->Loaded)
            remembered = CurrentFile;
        if (!recreate)
            return;
        View_.reset();
    }

    View_ = CreateTopoView(Options.TopoClass);
    View_->OnProgress = [this](TTopoView &sender, int percent) { ViewProgress(&sender, percent); };
    ViewProgress(this, 0);
    View_->DrawControl = drawWindow_;
    View_->SetBackColor(ColorFromValue(Options.BackColor));
    // nearbyint rounds halves to even, as the slider's start value should.
    tbVertScale->setValue(-int(std::nearbyint(Options.VerticalScale * 10.0)));
    tbSeaLevelChange();
    View_->InitGL();
    if (auto *clod = dynamic_cast<TTopoViewCLOD *>(View_.get())) {
        clod->SmallC = Options.smallC;
        clod->C = Options.C;
    }

    if (!remembered.empty() && QFileInfo::exists(QString::fromStdString(remembered)))
        OpenTerrainFile(remembered);
    if (refreshBrowser_)
        refreshBrowser_();
}

void TfmView::LoadTerrainFile(const std::string &fileName)
{
    const int64_t start = ReadCounter();
    const std::string extension = LowerExtension(fileName);
    if (extension != "hgt" && extension != "bmp" && extension != "zip")
        throw ETerrainError("Not a terrain file (expected .hgt, .hgt.zip or .bmp)", fileName);

    try {
        LoadTerrainPath(fileName, [this](const std::string &file) { View_->LoadFromFile(file, false); });
    } catch (...) {
        // A failed read leaves the old grid; give it its mesh back so it stays on screen.
        if (View_->Loaded && View_->Vertices.empty())
            View_->BuildMesh(View_->WorldSize);
        ViewProgress(this, 100);
        throw;
    }
    CurrentFile = fileName;
    View_->Resolution = Options.Resolution;
    View_->Gradient = Options.Gradient;

    QImage companion;
    if (extension == "bmp")
        companion.load(QString::fromStdString(TerrainBmpName(fileName)));
    if (companion.isNull())
        View_->BuildTexture();
    else
        View_->TextureBitmap = companion.convertToFormat(QImage::Format_RGB32);
    View_->UploadTexture(0);
    View_->BuildMesh(Options.VertexSize);

    LoadTime = int32_t(ElapsedMs(start));
    View_->ResetCamera();
    // The walker's eye starts at the height of the tile's highest point.
    if (controls_)
        controls_->SetValue(pvHikeY, View_->MaxHeight * TTerrain::HeightScale);
}

bool TfmView::OpenTerrainFile(const std::string &fileName)
{
    try {
        LoadTerrainFile(fileName);
        return true;
    } catch (const ETerrainError &e) {
        ShowError(QString::fromStdString(e.FullMessage()));
    } catch (const std::exception &e) {
        ShowError(QStringLiteral("%1: %2").arg(QString::fromStdString(fileName), QString::fromLocal8Bit(e.what())));
    }
    return false;
}

void TfmView::ViewProgress(const void *sender, int percent)
{
    if (percent == 0) {
        if (ProgressBar->parentWidget() != StatusPanel0) {
            ProgressBar->setParent(StatusPanel0);
            FormResize();
        }
        ProgressBar->show();
        if (sender != this && !busyCursor_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            busyCursor_ = true;
        }
    } else if (percent == 100) {
        ProgressBar->hide();
        if (busyCursor_) {
            QApplication::restoreOverrideCursor();
            busyCursor_ = false;
        }
        StatusPanel1->clear();
    }
    if (ProgressBar->value() != percent) {
        ProgressBar->setValue(percent);
        // Loading runs without the event loop: paint the bar now.
        if (ProgressBar->isVisible())
            ProgressBar->repaint();
    }
}
