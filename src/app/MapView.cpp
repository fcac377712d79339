#include "app/MapView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "app/MapTiles.h"
#include "app/RecordsMime.h"

namespace geotal::app {
namespace {

constexpr double kMarkerRadius = 6;
constexpr double kGroupRadius = 9;
constexpr double kGroupCell = 18;  // markers closer than this share one
constexpr int kPanStep = 64;       // pixels per arrow key

QColor FileColour(int file) {
    static const std::array<QColor, 6> colours = {QColor(200, 30, 120), QColor(30, 90, 200),
                                                  QColor(20, 140, 60),  QColor(150, 60, 200),
                                                  QColor(210, 110, 0),  QColor(0, 140, 150)};
    return colours[static_cast<std::size_t>(file) % colours.size()];
}

}  // namespace

MapView::MapView(QWidget* parent, MapTiles* tiles)
    : QWidget(parent), tiles_(tiles), fit_(new QToolButton(this)) {
    setAccessibleName(QStringLiteral("Map"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setMinimumSize(160, 120);
    fit_->setText(QStringLiteral("Zoom to fit"));
    fit_->move(6, 6);
    fit_->setFocusPolicy(Qt::TabFocus);
    connect(fit_, &QToolButton::clicked, this, &MapView::ZoomToFit);
    if (tiles_ != nullptr) {
        connect(tiles_, &MapTiles::tileArrived, this, qOverload<>(&QWidget::update));
    }
    Moved();
}

void MapView::SetTracks(const TrackLines* lines) {
    tracks_ = lines;
    update();
}

void MapView::SetPhotos(std::vector<MapPhoto> photos) {
    photos_ = std::move(photos);
    update();
}

void MapView::SetSelected(std::set<int> records) {
    selected_ = std::move(records);
    update();
}

void MapView::SetAttribution(const QString& text) {
    attribution_ = text;
    update();
}

void MapView::SetView(const WorldPoint& center, int zoom) {
    zoom_ = std::clamp(zoom, kMinMapZoom, kMaxMapZoom);
    center_ = {std::clamp(center.x, 0.0, 1.0), std::clamp(center.y, 0.0, 1.0)};
    Moved();
}

void MapView::CenterOn(const WorldPoint& point) {
    SetView(point, zoom_);
}

void MapView::ZoomToFit() {
    std::optional<TrackLines::Bounds> bounds;
    if (tracks_ != nullptr) {
        bounds = tracks_->Extent();
    }
    for (const MapPhoto& photo : photos_) {
        if (!bounds) {
            bounds = WorldBounds{photo.at, photo.at};
        }
        bounds->Include(photo.at);
    }
    if (bounds) {
        // The markers' own size is the margin they need.
        const WorldView view = FitView(*bounds, width(), height(), 2 * kGroupRadius);
        SetView(view.center, view.zoom);
    }
}

LatLon MapView::PositionAt(const QPointF& pixel) const {
    const double pixels = WorldPixels(zoom_);
    return FromWorld({center_.x + (pixel.x() - width() / 2.0) / pixels,
                      center_.y + (pixel.y() - height() / 2.0) / pixels});
}

QPointF MapView::PixelOf(const WorldPoint& point) const {
    const double pixels = WorldPixels(zoom_);
    return {(point.x - center_.x) * pixels + width() / 2.0,
            (point.y - center_.y) * pixels + height() / 2.0};
}

QString MapView::Description() const {
    const LatLon northWest = PositionAt(QPointF(0, 0));
    const LatLon southEast = PositionAt(QPointF(width(), height()));
    return QStringLiteral("%1,%2,%3,%4 zoom %5")
        .arg(southEast.latitude, 0, 'f', 6)
        .arg(northWest.longitude, 0, 'f', 6)
        .arg(northWest.latitude, 0, 'f', 6)
        .arg(southEast.longitude, 0, 'f', 6)
        .arg(zoom_);
}

void MapView::Moved() {
    setAccessibleDescription(Description());
    // A hidden map asks for nothing: no tile is fetched that nobody sees.
    if (tiles_ != nullptr && isVisible()) {
        tiles_->Want(TilesShown());
    }
    update();
}

int MapView::TileZoom() const {
    // On a screen of two device pixels to one, the next zoom's tiles are drawn at half size, so
    // that the map is as sharp as its text.
    return std::min(kMaxMapZoom, zoom_ + (devicePixelRatioF() >= 1.5 ? 1 : 0));
}

std::vector<TileKey> MapView::TilesShown() const {
    const int tileZoom = TileZoom();
    const double scale = WorldPixels(tileZoom) / WorldPixels(zoom_);
    const double pixels = WorldPixels(tileZoom);
    return TilesInView(center_.x * pixels - width() * scale / 2.0,
                       center_.y * pixels - height() * scale / 2.0, width() * scale,
                       height() * scale, tileZoom);
}

void MapView::ZoomAt(int zoom, const QPointF& pixel) {
    zoom = std::clamp(zoom, kMinMapZoom, kMaxMapZoom);
    if (zoom == zoom_) {
        return;
    }
    // The place under the pointer stays under it.
    const WorldPoint under = ToWorld(PositionAt(pixel).latitude, PositionAt(pixel).longitude);
    const double pixels = WorldPixels(zoom);
    SetView({under.x - (pixel.x() - width() / 2.0) / pixels,
             under.y - (pixel.y() - height() / 2.0) / pixels},
            zoom);
}

std::vector<MarkerGroup> MapView::Groups() const {
    std::vector<MapMarker> markers;
    const QRectF seen =
        QRectF(rect()).adjusted(-kGroupRadius, -kGroupRadius, kGroupRadius, kGroupRadius);
    for (const MapPhoto& photo : photos_) {
        if (seen.contains(PixelOf(photo.at))) {
            markers.push_back({photo.at, photo.record});
        }
    }
    return GroupMarkers(markers, zoom_, kGroupCell);
}

std::vector<int> MapView::RecordsAt(const QPointF& pixel) const {
    for (const MarkerGroup& group : Groups()) {
        const QPointF at = PixelOf(group.at);
        const double radius = group.records.size() > 1 ? kGroupRadius : kMarkerRadius;
        if (std::hypot(at.x() - pixel.x(), at.y() - pixel.y()) <= radius + 2) {
            return group.records;
        }
    }
    return {};
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(232, 232, 226));
    const double pixels = WorldPixels(zoom_);
    const double left = center_.x * pixels - width() / 2.0;
    const double top = center_.y * pixels - height() / 2.0;
    if (tiles_ != nullptr) {
        const double size = kTileSize * WorldPixels(zoom_) / WorldPixels(TileZoom());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const TileKey& tile : TilesShown()) {
            if (const QImage* image = tiles_->Tile(tile)) {
                painter.drawImage(QRectF(tile.x * size - left, tile.y * size - top, size, size),
                                  *image);
            }
        }
    }
    // Smooth lines, unless so many points show that smoothing them would slow panning: a
    // million-point track seen whole is dense enough to look smooth without it, and at twice
    // the spacing of its points (four pixels, the next zoom out's) still follows every bend a
    // line two and a half pixels wide can show.
    constexpr std::size_t kSmoothLimit = 20000;
    const bool dense = tracks_ != nullptr && tracks_->DrawnCount(zoom_) >= kSmoothLimit;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    DrawTracks(painter, dense ? std::max(kMinMapZoom, zoom_ - 1) : zoom_);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawMarkers(painter);
    if (press_ == Press::Rectangle) {
        painter.setPen(QPen(QColor(30, 90, 200), 1, Qt::DashLine));
        painter.setBrush(QColor(30, 90, 200, 40));
        painter.drawRect(QRect(pressedAt_, lastAt_).normalized());
    }
    if (!attribution_.isEmpty()) {
        const QFontMetrics metrics(font());
        QRect box = metrics.boundingRect(attribution_).adjusted(-4, -2, 4, 2);
        box.moveBottomRight(rect().bottomRight() - QPoint(2, 2));
        painter.fillRect(box, QColor(255, 255, 255, 200));
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, attribution_);
    }
}

