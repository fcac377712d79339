// Thumbnails in the photo list: read once off the window's thread, each drawn in its own
// photo's row however the list is sorted, gone with View > Thumbnails unchecked.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoListModel.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/ThumbnailCache.h"
#include "app/ThumbnailDelegate.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

void MakePicture(const QString& path, QColor colour) {
    QImage image(240, 160, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "JPEG", 95));
}

TEST(ThumbnailCache, readsEachPhotoOnceAndKeepsIt) {
    QTemporaryDir dir;
    const QString red = dir.filePath(QStringLiteral("red.jpg"));
    const QString missing = dir.filePath(QStringLiteral("missing.jpg"));
    MakePicture(red, Qt::red);
    ThumbnailCache cache;
    QSignalSpy arrived(&cache, &ThumbnailCache::thumbnailReady);
    EXPECT_FALSE(cache.Find(red, 64));
    cache.Request(red, 64);
    cache.Request(red, 64);  // asked twice while it is read: read once
    cache.Request(missing, 64);
    EXPECT_EQ(cache.Pending(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived.count() == 2; }, 10000));
    EXPECT_EQ(cache.Pending(), 0);

    const std::optional<Thumbnail> found = cache.Find(red, 64);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->pixmap.size(), QSize(64, 42));
    // A photo that gave no picture is kept too, with why, so that it is not read again.
    const std::optional<Thumbnail> none = cache.Find(missing, 64);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->pixmap.isNull());
    EXPECT_FALSE(none->why.isEmpty());
    // Another size is another thumbnail.
    EXPECT_FALSE(cache.Find(red, 128));

    cache.Request(red, 64);
    cache.Request(missing, 64);
    EXPECT_EQ(cache.Pending(), 0);
    QTest::qWait(50);
    EXPECT_EQ(arrived.count(), 2);
}

TEST(ThumbnailCache, dropsWhatIsQueuedButNotWhatIsBeingRead) {
    QTemporaryDir dir;
    ThumbnailCache cache(nullptr, 1);
    QSignalSpy arrived(&cache, &ThumbnailCache::thumbnailReady);
    // Photos without a preview, large enough to take a moment each.
    QImage large(3000, 2000, QImage::Format_RGB32);
    large.fill(Qt::blue);
    QStringList paths;
    for (int i = 0; i < 30; ++i) {
        paths << dir.filePath(QStringLiteral("%1.jpg").arg(i));
        ASSERT_TRUE(large.save(paths.back(), "JPEG"));
    }
    for (const QString& path : paths) {
        cache.Request(path, 64);
    }
    cache.DropPending();
    EXPECT_EQ(cache.Pending(), 0);
    QTest::qWait(300);
    // One thread: at most the photo it had started on arrives.
    EXPECT_LE(arrived.count(), 1);
}

// Three photos of three colours, a to c; the list sorted by name, last first, shows c, b, a.
class ThumbnailListTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString photos = dir_.path() + QStringLiteral("/photos");
        QDir().mkpath(photos);
        MakePicture(photos + QStringLiteral("/a.jpg"), Qt::red);
        MakePicture(photos + QStringLiteral("/b.jpg"), Qt::green);
        MakePicture(photos + QStringLiteral("/c.jpg"), Qt::blue);
        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos.toStdString();
        settings.gpsFolder = dir_.path().toStdString();
        window_->ApplySettings(settings);
        window_->PhotoListControl().ShowThumbnails(true);
        window_->show();
        window_->OnCommand(kLoadDataFiles);
        ui_->messages.clear();
        Table()->sortByColumn(PhotoListModel::kName, Qt::DescendingOrder);
        QApplication::processEvents();
        ASSERT_EQ(test::CellText(*window_, 0, 0), QStringLiteral("c.jpg"));
    }
    QTableView* Table() const { return test::PhotoTable(*window_); }

    // How many pixels of the row's name cell, as drawn on screen, are near the colour.
    int PixelsOf(int row, QColor colour) const {
        const QRect cell = Table()->visualRect(Table()->model()->index(row, 0));
        const QImage shown = Table()->viewport()->grab(cell).toImage();
        int count = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QColor pixel = shown.pixelColor(x, y);
                count += std::abs(pixel.red() - colour.red()) < 40 &&
                         std::abs(pixel.green() - colour.green()) < 40 &&
                         std::abs(pixel.blue() - colour.blue()) < 40;
            }
        }
        return count;
    }

    QTemporaryDir dir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(ThumbnailListTest, drawsEachPhotosPictureInItsOwnRowOfASortedList) {
    const QColor colours[] = {Qt::blue, Qt::green, Qt::red};  // c, b, a
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Table()->viewport()->repaint();
            return PixelsOf(0, Qt::blue) > 1000 && PixelsOf(1, Qt::green) > 1000 &&
                   PixelsOf(2, Qt::red) > 1000;
        },
        10000));
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        for (int other = 0; other < 3; ++other) {
            if (other == row) {
                EXPECT_GT(PixelsOf(row, colours[other]), 1000);
            } else {
                EXPECT_EQ(PixelsOf(row, colours[other]), 0);
            }
        }
    }
    // Rows hold a thumbnail; the delegate finds each row's photo through the sorting.
    EXPECT_GE(Table()->rowHeight(0), ThumbnailDelegate::kSide);
    ThumbnailDelegate& delegate = window_->PhotoListControl().Thumbnails();
    EXPECT_TRUE(delegate.PathOf(delegate.RecordOf(Table()->model()->index(0, 0)))
                    .endsWith(QStringLiteral("/c.jpg")));
}

