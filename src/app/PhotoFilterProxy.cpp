#include "app/PhotoFilterProxy.h"

namespace geotal::app {

PhotoFilterProxy::PhotoFilterProxy(QObject* parent, PhotoListModel& model)
    : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(&model_);
    // A row that leaves the filter's set (placed, written) leaves the list at once.
    setDynamicSortFilter(true);
}

void PhotoFilterProxy::SetFilter(PhotoFilter filter) {
    if (filter != filter_) {
        filter_ = filter;
        invalidateRowsFilter();
    }
}

bool PhotoFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const PhotoList& photos = model_.Photos();
    return sourceRow < 0 || sourceRow >= photos.Count() || IsShown(filter_, photos[sourceRow]);
}

}  // namespace geotal::app
