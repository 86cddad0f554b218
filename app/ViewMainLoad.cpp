// Creating the terrain view and loading terrain files into it.
#include "ViewMain.h"

#include "ColorPanel.h"
#include "DrawTarget.h"
#include "TerrainSource.h"
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

#include <algorithm>
#include <filesystem>
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
    std::shared_ptr<const TTerrainSource> remembered;
    int seaLevel = 0;
    if (View_) {
        if (View_->Loaded)
            remembered = CurrentFile;
        if (!recreate)
            return;
        seaLevel = View_->SeaLevel;
        View_.reset();
    }

    View_ = CreateTopoView(Options.TopoClass);
    AddOverlaysToView();
    View_->OnProgress = [this](TTopoView &sender, int percent) { ViewProgress(&sender, percent); };
    ViewProgress(this, 0);
    View_->DrawControl = drawWindow_;
    View_->TrueProportions = Options.TrueProportions;
    View_->SetBackColor(ColorFromValue(Options.BackColor));
    // nearbyint rounds halves to even, as the slider's start value should.
    tbVertScale->setValue(-int(std::nearbyint(Options.VerticalScale * 10.0)));
    // The new view colours the terrain at the level the old one showed, and
    // the panel says so.
    View_->SeaLevel = seaLevel;
    ShowSeaLevel();
    View_->InitGL();
    if (auto *clod = dynamic_cast<TTopoViewCLOD *>(View_.get())) {
        clod->SmallC = Options.smallC;
        clod->C = Options.C;
    }

    const auto exists = [](const std::string &file) { return QFileInfo::exists(QString::fromStdString(file)); };
    if (remembered && std::all_of(remembered->Files().begin(), remembered->Files().end(), exists))
        OpenTerrain(remembered);
    if (refreshBrowser_)
        refreshBrowser_();
}

std::vector<std::string> TfmView::CurrentFileNames() const
{
    return CurrentFile ? CurrentFile->Files() : std::vector<std::string>();
}

void TfmView::LoadTerrainFile(const std::string &fileName)
{
    LoadTerrainFiles({fileName});
}

void TfmView::LoadTerrainFiles(const std::vector<std::string> &files)
{
    LoadTerrain(TerrainSourceFor(files));
}

void TfmView::LoadTerrain(std::shared_ptr<const TTerrainSource> source)
{
    const int64_t start = ReadCounter();
    try {
        View_->LoadFrom(*source, false);
    } catch (...) {
        // A failed read leaves the old grid; give it its mesh back so it stays on screen.
        if (View_->Loaded && View_->Vertices.empty())
            View_->BuildMesh(View_->WorldSize);
        ViewProgress(this, 100);
        throw;
    }
    CurrentFile = source;
    View_->Resolution = Options.Resolution;
    View_->Gradient = Options.Gradient;

    // A grey heightmap may come with the picture that was saved beside it.
    QImage companion;
    const std::string &first = source->Files().front();
    // Only a regular file is read: a FIFO in its place would block the load.
    if (source->Files().size() == 1 && LowerExtension(first) == "bmp" &&
        std::filesystem::is_regular_file(TerrainBmpName(first)))
        companion.load(QString::fromStdString(TerrainBmpName(first)));
    if (companion.isNull())
        View_->BuildTexture();
    else
        View_->TextureBitmap = companion.convertToFormat(QImage::Format_RGB32);
    View_->UploadTexture(0);
    View_->BuildMesh(Options.VertexSize);

    LoadTime = int32_t(ElapsedMs(start));
    RefreshProfile(false);
    View_->ResetCamera();
    // The walker's eye starts at the height of the terrain's highest point, as drawn.
    if (controls_)
        controls_->SetValue(pvHikeY, View_->TopEyeHeight());
}

namespace {

// Any other failure of a load (memory, a thread) as an error naming the files.
template <class F>
void NamingFiles(const std::vector<std::string> &files, F &&load)
{
    try {
        load();
    } catch (const ETerrainError &) {
        throw;
    } catch (const std::exception &e) {
        std::string names;
        for (const std::string &file : files)
            names += (names.empty() ? "" : ", ") + file;
        throw ETerrainError(e.what(), names);
    }
}

}  // namespace

bool TfmView::OpenTerrainFiles(const std::vector<std::string> &files)
{
    return RunCommand([&] { NamingFiles(files, [&] { LoadTerrainFiles(files); }); });
}

bool TfmView::OpenTerrain(std::shared_ptr<const TTerrainSource> source)
{
    return RunCommand([&] { NamingFiles(source->Files(), [&] { LoadTerrain(source); }); });
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
