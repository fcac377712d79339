#include "app/PhotoListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

#include "app/DialogBuilder.h"

namespace geotal::app {

PhotoListView::PhotoListView(QTableView* table, PhotoListModel* model)
    : QObject(table), table_(table), model_(model) {
    table_->setModel(model_);
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit recordClicked(index.row());
        }
    });
}

void PhotoListView::SetUpColumns() {
    const int widths[] = {290, 120, 100, 100};
    const DialogUnits units(table_->font());
    for (int column = 0; column < PhotoListModel::kColumnCount; ++column) {
        // Widths grow with the font, so a date and a coordinate stay readable.
        table_->setColumnWidth(column, units.Pixels(widths[column]));
    }
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
}

void PhotoListView::Replace(PhotoList photos) {
    const int topRow = model_->rowCount() >= 2 ? std::max(0, table_->rowAt(0)) : 0;
    model_->Replace(std::move(photos));
    if (topRow > 0 && model_->rowCount() > 0) {
        table_->doItemsLayout();  // the scroll range must know the new rows first
        table_->scrollTo(model_->index(std::min(topRow, model_->rowCount() - 1), 0),
                         QAbstractItemView::PositionAtTop);
    }
}

std::vector<int> PhotoListView::SelectedRecords() const {
    std::vector<int> records;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        records.push_back(index.row());
    }
    std::sort(records.begin(), records.end());
    return records;
}

int PhotoListView::CurrentRecord() const {
    const QModelIndex current = table_->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PhotoListView::CheckAll(bool checked) {
    model_->SetAllMarks(checked);
}

void PhotoListView::CheckSelected(bool checked) {
    model_->SetMarks(SelectedRecords(), checked);
}

}  // namespace geotal::app