TEST_F(ThumbnailListTest, uncheckedTheRowsAreTextAgainAndTheChoiceIsKept) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Table()->viewport()->repaint();
            return PixelsOf(0, Qt::blue) > 1000;
        },
        10000));
    window_->PhotoListControl().ShowThumbnails(false);
    Table()->viewport()->repaint();
    EXPECT_LT(Table()->rowHeight(0), ThumbnailDelegate::kSide);
    EXPECT_EQ(PixelsOf(0, Qt::blue), 0);
    EXPECT_EQ(test::CellText(*window_, 0, 0), QStringLiteral("c.jpg"));
    window_->close();
    Settings stored;
    SettingsStore::Load(stored);
    EXPECT_FALSE(stored.thumbnailsShown);
    stored.thumbnailsShown = true;  // as the next test expects to find it
    SettingsStore::Save(stored);
}

// A photo that gives no picture shows a crossed frame, and hovering over its name says why.
TEST_F(ThumbnailListTest, hoveringOverAPhotoWithoutPictureSaysWhy) {
    QFile broken(dir_.path() + QStringLiteral("/photos/d.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\xff\xd8\xff\xe0 no picture here");
    broken.close();
    window_->OnCommand(kLoadDataFiles);
    ui_->messages.clear();
    ASSERT_EQ(test::CellText(*window_, 0, 0), QStringLiteral("d.jpg"));
    ThumbnailDelegate& delegate = window_->PhotoListControl().Thumbnails();
    const QString path = delegate.PathOf(delegate.RecordOf(Table()->model()->index(0, 0)));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Table()->viewport()->repaint();
            return delegate.Cache().Find(path, ThumbnailDelegate::kSide).has_value();
        },
        10000));
    EXPECT_EQ(PixelsOf(0, Qt::blue), 0);
    const QPoint at = Table()->visualRect(Table()->model()->index(0, 0)).center();
    QHelpEvent hover(QEvent::ToolTip, at, Table()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(Table()->viewport(), &hover);
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("No thumbnail: ")))
        << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("its picture cannot be read")))
        << QToolTip::text().toStdString();
    // A photo with its picture has no such line.
    const QPoint good = Table()->visualRect(Table()->model()->index(1, 0)).center();
    QToolTip::hideText();
    QHelpEvent hoverGood(QEvent::ToolTip, good, Table()->viewport()->mapToGlobal(good));
    QApplication::sendEvent(Table()->viewport(), &hoverGood);
    EXPECT_FALSE(QToolTip::text().contains(QStringLiteral("No thumbnail")));
}

// A new folder's rows come first: what the old folder queued is dropped with its rows.
TEST_F(ThumbnailListTest, aNewFolderDropsTheOldFoldersQueue) {
    ThumbnailCache& cache = window_->PhotoListControl().Thumbnails().Cache();
    QImage large(3000, 2000, QImage::Format_RGB32);
    large.fill(Qt::blue);
    for (int i = 0; i < 20; ++i) {
        const QString path = dir_.filePath(QStringLiteral("queued%1.jpg").arg(i));
        ASSERT_TRUE(large.save(path, "JPEG"));
        cache.Request(path, 64);
    }
    ASSERT_GT(cache.Pending(), 0);
    window_->PhotoListControl().Replace(PhotoList());
    EXPECT_EQ(cache.Pending(), 0);
}

// A camera numbers each card's photos anew: loading the folder again after its photos were
// replaced by others of the same names shows the new photos, not the pictures read before.
TEST_F(ThumbnailListTest, aNewLoadShowsTheNewPhotosOfTheSameNames) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Table()->viewport()->repaint();
            return PixelsOf(2, Qt::red) > 1000;
        },
        10000));
    MakePicture(dir_.path() + QStringLiteral("/photos/a.jpg"), Qt::yellow);
    window_->OnCommand(kLoadDataFiles);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Table()->viewport()->repaint();
            return PixelsOf(2, Qt::yellow) > 1000;
        },
        10000));
    EXPECT_EQ(PixelsOf(2, Qt::red), 0);
}

}  // namespace
}  // namespace geotal::app
