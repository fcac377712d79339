// The photo list: one row per photo record, a check box per row, row n showing record n.
#pragma once

#include <QObject>

#include "output/Formatting.h"
#include "photo/PhotoList.h"

class QTableWidget;

namespace geotal::app {

class PhotoListView : public QObject {
    Q_OBJECT

public:
    explicit PhotoListView(QTableWidget* table);

    // The four columns with their headers and widths.
    void SetUpColumns();

    // Rebuilds every row from the records, keeping the top visible row where it was.
    void FillPhotoList(PhotoList& photos, CoordinateFormat format);
    // Copies each row's check box into its record's marked flag.
    void ReadMarksFromList(PhotoList& photos) const;

    int RowCount() const;
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    // What hovering over the row's name shows.
    void SetRowToolTip(int row, const QString& text);

    void CheckAll(bool checked);
    void CheckSelected(bool checked);
    QList<int> SelectedRows() const;

    QTableWidget* Table() const { return table_; }

signals:
    // A mouse click on a row (not on the empty space below the rows); row n shows record n.
    void rowClicked(int row);

private:
    QTableWidget* table_;
};

}  // namespace geotal::app
