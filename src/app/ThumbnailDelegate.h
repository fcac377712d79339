// The photo list's thumbnails: a picture before each file name, read only for the rows on
// screen, off the window's thread, and shown as each arrives.
#pragma once

#include <QHash>
#include <QStyledItemDelegate>

#include "app/ThumbnailCache.h"

class QTableView;

namespace geotal::app {

class PhotoListModel;

class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // A thumbnail's room in the row, in pixels at the screen's usual density.
    static constexpr int kSide = 64;

    // Draws the names' column of table, whose rows show model's records through any proxies.
    ThumbnailDelegate(QTableView* table, PhotoListModel* model);

    bool Shown() const { return shown_; }
    // Shows or hides the pictures; rows grow to hold them and shrink back to a line of text.
    void SetShown(bool shown);
    // The rows' height for text rows of textHeight pixels.
    int RowHeight(int textHeight) const;

    // The record a cell shows, reached through the proxies between it and the model.
    int RecordOf(const QModelIndex& index) const;
    // The path of the record's photo; empty for no such record.
    QString PathOf(int record) const;
    ThumbnailCache& Cache() { return cache_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // The thumbnail's size in device pixels on the table's screen.
    int DeviceSide() const;
    QPixmap PixmapFor(const QModelIndex& index) const;
    void ShowArrival(const QString& path, int side);

    QTableView* table_;
    PhotoListModel* model_;
    bool shown_ = false;
    // The cache reads pictures for the cells painted; the rows wait for them by path.
    mutable ThumbnailCache cache_;
    mutable QHash<QString, int> waiting_;
};

}  // namespace geotal::app
