#include "app/PhotoListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "app/QtPrinters.h"

namespace geotal::app {
namespace {

PhotoList MakePhotos(int count) {
    PhotoList photos;
    for (int i = 0; i < count; ++i) {
        PhotoRecord record;
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
        record.fileName = name;
        record.captureTime = 40179.5;
        record.marked = i % 2 == 0;
        if (i % 3 != 0) {
            record.latitude = 171036.0;
            record.longitude = -29700.0;
        }
        photos.records.push_back(record);
    }
    return photos;
}

class PhotoListViewTest : public ::testing::Test {
protected:
    PhotoListViewTest() : view_(&table_) {
        table_.resize(600, 300);
        view_.SetUpColumns();
    }
    QTableWidget table_;
    PhotoListView view_;
};

TEST_F(PhotoListViewTest, fillShowsEveryRecordWithMarksAndTexts) {
    PhotoList photos = MakePhotos(4);
    photos[3].longitude = 0;
    photos[0].longitude = 0;  // 0/0: no position
    photos[3].latitude = 0;   // on the equator: a position like any other
    photos[3].longitude = 5000;
    view_.FillPhotoList(photos, CoordinateFormat::DecimalDegrees);

    ASSERT_EQ(table_.rowCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(photos[i].listItem, i);
        EXPECT_EQ(view_.IsChecked(i), photos[i].marked);
        EXPECT_EQ(table_.item(i, 1)->text(), QStringLiteral("2010/01/01 12:00:00"));
    }
    EXPECT_EQ(table_.item(0, 2), nullptr);
    EXPECT_EQ(table_.item(1, 2)->text(), QStringLiteral("47.510000"));
    EXPECT_EQ(table_.item(1, 3)->text(), QStringLiteral("-8.250000"));
    EXPECT_EQ(table_.item(3, 2)->text(), QStringLiteral("0.000000"));

    view_.FillPhotoList(photos, CoordinateFormat::DegreesMinutesSeconds);
    EXPECT_EQ(table_.item(1, 2)->text(), QStringLiteral("47 30 36.00"));
}

TEST_F(PhotoListViewTest, markingButtonsChangeOnlyCheckBoxesUntilMarksAreRead) {
    PhotoList photos = MakePhotos(5);
    view_.FillPhotoList(photos, CoordinateFormat::DecimalDegrees);

    view_.CheckSelected(true);  // nothing selected: nothing changes
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(view_.IsChecked(i), i % 2 == 0);
    }
    view_.CheckAll(false);
    EXPECT_TRUE(photos[0].marked) << "records follow only at the next read";
    view_.ReadMarksFromList(photos);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(photos[i].marked);
    }

    table_.selectRow(1);
    table_.selectionModel()->select(table_.model()->index(3, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view_.CheckSelected(true);
    view_.ReadMarksFromList(photos);
    EXPECT_EQ((std::vector<bool>{photos[0].marked, photos[1].marked, photos[2].marked,
                                 photos[3].marked, photos[4].marked}),
              (std::vector<bool>{false, true, false, true, false}));
    view_.CheckAll(true);
    view_.CheckSelected(false);
    view_.ReadMarksFromList(photos);
    EXPECT_TRUE(photos[0].marked);
    EXPECT_FALSE(photos[1].marked);
    EXPECT_FALSE(photos[3].marked);
}

TEST_F(PhotoListViewTest, aRecordWithoutARowKeepsItsMark) {
    PhotoList photos = MakePhotos(2);
    view_.FillPhotoList(photos, CoordinateFormat::DecimalDegrees);
    photos.records.push_back(photos[0]);
    photos[2].listItem = -1;
    photos[2].marked = true;
    view_.CheckAll(false);
    view_.ReadMarksFromList(photos);
    EXPECT_TRUE(photos[2].marked);
}

TEST_F(PhotoListViewTest, refillKeepsTheTopRowOfAScrolledList) {
    table_.show();
    PhotoList photos = MakePhotos(200);
    view_.FillPhotoList(photos, CoordinateFormat::DecimalDegrees);
    table_.doItemsLayout();
    table_.scrollToItem(table_.item(120, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const int top = table_.rowAt(0);
    ASSERT_GT(top, 100);
    view_.FillPhotoList(photos, CoordinateFormat::DegreesMinutes);
    QApplication::processEvents();
    EXPECT_EQ(table_.rowAt(0), top);
}

TEST_F(PhotoListViewTest, aClickReportsItsRowAndEmptySpaceNothing) {
    table_.show();
    PhotoList photos = MakePhotos(3);
    view_.FillPhotoList(photos, CoordinateFormat::DecimalDegrees);
    QApplication::processEvents();
    QSignalSpy clicks(&view_, &PhotoListView::rowClicked);
    const QRect second = table_.visualItemRect(table_.item(2, 1));
    QTest::mouseClick(table_.viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 2);
    QTest::mouseClick(table_.viewport(), Qt::LeftButton, {},
                      QPoint(5, table_.viewport()->height() - 3));
    EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace geotal::app
