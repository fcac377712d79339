// The list's rows in the order a clicked header asks for, with only the photos the filter
// shows; a row still maps to its record through this model.
#pragma once

#include <QSortFilterProxyModel>

#include "app/PhotoListModel.h"
#include "photo/PhotoFilter.h"

namespace geotal::app {

class PhotoFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    PhotoFilterProxy(QObject* parent, PhotoListModel& model);

    PhotoFilter Filter() const { return filter_; }
    void SetFilter(PhotoFilter filter);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    PhotoListModel& model_;
    PhotoFilter filter_ = PhotoFilter::All;
};

}  // namespace geotal::app
