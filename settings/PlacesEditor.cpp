#include "PlacesEditor.h"

#include "ColorPanel.h"
#include "DialogButtons.h"
#include "IntegerText.h"
#include "PlacemarkText.h"
#include "Placemarks.h"
#include "PlacesGrid.h"
#include "Utils.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum class TGlyph { Add, Delete, Save };

// Small drawn glyphs: the buttons show these, their hints say what they do.
QIcon GlyphIcon(TGlyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case TGlyph::Add:
        p.setPen(QPen(QColor(0, 140, 0), 3));
        p.drawLine(8, 2, 8, 14);
        p.drawLine(2, 8, 14, 8);
        break;
    case TGlyph::Delete:
        p.setPen(QPen(QColor(200, 0, 0), 3));
        p.drawLine(3, 3, 13, 13);
        p.drawLine(13, 3, 3, 13);
        break;
    case TGlyph::Save:
        p.setPen(QPen(QColor(0, 70, 190), 3));
        p.drawLine(2, 9, 6, 13);
        p.drawLine(6, 13, 14, 3);
        break;
    }
    return QIcon(pixmap);
}

QAction *MakeAction(QObject *owner, const char *name, const char *hint, TGlyph glyph)
{
    auto *action = new QAction(GlyphIcon(glyph), QString::fromLatin1(hint), owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(QString::fromLatin1(hint));
    return action;
}

QHBoxLayout *ButtonRow(std::initializer_list<QAction *> actions)
{
    auto *row = new QHBoxLayout;
    for (QAction *action : actions) {
        auto *button = new QToolButton;
        button->setObjectName(QStringLiteral("btn") + action->objectName());
        button->setDefaultAction(action);
        row->addWidget(button);
    }
    row->addStretch(1);
    return row;
}

QLineEdit *MakeEdit(const char *name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

std::string Utf8(const QString &text)
{
    return text.toStdString();
}

} // namespace

TfmPlaces::TfmPlaces(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmPlaces"));
    setWindowTitle(QStringLiteral("Places/Classes"));
    setSizeGripEnabled(true);

    PlaceAdd = MakeAction(this, "PlaceAdd", "Add row", TGlyph::Add);
    PlaceDel = MakeAction(this, "PlaceDel", "Delete row", TGlyph::Delete);
    PlaceSave = MakeAction(this, "PlaceSave", "Save Changes", TGlyph::Save);
    ClassAdd = MakeAction(this, "ClassAdd", "Add row", TGlyph::Add);
    ClassDel = MakeAction(this, "ClassDel", "Delete row", TGlyph::Delete);
    ClassSave = MakeAction(this, "ClassSave", "Save Changes", TGlyph::Save);

    pcPlaces = new QTabWidget;
    pcPlaces->setObjectName(QStringLiteral("pcPlaces"));
    tsPlaces = MakePlacesPage();
    tsClasses = MakeClassesPage();
    pcPlaces->addTab(tsPlaces, QStringLiteral("Places"));
    pcPlaces->addTab(tsClasses, QStringLiteral("Classes"));

    QDialogButtonBox *buttons = OkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pcPlaces, 1);
    layout->addWidget(buttons);

    InitGrid(sgPlaces, {"Name", "Longitude", "Latitude", "Class"}, {200, 60, 60, 60});
    InitGrid(sgClasses, {"Visible", "ID", "Name", "Color"}, {50, 25, 200, 80});

    connect(sgPlaces, &QTableWidget::currentCellChanged, this, &TfmPlaces::sgPlacesClick);
    connect(sgClasses, &QTableWidget::currentCellChanged, this, &TfmPlaces::sgClassesClick);
    connect(PlaceAdd, &QAction::triggered, this, &TfmPlaces::PlaceAddExecute);
    connect(PlaceDel, &QAction::triggered, this, &TfmPlaces::PlaceDelExecute);
    connect(PlaceSave, &QAction::triggered, this, &TfmPlaces::PlaceSaveExecute);
    connect(ClassAdd, &QAction::triggered, this, &TfmPlaces::ClassAddExecute);
    connect(ClassDel, &QAction::triggered, this, &TfmPlaces::ClassDelExecute);
    connect(ClassSave, &QAction::triggered, this, &TfmPlaces::ClassSaveExecute);
    connect(ofClassColor, &TColorPanel::Clicked, this, &TfmPlaces::ofClassColorClick);

    pcPlaces->setCurrentWidget(tsClasses);
    resize(460, 420);
}

