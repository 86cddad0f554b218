// The main window's commands: load and export, options, placemarks, the
// information box and dialogs, the sea level.
#include "ViewMain.h"

#include "About.h"
#include "GLBMP.h"
#include "GLInfo.h"
#include "MeshExport.h"
#include "Options.h"
#include "PlacesEditor.h"
#include "ProfilePanel.h"
#include "ProfilePlot.h"
#include "TerrainError.h"
#include "TerrainReaders.h"
#include "TopoView.h"
#include "TopoViewVBO.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSaveFile>
#include <QSlider>

#include <cerrno>
#include <cstring>

namespace {

// "Text|pattern|Text|pattern" into Qt's "Text (pattern);;Text (pattern)".
QStringList NameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // "Windows Bitmap(*.bmp)" names its pattern already; Qt reads it from there.
        if (parts[i].endsWith(QLatin1Char(')')))
            filters << parts[i];
        else
            filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters;
}

// The extension of the 1-based filter's first pattern ("*.bmp" gives "bmp"),
// or `fallback` when it names none ("*.*").
QString FilterExtension(const QString &filter, int index, const QString &fallback)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    const int at = 2 * index - 1;
    if (index < 1 || at >= parts.size())
        return fallback;
    const QString pattern = parts[at].section(QLatin1Char(';'), 0, 0);
    const QString extension = pattern.startsWith(QLatin1String("*.")) ? pattern.mid(2) : QString();
    return extension.isEmpty() || extension.contains(QLatin1Char('*')) ? fallback : extension;
}

TFileDialogs::TResult RunFileDialog(QWidget *parent, const TFileDialogs::TRequest &request, bool save)
{
    QFileDialog dialog(parent, request.Caption);
    const QStringList filters = NameFilters(request.Filter);
    dialog.setNameFilters(filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.FilterIndex - 1]);
    dialog.setDefaultSuffix(request.DefaultExtension);
    if (save) {
        // A name typed without an extension gets the chosen filter's.
        const auto followFilter = [&dialog, &request, filters](const QString &chosen) {
            dialog.setDefaultSuffix(
                FilterExtension(request.Filter, int(filters.indexOf(chosen)) + 1, request.DefaultExtension));
        };
        followFilter(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Several tiles open as one block.
        dialog.setFileMode(QFileDialog::ExistingFiles);
    }
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter())) + 1, dialog.selectedFiles()};
}

// The writers leave the system's reason in errno ("No space left on device").
QString CouldNotWrite(const QString &file)
{
    const int reason = errno;
    if (reason == 0)
        return QStringLiteral("%1: the file could not be written.").arg(file);
    return QStringLiteral("%1: the file could not be written: %2.").arg(file, QString::fromLocal8Bit(std::strerror(reason)));
}

// The writers choose the format by the name's extension; a name they have
// no writer for is refused before anything is written.
void RequireType(const QString &file, const QStringList &types, const QString &what)
{
    const QString type = QFileInfo(file).suffix();
    if (types.contains(type, Qt::CaseInsensitive))
        return;
    QStringList listed;
    for (const QString &t : types)
        listed << QLatin1Char('.') + t;
    const QString choices = listed.size() == 1 ? listed[0]
                                               : listed.mid(0, listed.size() - 1).join(QStringLiteral(", ")) +
                                                     QStringLiteral(" or ") + listed.back();
    throw std::runtime_error(QStringLiteral("%1: the type .%2 is not supported; %3 saved as %4.")
                                 .arg(file, type, what, choices)
                                 .toStdString());
}

QStringList PictureTypeList()
{
    QStringList types;
    for (const std::string &t : PictureTypes())
        types << QString::fromStdString(t);
    return types;
}

}  // namespace

