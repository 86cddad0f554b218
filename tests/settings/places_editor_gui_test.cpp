#include "ColorPanel.h"
#include "ModalDialogs.h"
#include "PlacemarkText.h"
#include "PlacesEditor.h"
#include "PlacesGrid.h"
#include "TestFiles.h"
#include "TilePos.h"
#include "Placemarks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void Click(TfmPlaces *editor, const char *button)
{
    auto *b = editor->findChild<QToolButton *>(QString::fromLatin1(button));
    ASSERT_TRUE(b) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

void ClickRow(QTableWidget *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void ClickOk(QDialog *d)
{
    QTest::mouseClick(d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

std::vector<std::string> Column(const QTableWidget *grid, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts.push_back(GridRow(grid, row)[size_t(column)].toStdString());
    return texts;
}

// Placemarks with two places and two classes, the second one hidden.
struct SampleView : TPlacemarks {
    SampleView()
    {
        AddPlaceClass(1, "Peaks", 1, 0, 0);
        AddPlaceClass(-1, "Huts, alpine", 0, 128 / 255.0f, 1);
        SetClassVisible(-1, false);
        AddPlace(TLatLon{45.976, 7.658}, "Matterhorn", 1);
        AddPlace(TLatLon{46.5, 8.25}, "Hut", -1);
    }
};

std::vector<std::string> Lines(const TPlacemarks &view)
{
    TPlacemarkLines lines;
    PlacemarksToText(view, lines);
    std::vector<std::string> all = lines.PlaceLines;
    all.insert(all.end(), lines.ClassLines.begin(), lines.ClassLines.end());
    for (const auto &c : view.PlaceClasses)
        all.push_back(c->Visible ? "visible" : "hidden");
    return all;
}

} // namespace

TEST(PlacesEditor, StartsWithEmptyGridsOnTheClassesPage)
{
    TfmPlaces editor;
    EXPECT_EQ(editor.windowTitle(), "Places/Classes");
    EXPECT_EQ(editor.pcPlaces->currentWidget(), editor.tsClasses);
    for (QTableWidget *grid : {editor.sgPlaces, editor.sgClasses}) {
        EXPECT_EQ(grid->rowCount(), 1);
        EXPECT_EQ(grid->columnCount(), 4);
        EXPECT_TRUE(IsGridRowEmpty(grid, 0));
    }
    EXPECT_EQ(editor.sgPlaces->horizontalHeaderItem(1)->text(), "Longitude");
    EXPECT_EQ(editor.sgClasses->horizontalHeaderItem(3)->text(), "Color");
    EXPECT_EQ(editor.sgClasses->columnWidth(0), 50);
    editor.show();
    // An empty class row offers a visible, pure red class.
    EXPECT_TRUE(editor.cbClassVisible->isChecked());
    EXPECT_EQ(editor.ofClassColor->Color(), 255u);
}

TEST(PlacesEditor, ShowsTheViewsListsAndOkGivesThemBackUnchanged)
{
    SampleView view;
    const auto before = Lines(view);
    bool checked = false;
    WhenModal<TfmPlaces>([&](TfmPlaces *e) {
        EXPECT_EQ(Column(e->sgPlaces, 0), (std::vector<std::string>{"Matterhorn", "Hut", ""}));
        EXPECT_EQ(Column(e->sgPlaces, 1), (std::vector<std::string>{"7.658", "8.25", ""}));
        EXPECT_EQ(Column(e->sgPlaces, 3), (std::vector<std::string>{"1", "65535", ""}));
        EXPECT_EQ(Column(e->sgClasses, 0), (std::vector<std::string>{"1", "0", ""}));
        EXPECT_EQ(Column(e->sgClasses, 1), (std::vector<std::string>{"1", "65535", ""}));
        EXPECT_EQ(Column(e->sgClasses, 3), (std::vector<std::string>{"$000000FF", "$00FF8000", ""}));
        // The last added rows are selected and shown in the edit panels.
        EXPECT_EQ(e->edPlaceName->text(), "Hut");
        EXPECT_EQ(e->cbPlaceClass->currentText(), "65535=Huts, alpine");
        EXPECT_EQ(e->edClassName->text(), "Huts, alpine");
        EXPECT_FALSE(e->cbClassVisible->isChecked());
        EXPECT_EQ(e->ofClassColor->Color(), 0x00FF8000u);
        KeepScreenshot(e->grab().toImage(), "settings_places_classes");
        e->pcPlaces->setCurrentWidget(e->tsPlaces);
        KeepScreenshot(e->grab().toImage(), "settings_places_places");
        checked = true;
        ClickOk(e);
    });
    EXPECT_TRUE(acPlacesExecute(view));
    EXPECT_TRUE(checked);
    EXPECT_EQ(Lines(view), before);
}

TEST(PlacesEditor, AddsSavesAndDeletesRowsThroughItsButtons)
{
    SampleView view;
    WhenModal<TfmPlaces>([&](TfmPlaces *e) {
        // A new class on the empty row; its id keeps the low 16 bits on OK.
        ClickRow(e->sgClasses, 2);
        QTest::keyClicks(e->edClassID, "70000");
        QTest::keyClicks(e->edClassName, "Lakes, big");
        Click(e, "btnClassAdd");
        EXPECT_EQ(e->sgClasses->rowCount(), 4);
        EXPECT_EQ(GridRow(e->sgClasses, 2)[3], "$000000FF");

        ClickRow(e->sgPlaces, 2);
        EXPECT_EQ(e->cbPlaceClass->count(), 3);
        EXPECT_EQ(e->cbPlaceClass->currentIndex(), -1);
        QTest::keyClicks(e->edPlaceName, "Lac Leman");
        QTest::keyClicks(e->edPlaceLon, "6.5");
        QTest::keyClicks(e->edPlaceLat, "46,45");
        e->cbPlaceClass->setCurrentIndex(2);
        Click(e, "btnPlaceSave"); // on the empty row: adds
        EXPECT_EQ(e->sgPlaces->rowCount(), 4);

        // Change the first placemark's name.
        ClickRow(e->sgPlaces, 0);
        EXPECT_EQ(e->edPlaceName->text(), "Matterhorn");
        EXPECT_EQ(e->cbPlaceClass->currentText(), "1=Peaks");
        e->edPlaceName->setText("Cervino");
        Click(e, "btnPlaceSave");
        EXPECT_EQ(e->sgPlaces->rowCount(), 4);

        // Delete the hut, then try the empty last row: nothing happens.
        ClickRow(e->sgPlaces, 1);
        Click(e, "btnPlaceDel");
        EXPECT_EQ(Column(e->sgPlaces, 0), (std::vector<std::string>{"Cervino", "Lac Leman", ""}));
        ClickRow(e->sgPlaces, 2);
        Click(e, "btnPlaceDel");
        EXPECT_EQ(e->sgPlaces->rowCount(), 3);
        ClickOk(e);
    });
    ASSERT_TRUE(acPlacesExecute(view));
    ASSERT_EQ(view.Places.size(), 2u);
    EXPECT_EQ(view.Places[0]->Name, "Cervino");
    EXPECT_EQ(view.Places[0]->Lat, 45.976);
    EXPECT_EQ(view.Places[1]->Name, "Lac Leman");
    EXPECT_EQ(view.Places[1]->Lat, 46.45);
    EXPECT_EQ(ClassIdText(view.Places[1]->ClassId), 4464);
    ASSERT_EQ(view.PlaceClasses.size(), 3u);
    EXPECT_EQ(ClassIdText(view.PlaceClasses[2]->Id), 4464);
    EXPECT_EQ(view.PlaceClasses[2]->Name, "Lakes, big");
    EXPECT_EQ(view.PlaceClasses[2]->R, 1.0f);
    EXPECT_TRUE(view.PlaceClasses[2]->Visible);
    EXPECT_FALSE(view.PlaceClasses[1]->Visible);
}

TEST(PlacesEditor, ABadCellKeepsTheEditorOpenAndTheViewWhole)
{
    struct Case {
        bool places;
        int column;
        const char *text;
        const char *named;
    };
    for (const Case c : {Case{true, 1, "east", "Places, row 2, column \"Longitude\""},
                         Case{true, 2, "", "Places, row 2, column \"Latitude\""},
                         Case{true, 0, "Piz=Bernina", "Places, row 2, column \"Name\""},
                         Case{false, 1, "x1", "Classes, row 2, column \"ID\""},
                         Case{false, 3, "red", "Classes, row 2, column \"Color\""},
                         Case{false, 0, "yes", "Classes, row 2, column \"Visible\""}}) {
        SampleView view;
        const auto before = Lines(view);
        std::string message;
        bool stayedOpen = false;
        WhenModal<TfmPlaces>([&](TfmPlaces *e) {
            QTableWidget *grid = c.places ? e->sgPlaces : e->sgClasses;
            TGridRow row = GridRow(grid, 1);
            row[size_t(c.column)] = c.text;
            SetGridRow(grid, 1, row);
            WhenModal<QMessageBox>([&](QMessageBox *box) {
                message = box->text().toStdString();
                box->accept();
            });
            ClickOk(e);
            stayedOpen = e->isVisible() && grid->currentRow() == 1;
            QTest::keyClick(e, Qt::Key_Escape);
        });
        EXPECT_FALSE(acPlacesExecute(view));
        EXPECT_TRUE(stayedOpen) << c.named;
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        EXPECT_EQ(Lines(view), before) << c.named;
    }
}

TEST(PlacesEditor, CancelChangesNothing)
{
    SampleView view;
    const auto before = Lines(view);
    WhenModal<TfmPlaces>([](TfmPlaces *e) {
        Click(e, "btnClassDel");
        ClickRow(e->sgPlaces, 0);
        Click(e, "btnPlaceDel");
        QTest::mouseClick(e->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(acPlacesExecute(view));
    EXPECT_EQ(Lines(view), before);
}

TEST(PlacesEditor, EmptyGridsClearTheView)
{
    SampleView view;
    WhenModal<TfmPlaces>([](TfmPlaces *e) {
        for (QTableWidget *grid : {e->sgPlaces, e->sgClasses})
            while (grid->rowCount() > 1)
                DeleteGridRow(grid, 0);
        ClickOk(e);
    });
    EXPECT_TRUE(acPlacesExecute(view));
    EXPECT_TRUE(view.Places.empty());
    EXPECT_TRUE(view.PlaceClasses.empty());
}
