// Every command that acts on "this row" reaches the row's own photo when the list is sorted by
// another column than the file name: the context menu, tooltips, copy, paste, Show on Map and
// marking the selection.
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/ModalSteps.h"
#include "app/PhotoListModel.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/SyncClockDialog.h"
#include "app/TestPhotos.h"
#include "photo/PhotoMetadata.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

// Four photos, a.jpg to d.jpg a minute apart; a.jpg at 47.519 N 8.25 E, c.jpg at 33.8688 S
// 151.2093 E. Sorted by date/time, latest first, the rows show d, c, b, a.
class SortedListTest : public ::testing::Test {
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
        ui_->messages.clear();
        Table()->sortByColumn(PhotoListModel::kTime, Qt::DescendingOrder);
        QApplication::processEvents();
        ASSERT_EQ(Text(0, 0), QStringLiteral("d.jpg"));
        ASSERT_EQ(Text(3, 0), QStringLiteral("a.jpg"));
    }
    QTableView* Table() const { return test::PhotoTable(*window_); }
    QString Text(int row, int column) const { return test::CellText(*window_, row, column); }

    // Opens the context menu on a row and chooses the entry that starts with the text given;
    // then, the steps on the dialog the entry opens.
    template <typename D = SyncClockDialog>
    void ChooseFromContextMenu(int row, const QString& entry,
                               std::function<void(D&)> dialogSteps = nullptr) {
        const QPoint at = Table()->visualRect(Table()->model()->index(row, 1)).center();
        QTimer::singleShot(0, [entry, dialogSteps] {
            if (dialogSteps) {
                test::WhenUp<D>(dialogSteps);  // armed now, it runs in the dialog's own loop
            }
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(entry)) {
                    // As a user picks it, so that the menu answers with it.
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
            ADD_FAILURE() << "no entry " << entry.toStdString();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, Table()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(Table()->viewport(), &event);
    }

    QTemporaryDir dir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

// The last row shows a.jpg: the sync dialog names it, and its sync is the one removed again.
TEST_F(SortedListTest, theContextMenuSynchronisesAndUnsynchronisesTheRowsOwnPhoto) {
    QString named;
    ChooseFromContextMenu<SyncClockDialog>(
        3, QStringLiteral("Synchronise camera clock"), [&named](SyncClockDialog& dialog) {
            named = qobject_cast<QLineEdit*>(dialog.Control(res::sync_clock::kCameraTime))->text();
            qobject_cast<QLineEdit*>(dialog.Control(res::sync_clock::kShownTime))
                ->setText(QStringLiteral("2010/05/01 11:59:23"));
            dialog.accept();
        });
    EXPECT_TRUE(named.startsWith(QStringLiteral("a.jpg: "))) << named.toStdString();
    ASSERT_EQ(window_->Adjustment().cameras.at("TestCam").syncPoints.size(), 1u);
    EXPECT_EQ(window_->Adjustment().cameras.at("TestCam").syncPoints[0].clockErrorSeconds, 37);
    EXPECT_TRUE(window_->IsSyncPhoto(0)) << "record 0, a.jpg";

    ChooseFromContextMenu(3, QStringLiteral("Remove the clock sync"));
    EXPECT_TRUE(window_->Adjustment().cameras.at("TestCam").syncPoints.empty());
    EXPECT_FALSE(window_->IsSyncPhoto(0));
}

// A second sync that would mean a clock drifting hours a day is taken, and warned of.
TEST_F(SortedListTest, warnsOfSyncPhotosThatMeanAnImpossibleDrift) {
    for (const auto& [row, shown] :
         {std::pair<int, const char*>{3, "2010/05/01 11:59:23"}, {0, "2010/05/01 10:03:00"}}) {
        ui_->answers = {MessageAnswer::Yes};  // add the second to the first
        ChooseFromContextMenu<SyncClockDialog>(
            row, QStringLiteral("Synchronise camera clock"),
            [shown = shown](SyncClockDialog& dialog) {
                qobject_cast<QLineEdit*>(dialog.Control(res::sync_clock::kShownTime))
                    ->setText(QString::fromUtf8(shown));
                dialog.accept();
            });
    }
    ASSERT_EQ(window_->Adjustment().cameras.at("TestCam").syncPoints.size(), 2u);
    ASSERT_FALSE(ui_->messages.empty());
    EXPECT_TRUE(
        ui_->messages.back().text.contains(QStringLiteral("no camera clock drifts so fast")))
        << ui_->messages.back().text.toStdString();
    EXPECT_EQ(ui_->messages.back().typeWord, kMessageOk | kMessageWarning);
}

// Remove Position takes the selected rows' photos, or the row clicked outside the selection;
// Update then takes those positions out of the files, and of no other.
TEST_F(SortedListTest, removePositionReachesTheRowsOwnPhotosAndUpdateTakesItOutOfTheirFiles) {
    test::SelectRows(*window_, {1, 2});  // c.jpg, with a position, and b.jpg, without
    ChooseFromContextMenu(1, QStringLiteral("Remove Position"));
    EXPECT_EQ(Text(1, 0), QStringLiteral("c.jpg"));
    EXPECT_EQ(Text(1, 2), QString());
    EXPECT_TRUE(test::RowChecked(*window_, 1));
    EXPECT_TRUE(test::CellToolTip(*window_, 1, 0).contains(QStringLiteral("on Update")))
        << test::CellToolTip(*window_, 1, 0).toStdString();
    EXPECT_FALSE(test::CellToolTip(*window_, 2, 0).contains(QStringLiteral("removed")))
        << "b.jpg had nothing to remove";
    EXPECT_EQ(Text(3, 2), QStringLiteral("47.519000")) << "a.jpg is not selected";

    test::SelectRows(*window_, {0});
    ChooseFromContextMenu(3, QStringLiteral("Remove Position"));
    EXPECT_EQ(Text(3, 2), QString()) << "a.jpg, clicked outside the selection";
    EXPECT_FALSE(test::CellToolTip(*window_, 0, 0).contains(QStringLiteral("removed")))
        << "d.jpg, selected, is left";

    Settings settings = window_->CurrentSettings();
    settings.copyFiles = false;
    window_->ApplySettings(settings);
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_FALSE(ui_->messages.empty());
    EXPECT_EQ(ui_->messages.back().text,
              QStringLiteral("2 image files were successfully updated."));
    for (const char* name : {"a.jpg", "c.jpg"}) {
        PhotoFacts facts;
        ReadPhotoFacts(dir_.path().toStdString() + "/photos/" + name, facts);
        EXPECT_FALSE(facts.position) << name;
    }
    EXPECT_EQ(Text(1, 2), QString());
    EXPECT_FALSE(test::RowChecked(*window_, 1));
    EXPECT_FALSE(window_->Photos()[2].IsUnwritten()) << "c.jpg's file holds none now";
}

TEST_F(SortedListTest, copyPasteShowOnMapTooltipsAndMarksReachTheRowsOwnPhoto) {
    // Copied from the last row (a.jpg), pasted into the first (d.jpg).
    test::ClickRow(*window_, 3);
    window_->OnCommand(kCommandCopy);
    test::SelectRows(*window_, {0});
    window_->OnCommand(kCommandPaste);
    EXPECT_EQ(Text(0, 0), QStringLiteral("d.jpg"));
    EXPECT_EQ(Text(0, 2), QStringLiteral("47.519000"));
    EXPECT_EQ(test::CellToolTip(*window_, 0, 0),
              QStringLiteral("Position pasted from another photo"));
    EXPECT_TRUE(Text(1, 2).startsWith(QStringLiteral("-33.868"))) << "c.jpg keeps its own";

    // The second row shows c.jpg.
    test::ClickRow(*window_, 1);
    window_->OnCommand(kShowOnMap);
    ASSERT_EQ(ui_->webAddresses.size(), 1u);
    EXPECT_TRUE(ui_->webAddresses[0].contains(QStringLiteral("-33.868")))
        << ui_->webAddresses[0].toStdString();

    // Rows 1 and 2 show c.jpg and b.jpg; unmarked, they alone lose their check boxes.
    window_->OnCommand(kMarkAll);
    test::SelectRows(*window_, {1, 2});
    window_->OnCommand(kUnmarkSelected);
    EXPECT_TRUE(test::RowChecked(*window_, 0));
    EXPECT_FALSE(test::RowChecked(*window_, 1));
    EXPECT_FALSE(test::RowChecked(*window_, 2));
    EXPECT_TRUE(test::RowChecked(*window_, 3));
}

// The context menu's copy, paste and Show on Map reach the rows' own photos.
TEST_F(SortedListTest, theContextMenuCopiesPastesAndShowsTheRowsOwnPhoto) {
    ChooseFromContextMenu(3, QStringLiteral("Copy position"));  // a.jpg
    test::SelectRows(*window_, {0});                            // d.jpg
    ChooseFromContextMenu(0, QStringLiteral("Paste position"));
    EXPECT_EQ(Text(0, 0), QStringLiteral("d.jpg"));
    EXPECT_EQ(Text(0, 2), QStringLiteral("47.519000"));

    ChooseFromContextMenu(1, QStringLiteral("Show on Map"));  // c.jpg
    ASSERT_EQ(ui_->webAddresses.size(), 1u);
    EXPECT_TRUE(ui_->webAddresses[0].contains(QStringLiteral("-33.868")))
        << ui_->webAddresses[0].toStdString();
}

// Filtered and sorted at once, a row still names its own record: marks, paste and undo land
// on the photos the rows show.
TEST_F(SortedListTest, theFilterShowsOnlyThePhotosAskedForAndRowsStillReachTheirOwn) {
    auto* filter = qobject_cast<QComboBox*>(window_->Control(kShowFilter));
    ASSERT_NE(filter, nullptr);
    filter->setCurrentIndex(1);  // without a position: d.jpg and b.jpg, latest first
    ASSERT_EQ(Table()->model()->rowCount(), 2);
    EXPECT_EQ(Text(0, 0), QStringLiteral("d.jpg"));
    EXPECT_EQ(Text(1, 0), QStringLiteral("b.jpg"));

    // Mark All and Unmark All act on the rows shown, not on photos the filter hides.
    filter->setCurrentIndex(0);
    window_->OnCommand(kUnmarkAll);
    filter->setCurrentIndex(1);
    window_->OnCommand(kMarkAll);
    const auto marks = [this] {
        std::string marked;
        for (const PhotoRecord& photo : window_->Photos().records) {
            marked += photo.marked ? '1' : '0';
        }
        return marked;
    };
    EXPECT_EQ(marks(), "0101") << "b.jpg and d.jpg";
    filter->setCurrentIndex(0);
    window_->OnCommand(kMarkAll);
    filter->setCurrentIndex(1);
    window_->OnCommand(kUnmarkAll);
    EXPECT_EQ(marks(), "1010") << "a.jpg and c.jpg keep their marks";

    window_->OnCommand(kUnmarkAll);
    test::SelectRows(*window_, {1});
    window_->OnCommand(kMarkSelected);
    EXPECT_TRUE(window_->Photos()[1].marked) << "record 1 is b.jpg";
    EXPECT_FALSE(window_->Photos()[3].marked);

    // c.jpg's position pasted onto b.jpg: b leaves the filtered list; Ctrl+Z brings it back.
    filter->setCurrentIndex(0);
    test::ClickRow(*window_, 1);  // c.jpg, sorted
    window_->OnCommand(kCommandCopy);
    filter->setCurrentIndex(1);
    test::SelectRows(*window_, {1});
    window_->OnCommand(kCommandPaste);
    EXPECT_TRUE(window_->Photos()[1].HasPosition());
    ASSERT_EQ(Table()->model()->rowCount(), 1);
    EXPECT_EQ(Text(0, 0), QStringLiteral("d.jpg"));
    filter->setCurrentIndex(2);  // not yet written: b.jpg alone
    ASSERT_EQ(Table()->model()->rowCount(), 1);
    EXPECT_EQ(Text(0, 0), QStringLiteral("b.jpg"));

    Table()->setFocus();
    QTest::keyClick(Table(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(window_->Photos()[1].HasPosition());
    EXPECT_EQ(Table()->model()->rowCount(), 0);
    EXPECT_EQ(window_->Summary(), QStringLiteral("Undone: the paste"));
    filter->setCurrentIndex(3);  // no write failed
    EXPECT_EQ(Table()->model()->rowCount(), 0);
    filter->setCurrentIndex(0);
    EXPECT_EQ(Table()->model()->rowCount(), 4);
}

// Tab leaves the list for the next control; the arrows move within it.
TEST_F(SortedListTest, tabLeavesTheListAndArrowsMoveWithinIt) {
    test::ClickRow(*window_, 0);
    Table()->setFocus();
    QTest::keyClick(Table(), Qt::Key_Down);
    EXPECT_EQ(Table()->currentIndex().row(), 1);
    EXPECT_TRUE(Table()->hasFocus());
    QTest::keyClick(Table(), Qt::Key_Tab);
    EXPECT_FALSE(Table()->hasFocus());
}

}  // namespace
}  // namespace geotal::app