bool TfmView::RunCommand(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const ETerrainError &e) {
        ShowError(QString::fromStdString(e.FullMessage()));
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void TfmView::ShowError(const QString &text)
{
    QMessageBox::critical(this, windowTitle().section(QLatin1Char(' '), 0, 0), text);
}

std::vector<std::string> TfmView::ChooseFilesToOpen(const TFileDialogs::TRequest &request)
{
    const auto open = FileDialogs.Open ? FileDialogs.Open : [](QWidget *p, const TFileDialogs::TRequest &r) {
        return RunFileDialog(p, r, false);
    };
    const TFileDialogs::TResult chosen = open(this, request);
    std::vector<std::string> files;
    for (const QString &file : chosen.FileNames.isEmpty() ? QStringList{chosen.FileName} : chosen.FileNames)
        if (!file.isEmpty())
            files.push_back(file.toStdString());
    return files;
}

void TfmView::acLoadFileExecute()
{
    TFileDialogs::TRequest request;
    request.Caption = QStringLiteral("Load File");
    request.Filter = QString::fromStdString(TerrainFileFilter()) + QStringLiteral("|All Files|*.*");
    // "All Heightmaps": the one before "All Files".
    request.FilterIndex = static_cast<int>(TerrainReaders().size()) + 1;
    request.FileName = QStringLiteral("N51E011.hgt.zip");
    if (const std::vector<std::string> files = ChooseFilesToOpen(request); !files.empty())
        LoadTerrainFiles(files);
}

void TfmView::acLoadTrackExecute()
{
    TFileDialogs::TRequest request;
    request.Caption = QStringLiteral("Load Track");
    request.Filter = QStringLiteral("GPS Tracks|*.gpx;*.kml;*.geojson;*.json|GPX|*.gpx|KML|*.kml|"
                                    "GeoJSON|*.geojson;*.json|All Files|*.*");
    if (const std::vector<std::string> files = ChooseFilesToOpen(request); !files.empty())
        OpenTrackFiles(files);
}

void TfmView::SaveWith(const QString &caption, const QString &filter, const QString &extension,
                       const std::function<void(const QString &, int)> &save)
{
    TFileDialogs::TRequest request;
    request.Caption = caption;
    request.Filter = filter;
    request.FilterIndex = 1;
    request.DefaultExtension = extension;
    const auto run = FileDialogs.Save ? FileDialogs.Save : [](QWidget *p, const TFileDialogs::TRequest &r) {
        return RunFileDialog(p, r, true);
    };
    const TFileDialogs::TResult chosen = run(this, request);
    if (chosen.FileName.isEmpty())
        return;
    // Whatever the dialog, a name without an extension gets the chosen filter's.
    QString file = chosen.FileName;
    if (QFileInfo(file).suffix().isEmpty())
        file += QLatin1Char('.') + FilterExtension(filter, chosen.FilterIndex, extension);
    errno = 0;  // a failed write's reason is read from it
    save(file, chosen.FilterIndex);
}

// The image format follows the chosen name's extension, not the filter.
void TfmView::acSaveHMExecute()
{
    SaveWith(QStringLiteral("Save Heightmap"),
             QStringLiteral("Heightmap & Texture(*.bmp)|*.bmp|Heightmap only(*.bmp)|*.bmp"), QStringLiteral("bmp"),
             [this](const QString &file, int filter) {
                 RequireType(file, {QStringLiteral("bmp")}, QStringLiteral("heightmaps are"));
                 int64_t white = 0;
                 if (!View_->Loaded || !View_->Terrain.SaveHeightmap(file.toStdString(), &white))
                     throw std::runtime_error(CouldNotWrite(file).toStdString());
                 // Saved with its texture, the heightmap loads back as it looked.
                 const QString texture = QString::fromStdString(TerrainBmpName(file.toStdString()));
                 if (filter == 1 && !View_->SaveTexture(texture.toStdString()))
                     throw std::runtime_error(CouldNotWrite(texture).toStdString());
                 if (white > 0)
                     QMessageBox::information(
                         this, windowTitle().section(QLatin1Char(' '), 0, 0),
                         QStringLiteral("%1: %2 samples above 1023 m were saved as white, which stands for 1020 m: "
                                        "a grey heightmap holds 0 to 1023 m in steps of 4 m.")
                             .arg(file)
                             .arg(white));
             });
}

void TfmView::acSaveTextureExecute()
{
    SaveWith(QStringLiteral("Save Texture"),
             QStringLiteral("Texture(*.bmp)|*.bmp|Texture(*.jpg)|*.jpg|Texture(*.tga)|*.tga"), QStringLiteral("jpg"),
             [this](const QString &file, int) {
                 RequireType(file, PictureTypeList(), QStringLiteral("textures are"));
                 if (!View_->SaveTexture(file.toStdString()))
                     throw std::runtime_error(CouldNotWrite(file).toStdString());
             });
}

// The mesh on screen at the vertical scale on screen; the model type
// follows the chosen name's extension.
void TfmView::acExportMeshExecute()
{
    SaveWith(QStringLiteral("Export Mesh"),
             QStringLiteral("3D print|*.stl|3D print|*.3mf|Wavefront OBJ|*.obj|glTF binary|*.glb"), QStringLiteral("stl"),
             [this](const QString &file, int) {
                 TMeshExportSettings settings;
                 settings.VerticalScale = -tbVertScale->value() / 10.0;
                 settings.FillVoids = acFillVoids->isChecked();
                 TTopoView &view = *View_;
                 try {
                     ExportViewMesh(view, *view.Texture, file.toStdString(), settings,
                                    [&view](float fraction) { view.DoProgress(fraction); });
                 } catch (...) {
                     view.DoProgress(1);  // the progress bar goes away before the message
                     throw;
                 }
             });
}

void TfmView::acSaveScreenExecute()
{
    SaveWith(QStringLiteral("Save Screenshot"),
             QStringLiteral("Windows Bitmap(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|Truevision Targa(*.tga)|*.tga"),
             QStringLiteral("jpg"), [this](const QString &file, int) {
                 RequireType(file, PictureTypeList(), QStringLiteral("screenshots are"));
                 if (!View_->SaveScreenshot(file.toStdString()))
                     throw std::runtime_error(CouldNotWrite(file).toStdString());
             });
}

void TfmView::acSaveProfilePictureExecute()
{
    if (!profilePanel_->HasProfile())
        return;
    SaveWith(QStringLiteral("Save Profile Picture"), QStringLiteral("PNG picture|*.png|SVG drawing|*.svg"),
             QStringLiteral("png"), [this](const QString &file, int) {
                 RequireType(file, {QStringLiteral("png"), QStringLiteral("svg")}, QStringLiteral("profiles are"));
                 WriteProfilePicture(profilePanel_->Profile(), file.toStdString());
             });
}

void TfmView::acSaveProfileCsvExecute()
{
    if (!profilePanel_->HasProfile())
        return;
    SaveWith(QStringLiteral("Save Profile CSV"), QStringLiteral("Comma-separated values|*.csv"), QStringLiteral("csv"),
             [this](const QString &file, int) {
                 const std::string text = ProfileCsv(profilePanel_->Profile());
                 // Put in place only when every byte was written.
                 QSaveFile out(file);
                 if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
                     !out.commit())
                     throw std::runtime_error(CouldNotWrite(file).toStdString());
             });
}

