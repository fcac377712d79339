#include <QApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

// A loaded window over four photos: a.jpg at 47.519 N 8.25 E (the first row), b.jpg and
// d.jpg without a position, c.jpg at 33.8688 S 151.2093 E.
class MapAndCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString photos = dir_.path() + QStringLiteral("/photos");
        QDir().mkpath(photos);
        test::MakePhoto(photos + QStringLiteral("/a.jpg"), "2010:05:01 12:00:00", 47.519, 8.25);
        test::MakePhoto(photos + QStringLiteral("/b.jpg"), "2010:05:01 12:01:00");
        test::MakePhoto(photos + QStringLiteral("/c.jpg"), "2010:05:01 12:02:00", -33.8688,
                        151.2093);
        test::MakePhoto(photos + QStringLiteral("/d.jpg"), "2010:05:01 12:03:00");
        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos.toStdString();
        settings.gpsFolder = dir_.path().toStdString();
        window_->ApplySettings(settings);
        window_->show();
        window_->OnCommand(kLoadDataFiles);
        // The folder holds no track, and the load says so; these photos need none.
        ASSERT_EQ(ui_->messages.size(), 1u);
        ui_->messages.clear();
        QApplication::processEvents();
    }
    QTableView* Table() const { return test::PhotoTable(*window_); }
    void ClickRow(int row) { test::ClickRow(*window_, row); }
    void SelectOnly(const QList<int>& rows) {
        Table()->clearSelection();
        for (int row : rows) {
            Table()->selectionModel()->select(
                Table()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QString Text(int row, int column) const { return test::CellText(*window_, row, column); }
    QString LastMessage() const {
        return ui_->messages.empty() ? QString() : ui_->messages.back().text;
    }

    QTemporaryDir dir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(MapAndCopyTest, showOnMapOpensTheClickedPhotosPositionOrSaysItHasNone) {
    window_->OnCommand(kShowOnMap);
    EXPECT_TRUE(ui_->webAddresses.empty()) << "no row clicked or selected yet";
    ASSERT_EQ(ui_->messages.size(), 1u) << "says so rather than doing nothing";
    EXPECT_TRUE(LastMessage().contains(QStringLiteral("select a photo")))
        << LastMessage().toStdString();
    ui_->messages.clear();

    ClickRow(0);  // the first photo, which has a position
    window_->OnCommand(kShowOnMap);
    ClickRow(2);
    window_->OnCommand(kShowOnMap);
    ASSERT_EQ(ui_->webAddresses.size(), 2u);
    const QString mapQuest = QStringLiteral(
        "https://www.mapquest.com/maps/map.adp?searchtype=address&formtype=latlong"
        "&latlongtype=decimal&");
    EXPECT_EQ(ui_->webAddresses[0],
              mapQuest + QStringLiteral("latitude=47.51900&longitude=8.25000&zoom=8"));
    EXPECT_EQ(ui_->webAddresses[1],
              mapQuest + QStringLiteral("latitude=-33.86880&longitude=151.20930&zoom=8"));

    ClickRow(1);  // no position: a warning, not the first photo's map
    window_->OnCommand(kShowOnMap);
    EXPECT_EQ(ui_->webAddresses.size(), 2u);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(LastMessage(), QStringLiteral("No coordinates have been caclulated for this photo. "
                                            "Cannot show on map."));
    EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning);
}

TEST_F(MapAndCopyTest, copyThenPasteGivesEverySelectedRowThePositionAndChecksIt) {
    ClickRow(0);  // the first row is a source like any other
    window_->OnCommand(kCommandCopy);
    EXPECT_TRUE(ui_->messages.empty());
    SelectOnly({1, 2, 3});
    window_->OnCommand(kCommandPaste);
    EXPECT_TRUE(ui_->messages.empty());
    for (int row : {1, 2, 3}) {
        EXPECT_EQ(Text(row, 2), QStringLiteral("47.519000")) << row;
        EXPECT_EQ(Text(row, 3), QStringLiteral("8.250000")) << row;
        EXPECT_TRUE(test::RowChecked(*window_, row)) << row;
        EXPECT_TRUE(window_->Photos()[row].marked) << row;
    }
    EXPECT_FALSE(test::RowChecked(*window_, 0)) << "the source keeps its check box";
    EXPECT_EQ(test::CellToolTip(*window_, 2, 0),
              QStringLiteral("Position pasted from another photo"));
}

TEST_F(MapAndCopyTest, refusesACopyWithoutASourceAndAPasteWithoutTargetsOrACopy) {
    const QString chooseSource = QStringLiteral("Please choose a picture to copy coordinates from");
    const QString chooseTargets =
        QStringLiteral("Please choose picture(s) to paste coordinates to");

    window_->OnCommand(kCommandCopy);  // nothing clicked yet
    EXPECT_EQ(LastMessage(), chooseSource);
    ClickRow(1);  // a row without a position
    window_->OnCommand(kCommandCopy);
    EXPECT_EQ(LastMessage(), chooseSource);

    SelectOnly({3});
    window_->OnCommand(kCommandPaste);  // nothing copied yet: no invented place
    EXPECT_EQ(LastMessage(), chooseSource);
    EXPECT_EQ(Text(3, 2), QString());
    EXPECT_FALSE(window_->Photos()[3].HasPosition());

    ClickRow(0);
    window_->OnCommand(kCommandCopy);
    SelectOnly({});
    window_->OnCommand(kCommandPaste);
    EXPECT_EQ(LastMessage(), chooseTargets);
    for (const FakeUiServices::Message& message : ui_->messages) {
        EXPECT_EQ(message.typeWord, kMessageWarning);
    }
    EXPECT_EQ(ui_->messages.size(), 4u);
}

}  // namespace
}  // namespace geotal::app
