#include "app/PhotoListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "app/QtPrinters.h"
#include "photo/MarkedRows.h"

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
            record.position = GeoPosition{171036.0, -29700.0, {}, {}};
        }
        photos.records.push_back(record);
    }
    return photos;
}

class PhotoListViewTest : public ::testing::Test {
protected:
    PhotoListViewTest() : model_(new PhotoListModel(&table_)), view_(&table_, model_) {
        table_.resize(600, 300);
        view_.SetUpColumns();
    }
    QString Text(int row, int column) const { return model_->index(row, column).data().toString(); }
    bool Checked(int row) const {
        return model_->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    void Click(int row) {
        const QRect rect = table_.visualRect(table_.model()->index(row, 1));
        QTest::mouseClick(table_.viewport(), Qt::LeftButton, {}, rect.center());
    }
    void ClickCheckBox(int row) {
        const QRect rect = table_.visualRect(table_.model()->index(row, 0));
        QTest::mouseClick(table_.viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + rect.height() / 2 + 2, rect.center().y()));
    }
    void Select(std::initializer_list<int> rows) {
        table_.clearSelection();
        for (int row : rows) {
            table_.selectionModel()->select(
                model_->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    QTableView table_;
    PhotoListModel* model_;
    PhotoListView view_;
};

TEST_F(PhotoListViewTest, showsEveryRecordWithMarksTextsAndItsNoteOnEveryCell) {
    PhotoList photos = MakePhotos(4);
    photos[3].position = GeoPosition{0, 5000, {}, {}};  // on the equator: a position like any other
    photos[1].note = "Interpolated between 10:00:00 and 10:10:00 UTC";
    view_.Replace(std::move(photos));

    ASSERT_EQ(model_->rowCount(), 4);
    EXPECT_EQ(model_->headerData(0, Qt::Horizontal, Qt::DisplayRole), QStringLiteral("Photo File"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Checked(i), i % 2 == 0);
        EXPECT_EQ(Text(i, 0), QString::fromStdString(model_->Photos()[i].fileName));
        EXPECT_EQ(Text(i, 1), QStringLiteral("2010/01/01 12:00:00"));
    }
    EXPECT_EQ(Text(0, 2), QString());
    EXPECT_EQ(Text(1, 2), QStringLiteral("47.510000"));
    EXPECT_EQ(Text(1, 3), QStringLiteral("-8.250000"));
    EXPECT_EQ(Text(3, 2), QStringLiteral("0.000000"));
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(model_->index(1, column).data(Qt::ToolTipRole).toString(),
                  QStringLiteral("Interpolated between 10:00:00 and 10:10:00 UTC"));
    }

    model_->SetCoordinateFormat(CoordinateFormat::DegreesMinutesSeconds);
    EXPECT_EQ(Text(1, 2), QStringLiteral("47 30 36.00"));
}

// The check box is the record's mark: there is no second copy to fall out of step.
TEST_F(PhotoListViewTest, aCheckBoxAndTheMarkingButtonsChangeTheRecordsMarks) {
    table_.show();
    view_.Replace(MakePhotos(5));
    QApplication::processEvents();
    const PhotoList& photos = model_->Photos();

    view_.CheckSelected(true);  // nothing selected: nothing changes
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(photos[i].marked, i % 2 == 0);
    }
    ClickCheckBox(1);
    EXPECT_TRUE(photos[1].marked) << "a click on the check box";
    view_.CheckAll(false);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(photos[i].marked);
        EXPECT_FALSE(Checked(i));
    }
    Select({1, 3});
    view_.CheckSelected(true);
    EXPECT_EQ(geotal::test::MarkedRows(photos), (std::vector<int>{1, 3}));
    view_.CheckAll(true);
    view_.CheckSelected(false);
    EXPECT_EQ(geotal::test::MarkedRows(photos), (std::vector<int>{0, 2, 4}));
    model_->SetCoordinateFormat(CoordinateFormat::DegreesMinutes);
    EXPECT_EQ(geotal::test::MarkedRows(photos), (std::vector<int>{0, 2, 4}))
        << "a redraw keeps the marks";
}

TEST_F(PhotoListViewTest, aNewFolderKeepsTheTopRowOfAScrolledList) {
    table_.show();
    view_.Replace(MakePhotos(200));
    table_.doItemsLayout();
    table_.scrollTo(table_.model()->index(120, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const int top = table_.rowAt(0);
    ASSERT_GT(top, 100);
    view_.Replace(MakePhotos(200));
    QApplication::processEvents();
    EXPECT_EQ(table_.rowAt(0), top);
}

// Sorted by a header, a row still names its own record: marks, clicks and the selection reach
// the photo the row shows.
TEST_F(PhotoListViewTest, aSortedListKeepsEachRowWithItsOwnRecord) {
    table_.show();
    PhotoList photos = MakePhotos(4);
    for (int i = 0; i < 4; ++i) {
        photos[i].captureTime = 40179.5 - i;  // the later the name, the earlier the photo
        photos[i].marked = false;
    }
    view_.Replace(std::move(photos));
    QApplication::processEvents();
    table_.sortByColumn(PhotoListModel::kTime, Qt::AscendingOrder);
    QApplication::processEvents();
    EXPECT_EQ(table_.model()->index(0, 0).data().toString(), QStringLiteral("IMG_0003.JPG"));
    EXPECT_EQ(view_.RecordOfRow(0), 3);
    QSignalSpy clicks(&view_, &PhotoListView::recordClicked);
    Click(0);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 3);
    ClickCheckBox(1);
    EXPECT_EQ(geotal::test::MarkedRows(model_->Photos()), std::vector<int>{2});
    Select({0, 3});
    EXPECT_EQ(view_.SelectedRecords(), (std::vector<int>{0, 3}));
    view_.CheckSelected(true);
    EXPECT_EQ(geotal::test::MarkedRows(model_->Photos()), (std::vector<int>{0, 2, 3}));
}

TEST_F(PhotoListViewTest, theKeyboardChoosesARecordAsAClickDoes) {
    table_.show();
    view_.Replace(MakePhotos(3));
    QApplication::processEvents();
    QSignalSpy chosen(&view_, &PhotoListView::currentRecordChanged);
    Click(0);
    table_.setFocus();
    QTest::keyClick(&table_, Qt::Key_Down);
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.back()[0].toInt(), 1);
    EXPECT_EQ(view_.CurrentRecord(), 1);
}

TEST_F(PhotoListViewTest, aClickReportsItsRecordAndEmptySpaceNothing) {
    table_.show();
    view_.Replace(MakePhotos(3));
    QApplication::processEvents();
    QSignalSpy clicks(&view_, &PhotoListView::recordClicked);
    Click(2);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 2);
    EXPECT_EQ(view_.CurrentRecord(), 2);
    QTest::mouseClick(table_.viewport(), Qt::LeftButton, {},
                      QPoint(5, table_.viewport()->height() - 3));
    EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace geotal::app
