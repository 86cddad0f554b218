// The track list dock: the loaded tracks with their colours, each shown or
// hidden by its check box; the selected one is the profile's and the one
// the walker follows.
#pragma once

#include "Track.h"

#include <QDockWidget>

#include <functional>
#include <memory>

class QListWidget;
class QPushButton;

class TTrackList : public QDockWidget {
    Q_OBJECT
public:
    TTrackList(std::shared_ptr<TTrackOverlay> tracks, QWidget *parent = nullptr);

    // Lists the overlay's tracks again, keeping the selection where it can.
    void Refresh();
    // Index into the overlay's tracks, −1 for none.
    int Selected() const;
    void Select(int index);

    // A track was shown, hidden, recoloured or removed.
    std::function<void()> OnChanged;
    std::function<void(int)> OnSelected;
    std::function<void(int)> OnZoomTo;
    std::function<void(int)> OnAddToPlacemarks;

    QListWidget *lwTracks;
    QPushButton *btnColor, *btnRemove, *btnZoomTo, *btnAddPlaces;

private:
    void ChooseColor();
    void RemoveSelected();
    void UpdateButtons();

    std::shared_ptr<TTrackOverlay> tracks_;
    bool refreshing_ = false;
};
