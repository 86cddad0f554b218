// Mouse drags over the drawing panel, keys and dropped files.
#include "ViewMain.h"

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
}

namespace {

QString FirstLocalFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

}  // namespace

void TfmView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!FirstLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfmView::dropEvent(QDropEvent *event)
{
    const QString file = FirstLocalFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    OpenTerrainFile(file.toStdString());
}