QWidget *TfmPlaces::MakePlacesPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsPlaces"));
    sgPlaces = new QTableWidget;
    sgPlaces->setObjectName(QStringLiteral("sgPlaces"));
    edPlaceName = MakeEdit("edPlaceName");
    edPlaceLon = MakeEdit("edPlaceLon");
    edPlaceLat = MakeEdit("edPlaceLat");
    cbPlaceClass = new QComboBox;
    cbPlaceClass->setObjectName(QStringLiteral("cbPlaceClass"));

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Name:"), edPlaceName);
    fields->addRow(QStringLiteral("Longitude:"), edPlaceLon);
    fields->addRow(QStringLiteral("Latitude:"), edPlaceLat);
    fields->addRow(QStringLiteral("Class:"), cbPlaceClass);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(sgPlaces, 1);
    layout->addLayout(ButtonRow({PlaceAdd, PlaceDel, PlaceSave}));
    layout->addLayout(fields);
    return page;
}

QWidget *TfmPlaces::MakeClassesPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsClasses"));
    sgClasses = new QTableWidget;
    sgClasses->setObjectName(QStringLiteral("sgClasses"));
    cbClassVisible = new QCheckBox(QStringLiteral("Visible"));
    cbClassVisible->setObjectName(QStringLiteral("cbClassVisible"));
    edClassID = MakeEdit("edClassID");
    edClassName = MakeEdit("edClassName");
    ofClassColor = new TColorPanel;
    ofClassColor->setObjectName(QStringLiteral("ofClassColor"));

    auto *fields = new QFormLayout;
    fields->addRow(cbClassVisible);
    fields->addRow(QStringLiteral("ID:"), edClassID);
    fields->addRow(QStringLiteral("Name:"), edClassName);
    fields->addRow(QStringLiteral("Color:"), ofClassColor);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(sgClasses, 1);
    layout->addLayout(ButtonRow({ClassAdd, ClassDel, ClassSave}));
    layout->addLayout(fields);
    return page;
}

void TfmPlaces::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    sgPlacesClick();
    sgClassesClick();
}

void TfmPlaces::RefreshClassChoices()
{
    cbPlaceClass->clear();
    for (int row = 0; row + 1 < sgClasses->rowCount(); ++row) {
        const TGridRow texts = GridRow(sgClasses, row);
        cbPlaceClass->addItem(texts[1] + QLatin1Char('=') + texts[2]);
    }
}

void TfmPlaces::sgPlacesClick()
{
    const int row = sgPlaces->currentRow();
    RefreshClassChoices();
    cbPlaceClass->setCurrentIndex(-1);
    if (row < 0 || IsGridRowEmpty(sgPlaces, row)) {
        edPlaceName->clear();
        edPlaceLon->clear();
        edPlaceLat->clear();
        return;
    }
    const TGridRow texts = GridRow(sgPlaces, row);
    edPlaceName->setText(texts[0]);
    edPlaceLon->setText(texts[1]);
    edPlaceLat->setText(texts[2]);
    for (int i = 0; i < cbPlaceClass->count(); ++i)
        if (cbPlaceClass->itemText(i).section(QLatin1Char('='), 0, 0).compare(texts[3], Qt::CaseInsensitive) == 0) {
            cbPlaceClass->setCurrentIndex(i);
            break;
        }
}

void TfmPlaces::sgClassesClick()
{
    const int row = sgClasses->currentRow();
    if (row < 0 || IsGridRowEmpty(sgClasses, row)) {
        edClassID->clear();
        edClassName->clear();
        cbClassVisible->setChecked(true);
        ofClassColor->SetColor(255);
        return;
    }
    const TGridRow texts = GridRow(sgClasses, row);
    edClassID->setText(texts[1]);
    edClassName->setText(texts[2]);
    // Rows made here always hold numbers in these cells; anything else shows
    // as hidden and red until the row is saved again.
    cbClassVisible->setChecked(StrToIntDef(Utf8(texts[0]), 0) == 1);
    ofClassColor->SetColor(static_cast<uint32_t>(StrToIntDef(Utf8(texts[3]), 255)));
}

TGridRow TfmPlaces::PlaceFields() const
{
    const QString classId =
        cbPlaceClass->currentIndex() < 0 ? QString() : cbPlaceClass->currentText().section(QLatin1Char('='), 0, 0);
    return {edPlaceName->text(), edPlaceLon->text(), edPlaceLat->text(), classId};
}

TGridRow TfmPlaces::ClassFields() const
{
    return {cbClassVisible->isChecked() ? QStringLiteral("1") : QStringLiteral("0"), edClassID->text(),
            edClassName->text(), QString::fromStdString(HexColorText(ofClassColor->Color()))};
}

void TfmPlaces::PlaceAddExecute()
{
    AddGridRow(sgPlaces, PlaceFields());
}

void TfmPlaces::PlaceSaveExecute()
{
    const int row = sgPlaces->currentRow();
    if (row < 0 || IsGridRowEmpty(sgPlaces, row))
        PlaceAddExecute();
    else
        SetGridRow(sgPlaces, row, PlaceFields());
}

void TfmPlaces::PlaceDelExecute()
{
    DeleteGridRow(sgPlaces, sgPlaces->currentRow());
}

void TfmPlaces::ClassAddExecute()
{
    AddGridRow(sgClasses, ClassFields());
}

