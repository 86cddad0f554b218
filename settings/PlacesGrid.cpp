#include "PlacesGrid.h"

#include <QHeaderView>
#include <QTableWidget>

void InitGrid(QTableWidget *grid, const QStringList &titles, const std::array<int, 4> &widths)
{
    grid->clear();
    grid->setColumnCount(4);
    grid->setRowCount(1);
    grid->setHorizontalHeaderLabels(titles);
    for (int c = 0; c < 4; ++c)
        grid->setColumnWidth(c, widths[size_t(c)]);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    const int rowHeight = grid->fontMetrics().height() + 5;
    grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->horizontalHeader()->setStretchLastSection(true);
}

void SetGridRow(QTableWidget *grid, int row, const TGridRow &texts)
{
    for (int c = 0; c < 4; ++c)
        grid->setItem(row, c, new QTableWidgetItem(texts[size_t(c)]));
}

void AddGridRow(QTableWidget *grid, const TGridRow &texts)
{
    const int last = grid->rowCount() - 1;
    SetGridRow(grid, last, texts);
    grid->insertRow(last + 1);
    grid->setCurrentCell(last, 0);
}

TGridRow GridRow(const QTableWidget *grid, int row)
{
    TGridRow texts;
    for (int c = 0; c < 4; ++c)
        if (const QTableWidgetItem *item = grid->item(row, c))
            texts[size_t(c)] = item->text();
    return texts;
}

bool IsGridRowEmpty(const QTableWidget *grid, int row)
{
    for (const QString &text : GridRow(grid, row))
        if (!text.isEmpty())
            return false;
    return true;
}

QString GridCell(const QTableWidget *grid, int column)
{
    return GridRow(grid, grid->currentRow())[size_t(column)];
}

void DeleteGridRow(QTableWidget *grid, int row)
{
    if (row < 0 || row >= grid->rowCount())
        return;
    grid->setCurrentCell(row, 0);
    if (row == grid->rowCount() - 1)
        return;
    grid->removeRow(row);
    grid->setCurrentCell(row, 0);
}
