// The photo records as the list shows them: a row is its record, so a row's check box is its
// record's mark and a row always names its own photo. The records are the session's, or the
// model's own where there is no session.
#pragma once

#include <QAbstractTableModel>

#include <functional>

#include "output/Formatting.h"
#include "photo/PhotoList.h"

namespace geotal::app {

class PhotoListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kName = 0, kTime, kLatitude, kLongitude, kColumnCount };
    // What a column sorts by: the name's text, the time's and the coordinates' numbers.
    static constexpr int kSortRole = Qt::UserRole;

    // shown: the records to show, owned elsewhere and outliving the model; null for its own.
    explicit PhotoListModel(QObject* parent = nullptr, PhotoList* shown = nullptr);

    const PhotoList& Photos() const { return *photos_; }
    // Changing records through this reference must be followed by RecordChanged or
    // RecordsChanged, so the view shows them.
    PhotoList& Photos() { return *photos_; }

    // Takes a new folder's records in one step; the rows of the old ones are gone with them.
    void Replace(PhotoList photos);
    // The same where change puts the new records in place.
    void Replace(const std::function<void()>& change);
    void RecordChanged(int index);
    void RecordsChanged();
    void SetCoordinateFormat(CoordinateFormat format);
    void SetAllMarks(bool marked);
    void SetMarks(const std::vector<int>& indices, bool marked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows dragged out (to the map) carry their records.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

private:
    PhotoList own_;
    PhotoList* photos_;
    CoordinateFormat format_ = CoordinateFormat::DecimalDegrees;
};

}  // namespace geotal::app