void TfmPlaces::ClassSaveExecute()
{
    const int row = sgClasses->currentRow();
    if (row < 0 || IsGridRowEmpty(sgClasses, row))
        ClassAddExecute();
    else
        SetGridRow(sgClasses, row, ClassFields());
}

void TfmPlaces::ClassDelExecute()
{
    DeleteGridRow(sgClasses, sgClasses->currentRow());
}

void TfmPlaces::ofClassColorClick()
{
    ofClassColor->ChooseColor();
}

bool TfmPlaces::ReadGrids(QString &message)
{
    PlaceEntries.clear();
    ClassEntries.clear();
    QTableWidget *grid = nullptr;
    int row = 0;
    QString column;
    QString cell;
    const auto number = [&](int c, const char *title) {
        column = QString::fromLatin1(title);
        cell = GridRow(grid, row)[size_t(c)];
        return StrToFloatN(Utf8(cell)); // throws EConvertError
    };
    const auto integer = [&](int c, const char *title) {
        column = QString::fromLatin1(title);
        cell = GridRow(grid, row)[size_t(c)];
        const auto value = TryStrToInt(Utf8(cell));
        if (!value)
            throw EConvertError("not an integer");
        return *value;
    };
    try {
        grid = sgPlaces;
        for (row = 0; row + 1 < grid->rowCount(); ++row) {
            if (IsGridRowEmpty(grid, row))
                continue;
            const TGridRow texts = GridRow(grid, row);
            // The stored line ends its name at the first "=": such a name would be lost.
            if (texts[0].contains(QLatin1Char('='))) {
                message = QStringLiteral("Places, row %1, column \"Name\": a name cannot contain \"=\".").arg(row + 1);
                pcPlaces->setCurrentWidget(tsPlaces);
                grid->setCurrentCell(row, 0);
                return false;
            }
            const double lon = number(1, "Longitude");
            const double lat = number(2, "Latitude");
            const int16_t classId = ClassIdFromInt(StrToIntDef(Utf8(texts[3]), 0));
            PlaceEntries.push_back({MakeLatLon(lon, lat), Utf8(texts[0]), classId});
        }
        grid = sgClasses;
        for (row = 0; row + 1 < grid->rowCount(); ++row) {
            if (IsGridRowEmpty(grid, row))
                continue;
            const TGridRow texts = GridRow(grid, row);
            TClassEntry entry{};
            ColorComponents(static_cast<uint32_t>(integer(3, "Color")), entry.R, entry.G, entry.B);
            entry.Id = ClassIdFromInt(integer(1, "ID"));
            entry.Visible = integer(0, "Visible") == 1;
            entry.Name = Utf8(texts[2]);
            ClassEntries.push_back(entry);
        }
    } catch (const EConvertError &) {
        const bool places = grid == sgPlaces;
        message = QStringLiteral("%1, row %2, column \"%3\": '%4' is not a valid %5.")
                      .arg(places ? QStringLiteral("Places") : QStringLiteral("Classes"))
                      .arg(row + 1)
                      .arg(column, cell, places ? QStringLiteral("number") : QStringLiteral("integer"));
        pcPlaces->setCurrentWidget(places ? tsPlaces : tsClasses);
        grid->setCurrentCell(row, 0);
        return false;
    }
    return true;
}

void TfmPlaces::accept()
{
    QString message;
    if (!ReadGrids(message)) {
        QMessageBox::warning(this, windowTitle(), message);
        return;
    }
    QDialog::accept();
}

bool acPlacesExecute(TPlacemarks &placemarks, QWidget *parent)
{
    TfmPlaces editor(parent);
    for (const auto &place : placemarks.Places)
        AddGridRow(editor.sgPlaces, {QString::fromStdString(place->Name), QString::fromStdString(FloatToStrN(place->Lon)),
                                     QString::fromStdString(FloatToStrN(place->Lat)),
                                     QString::number(ClassIdText(place->ClassId))});
    for (const auto &placeClass : placemarks.PlaceClasses)
        AddGridRow(editor.sgClasses,
                   {placeClass->Visible ? QStringLiteral("1") : QStringLiteral("0"),
                    QString::number(ClassIdText(placeClass->Id)), QString::fromStdString(placeClass->Name),
                    QString::fromStdString(
                        HexColorText(ColorValueOf(placeClass->R, placeClass->G, placeClass->B)))});
    if (editor.exec() != QDialog::Accepted)
        return false;
    // Every cell has been read before anything changes, so a bad cell leaves
    // the lists whole.
    placemarks.ClearPlaces();
    for (const auto &place : editor.PlaceEntries)
        placemarks.AddPlace(place.Where, place.Name, place.ClassId);
    placemarks.ClearPlaceClasses();
    for (const auto &entry : editor.ClassEntries) {
        placemarks.AddPlaceClass(entry.Id, entry.Name, entry.R, entry.G, entry.B);
        placemarks.SetClassVisible(entry.Id, entry.Visible);
    }
    return true;
}
