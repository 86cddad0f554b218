#include "TrackList.h"

#include <QColorDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QColor ToQColor(const TOverlayColor &c)
{
    return QColor::fromRgbF(c.R, c.G, c.B);
}

QIcon Swatch(const TOverlayColor &c)
{
    QPixmap square(14, 14);
    square.fill(ToQColor(c));
    QPainter(&square).drawRect(0, 0, 13, 13);
    return QIcon(square);
}

QString ItemText(const TTrack &track)
{
    const QString name = QString::fromStdString(track.Name);
    const QString file = QFileInfo(QString::fromStdString(track.File)).fileName();
    const size_t count = track.PointCount();
    const QString points = (count == 1 ? QStringLiteral("%1 point") : QStringLiteral("%1 points")).arg(count);
    return name == file || name.isEmpty() ? QStringLiteral("%1 (%2)").arg(file, points)
                                          : QStringLiteral("%1 (%2, %3)").arg(name, file, points);
}

}  // namespace

TTrackList::TTrackList(std::shared_ptr<TTrackOverlay> tracks, QWidget *parent)
    : QDockWidget(QStringLiteral("Tracks"), parent), tracks_(std::move(tracks))
{
    setObjectName(QStringLiteral("TrackList"));
    auto *client = new QWidget;
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(4, 2, 4, 4);
    lwTracks = new QListWidget;
    lwTracks->setObjectName(QStringLiteral("lwTracks"));
    column->addWidget(lwTracks, 1);
    auto *buttons = new QHBoxLayout;
    btnColor = new QPushButton(QStringLiteral("Colour..."));
    btnRemove = new QPushButton(QStringLiteral("Remove"));
    btnZoomTo = new QPushButton(QStringLiteral("Zoom To"));
    btnColor->setToolTip(QStringLiteral("Choose the Track's Colour"));
    btnRemove->setToolTip(QStringLiteral("Remove the Track"));
    btnZoomTo->setToolTip(QStringLiteral("Move the Camera over the Track"));
    for (QPushButton *b : {btnColor, btnRemove, btnZoomTo}) {
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    btnAddPlaces = new QPushButton(QStringLiteral("Add Waypoints to Placemarks"));
    btnAddPlaces->setToolTip(QStringLiteral("Add the Track's Waypoints to the Placemarks"));
    btnAddPlaces->setFocusPolicy(Qt::NoFocus);
    column->addWidget(btnAddPlaces);
    setWidget(client);

    connect(lwTracks, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int i = lwTracks->row(item);
        if (refreshing_ || i < 0 || size_t(i) >= tracks_->Tracks.size())
            return;
        tracks_->Tracks[size_t(i)].Visible = item->checkState() == Qt::Checked;
        if (OnChanged)
            OnChanged();
    });
    connect(lwTracks, &QListWidget::currentRowChanged, this, [this](int row) {
        UpdateButtons();
        if (!refreshing_ && OnSelected)
            OnSelected(row);
    });
    connect(btnColor, &QPushButton::clicked, this, &TTrackList::ChooseColor);
    connect(btnRemove, &QPushButton::clicked, this, &TTrackList::RemoveSelected);
    connect(btnZoomTo, &QPushButton::clicked, this, [this] {
        if (Selected() >= 0 && OnZoomTo)
            OnZoomTo(Selected());
    });
    connect(btnAddPlaces, &QPushButton::clicked, this, [this] {
        if (Selected() >= 0 && OnAddToPlacemarks)
            OnAddToPlacemarks(Selected());
    });
    UpdateButtons();
}

void TTrackList::Refresh()
{
    refreshing_ = true;
    const int keep = lwTracks->currentRow();
    lwTracks->clear();
    for (const TTrack &track : tracks_->Tracks) {
        auto *item = new QListWidgetItem(Swatch(track.Color), ItemText(track));
        item->setToolTip(QString::fromStdString(track.File));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(track.Visible ? Qt::Checked : Qt::Unchecked);
        lwTracks->addItem(item);
    }
    lwTracks->setCurrentRow(std::min(keep, lwTracks->count() - 1));
    refreshing_ = false;
    UpdateButtons();
}

int TTrackList::Selected() const
{
    const int row = lwTracks->currentRow();
    return row >= 0 && size_t(row) < tracks_->Tracks.size() ? row : -1;
}

void TTrackList::Select(int index)
{
    lwTracks->setCurrentRow(index);
}

void TTrackList::UpdateButtons()
{
    const bool any = Selected() >= 0;
    for (QPushButton *b : {btnColor, btnRemove, btnZoomTo})
        b->setEnabled(any);
    btnAddPlaces->setEnabled(any && !tracks_->Tracks[size_t(Selected())].Waypoints.empty());
}

void TTrackList::ChooseColor()
{
    const int i = Selected();
    if (i < 0)
        return;
    TTrack &track = tracks_->Tracks[size_t(i)];
    const QColor chosen = QColorDialog::getColor(ToQColor(track.Color), this, QStringLiteral("Track Colour"));
    if (!chosen.isValid())
        return;
    track.Color = {float(chosen.redF()), float(chosen.greenF()), float(chosen.blueF())};
    lwTracks->item(i)->setIcon(Swatch(track.Color));
    if (OnChanged)
        OnChanged();
}

void TTrackList::RemoveSelected()
{
    const int i = Selected();
    if (i < 0)
        return;
    tracks_->Tracks.erase(tracks_->Tracks.begin() + i);
    Refresh();
    if (OnChanged)
        OnChanged();
    if (OnSelected)
        OnSelected(Selected());
}
