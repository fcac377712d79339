// The map as a photographer uses it: a row or a marker dragged to a pixel gets that pixel's
// place, the selection follows both ways, tiles come only for what is in view and once, with
// Geotal's name on the request and the server's cache honoured, and no network still draws.
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/MapTiles.h"
#include "app/MapView.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/RecordsMime.h"
#include "app/TestPhotos.h"
#include "map/TrackLines.h"
#include "res/ControlIds.h"
#include "support/Angles.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

constexpr double kZurichLat = 47.3769;
constexpr double kZurichLon = 8.5417;

// A map of 400 × 300 pixels over Zürich at zoom 15, without tiles.
struct PlainMap {
    MapView map{nullptr, nullptr};
    PlainMap() {
        map.resize(400, 300);
        map.SetView(ToWorld(kZurichLat, kZurichLon), 15);
    }
    // The pixel a place lands on.
    QPointF Pixel(double latitude, double longitude) const {
        return map.PixelOf(ToWorld(latitude, longitude));
    }
};

void Drop(MapView& map, const std::vector<int>& records, QPoint at) {
    QMimeData mime;
    mime.setData(RecordsMimeType(), EncodeRecords(records));
    // As a drag arrives: it enters, moves, and drops.
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&map, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&map, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&map, &drop);
}

TEST(MapView, placesDroppedRowsAndDraggedMarkersOnThePixelTheyLeaveWithin) {
    PlainMap plain;
    QSignalSpy placed(&plain.map, &MapView::recordsPlaced);
    Drop(plain.map, {3, 1}, QPoint(37, 251));
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(placed[0][0].value<std::vector<int>>(), (std::vector<int>{3, 1}));
    const QPointF landed = plain.Pixel(placed[0][1].toDouble(), placed[0][2].toDouble());
    EXPECT_NEAR(landed.x(), 37, 1.0);
    EXPECT_NEAR(landed.y(), 251, 1.0);

    // A marker dragged 60 pixels right and 40 up.
    plain.map.SetPhotos({{ToWorld(kZurichLat, kZurichLon), 5}});
    const QPoint from = plain.Pixel(kZurichLat, kZurichLon).toPoint();
    QTest::mousePress(&plain.map, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&plain.map, from + QPoint(30, -20));
    QTest::mouseMove(&plain.map, from + QPoint(60, -40));
    QTest::mouseRelease(&plain.map, Qt::LeftButton, Qt::NoModifier, from + QPoint(60, -40));
    ASSERT_EQ(placed.size(), 2);
    EXPECT_EQ(placed[1][0].value<std::vector<int>>(), std::vector<int>{5});
    const QPointF moved = plain.Pixel(placed[1][1].toDouble(), placed[1][2].toDouble());
    EXPECT_NEAR(moved.x(), from.x() + 60, 1.0);
    EXPECT_NEAR(moved.y(), from.y() - 40, 1.0);

    // Escape during the drag: nothing moves.
    QTest::mousePress(&plain.map, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&plain.map, from + QPoint(50, 0));
    QTest::keyClick(&plain.map, Qt::Key_Escape);
    QTest::mouseRelease(&plain.map, Qt::LeftButton, Qt::NoModifier, from + QPoint(50, 0));
    EXPECT_EQ(placed.size(), 2);
}

TEST(MapView, choosesTheMarkersInsideAShiftDraggedRectangleAndShowsTheCredit) {
    PlainMap plain;
    plain.map.SetAttribution(QStringLiteral("\u00a9 Test tiles"));
    const WorldPoint here = ToWorld(kZurichLat, kZurichLon);
    const WorldPoint east = ToWorld(kZurichLat, kZurichLon + 0.002);  // some 45 px east
    const WorldPoint far = ToWorld(kZurichLat + 0.01, kZurichLon);    // off the rectangle
    plain.map.SetPhotos({{here, 4}, {east, 7}, {far, 9}});
    QSignalSpy chosen(&plain.map, &MapView::recordsChosen);
    const QPoint a = plain.map.PixelOf(here).toPoint() - QPoint(10, 10);
    const QPoint b = plain.map.PixelOf(east).toPoint() + QPoint(10, 10);
    QTest::mousePress(&plain.map, Qt::LeftButton, Qt::ShiftModifier, a);
    QTest::mouseMove(&plain.map, b);
    QTest::mouseRelease(&plain.map, Qt::LeftButton, Qt::ShiftModifier, b);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].value<std::vector<int>>(), (std::vector<int>{4, 7}));
    EXPECT_EQ(plain.map.Center().x, here.x) << "a rectangle does not pan";

    // The credit sits on a light box at the bottom right, over whatever the map shows.
    const QImage frame = plain.map.grab().toImage();
    const QColor corner = frame.pixelColor(frame.width() - 4, frame.height() - 4);
    EXPECT_GT(corner.lightness(), 240);
    bool dark = false;
    for (int x = frame.width() - 60; x < frame.width() - 4; ++x) {
        dark = dark || frame.pixelColor(x, frame.height() - 10).lightness() < 128;
    }
    EXPECT_TRUE(dark) << "the credit's letters";
}

