// The program's long-lived windows: the main window, the navigation pad and
// the tile browser, created in that order and wired to each other.
#pragma once

#include <memory>

class QWidget;
class TfmBrowser;
class TfmControls;
class TfmView;

// A message box over `parent` saying that the settings file could not be read
// and why; nothing when it was read or is not there.
void ReportUnreadableSettings(QWidget *parent);

class TProgramWindows {
public:
    TProgramWindows();
    ~TProgramWindows();
    TProgramWindows(const TProgramWindows &) = delete;
    TProgramWindows &operator=(const TProgramWindows &) = delete;

    TfmView *View() const { return view_.get(); }
    TfmControls *Controls() const { return controls_; }
    TfmBrowser *Browser() const { return browser_.get(); }

private:
    std::unique_ptr<TfmView> view_;
    TfmControls *controls_ = nullptr;  // a tool window owned by the main window
    std::unique_ptr<TfmBrowser> browser_;
};
