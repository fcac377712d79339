// The photo list of a window as a person sees and uses it: texts, check boxes, clicks.
#pragma once

#include <QString>

#include <initializer_list>

class QTableView;

namespace geotal::app {
class MainWindow;
}

namespace geotal::test {

using app::MainWindow;

QTableView* PhotoTable(const MainWindow& window);
int RowCount(const MainWindow& window);
QString CellText(const MainWindow& window, int row, int column);
QString CellToolTip(const MainWindow& window, int row, int column);
bool RowChecked(const MainWindow& window, int row);
// A mouse click on the row's date cell, as a user picks a photo.
void ClickRow(const MainWindow& window, int row);
// A click on the row's check box.
void ClickCheckBox(const MainWindow& window, int row);
// Selects exactly these rows, as Ctrl+click would.
void SelectRows(const MainWindow& window, std::initializer_list<int> rows);

}  // namespace geotal::test
