// The map beside the photo list: a splitter in the list's place holding both, the tiles from
// the settings' template, and the selection shared both ways with the list.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

#include "settings/SettingsStore.h"

class QSplitter;
class QTableView;

namespace geotal {
class Session;
}

namespace geotal::app {

class MapTiles;
class MapView;
class PhotoListView;

class MapPane : public QObject {
    Q_OBJECT

public:
    // Takes table's place in its parent. say shows a line in the status line; place gives the
    // records dropped or dragged on the map their new place.
    MapPane(QTableView& table, PhotoListView& list, const Session& session,
            const Settings& settings, std::function<void(const QString&)> say,
            std::function<void(const std::vector<int>&, double, double)> place);

    // The widget the window lays out where the list was.
    QSplitter& Area() const { return *splitter_; }
    MapView& Map() const { return *map_; }

    // The tracks and the photos' markers as the session has them now; after a load, the view
    // fits them.
    void ShowSession(bool loaded);
    void SetShown(bool shown);
    void ClearCache();
    // How much wider the window is made on a first start to show it.
    int FirstWidth() const { return width_; }
    // After the window took its first size: a map wider than half the room (a window cut to a
    // small screen) leaves the list the other half.
    void FitBesideList();
    // Whether it is shown and how wide, for the settings.
    void KeepIn(Settings& settings) const;

private:
    const Session& session_;
    PhotoListView& list_;
    QSplitter* splitter_;
    MapTiles* tiles_ = nullptr;
    MapView* map_;
    int width_;
};

}  // namespace geotal::app
