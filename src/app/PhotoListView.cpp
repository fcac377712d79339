#include "app/PhotoListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <algorithm>

#include "app/DialogBuilder.h"
#include "app/ThumbnailDelegate.h"

namespace geotal::app {

PhotoListView::PhotoListView(QTableView* table, PhotoListModel* model)
    : QObject(table),
      table_(table),
      model_(model),
      sorted_(new PhotoFilterProxy(this, *model)),
      thumbnails_(new ThumbnailDelegate(table, model)) {
    sorted_->setSortRole(PhotoListModel::kSortRole);
    sorted_->setSortCaseSensitivity(Qt::CaseInsensitive);
    table_->setModel(sorted_);
    table_->setItemDelegateForColumn(PhotoListModel::kName, thumbnails_);
    // Tab leaves the list for the next control; the arrows move within it.
    table_->setTabKeyNavigation(false);
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit recordClicked(sorted_->mapToSource(index).row());
        }
    });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit recordDoubleClicked(sorted_->mapToSource(index).row());
        }
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectionChanged(); });
    // Rows are dragged onto the map to place their photos there.
    table_->setDragEnabled(true);
    table_->setDragDropMode(QAbstractItemView::DragOnly);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    emit currentRecordChanged(sorted_->mapToSource(current).row());
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
    nameWidth_ = table_->columnWidth(PhotoListModel::kName);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    textHeight_ = table_->fontMetrics().height() + 4;
    table_->verticalHeader()->setDefaultSectionSize(thumbnails_->RowHeight(textHeight_));
    // Rows start in record order (by name); a click on a header sorts by that column.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->setSortingEnabled(true);
}

void PhotoListView::WidenNames(int extra) {
    table_->setColumnWidth(PhotoListModel::kName, nameWidth_ + std::max(0, extra));
}

void PhotoListView::Replace(PhotoList photos) {
    Replace([this, &photos] { model_->Photos() = std::move(photos); });
}

void PhotoListView::ShowThumbnails(bool shown) {
    thumbnails_->SetShown(shown);
    if (textHeight_ > 0) {
        table_->verticalHeader()->setDefaultSectionSize(thumbnails_->RowHeight(textHeight_));
    }
}

bool PhotoListView::ThumbnailsShown() const {
    return thumbnails_->Shown();
}

void PhotoListView::SetLocked(bool locked) {
    table_->setEnabled(!locked);
}

void PhotoListView::Replace(const std::function<void()>& change) {
    const int topRow = model_->rowCount() >= 2 ? std::max(0, table_->rowAt(0)) : 0;
    model_->Replace(change);
    if (topRow > 0 && model_->rowCount() > 0) {
        table_->doItemsLayout();  // the scroll range must know the new rows first
        table_->scrollTo(sorted_->index(std::min(topRow, model_->rowCount() - 1), 0),
                         QAbstractItemView::PositionAtTop);
    }
}

std::vector<int> PhotoListView::SelectedRecords() const {
    std::vector<int> records;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        records.push_back(sorted_->mapToSource(index).row());
    }
    std::sort(records.begin(), records.end());
    return records;
}

int PhotoListView::CurrentRecord() const {
    const QModelIndex current = table_->selectionModel()->currentIndex();
    return current.isValid() ? sorted_->mapToSource(current).row() : -1;
}

int PhotoListView::RecordOfRow(int row) const {
    const QModelIndex index = sorted_->mapToSource(sorted_->index(row, 0));
    return index.isValid() ? index.row() : -1;
}

int PhotoListView::RecordAt(const QPoint& globalPosition) const {
    const QPoint local = table_->viewport()->mapFromGlobal(globalPosition);
    if (!table_->viewport()->rect().contains(local)) {
        return -1;
    }
    const QModelIndex index = table_->indexAt(local);
    return index.isValid() ? sorted_->mapToSource(index).row() : -1;
}

void PhotoListView::SelectRecords(const std::vector<int>& records) {
    QItemSelection selection;
    for (int record : records) {
        if (record >= 0 && record < model_->rowCount()) {
            const QModelIndex row = sorted_->mapFromSource(model_->index(record, 0));
            if (!row.isValid()) {
                continue;  // hidden by the filter
            }
            selection.select(row, row.siblingAtColumn(PhotoListModel::kColumnCount - 1));
        }
    }
    table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!selection.isEmpty()) {
        table_->scrollTo(selection.indexes().front());
    }
}

void PhotoListView::CheckAll(bool checked) {
    // The rows shown: a photo the filter hides was not in view to be chosen, and checking it
    // would have Update write a position its user may have left unchecked on purpose.
    std::vector<int> shown;
    shown.reserve(static_cast<std::size_t>(sorted_->rowCount()));
    for (int row = 0; row < sorted_->rowCount(); ++row) {
        shown.push_back(RecordOfRow(row));
    }
    if (static_cast<int>(shown.size()) == model_->rowCount()) {
        model_->SetAllMarks(checked);
    } else {
        model_->SetMarks(shown, checked);
    }
}

void PhotoListView::CheckSelected(bool checked) {
    model_->SetMarks(SelectedRecords(), checked);
}

}  // namespace geotal::app
