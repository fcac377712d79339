#include "app/ThumbnailCache.h"

#include <QMetaObject>

#include <algorithm>
#include <limits>
#include <memory>

#include "app/ThumbnailPicture.h"

namespace geotal::app {
namespace {

// The cache's budget in kilobytes: at least 4,000 thumbnails of 128 pixels (a screen of two
// device pixels to one), 16,000 of 64; past it the ones used longest ago are read again.
constexpr int kCacheKilobytes = 256 * 1024;

QString KeyOf(const QString& path, int side) {
    return QString::number(side) + QLatin1Char(':') + path;
}

int CostOf(const QPixmap& pixmap) {
    return std::max(1, pixmap.width() * pixmap.height() * 4 / 1024);
}

}  // namespace

ThumbnailCache::ThumbnailCache(QObject* parent, int threads) : QObject(parent) {
    cache_.setMaxCost(kCacheKilobytes);
    pool_.setMaxThreadCount(std::max(1, threads));
}

ThumbnailCache::~ThumbnailCache() {
    // No worker may outlive the object its result is queued to.
    pool_.clear();
    pool_.waitForDone();
}

std::optional<Thumbnail> ThumbnailCache::Find(const QString& path, int side) const {
    if (const Thumbnail* thumbnail = cache_.object(KeyOf(path, side))) {
        return *thumbnail;
    }
    return std::nullopt;
}

void ThumbnailCache::Request(const QString& path, int side) {
    const QString key = KeyOf(path, side);
    if (pending_.contains(key) || cache_.contains(key)) {
        return;
    }
    pending_.insert(key);
    if (nextPriority_ == std::numeric_limits<int>::max()) {
        nextPriority_ = 0;
    }
    pool_.start(
        [this, generation = generation_, key, path, side] {
            const ThumbnailPicture picture = LoadThumbnailPicture(path, side);
            // The window's thread makes the pixmap and tells the list.
            QMetaObject::invokeMethod(
                this,
                [this, generation, key, path, side, picture] {
                    Arrive(generation, key, path, side, picture.image, picture.why);
                },
                Qt::QueuedConnection);
        },
        ++nextPriority_);
}

void ThumbnailCache::DropPending() {
    pool_.clear();
    pending_.clear();
}

void ThumbnailCache::Clear() {
    DropPending();
    cache_.clear();
    ++generation_;
}

void ThumbnailCache::Arrive(int generation, const QString& key, const QString& path, int side,
                            const QImage& image, const QString& why) {
    if (generation != generation_) {
        return;  // read before a clear: perhaps another photo of that name
    }
    pending_.remove(key);
    auto thumbnail = std::make_unique<Thumbnail>();
    thumbnail->pixmap = QPixmap::fromImage(image);
    thumbnail->why = why;
    const int cost = CostOf(thumbnail->pixmap);
    cache_.insert(key, thumbnail.release(), cost);
    emit thumbnailReady(path, side);
}

}  // namespace geotal::app
