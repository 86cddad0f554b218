// The editor's four-column grids: a title header, data rows, and always one
// empty row at the bottom for the next entry. Rows are selected whole and
// never edited in place.
#pragma once

#include <QStringList>

#include <array>

class QTableWidget;

using TGridRow = std::array<QString, 4>;

void InitGrid(QTableWidget *grid, const QStringList &titles, const std::array<int, 4> &widths);
// Fills the empty last row, selects it and appends a new empty row.
void AddGridRow(QTableWidget *grid, const TGridRow &texts);
void SetGridRow(QTableWidget *grid, int row, const TGridRow &texts);
TGridRow GridRow(const QTableWidget *grid, int row);
bool IsGridRowEmpty(const QTableWidget *grid, int row);
// Text of `column` in the selected row.
QString GridCell(const QTableWidget *grid, int column);
// Selects the row and removes it; the empty last row stays.
void DeleteGridRow(QTableWidget *grid, int row);