// Two fixes far apart (a car, a fix a minute) whose segment crosses the view with both ends
// thousands of pixels outside it: the line still shows, and one wholly off the view does not.
TEST(MapView, drawsASegmentThatCrossesTheViewBetweenTwoFarPoints) {
    PlainMap plain;
    TrackStore track;
    const auto fix = [&track](double latitude, double longitude, double day) {
        track.Append(
            {DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude), std::nullopt, day});
    };
    fix(kZurichLat, kZurichLon - 0.2, 45000.0);  // crosses the middle row, west to east
    fix(kZurichLat, kZurichLon + 0.2, 45000.001);
    fix(kZurichLat + 0.2, kZurichLon - 0.2, 45000.002);  // north of the view, all of it
    fix(kZurichLat + 0.2, kZurichLon + 0.2, 45000.003);
    const TrackLines lines(track, {2, 2}, 1.0);
    plain.map.SetTracks(&lines);
    const QImage frame = plain.map.grab().toImage();
    const QColor background(232, 232, 226);
    EXPECT_NE(frame.pixelColor(200, 150), background) << "the crossing segment";
    EXPECT_NE(frame.pixelColor(20, 150), background);
    EXPECT_EQ(frame.pixelColor(200, 20), background) << "the other line is off the view";
}

TEST(MapView, zoomsToFitEveryPhotoAsCloseAsTheyFit) {
    PlainMap plain;
    const WorldPoint west = ToWorld(46.55, 7.98);
    const WorldPoint east = ToWorld(46.61, 7.90);
    plain.map.SetPhotos({{west, 0}, {east, 1, MapPhoto::Look::Unwritten}});
    plain.map.ZoomToFit();
    const QRectF view(plain.map.rect());
    EXPECT_TRUE(view.contains(plain.map.PixelOf(west)));
    EXPECT_TRUE(view.contains(plain.map.PixelOf(east)));
    plain.map.SetView(plain.map.Center(), plain.map.Zoom() + 1);
    EXPECT_FALSE(view.contains(plain.map.PixelOf(west)) && view.contains(plain.map.PixelOf(east)))
        << "one step closer, they would not all show";
}

TEST(MapView, tellsWhatItShowsAndMovesByKeyboard) {
    PlainMap plain;
    EXPECT_EQ(plain.map.accessibleName(), QStringLiteral("Map"));
    const QStringList parts = plain.map.accessibleDescription().split(QLatin1Char(' '));
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[1], QStringLiteral("zoom"));
    EXPECT_EQ(parts[2], QStringLiteral("15"));
    const QStringList bounds = parts[0].split(QLatin1Char(','));
    ASSERT_EQ(bounds.size(), 4);
    const double south = bounds[0].toDouble();
    const double west = bounds[1].toDouble();
    EXPECT_LT(south, kZurichLat);
    EXPECT_GT(bounds[2].toDouble(), kZurichLat);
    EXPECT_LT(west, kZurichLon);
    EXPECT_GT(bounds[3].toDouble(), kZurichLon);
    EXPECT_EQ(bounds[0].section(QLatin1Char('.'), 1).size(), 6) << "six decimals";

    QTest::keyClick(&plain.map, Qt::Key_Plus);
    EXPECT_EQ(plain.map.Zoom(), 16);
    EXPECT_TRUE(plain.map.accessibleDescription().endsWith(QStringLiteral("zoom 16")));
    QTest::keyClick(&plain.map, Qt::Key_Minus);
    QTest::keyClick(&plain.map, Qt::Key_Minus);
    EXPECT_EQ(plain.map.Zoom(), 14);
    const double before = plain.map.Center().x;
    QTest::keyClick(&plain.map, Qt::Key_Right);
    EXPECT_GT(plain.map.Center().x, before);
}

