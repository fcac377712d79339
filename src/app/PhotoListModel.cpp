#include "app/PhotoListModel.h"

#include <QMimeData>

#include <set>

#include "app/QtText.h"
#include "app/RecordsMime.h"
#include "geotag/PhotoUtcTime.h"
#include "photo/PhotoMetadata.h"

namespace geotal::app {
namespace {

// Why the photo has its position, then which moment it was placed at and why.
QVariant ToolTip(const PhotoRecord& photo) {
    std::string text = photo.note;
    for (const std::string& line :
         {DescribeTimeTag(photo.timeTag), DescribePhotoTime(photo.time, photo.captureTime)}) {
        if (!line.empty()) {
            text += (text.empty() ? "" : "\n") + line;
        }
    }
    return text.empty() ? QVariant() : QVariant(Q(text));
}

}  // namespace

PhotoListModel::PhotoListModel(QObject* parent, PhotoList* shown)
    : QAbstractTableModel(parent), photos_(shown != nullptr ? shown : &own_) {}

void PhotoListModel::Replace(PhotoList photos) {
    Replace([this, &photos] { *photos_ = std::move(photos); });
}

void PhotoListModel::Replace(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
}

void PhotoListModel::RecordChanged(int index) {
    if (index >= 0 && index < photos_->Count()) {
        emit dataChanged(this->index(index, 0), this->index(index, kColumnCount - 1));
    }
}

void PhotoListModel::RecordsChanged() {
    if (photos_->Count() > 0) {
        emit dataChanged(index(0, 0), index(photos_->Count() - 1, kColumnCount - 1));
    }
}

void PhotoListModel::SetCoordinateFormat(CoordinateFormat format) {
    if (format != format_) {
        format_ = format;
        RecordsChanged();
    }
}

void PhotoListModel::SetAllMarks(bool marked) {
    for (PhotoRecord& photo : photos_->records) {
        photo.marked = marked;
    }
    RecordsChanged();
}

void PhotoListModel::SetMarks(const std::vector<int>& indices, bool marked) {
    for (int i : indices) {
        (*photos_)[i].marked = marked;
        RecordChanged(i);
    }
}

int PhotoListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : photos_->Count();
}

int PhotoListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant PhotoListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= photos_->Count()) {
        return {};
    }
    const PhotoRecord& photo = (*photos_)[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case kName:
                    return Q(photo.fileName);
                case kTime:
                    return Q(FormatPhotoTime(photo.captureTime));
                case kLatitude:
                    return photo.position ? Q(FormatCoordinate(photo.position->latitude, format_))
                                          : QString();
                case kLongitude:
                    return photo.position ? Q(FormatCoordinate(photo.position->longitude, format_))
                                          : QString();
                default:
                    return {};
            }
        case Qt::CheckStateRole:
            if (index.column() == kName) {
                return photo.marked ? Qt::Checked : Qt::Unchecked;
            }
            return {};
        case kSortRole:
            switch (index.column()) {
                case kTime:
                    // Photos without a time gather before the first.
                    return photo.captureTime.value_or(0);
                case kLatitude:
                case kLongitude:
                    // Photos without a position gather at one end.
                    if (!photo.position) {
                        return -1e12;
                    }
                    return index.column() == kLatitude ? photo.position->latitude
                                                       : photo.position->longitude;
                default:
                    return Q(photo.fileName);
            }
        case Qt::ToolTipRole:
            return ToolTip(photo);
        default:
            return {};
    }
}

bool PhotoListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kName || role != Qt::CheckStateRole ||
        index.row() >= photos_->Count()) {
        return false;
    }
    (*photos_)[index.row()].marked = value.toInt() == Qt::Checked;
    RecordChanged(index.row());
    return true;
}

Qt::ItemFlags PhotoListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == kName) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant PhotoListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kName:
            return QStringLiteral("Photo File");
        case kTime:
            return QStringLiteral("Date/time");
        case kLatitude:
            return QStringLiteral("Latitude");
        case kLongitude:
            return QStringLiteral("Longitude");
        default:
            return {};
    }
}

}  // namespace geotal::app

namespace geotal::app {

QStringList PhotoListModel::mimeTypes() const {
    return {RecordsMimeType()};
}

QMimeData* PhotoListModel::mimeData(const QModelIndexList& indexes) const {
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid()) {
            rows.insert(index.row());
        }
    }
    auto* mime = new QMimeData;
    mime->setData(RecordsMimeType(), EncodeRecords({rows.begin(), rows.end()}));
    return mime;
}

}  // namespace geotal::app
