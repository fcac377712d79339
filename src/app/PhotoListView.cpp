#include "app/PhotoListView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

#include "app/DialogBuilder.h"
#include "output/Formatting.h"

namespace geotal::app {
namespace {

QTableWidgetItem* NewItem(const std::string& text) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

PhotoListView::PhotoListView(QTableWidget* table) : QObject(table), table_(table) {
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 0) {
            emit rowClicked(row);
        }
    });
}

void PhotoListView::SetUpColumns() {
    table_->setColumnCount(4);
    table_->setHorizontalHeaderLabels({QStringLiteral("Photo File"), QStringLiteral("Date/time"),
                                       QStringLiteral("Latitude"), QStringLiteral("Longitude")});
    const int widths[] = {290, 120, 100, 100};
    const DialogUnits units(table_->font());
    for (int column = 0; column < 4; ++column) {
        table_->horizontalHeaderItem(column)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // Widths grow with the font, so a date and a coordinate stay readable.
        table_->setColumnWidth(column, units.Pixels(widths[column]));
    }
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
}

void PhotoListView::FillPhotoList(PhotoList& photos, CoordinateFormat coordinateFormat) {
    const int topRow = table_->rowCount() >= 2 ? std::max(0, table_->rowAt(0)) : 0;

    table_->setUpdatesEnabled(false);
    table_->setRowCount(0);
    table_->setRowCount(photos.Count());
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& record = photos[i];
        // Rows go in record order and the records are kept in name order, so the list reads
        // sorted by name and row i always shows record i.
        record.listItem = i;
        auto* name = NewItem(record.fileName);
        name->setFlags(name->flags() | Qt::ItemIsUserCheckable);
        name->setCheckState(record.marked ? Qt::Checked : Qt::Unchecked);
        const bool hasPosition = record.HasPosition();
        table_->setItem(i, 0, name);
        table_->setItem(i, 1, NewItem(FormatPhotoTime(record.captureTime)));
        if (hasPosition) {
            table_->setItem(i, 2, NewItem(FormatCoordinate(record.latitude, coordinateFormat)));
            table_->setItem(i, 3, NewItem(FormatCoordinate(record.longitude, coordinateFormat)));
        }
    }
    table_->setUpdatesEnabled(true);
    if (topRow > 0 && table_->rowCount() > 0) {
        table_->doItemsLayout();  // the scroll range must know the new rows first
        table_->scrollToItem(table_->item(std::min(topRow, table_->rowCount() - 1), 0),
                             QAbstractItemView::PositionAtTop);
    }
}

void PhotoListView::ReadMarksFromList(PhotoList& photos) const {
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& record = photos[i];
        if (record.listItem >= 0) {
            record.marked = IsChecked(record.listItem);
        }
    }
}

int PhotoListView::RowCount() const {
    return table_->rowCount();
}

bool PhotoListView::IsChecked(int row) const {
    const QTableWidgetItem* item = table_->item(row, 0);
    return item != nullptr && item->checkState() == Qt::Checked;
}

void PhotoListView::SetChecked(int row, bool checked) {
    if (QTableWidgetItem* item = table_->item(row, 0)) {
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void PhotoListView::SetRowToolTip(int row, const QString& text) {
    if (QTableWidgetItem* item = table_->item(row, 0)) {
        item->setToolTip(text);
    }
}

void PhotoListView::CheckAll(bool checked) {
    for (int row = 0; row < table_->rowCount(); ++row) {
        SetChecked(row, checked);
    }
}

QList<int> PhotoListView::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PhotoListView::CheckSelected(bool checked) {
    for (int row : SelectedRows()) {
        SetChecked(row, checked);
    }
}

}  // namespace geotal::app
