// The map pane: tiles under the loaded tracks (a line per file) and the photos that have a
// position (a marker each, grouped where they would cover each other). Wheel, + and - zoom,
// dragging and the arrow keys pan; a click on a marker or a Shift+drag rectangle chooses
// photos; dragging rows of the list or a marker onto the map places those photos there.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <set>
#include <vector>

#include "map/MarkerGroups.h"
#include "map/TrackLines.h"
#include "map/WebMercator.h"

class QToolButton;

namespace geotal::app {

class MapTiles;

struct MapPhoto {
    enum class Look { InFile, Unwritten, WriteFailed };
    WorldPoint at;
    int record = -1;
    // InFile: what the file holds; Unwritten: calculated, pasted or placed, and not in the file
    // yet; WriteFailed: what the file holds, after the last Update could not write the new one.
    Look look = Look::InFile;
};

class MapView : public QWidget {
    Q_OBJECT

public:
    // tiles may be null: the tracks and photos on a plain background.
    MapView(QWidget* parent, MapTiles* tiles);

    // lines: kept by the caller, and outliving the view or the next call.
    void SetTracks(const TrackLines* lines);
    void SetPhotos(std::vector<MapPhoto> photos);
    void SetSelected(std::set<int> records);
    const std::set<int>& Selected() const { return selected_; }
    void SetAttribution(const QString& text);

    // The tracks and photos all in view, as close as they fit.
    void ZoomToFit();
    void CenterOn(const WorldPoint& point);
    void SetView(const WorldPoint& center, int zoom);
    int Zoom() const { return zoom_; }
    WorldPoint Center() const { return center_; }
    LatLon PositionAt(const QPointF& pixel) const;
    QPointF PixelOf(const WorldPoint& point) const;
    // "south,west,north,east zoom Z" in degrees, as a screen reader hears it.
    QString Description() const;

signals:
    void pointerAt(double latitude, double longitude);
    // Markers clicked, or inside a Shift+drag rectangle: their records.
    void recordsChosen(const std::vector<int>& records);
    // Records dropped or a marker dragged to a place.
    void recordsPlaced(const std::vector<int>& records, double latitude, double longitude);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Press { None, Pan, Marker, MarkerDrag, Rectangle };

    // After every move: the tiles now in view asked for, the description told.
    void Moved();
    void ZoomAt(int zoom, const QPointF& pixel);
    // The zoom of the tiles drawn, and those the view shows.
    int TileZoom() const;
    std::vector<TileKey> TilesShown() const;
    std::vector<MarkerGroup> Groups() const;
    // The records of the marker group under a pixel; empty for none.
    std::vector<int> RecordsAt(const QPointF& pixel) const;
    // detail: the zoom whose points are drawn (the view's, or the next one out where the track
    // is dense).
    void DrawTracks(class QPainter& painter, int detail) const;
    void DrawMarkers(class QPainter& painter) const;

    MapTiles* tiles_;
    const TrackLines* tracks_ = nullptr;
    std::vector<MapPhoto> photos_;
    std::set<int> selected_;
    QString attribution_;
    WorldPoint center_{0.5, 0.5};
    int zoom_ = 2;
    Press press_ = Press::None;
    QPoint pressedAt_;
    QPoint lastAt_;
    WorldPoint pressedCenter_;
    std::vector<int> pressedRecords_;
    QToolButton* fit_;
};

}  // namespace geotal::app
