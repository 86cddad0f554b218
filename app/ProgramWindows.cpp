#include "ProgramWindows.h"

#include "Browser.h"
#include "Controls.h"
#include "Resources.h"
#include "ViewMain.h"

#include <QApplication>
#include <QIcon>

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
}

TProgramWindows::~TProgramWindows()
{
    browser_.reset();
    fmControls = nullptr;
    view_.reset();
}
