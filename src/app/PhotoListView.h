// The photo list: a table view over the photo records, a check box per row.
#pragma once

#include <QObject>
#include <QPoint>

#include <functional>
#include <vector>

#include "app/PhotoFilterProxy.h"
#include "app/PhotoListModel.h"

class QTableView;

namespace geotal::app {

class ThumbnailDelegate;

class PhotoListView : public QObject {
    Q_OBJECT

public:
    // Shows model in table; both stay owned by their parents.
    PhotoListView(QTableView* table, PhotoListModel* model);

    // The four columns' widths, from the dialog font.
    void SetUpColumns();
    // Gives the names the room the list has grown by.
    void WidenNames(int extra);

    PhotoListModel& Model() const { return *model_; }
    // Takes a new folder's records, keeping the top visible row where it was.
    void Replace(PhotoList photos);
    void Replace(const std::function<void()>& change);
    // A thumbnail of each photo before its name, rows tall enough for it; or rows of text.
    void ShowThumbnails(bool shown);
    bool ThumbnailsShown() const;
    ThumbnailDelegate& Thumbnails() const { return *thumbnails_; }
    // While locked, the rows take no clicks: a worker thread reads the records.
    void SetLocked(bool locked);

    // The records of the selected rows, in record order.
    std::vector<int> SelectedRecords() const;
    // The record of the current row (moved by a click or the keyboard); -1 for none.
    int CurrentRecord() const;
    // The record a row of the table shows, whichever way the table is sorted; -1 for none.
    int RecordOfRow(int row) const;
    // The record of the row under a point of the screen; -1 off the rows.
    int RecordAt(const QPoint& globalPosition) const;

    // Selects the rows of these records (the map's choice) and shows the first.
    void SelectRecords(const std::vector<int>& records);

    // Shows only the photos the filter keeps; the selection keeps the rows still shown.
    void SetFilter(PhotoFilter filter) { sorted_->SetFilter(filter); }
    PhotoFilter Filter() const { return sorted_->Filter(); }
    // How many rows the list shows.
    int RowCount() const { return sorted_->rowCount(); }

    // Every row the filter shows.
    void CheckAll(bool checked);
    void CheckSelected(bool checked);

signals:
    // A mouse click on a row (not on the empty space below the rows), with its record.
    void recordClicked(int index);
    // The current row moved to another record, by a click or the keyboard.
    void currentRecordChanged(int index);
    // The selected rows changed, by any means.
    void selectionChanged();
    void recordDoubleClicked(int index);

private:
    QTableView* table_;
    PhotoListModel* model_;
    // Sorts the rows by a clicked header and hides those the filter leaves out, without
    // changing which record a row shows.
    PhotoFilterProxy* sorted_;
    ThumbnailDelegate* thumbnails_;
    int nameWidth_ = 0;   // the names' column at the layout's size
    int textHeight_ = 0;  // a row of text alone
};

}  // namespace geotal::app