void MapView::DrawTracks(QPainter& painter, int detail) const {
    if (tracks_ == nullptr) {
        return;
    }
    // Only what crosses the view is stroked (stroking is most of a redraw's time): a segment
    // whose box misses the view, a few pixels around it for the line's width, is left out, so a
    // line that leaves the view and comes back is drawn in pieces. Testing segments rather than
    // points keeps a segment between two far points that crosses the view.
    const QRectF view = QRectF(rect()).adjusted(-8, -8, 8, 8);
    const double pixels = WorldPixels(zoom_);
    const double left = center_.x * pixels - width() / 2.0;
    const double top = center_.y * pixels - height() / 2.0;
    QPolygonF piece;
    const auto flush = [&painter, &piece] {
        if (piece.size() == 1) {
            painter.drawPoint(piece.front());
        } else if (!piece.isEmpty()) {
            painter.drawPolyline(piece);
        }
        piece.clear();
    };
    for (const TrackLines::Line& line : tracks_->Lines()) {
        const QRectF extent(
            QPointF(line.extent.topLeft.x * pixels - left, line.extent.topLeft.y * pixels - top),
            QPointF(line.extent.bottomRight.x * pixels - left,
                    line.extent.bottomRight.y * pixels - top));
        if (!extent.adjusted(-1, -1, 1, 1).intersects(view)) {
            continue;
        }
        painter.setPen(QPen(FileColour(line.file), 2.5, Qt::SolidLine, Qt::RoundCap));
        bool first = true;
        QPointF previous;
        for (std::size_t i = line.first; i < line.first + line.count; ++i) {
            if (!tracks_->DrawnAt(i, detail)) {
                continue;
            }
            const WorldPoint& point = tracks_->Point(i);
            const QPointF at(point.x * pixels - left, point.y * pixels - top);
            if (first) {
                first = false;
                if (view.contains(at)) {
                    piece << at;  // a line of one point in view is drawn as a dot
                }
            } else if (std::max(previous.x(), at.x()) >= view.left() &&
                       std::min(previous.x(), at.x()) <= view.right() &&
                       std::max(previous.y(), at.y()) >= view.top() &&
                       std::min(previous.y(), at.y()) <= view.bottom()) {
                if (piece.isEmpty()) {
                    piece << previous;
                }
                piece << at;
            } else if (!piece.isEmpty()) {
                flush();
            }
            previous = at;
        }
        flush();
    }
}

