#include "app/MapPane.h"

#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>

#include <set>

#include "app/MapTiles.h"
#include "app/MapView.h"
#include "app/PhotoListView.h"
#include "session/Session.h"
#include "support/GeoPosition.h"

namespace geotal::app {
namespace {

constexpr int kFirstWidth = 360;  // the map's width beside the list the first time

}  // namespace

MapPane::MapPane(QTableView& table, PhotoListView& list, const Session& session,
                 const Settings& settings, std::function<void(const QString&)> say,
                 std::function<void(const std::vector<int>&, double, double)> place)
    : QObject(&table),
      session_(session),
      list_(list),
      splitter_(new QSplitter(Qt::Horizontal, table.parentWidget())),
      width_(settings.mapWidth > 0 ? settings.mapWidth : kFirstWidth) {
    splitter_->setGeometry(table.geometry());
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(&table);
    // GEOTAL_MAP_TILES, where set, stands for the template of the settings (empty: no tiles):
    // for a machine that must not reach a tile server, and for tests.
    const QString addresses = qEnvironmentVariableIsSet("GEOTAL_MAP_TILES")
                                  ? qEnvironmentVariable("GEOTAL_MAP_TILES")
                                  : QString::fromStdString(settings.mapTileUrl);
    if (!addresses.isEmpty()) {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                              QStringLiteral("/map-tiles");
        tiles_ = new MapTiles(this, addresses, cache);
        connect(tiles_, &MapTiles::tilesUnavailable, this, [say](const QString& why) {
            say(QStringLiteral("Map tiles could not be loaded (%1); the map shows the tracks "
                               "and photos without them")
                    .arg(why));
        });
    }
    map_ = new MapView(splitter_, tiles_);
    map_->SetAttribution(QString::fromStdString(settings.mapAttribution));
    splitter_->addWidget(map_);
    // The list keeps what the window grows by; the map keeps the width the user gave it.
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    map_->setVisible(settings.mapShown);
    splitter_->setSizes({std::max(1, splitter_->width() - width_), width_});

    connect(map_, &MapView::pointerAt, this, [say](double latitude, double longitude) {
        say(QStringLiteral("%1, %2").arg(latitude, 0, 'f', 6).arg(longitude, 0, 'f', 6));
    });
    connect(map_, &MapView::recordsPlaced, this, std::move(place));
    connect(map_, &MapView::recordsChosen, &list_, &PhotoListView::SelectRecords);
    connect(&list_, &PhotoListView::selectionChanged, this, [this] {
        const std::vector<int> records = list_.SelectedRecords();
        map_->SetSelected({records.begin(), records.end()});
    });
    connect(&list_, &PhotoListView::recordDoubleClicked, this, [this](int record) {
        if (const MaybePosition& position = session_.Photos()[record].position) {
            map_->CenterOn(ToWorld(position->LatitudeDegrees(), position->LongitudeDegrees()));
        }
    });
}

void MapPane::ShowSession(bool loaded) {
    map_->SetTracks(&session_.TrackOnMap());
    std::vector<MapPhoto> photos;
    const PhotoList& list = session_.Photos();
    for (int i = 0; i < list.Count(); ++i) {
        if (const MaybePosition& position = list[i].position) {
            const MapPhoto::Look look = list[i].writeFailed     ? MapPhoto::Look::WriteFailed
                                        : list[i].IsUnwritten() ? MapPhoto::Look::Unwritten
                                                                : MapPhoto::Look::InFile;
            photos.push_back(
                {ToWorld(position->LatitudeDegrees(), position->LongitudeDegrees()), i, look});
        }
    }
    map_->SetPhotos(std::move(photos));
    if (loaded) {
        map_->ZoomToFit();
    }
}

void MapPane::SetShown(bool shown) {
    if (!shown && map_->isVisible()) {
        width_ = map_->width();
    }
    map_->setVisible(shown);
    if (shown) {
        splitter_->setSizes({std::max(1, splitter_->width() - width_), width_});
    }
}

void MapPane::ClearCache() {
    if (tiles_ != nullptr) {
        tiles_->ClearCache();
    }
    map_->update();
}

void MapPane::FitBesideList() {
    if (!map_->isHidden() && map_->width() > splitter_->width() / 2) {
        const int half = splitter_->width() / 2;
        splitter_->setSizes({splitter_->width() - half, half});
    }
}

void MapPane::KeepIn(Settings& settings) const {
    settings.mapShown = !map_->isHidden();
    settings.mapWidth = map_->isHidden() ? width_ : map_->width();
}

}  // namespace geotal::app
