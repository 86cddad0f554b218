// The modal editor of placemarks and classes, and the hand-over between it
// and a view's placemarks.
#pragma once

#include "TilePos.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class TColorPanel;
class TPlacemarks;

class TfmPlaces : public QDialog {
    Q_OBJECT
public:
    explicit TfmPlaces(QWidget *parent = nullptr);

    // The grids read into records; filled by accept(), which refuses to close
    // while a cell does not read.
    struct TPlaceEntry {
        TLatLon Where;
        std::string Name;
        int16_t ClassId;
    };
    struct TClassEntry {
        int16_t Id;
        std::string Name;
        float R, G, B;
        bool Visible;
    };
    std::vector<TPlaceEntry> PlaceEntries;
    std::vector<TClassEntry> ClassEntries;
    // Reads every non-empty row; on the first cell that does not read, returns
    // false with a message naming its grid, row and column, and selects the row.
    bool ReadGrids(QString &message);

    void RefreshClassChoices();

    QTabWidget *pcPlaces;
    QWidget *tsPlaces;
    QWidget *tsClasses;
    QTableWidget *sgPlaces;
    QTableWidget *sgClasses;
    QLineEdit *edPlaceName;
    QLineEdit *edPlaceLon;
    QLineEdit *edPlaceLat;
    QComboBox *cbPlaceClass;
    QCheckBox *cbClassVisible;
    QLineEdit *edClassID;
    QLineEdit *edClassName;
    TColorPanel *ofClassColor;
    QAction *PlaceAdd;
    QAction *PlaceDel;
    QAction *PlaceSave;
    QAction *ClassAdd;
    QAction *ClassDel;
    QAction *ClassSave;

public slots:
    void accept() override;

    void sgPlacesClick();
    void sgClassesClick();
    void PlaceAddExecute();
    void PlaceSaveExecute();
    void PlaceDelExecute();
    void ClassAddExecute();
    void ClassSaveExecute();
    void ClassDelExecute();
    void ofClassColorClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *MakePlacesPage();
    QWidget *MakeClassesPage();
    std::array<QString, 4> PlaceFields() const;
    std::array<QString, 4> ClassFields() const;
};

// Shows the editor with the placemarks and classes; on OK they replace the
// lists. True when the user accepted.
bool acPlacesExecute(TPlacemarks &placemarks, QWidget *parent = nullptr);