// A folder of generated tiles, one colour each.
QString MakeTiles(const QTemporaryDir& dir, int zoom) {
    for (int x = 0; x < (1 << zoom); ++x) {
        for (int y = 0; y < (1 << zoom); ++y) {
            QDir().mkpath(dir.path() + QStringLiteral("/%1/%2").arg(zoom).arg(x));
            QImage tile(256, 256, QImage::Format_RGB32);
            tile.fill(QColor(x * 30 % 256, y * 30 % 256, 128));
            tile.save(dir.path() + QStringLiteral("/%1/%2/%3.png").arg(zoom).arg(x).arg(y));
        }
    }
    return QStringLiteral("file://") + dir.path() + QStringLiteral("/{z}/{x}/{y}.png");
}

TEST(MapTiles, comeOnlyForTheViewOnceEachAndNotForAHiddenMap) {
    QTemporaryDir dir;
    MapTiles tiles(nullptr, MakeTiles(dir, 3), QString());
    MapView map(nullptr, &tiles);
    map.resize(300, 200);
    map.SetView({0.5, 0.5}, 3);
    EXPECT_EQ(tiles.RequestsMade(), 0) << "a hidden map asks for nothing";

    map.show();
    const int inView = static_cast<int>(TilesInView(1024 - 150, 1024 - 100, 300, 200, 3).size());
    QSignalSpy arrived(&tiles, &MapTiles::tileArrived);
    while (arrived.size() < inView) {
        ASSERT_TRUE(arrived.wait(5000));
    }
    EXPECT_EQ(tiles.RequestsMade(), inView);
    EXPECT_NE(tiles.Tile({3, 3, 3}), nullptr);
    EXPECT_EQ(tiles.Tile({3, 0, 0}), nullptr) << "off screen";
    map.update();
    QApplication::processEvents();
    map.SetView({0.5, 0.5}, 3);  // the same view again: nothing new
    EXPECT_EQ(tiles.RequestsMade(), inView);
}

TEST(MapTiles, sayOnceThatTheyCannotBeHadAndTheMapStillDraws) {
    MapTiles tiles(nullptr, QStringLiteral("file:///no/such/folder/{z}/{x}/{y}.png"), QString());
    QSignalSpy unavailable(&tiles, &MapTiles::tilesUnavailable);
    MapView map(nullptr, &tiles);
    map.resize(600, 400);
    map.SetView({0.5, 0.5}, 4);
    map.show();
    ASSERT_TRUE(unavailable.wait(5000));
    QTest::qWait(200);
    EXPECT_EQ(unavailable.size(), 1) << "one message, not one per tile";
    EXPECT_FALSE(map.grab().isNull());
}

// A tile server on this machine: every request noted, every answer a tile the client may keep
// for a day.
class TileServer : public QTcpServer {
public:
    TileServer() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    buffer_ += socket->readAll();
                    while (buffer_.contains("\r\n\r\n")) {
                        const qsizetype end = buffer_.indexOf("\r\n\r\n") + 4;
                        requests << QString::fromLatin1(buffer_.left(end));
                        buffer_.remove(0, end);
                        Answer(*socket);
                    }
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QString Template() const {
        return QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(serverPort());
    }
    QStringList requests;

private:
    static void Answer(QTcpSocket& socket) {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(Qt::darkGreen);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        tile.save(&buffer, "PNG");
        socket.write(
            "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: max-age=86400"
            "\r\nContent-Length: " +
            QByteArray::number(png.size()) + "\r\n\r\n" + png);
    }
    QByteArray buffer_;
};

TEST(MapTiles, nameGeotalAndComeFromTheDiskCacheOnASecondStart) {
    TileServer server;
    ASSERT_TRUE(server.isListening());
    QTemporaryDir cache;
    const auto fetch = [&] {
        MapTiles tiles(nullptr, server.Template(), cache.path());
        QSignalSpy arrived(&tiles, &MapTiles::tileArrived);
        tiles.Want({{2, 1, 1}, {2, 2, 1}});
        while (arrived.size() < 2) {
            if (!arrived.wait(5000)) {
                return false;
            }
        }
        return tiles.Tile({2, 1, 1}) != nullptr && tiles.Tile({2, 2, 1}) != nullptr;
    };
    ASSERT_TRUE(fetch());
    ASSERT_EQ(server.requests.size(), 2);
    EXPECT_TRUE(server.requests[0].startsWith(QStringLiteral("GET /2/")));
    EXPECT_TRUE(server.requests[0].contains(QStringLiteral("User-Agent: Geotal/")))
        << server.requests[0].toStdString();
    ASSERT_TRUE(fetch());
    EXPECT_EQ(server.requests.size(), 2) << "the second start asked the server for nothing";
}

