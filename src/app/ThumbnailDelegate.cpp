#include "app/ThumbnailDelegate.h"

#include <QAbstractProxyModel>
#include <QHelpEvent>
#include <QPainter>
#include <QTableView>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "app/PhotoListModel.h"
#include "app/QtText.h"

namespace geotal::app {
namespace {

// A frame the size of a landscape picture: while the picture is read it keeps the names in
// line, and with a cross it stands for a photo that gave none.
QPixmap Placeholder(int side, qreal ratio, bool failed) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    if (failed) {
        QPainter painter(&pixmap);
        const int height = side * 3 / 4;
        const QRectF frame(1.5, (side - height) / 2.0 + 0.5, side - 3, height - 1);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(150, 150, 150), std::max(1.0, ratio)));
        painter.setBrush(QColor(235, 235, 235));
        painter.drawRect(frame);
        painter.drawLine(frame.topLeft(), frame.bottomRight());
        painter.drawLine(frame.bottomLeft(), frame.topRight());
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace

ThumbnailDelegate::ThumbnailDelegate(QTableView* table, PhotoListModel* model)
    : QStyledItemDelegate(table), table_(table), model_(model) {
    connect(&cache_, &ThumbnailCache::thumbnailReady, this, &ThumbnailDelegate::ShowArrival);
    // A new load's rows ask anew: the old queue would only hold them up, and what was read
    // may show other photos of the same names.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        cache_.Clear();
        waiting_.clear();
    });
}

void ThumbnailDelegate::SetShown(bool shown) {
    shown_ = shown;
    if (!shown_) {
        cache_.DropPending();
        waiting_.clear();
    }
    table_->setIconSize(shown_ ? QSize(kSide, kSide) : QSize());
    table_->viewport()->update();
}

int ThumbnailDelegate::RowHeight(int textHeight) const {
    return shown_ ? std::max(textHeight, kSide + 4) : textHeight;
}

int ThumbnailDelegate::RecordOf(const QModelIndex& index) const {
    QModelIndex source = index;
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(source.model())) {
        source = proxy->mapToSource(source);
    }
    return source.isValid() && source.model() == model_ ? source.row() : -1;
}

QString ThumbnailDelegate::PathOf(int record) const {
    const PhotoList& photos = model_->Photos();
    if (record < 0 || record >= photos.Count()) {
        return {};
    }
    QString folder = Q(photos.folder);
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder + Q(photos[record].fileName);
}

int ThumbnailDelegate::DeviceSide() const {
    return static_cast<int>(std::ceil(kSide * table_->devicePixelRatioF()));
}

QPixmap ThumbnailDelegate::PixmapFor(const QModelIndex& index) const {
    const qreal ratio = table_->devicePixelRatioF();
    const int side = DeviceSide();
    const std::optional<Thumbnail> thumbnail = cache_.Find(PathOf(RecordOf(index)), side);
    if (!thumbnail) {
        return Placeholder(side, ratio, false);
    }
    if (thumbnail->pixmap.isNull()) {
        return Placeholder(side, ratio, true);
    }
    QPixmap pixmap = thumbnail->pixmap;
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void ThumbnailDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!shown_ || index.column() != PhotoListModel::kName) {
        return;
    }
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(kSide, kSide);
    option->icon = QIcon(PixmapFor(index));
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    // Only the cells painted ask for their pictures: the rows scrolled past are never read.
    if (shown_ && index.column() == PhotoListModel::kName) {
        const int record = RecordOf(index);
        const QString path = PathOf(record);
        const int side = DeviceSide();
        if (!path.isEmpty() && !cache_.Find(path, side)) {
            waiting_.insert(path, record);
            cache_.Request(path, side);
        }
    }
    QStyledItemDelegate::paint(painter, option, index);
}

bool ThumbnailDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (shown_ && event->type() == QEvent::ToolTip && index.column() == PhotoListModel::kName) {
        const std::optional<Thumbnail> thumbnail =
            cache_.Find(PathOf(RecordOf(index)), DeviceSide());
        if (thumbnail && thumbnail->pixmap.isNull()) {
            const QString tip = index.data(Qt::ToolTipRole).toString();
            const QString none = QStringLiteral("No thumbnail: ") + thumbnail->why;
            QToolTip::showText(event->globalPos(),
                               tip.isEmpty() ? none : tip + QLatin1Char('\n') + none, view);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void ThumbnailDelegate::ShowArrival(const QString& path, int side) {
    const auto found = waiting_.constFind(path);
    if (found == waiting_.constEnd() || side != DeviceSide()) {  // another screen's size
        return;
    }
    const int record = found.value();
    waiting_.erase(found);
    // The record still names this photo: a reload in between would have cleared the waits.
    if (PathOf(record) == path) {
        model_->RecordChanged(record);
    }
}

}  // namespace geotal::app
