// Mouse drags over the drawing panel, keys and dropped files.
#include "ViewMain.h"

#include "MeasureTool.h"
#include "TopoView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

void TfmView::PanelDrawMouseDown(Qt::MouseButton button, int x, int y)
{
    MouseX = x;
    MouseY = y;
    Dragging = true;
    MouseButtons |= button;
}

void TfmView::PanelDrawMouseUp(Qt::MouseButton button, int, int)
{
    // Releasing any button ends the drag, even while another is still held.
    Dragging = false;
    MouseButtons &= ~Qt::MouseButtons(button);
}

// Pad values behind sliders are whole numbers, so every change lands on a
// slider position; the divisions truncate toward zero.
void TfmView::PanelDrawMouseMove(int x, int y)
{
    if (!Dragging || !controls_)
        return;
    TfmControls &pad = *controls_;
    if (MouseButtons == Qt::RightButton) {
        pad.SetValue(pvHeading, pad.GetValue(pvHeading) - (MouseX - x) / 2);
        pad.SetValue(pvTilt, pad.GetValue(pvTilt) - (MouseY - y) / 2);
    } else if (MouseButtons == Qt::LeftButton) {
        pad.PanHorizontal(float(x - MouseX));
        pad.PanVertical(float(y - MouseY));
    } else if (MouseButtons == (Qt::LeftButton | Qt::RightButton)) {
        pad.SetValue(pvFocal, pad.GetValue(pvFocal) - (MouseY - y) / 2);
    }
    MouseX = x;
    MouseY = y;
}

void TfmView::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (controls_)
        controls_->FormKeyDown(key, modifiers);
    if (key == Qt::Key_W && View_)
        View_->Wireframe = !View_->Wireframe;
    if (key == Qt::Key_Escape && measureTool_)
        measureTool_->Finish();
}

namespace {

// The dropped files on this machine; several tiles open as one block.
std::vector<std::string> LocalFiles(const QMimeData *data)
{
    std::vector<std::string> files;
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile())
                files.push_back(url.toLocalFile().toStdString());
    return files;
}

}  // namespace

void TfmView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!LocalFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TfmView::dropEvent(QDropEvent *event)
{
    const std::vector<std::string> files = LocalFiles(event->mimeData());
    if (files.empty())
        return;
    event->acceptProposedAction();
    OpenFiles(files);
}
