// Orolith: a 3D viewer for SRTM elevation tiles.
#include "About.h"
#include "Browser.h"
#include "DrawTarget.h"
#include "FrameMemory.h"
#include "Options.h"
#include "ProgramWindows.h"
#include "TerrainReaders.h"
#include "Utils.h"
#include "ViewMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// The picture of the main window with the pad over it, as on screen, once the
// tile has been drawn for a moment; then the program ends.
void TakeScreenshotLater(TProgramWindows &windows, const QString &png)
{
    QTimer::singleShot(3000, windows.View(), [&windows, png] {
        TfmView *view = windows.View();
        const QRect area = view->frameGeometry();
        const QPixmap shot = view->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (!shot.save(png)) {
            std::fprintf(stderr, "orolith: %s: the screenshot could not be written\n", qPrintable(png));
            QCoreApplication::exit(1);
            return;
        }
        QCoreApplication::quit();
    });
}

// --help and --version print and end before anything needs a display, so
// both work on a terminal without one (the manual page is made from them).
bool AsksForHelpOrVersion(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char *option : {"-h", "--help", "--help-all", "-?", "-v", "--version"})
            if (!std::strcmp(argv[i], option))
                return true;
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    CounterFrequency();
    KeepFrameMemoryResident();
    QCoreApplication::setApplicationName(QStringLiteral("Orolith"));
    QCoreApplication::setApplicationVersion(ProgramVersionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("3D viewer for SRTM elevation tiles"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("A terrain to open: ") + QString::fromStdString(TerrainFilePatterns()) +
                                     QStringLiteral("; several tiles open as one block. GPX, KML and GeoJSON files open "
                                                    "as tracks over it"),
                                 QStringLiteral("[FILE...]"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Read and save the settings in FILE instead of beside the program."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Open FILE, save a picture of the window as PNG, and quit."),
                                        QStringLiteral("PNG"));
    parser.addOptions({settings, screenshot});
    if (AsksForHelpOrVersion(argc, argv)) {
        const QCoreApplication core(argc, argv);
        parser.process(core);  // prints and exits
    }

    // Fixed-function GL needs a compatibility context; every surface shares this format.
    QSurfaceFormat::setDefaultFormat(TerrainSurfaceFormat());
    QApplication app(argc, argv);
    parser.process(app);
    if (parser.isSet(settings))
        SetIniFileName(parser.value(settings).toStdString());

    // The settings are read before any window exists.
    LoadOptions();

    TProgramWindows windows;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(screenshot)) {
        windows.View()->setGeometry(0, 0, 1100, 720);
        windows.View()->show();
        windows.Browser()->hide();
        TakeScreenshotLater(windows, parser.value(screenshot));
        // Nobody is there to answer a message box.
        if (const std::string problem = IniFileReadProblem(); !problem.empty())
            std::fprintf(stderr, "orolith: %s\n", problem.c_str());
    } else {
        windows.View()->showMaximized();
        QTimer::singleShot(0, windows.View(), [&windows] { ReportUnreadableSettings(windows.View()); });
    }
    if (!files.isEmpty())
        // After the first events, so the drawing window exists on screen.
        QTimer::singleShot(0, windows.View(), [&windows, files] {
            std::vector<std::string> names;
            for (const QString &file : files)
                names.push_back(file.toStdString());
            windows.View()->OpenFiles(names);
        });
    return app.exec();
}
