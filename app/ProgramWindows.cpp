#include "ProgramWindows.h"

#include "Browser.h"
#include "Controls.h"
#include "Options.h"
#include "Resources.h"
#include "ViewMain.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>

void ReportUnreadableSettings(QWidget *parent)
{
    const std::string problem = IniFileReadProblem();
    if (!problem.empty())
        QMessageBox::warning(parent, QStringLiteral("Orolith"), QString::fromStdString(problem));
}

TProgramWindows::TProgramWindows()
{
    EnsureResources();
    view_ = std::make_unique<TfmView>();
    QApplication::setWindowIcon(QIcon(IconResource));
    controls_ = new TfmControls(view_.get());
    fmControls = controls_;
    view_->AttachControls(controls_);
    browser_ = std::make_unique<TfmBrowser>();
    // Closing the main window ends the program, even with the browser open.
    browser_->setAttribute(Qt::WA_QuitOnClose, false);
    view_->AttachBrowser(browser_.get(), [b = browser_.get()] { b->RefreshBrowser(); });
    browser_->OnOpenTile = [v = view_.get()](std::shared_ptr<const TTerrainSource> picked) {
        v->raise();
        v->activateWindow();
        v->OpenTerrain(std::move(picked));
    };
    // Reloading may meet a file that has become unreadable since the start.
    QObject::connect(view_->acReloadOptions, &QAction::triggered, view_.get(),
                     [v = view_.get()] { ReportUnreadableSettings(v); });
}

TProgramWindows::~TProgramWindows()
{
    browser_.reset();
    fmControls = nullptr;
    view_.reset();
}
