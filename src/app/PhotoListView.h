// The photo list: a table view over the photo records, a check box per row.
#pragma once

#include <QObject>

#include <vector>

#include "app/PhotoListModel.h"

class QTableView;

namespace geotal::app {

class PhotoListView : public QObject {
    Q_OBJECT

public:
    // Shows model in table; both stay owned by their parents.
    PhotoListView(QTableView* table, PhotoListModel* model);

    // The four columns' widths, from the dialog font.
    void SetUpColumns();

    PhotoListModel& Model() const { return *model_; }
    // Takes a new folder's records, keeping the top visible row where it was.
    void Replace(PhotoList photos);

    // The records of the selected rows, in list order.
    std::vector<int> SelectedRecords() const;
    // The record of the current row (moved by a click or the keyboard); -1 for none.
    int CurrentRecord() const;

    void CheckAll(bool checked);
    void CheckSelected(bool checked);

signals:
    // A mouse click on a row (not on the empty space below the rows), with its record.
    void recordClicked(int index);

private:
    QTableView* table_;
    PhotoListModel* model_;
};

}  // namespace geotal::app
