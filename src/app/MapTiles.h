// The map's tiles: fetched from a tile server (or a folder, through a file:// template) as the
// view needs them, a few at a time, through a disk cache that honours the server's cache
// headers, and kept in memory while they are likely to be drawn again.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <deque>
#include <map>
#include <set>
#include <vector>

#include "map/WebMercator.h"

class QNetworkAccessManager;
class QNetworkDiskCache;
class QNetworkReply;

namespace geotal::app {

class MapTiles : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxRequests = 4;  // at once, as tile servers ask of their users
    static constexpr int kMemoryTiles = 512;

    // cacheFolder empty: no disk cache.
    MapTiles(QObject* parent, const QString& addressTemplate, const QString& cacheFolder);

    void SetTemplate(const QString& addressTemplate);
    // The tile's image where it has come, else null; tiles not here are asked for in the order
    // given, and those asked for before but no longer wanted are dropped from the queue.
    const QImage* Tile(const TileKey& tile) const;
    void Want(const std::vector<TileKey>& tiles);
    // Empties the disk cache and the memory.
    void ClearCache();

    int RequestsMade() const { return requestsMade_; }
    static QString UserAgent();

signals:
    void tileArrived();
    // Once, the first time a tile cannot be had: why.
    void tilesUnavailable(const QString& why);

private:
    void StartRequests();
    void Finished(QNetworkReply* reply, TileKey tile);

    QString template_;
    QNetworkAccessManager* network_;
    QNetworkDiskCache* cache_ = nullptr;
    std::map<TileKey, QImage> images_;
    std::deque<TileKey> recent_;  // the order images came in, oldest first
    std::set<TileKey> failed_;
    std::deque<TileKey> queue_;
    std::set<TileKey> running_;
    int requestsMade_ = 0;
    bool toldUnavailable_ = false;
};

}  // namespace geotal::app
