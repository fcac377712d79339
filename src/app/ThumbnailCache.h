// The photos' thumbnails of the loaded folder: each read once, on a small pool of worker threads
// so that the window never waits for a file, and kept by the photo's path and size until the
// next load.
#pragma once

#include <QCache>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <optional>

namespace geotal::app {

struct Thumbnail {
    QPixmap pixmap;  // null when the photo gave no picture
    QString why;     // then why not
};

class ThumbnailCache : public QObject {
    Q_OBJECT

public:
    // threads: how many photos are read at once; the window keeps a core for itself and the
    // machine's other work, so two at most.
    explicit ThumbnailCache(QObject* parent = nullptr, int threads = 2);
    // Waits for the photos being read; those queued are dropped.
    ~ThumbnailCache() override;

    // The thumbnail of the photo at path fitted into side by side pixels, once it has been read.
    std::optional<Thumbnail> Find(const QString& path, int side) const;
    // Queues the photo to be read unless it is read or queued already. The photo asked for last
    // is read first: that is the one the user scrolled to.
    void Request(const QString& path, int side);
    // Forgets the queued photos not yet started (a new folder replaces the list); those being
    // read still arrive.
    void DropPending();
    // Forgets every thumbnail, and drops those still being read when they arrive: a load of the
    // same folder may find other photos under the same names (the next card of a camera, which
    // numbers its photos anew).
    void Clear();
    // The photos queued or being read.
    int Pending() const { return static_cast<int>(pending_.size()); }

signals:
    // The thumbnail of the photo at path has arrived (a picture or why there is none).
    void thumbnailReady(const QString& path, int side);

private:
    void Arrive(int generation, const QString& key, const QString& path, int side,
                const QImage& image, const QString& why);

    QCache<QString, Thumbnail> cache_;
    QSet<QString> pending_;
    int nextPriority_ = 0;
    int generation_ = 0;  // counts the clears: a thumbnail read before the last one is stale
    QThreadPool pool_;
};

}  // namespace geotal::app
