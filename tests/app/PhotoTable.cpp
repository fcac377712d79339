#include "app/PhotoTable.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>

#include "app/MainWindow.h"
#include "res/ControlIds.h"

namespace geotal::test {

QTableView* PhotoTable(const MainWindow& window) {
    return qobject_cast<QTableView*>(window.Control(res::main_window::kPhotoList));
}

int RowCount(const MainWindow& window) {
    return PhotoTable(window)->model()->rowCount();
}

QString CellText(const MainWindow& window, int row, int column) {
    return PhotoTable(window)->model()->index(row, column).data().toString();
}

QString CellToolTip(const MainWindow& window, int row, int column) {
    return PhotoTable(window)->model()->index(row, column).data(Qt::ToolTipRole).toString();
}

bool RowChecked(const MainWindow& window, int row) {
    return PhotoTable(window)->model()->index(row, 0).data(Qt::CheckStateRole).toInt() ==
           Qt::Checked;
}

void ClickRow(const MainWindow& window, int row) {
    QTableView* table = PhotoTable(window);
    table->scrollTo(table->model()->index(row, 1));
    const QRect rect = table->visualRect(table->model()->index(row, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
}

void ClickCheckBox(const MainWindow& window, int row) {
    QTableView* table = PhotoTable(window);
    table->scrollTo(table->model()->index(row, 0));
    const QRect rect = table->visualRect(table->model()->index(row, 0));
    // The box stands at the left of the cell, as wide as a line of text is high; a row with a
    // thumbnail is higher than that.
    const int box = table->fontMetrics().height() + 4;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() + box / 2 + 2, rect.center().y()));
}

void SelectRows(const MainWindow& window, std::initializer_list<int> rows) {
    QTableView* table = PhotoTable(window);
    table->clearSelection();
    for (int row : rows) {
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

}  // namespace geotal::test