// The window: rows dropped on the map are placed as a paste places them, and the selection
// follows from the map to the sorted list and back.
class MapInWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString photos = dir_.path() + QStringLiteral("/photos");
        QDir().mkpath(photos);
        QDir().mkpath(dir_.path() + QStringLiteral("/gps"));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            test::MakePhoto(photos + QLatin1Char('/') + QLatin1String(name), "2010:05:01 10:05:00");
        }
        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos.toStdString();
        settings.gpsFolder = (dir_.path() + QStringLiteral("/gps")).toStdString();
        window_->ApplySettings(settings);
        window_->show();
        window_->OnCommand(kLoadDataFiles);
        map_ = window_->findChild<MapView*>();
    }

    QTemporaryDir dir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
    MapView* map_ = nullptr;
};

TEST_F(MapInWindowTest, rowsDroppedOnTheMapArePlacedCheckedAndUnwritten) {
    ASSERT_NE(map_, nullptr);
    ASSERT_TRUE(map_->isVisible());
    map_->SetView(ToWorld(kZurichLat, kZurichLon), 12);
    Drop(*map_, {0, 2}, QPoint(map_->width() / 2, map_->height() / 2));
    const PhotoRecord& a = window_->Photos()[0];
    ASSERT_TRUE(a.position);
    EXPECT_NEAR(a.position->LatitudeDegrees(), kZurichLat, 0.001);
    EXPECT_FALSE(a.position->altitude);
    EXPECT_TRUE(a.marked);
    EXPECT_TRUE(window_->Photos()[2].position);
    EXPECT_FALSE(window_->Photos()[1].position);
    EXPECT_TRUE(test::CellToolTip(*window_, 0, 0).contains(QStringLiteral("placed by hand")));
    EXPECT_TRUE(window_->Control(kUpdatePhotoFiles)->isEnabled());
    EXPECT_EQ(window_->Photos().UnwrittenCount(), 2);
}

// Positions placed by hand are work not yet saved: a new load asks before it replaces them.
TEST_F(MapInWindowTest, aLoadAsksBeforeItReplacesPositionsPlacedByHand) {
    map_->SetView(ToWorld(kZurichLat, kZurichLon), 12);
    Drop(*map_, {1}, QPoint(120, 80));
    ASSERT_TRUE(window_->Photos()[1].position);
    ui_->messages.clear();  // the first load's word on the empty GPS folder
    ui_->answers.push_back(MessageAnswer::No);
    window_->OnCommand(kLoadDataFiles);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_TRUE(
        ui_->messages[0].text.startsWith(QStringLiteral("1 positions are not written yet")));
    EXPECT_TRUE(window_->Photos()[1].position) << "No: the rows stay as they were";
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kLoadDataFiles);
    EXPECT_FALSE(window_->Photos()[1].position) << "Yes: the folder is read again";
}

TEST_F(MapInWindowTest, aDoubleClickedRowCentresTheMapOnItsPhoto) {
    map_->SetView(ToWorld(kZurichLat, kZurichLon), 12);
    Drop(*map_, {2}, QPoint(40, 30));
    const WorldPoint placed = ToWorld(window_->Photos()[2].position->LatitudeDegrees(),
                                      window_->Photos()[2].position->LongitudeDegrees());
    QTableView* table = test::PhotoTable(*window_);
    const QPoint cell = table->visualRect(table->model()->index(2, 1)).center();
    // As a mouse does it: a press and release, then the second press that makes it double.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    EXPECT_NEAR(map_->Center().x, placed.x, 1e-9);
    EXPECT_NEAR(map_->Center().y, placed.y, 1e-9);
}

TEST_F(MapInWindowTest, theSelectionFollowsBothWaysOnASortedList) {
    test::PhotoTable(*window_)->sortByColumn(0, Qt::DescendingOrder);  // c, b, a
    test::SelectRows(*window_, {0});                                   // c.jpg
    EXPECT_EQ(map_->Selected(), std::set<int>{2});

    map_->SetView(ToWorld(kZurichLat, kZurichLon), 12);
    Drop(*map_, {0}, QPoint(100, 100));
    QTest::mouseClick(map_, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(window_->PhotoListControl().SelectedRecords(), std::vector<int>{0});
    EXPECT_EQ(test::CellText(*window_, 2, 0), QStringLiteral("a.jpg"));
}

}  // namespace
}  // namespace geotal::app
