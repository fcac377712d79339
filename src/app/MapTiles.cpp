#include "app/MapTiles.h"

#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

namespace geotal::app {

MapTiles::MapTiles(QObject* parent, const QString& addressTemplate, const QString& cacheFolder)
    : QObject(parent), template_(addressTemplate), network_(new QNetworkAccessManager(this)) {
    if (!cacheFolder.isEmpty()) {
        cache_ = new QNetworkDiskCache(this);
        cache_->setCacheDirectory(cacheFolder);
        cache_->setMaximumCacheSize(200LL * 1024 * 1024);
        network_->setCache(cache_);
    }
}

QString MapTiles::UserAgent() {
    return QStringLiteral("Geotal/" GEOTAL_VERSION " (desktop photo geotagger)");
}

void MapTiles::SetTemplate(const QString& addressTemplate) {
    if (addressTemplate != template_) {
        template_ = addressTemplate;
        images_.clear();
        recent_.clear();
        failed_.clear();
        queue_.clear();
        toldUnavailable_ = false;
    }
}

const QImage* MapTiles::Tile(const TileKey& tile) const {
    const auto found = images_.find(tile);
    return found == images_.end() ? nullptr : &found->second;
}

void MapTiles::Want(const std::vector<TileKey>& tiles) {
    // Only what is on screen now: no tile of an area the user has moved away from.
    queue_.clear();
    for (const TileKey& tile : tiles) {
        if (!images_.contains(tile) && !failed_.contains(tile) && !running_.contains(tile)) {
            queue_.push_back(tile);
        }
    }
    StartRequests();
}

void MapTiles::StartRequests() {
    while (static_cast<int>(running_.size()) < kMaxRequests && !queue_.empty()) {
        const TileKey tile = queue_.front();
        queue_.pop_front();
        QNetworkRequest request(
            QUrl(QString::fromStdString(TileAddress(template_.toStdString(), tile))));
        request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent());
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::PreferCache);
        QNetworkReply* reply = network_->get(request);
        running_.insert(tile);
        ++requestsMade_;
        connect(reply, &QNetworkReply::finished, this,
                [this, reply, tile] { Finished(reply, tile); });
    }
}

void MapTiles::Finished(QNetworkReply* reply, TileKey tile) {
    reply->deleteLater();
    running_.erase(tile);
    QImage image;
    if (reply->error() == QNetworkReply::NoError) {
        image.loadFromData(reply->readAll());
    }
    if (image.isNull()) {
        failed_.insert(tile);
        if (!toldUnavailable_) {
            toldUnavailable_ = true;
            const QString why = reply->error() != QNetworkReply::NoError
                                    ? reply->errorString()
                                    : QStringLiteral("%1 is no image").arg(reply->url().toString());
            emit tilesUnavailable(why);
        }
    } else {
        images_[tile] = std::move(image);
        recent_.push_back(tile);
        while (static_cast<int>(recent_.size()) > kMemoryTiles) {
            images_.erase(recent_.front());
            recent_.pop_front();
        }
        emit tileArrived();
    }
    StartRequests();
}

void MapTiles::ClearCache() {
    if (cache_ != nullptr) {
        cache_->clear();
    }
    images_.clear();
    recent_.clear();
    failed_.clear();
    toldUnavailable_ = false;
}

}  // namespace geotal::app