void TfmView::acShowOptDialogExecute()
{
    PlacemarksToText();
    if (ExecuteOptionsDialog(this))
        RecreateView(true);
    PlacemarksFromText();
}

void TfmView::acSaveOptionsExecute()
{
    const std::string readFrom = Options.IniFile.FileName();
    SaveOptions();
    StorePlacemarks();
    WriteIniFile();
    // An installed program cannot write beside itself: say where the settings went.
    const std::string &savedTo = Options.IniFile.FileName();
    if (savedTo != readFrom)
        QMessageBox::information(this, windowTitle().section(QLatin1Char(' '), 0, 0),
                                 QStringLiteral("The settings were saved to %1 instead of %2. Orolith reads them from "
                                                "%1 from now on.")
                                     .arg(QString::fromStdString(savedTo), QString::fromStdString(readFrom)));
}

void TfmView::acReloadOptionsExecute()
{
    LoadOptions();
    RecreateView(true);
    LoadPlacemarks();
}

void TfmView::LoadPlacemarks()
{
    ::LoadPlacemarks(*View_->Placemarks, PlacemarkLines);
}

void TfmView::PlacemarksFromText()
{
    ::PlacemarksFromText(*View_->Placemarks, PlacemarkLines);
}

void TfmView::PlacemarksToText()
{
    ::PlacemarksToText(*View_->Placemarks, PlacemarkLines);
}

void TfmView::StorePlacemarks()
{
    ::StorePlacemarks(*View_->Placemarks, PlacemarkLines);
}

void TfmView::acPlacesExecute()
{
    ::acPlacesExecute(*View_->Placemarks, this);
}

void TfmView::acGLInfoExecute()
{
    if (!View_)
        return;
    TfmGLInfo dialog(this);
    dialog.InfoDC = View_->GetDeviceContext();
    dialog.InfoRC = View_->GetRenderContext();
    dialog.exec();
}

void TfmView::acAboutOrolithExecute()
{
    TfmAbout dialog(this);
    dialog.exec();
}

namespace {

// A window the user closed or minimised comes back as it was, in front.
void ShowAndRaise(QWidget *window)
{
    if (!window)
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

}  // namespace

void TfmView::acBrowserExecute()
{
    ShowAndRaise(browser_);
}

void TfmView::acControlsExecute()
{
    ShowAndRaise(controls_);
}

void TfmView::sbSetSeaClick()
{
    View_->SetSeaLevel(-tbSeaLevel->value());
}

QString TfmView::InformationText() const
{
    QString text = QStringLiteral("Status:\nVersion: %1\n").arg(ProgramVersionText());
    if (const auto *vbo = dynamic_cast<const TTopoViewVBO *>(View_.get())) {
        const double kilobytes = vbo->VertexCount * 20.0 / 1024.0;
        text += QStringLiteral("VBuffersize in KB: %1\n").arg(QLocale(QLocale::English).toString(kilobytes, 'f', 0));
    }
    // A raster larger than the grid says what was given up for it.
    if (View_ && View_->Loaded && View_->Terrain.Source.ReadAt > 1) {
        const TSourceInfo &source = View_->Terrain.Source;
        text += QStringLiteral("Terrain: %1 x %2 samples, read at 1:%3\n").arg(source.Width).arg(source.Height).arg(source.ReadAt);
    }
    text += QString::asprintf("Last Loading Time: %.2f sec\n", LoadTime / 1000.0);
    text += QString::asprintf("Frames per Second: %.1f\n\n\n", double(Fps));
    text += QStringLiteral("Usage:\n"
                           "RMB + Move Up/Down  = Rotate Vertical\n"
                           "RMB + Move Left/Right  = Rotate Horizontal\n"
                           "LMB + RMB + Move Up/Down  = Zoom In/Out\n"
                           "Hiking Mode:\n"
                           "RMB + Move Up/Down   = Look Up/Down");
    return text;
}

void TfmView::sbInfoClick()
{
    QMessageBox box(QMessageBox::Information, windowTitle().section(QLatin1Char(' '), 0, 0), InformationText(),
                    QMessageBox::Ok, this);
    box.exec();
}