void MapView::DrawMarkers(QPainter& painter) const {
    std::map<int, MapPhoto::Look> looks;
    for (const MapPhoto& photo : photos_) {
        looks[photo.record] = photo.look;
    }
    for (const MarkerGroup& group : Groups()) {
        const QPointF at = PixelOf(group.at);
        const bool many = group.records.size() > 1;
        const bool chosen = std::any_of(group.records.begin(), group.records.end(),
                                        [this](int r) { return selected_.contains(r); });
        // A group looks like the most pressing of its photos: a failed write, then a position
        // not written yet, then what the files hold.
        MapPhoto::Look look = MapPhoto::Look::InFile;
        for (int record : group.records) {
            look = std::max(look, looks[record]);
        }
        painter.setBrush(look == MapPhoto::Look::WriteFailed ? QColor(210, 30, 30)
                         : look == MapPhoto::Look::Unwritten ? QColor(240, 140, 20)
                                                             : QColor(40, 110, 220));
        painter.setPen(
            QPen(chosen ? QColor(255, 230, 0) : QColor(255, 255, 255), chosen ? 3 : 1.5));
        const double radius = many ? kGroupRadius : kMarkerRadius;
        painter.drawEllipse(at, radius, radius);
        if (many) {
            painter.setPen(Qt::white);
            QFont small = font();
            small.setPointSizeF(small.pointSizeF() * 0.8);
            painter.setFont(small);
            painter.drawText(QRectF(at.x() - radius, at.y() - radius, 2 * radius, 2 * radius),
                             Qt::AlignCenter, QString::number(group.records.size()));
            painter.setFont(font());
        }
    }
    if (press_ == Press::MarkerDrag) {
        painter.setBrush(QColor(240, 140, 20, 160));
        painter.setPen(QPen(Qt::white, 1.5));
        painter.drawEllipse(QPointF(lastAt_), kMarkerRadius, kMarkerRadius);
    }
}

void MapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Moved();
}

void MapView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Moved();
}

void MapView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        ZoomAt(zoom_ + steps, event->position());
    }
    event->accept();
}

void MapView::keyPressEvent(QKeyEvent* event) {
    const double step = kPanStep / WorldPixels(zoom_);
    const QPointF middle(width() / 2.0, height() / 2.0);
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomAt(zoom_ + 1, middle);
            break;
        case Qt::Key_Minus:
            ZoomAt(zoom_ - 1, middle);
            break;
        case Qt::Key_Left:
            CenterOn({center_.x - step, center_.y});
            break;
        case Qt::Key_Right:
            CenterOn({center_.x + step, center_.y});
            break;
        case Qt::Key_Up:
            CenterOn({center_.x, center_.y - step});
            break;
        case Qt::Key_Down:
            CenterOn({center_.x, center_.y + step});
            break;
        case Qt::Key_Escape:
            if (press_ == Press::MarkerDrag || press_ == Press::Rectangle) {
                press_ = Press::None;  // the drag is cancelled; nothing moves
                update();
                break;
            }
            QWidget::keyPressEvent(event);
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressedAt_ = lastAt_ = event->position().toPoint();
    pressedCenter_ = center_;
    pressedRecords_ = RecordsAt(event->position());
    press_ = event->modifiers().testFlag(Qt::ShiftModifier) ? Press::Rectangle
             : pressedRecords_.empty()                      ? Press::Pan
                                                            : Press::Marker;
    setFocus(Qt::MouseFocusReason);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    lastAt_ = event->position().toPoint();
    const LatLon under = PositionAt(event->position());
    emit pointerAt(under.latitude, under.longitude);
    const QPoint moved = lastAt_ - pressedAt_;
    switch (press_) {
        case Press::Pan: {
            const double pixels = WorldPixels(zoom_);
            SetView({pressedCenter_.x - moved.x() / pixels, pressedCenter_.y - moved.y() / pixels},
                    zoom_);
            break;
        }
        case Press::Marker:
            if (moved.manhattanLength() >= QApplication::startDragDistance()) {
                press_ = Press::MarkerDrag;
            }
            update();
            break;
        case Press::MarkerDrag:
        case Press::Rectangle:
            update();
            break;
        case Press::None:
            break;
    }
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    const Press press = std::exchange(press_, Press::None);
    lastAt_ = event->position().toPoint();
    if (press == Press::Marker) {
        emit recordsChosen(pressedRecords_);
    } else if (press == Press::MarkerDrag) {
        const LatLon at = PositionAt(event->position());
        emit recordsPlaced(pressedRecords_, at.latitude, at.longitude);
    } else if (press == Press::Rectangle) {
        const QRectF area = QRectF(QRect(pressedAt_, lastAt_).normalized());
        std::vector<int> inside;
        for (const MapPhoto& photo : photos_) {
            if (area.contains(PixelOf(photo.at))) {
                inside.push_back(photo.record);
            }
        }
        emit recordsChosen(inside);
    }
    update();
}

void MapView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* fit = menu.addAction(QStringLiteral("Zoom to fit"));
    QAction* clear =
        tiles_ != nullptr ? menu.addAction(QStringLiteral("Clear map cache")) : nullptr;
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == fit) {
        ZoomToFit();
    } else if (chosen != nullptr && chosen == clear) {
        tiles_->ClearCache();
        Moved();
    }
}

void MapView::dragEnterEvent(QDragEnterEvent* event) {
    if (!DecodeRecords(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void MapView::dragMoveEvent(QDragMoveEvent* event) {
    if (!DecodeRecords(event->mimeData()).empty()) {
        event->acceptProposedAction();
        const LatLon under = PositionAt(event->position());
        emit pointerAt(under.latitude, under.longitude);
    }
}

void MapView::dropEvent(QDropEvent* event) {
    const std::vector<int> records = DecodeRecords(event->mimeData());
    if (records.empty()) {
        return;
    }
    event->acceptProposedAction();
    const LatLon at = PositionAt(event->position());
    emit recordsPlaced(records, at.latitude, at.longitude);
}

}  // namespace geotal::app
