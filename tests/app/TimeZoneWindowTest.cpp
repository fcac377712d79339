// Named zones in Time adjustments, the recorded zone in Setup, and a camera clock synchronised
// from a photo, driven through the real widgets.
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/ModalSteps.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/SetupDialog.h"
#include "app/SyncClockDialog.h"
#include "app/TestPhotos.h"
#include "app/TimeAdjustDialog.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

namespace ids = res::time_adjust;
namespace sync = res::sync_clock;
using res::main_window::kCalculate;
using res::main_window::kLoadDataFiles;
using res::main_window::kSetup;
using res::main_window::kTimeSetup;

constexpr std::time_t kNoon = 1262347200;  // 2010-01-01 12:00:00 UTC

template <typename T>
T* Find(const QDialog& dialog, int id) {
    return qobject_cast<T*>(dialog.findChild<QWidget*>(QString::number(id)));
}

void ChooseZone(TimeAdjustDialog& dialog, const QString& zone) {
    qobject_cast<QRadioButton*>(dialog.Control(ids::kZoneNamed))->setChecked(true);
    qobject_cast<QComboBox*>(dialog.Control(ids::kZoneList))->setCurrentText(zone);
}

class TimeZoneDialogTest : public ::testing::Test {
protected:
    ScopedFakeUi ui_;
};

TEST_F(TimeZoneDialogTest, offersHoursByDefaultAndTheLastZoneInASearchableList) {
    TimeAdjustDialog dialog(nullptr, TimeAdjustment{}, "America/New_York");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dialog.Control(ids::kZoneHours))->isChecked());
    auto* zones = qobject_cast<QComboBox*>(dialog.Control(ids::kZoneList));
    EXPECT_FALSE(zones->isEnabled());
    EXPECT_EQ(zones->currentText(), QStringLiteral("America/New_York"));

    qobject_cast<QRadioButton*>(dialog.Control(ids::kZoneNamed))->setChecked(true);
    EXPECT_TRUE(zones->isEnabled());
    EXPECT_FALSE(dialog.Control(ids::kTimeZoneOffset)->isEnabled());
    // Any part of a name finds it, in any letter case.
    zones->completer()->setCompletionPrefix(QStringLiteral("zur"));
    QStringList found;
    for (int row = 0; row < zones->completer()->completionCount(); ++row) {
        zones->completer()->setCurrentRow(row);
        found << zones->completer()->currentCompletion();
    }
    EXPECT_TRUE(found.contains(QStringLiteral("Europe/Zurich"))) << found.join(' ').toStdString();
}

TEST_F(TimeZoneDialogTest, okTakesAZoneOfTheListAndRefusesAnyOther) {
    const struct {
        QString zone;
        bool accepted;
    } cases[] = {
        {QStringLiteral("Europe/Zurich"), true},
        {QStringLiteral(" Pacific/Kiritimati "), true},
        {QStringLiteral("Europe/Atlantis"), false},
        {QString(), false},
    };
    for (const auto& c : cases) {
        ui_->messages.clear();
        TimeAdjustDialog dialog(nullptr, TimeAdjustment{});
        dialog.show();
        ChooseZone(dialog, c.zone);
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.zone.toStdString();
        if (c.accepted) {
            EXPECT_EQ(dialog.Adjustment().zoneName, c.zone.trimmed().toStdString());
        } else {
            ASSERT_EQ(ui_->messages.size(), 1u);
            EXPECT_EQ(ui_->messages[0].text,
                      QStringLiteral("Please choose a time zone from the list."));
            EXPECT_TRUE(dialog.isVisible());
        }
    }
}

TEST_F(TimeZoneDialogTest, theCameraClockFollowsTheZonesOffsetNow) {
    TimeAdjustDialog dialog(nullptr, TimeAdjustment{});
    ChooseZone(dialog, QStringLiteral("Europe/Zurich"));
    qobject_cast<QLineEdit*>(dialog.Control(ids::kCameraClockError))->setText(QStringLiteral("1m"));
    dialog.UpdateClocks(kNoon);  // winter: UTC+1
    EXPECT_EQ(qobject_cast<QTimeEdit*>(dialog.Control(ids::kAdjustedCameraTime))
                  ->time()
                  .toString(QStringLiteral("HH:mm:ss")),
              QStringLiteral("13:01:00"));
}

TEST_F(TimeZoneDialogTest, aClockErrorTypedAnewReplacesTheSyncPointsAndAnUnchangedOneKeepsThem) {
    for (const bool retype : {false, true}) {
        TimeAdjustment adjustment;
        adjustment.cameraClockError = 37;
        adjustment.cameras[""].syncPoints = {{40000, 37}, {40002, 157}};
        test::WhenUp<TimeAdjustDialog>([retype](TimeAdjustDialog& dialog) {
            if (retype) {
                qobject_cast<QLineEdit*>(dialog.Control(ids::kCameraClockError))
                    ->setText(QStringLiteral("1d"));
            }
            dialog.accept();
        });
        ASSERT_TRUE(RunTimeAdjustDialog(nullptr, adjustment));
        EXPECT_EQ(adjustment.cameras[""].syncPoints.size(), retype ? 0u : 2u);
        EXPECT_EQ(adjustment.cameraClockError, retype ? 86400 : 37);
    }
}

TEST_F(TimeZoneDialogTest, setupAsksWhetherThePhotosZoneCountsAndHandsItBack) {
    for (const bool start : {true, false}) {
        SetupChoices choices;
        choices.usePhotoZone = start;
        test::WhenUp<SetupDialog>([start](SetupDialog& dialog) {
            auto* box = qobject_cast<QCheckBox*>(dialog.Control(res::setup_dialog::kUsePhotoZone));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("Use the time zone recorded in the photo"));
            EXPECT_EQ(box->isChecked(), start);
            box->setChecked(!start);
            dialog.accept();
        });
        ASSERT_TRUE(RunSetupDialog(nullptr, choices));
        EXPECT_EQ(choices.usePhotoZone, !start);
    }
    EXPECT_TRUE(SetupChoices{}.usePhotoZone) << "on by default";
}

// A loaded window over ten minutes of track, 10:00 to 10:10 UTC on 2010-05-01, and two photos
// of a camera whose clock gains a minute a day, in Zurich summer time (UTC+2).
class ClockSyncWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings().clear();
        Settings().sync();
        const QString photos = dir_.path() + QStringLiteral("/photos");
        const QString gps = dir_.path() + QStringLiteral("/gps");
        QDir().mkpath(photos);
        QDir().mkpath(gps);
        test::MakePhoto(photos + QStringLiteral("/a.jpg"), "2010:05:01 12:05:37");
        test::MakePhoto(photos + QStringLiteral("/b.jpg"), "2010:05:03 12:06:37");
        test::MakeGpx(gps + QStringLiteral("/walk.gpx"),
                      QStringLiteral("<trkpt lat=\"47.0\" lon=\"8.0\"><ele>400</ele>"
                                     "<time>2010-05-01T10:00:00Z</time></trkpt>\n"
                                     "<trkpt lat=\"47.1\" lon=\"8.1\"><ele>500</ele>"
                                     "<time>2010-05-01T10:10:00Z</time></trkpt>\n"));
        window_ = &app_.CreateMainWindow();
        geotal::Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos.toStdString();
        settings.gpsFolder = gps.toStdString();
        window_->ApplySettings(settings);
        window_->OnCommand(kLoadDataFiles);
        test::WhenUp<TimeAdjustDialog>([](TimeAdjustDialog& dialog) {
            ChooseZone(dialog, QStringLiteral("Europe/Zurich"));
            dialog.accept();
        });
        window_->OnCommand(kTimeSetup);
    }
    void TearDown() override { window_->hide(); }

    static QSettings Settings() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarsel"),
                         QStringLiteral("Geotal"));
    }
    // Synchronises with a photo that shows the given time; the clock error the dialog showed.
    QString Sync(int record, const QString& shown) {
        QString shownError;
        test::WhenUp<SyncClockDialog>([&](SyncClockDialog& dialog) {
            qobject_cast<QLineEdit*>(dialog.Control(sync::kShownTime))->setText(shown);
            shownError = qobject_cast<QLineEdit*>(dialog.Control(sync::kClockError))->text();
            dialog.accept();
        });
        window_->OnSyncClock(record);
        return shownError;
    }

    QTemporaryDir dir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(ClockSyncWindowTest, aSyncPhotoSetsTheClockErrorAndThePhotoLandsAtItsTrueMoment) {
    EXPECT_EQ(window_->Adjustment().zoneName, "Europe/Zurich");
    EXPECT_EQ(Sync(0, QStringLiteral("2010/05/01 12:05:00")),
              QStringLiteral("+37 s (the camera was ahead)"));
    ASSERT_EQ(window_->Adjustment().cameras.at("TestCam").syncPoints.size(), 1u);
    EXPECT_EQ(window_->Adjustment().cameras.at("TestCam").syncPoints[0].clockErrorSeconds, 37);
    EXPECT_EQ(window_->Adjustment().cameraClockError, 0) << "the default stays for other cameras";
    EXPECT_TRUE(ui_->messages.empty()) << "the first sync asks nothing";
    // A clock in another zone says so after its time.
    for (const char* shown : {"2010/05/01 10:05:00Z", "2010-05-01T07:05:00-03:00"}) {
        window_->OnSyncClock(-1);  // no photo: nothing happens
        ui_->answers = {MessageAnswer::No};
        EXPECT_EQ(Sync(0, QString::fromUtf8(shown)), QStringLiteral("+37 s (the camera was ahead)"))
            << shown;
    }

    window_->OnCommand(kCalculate);
    EXPECT_EQ(test::CellText(*window_, 0, 2), QStringLiteral("47.050000"));
    // Under the reason for the position, the moment used and where it came from.
    EXPECT_TRUE(test::CellToolTip(*window_, 0, 1)
                    .endsWith(QStringLiteral("\n10:05:00 UTC: 12:05:37 with Europe/Zurich, summer "
                                             "time, clock error +37 s")))
        << test::CellToolTip(*window_, 0, 1).toStdString();
}

TEST_F(ClockSyncWindowTest, aSecondSyncAsksWhetherToFollowTheDrift) {
    for (const MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        Sync(0, QStringLiteral("2010/05/01 12:05:00"));
        ui_->messages.clear();
        ui_->answers = {answer};
        EXPECT_EQ(Sync(1, QStringLiteral("2010/05/03 12:04:37")),
                  QStringLiteral("+2 min (the camera was ahead)"));
        ASSERT_EQ(ui_->messages.size(), 1u);
        EXPECT_EQ(ui_->messages[0].typeWord, kMessageYesNo | kMessageQuestion);
        EXPECT_TRUE(ui_->messages[0].text.startsWith(
            QStringLiteral("The camera clock is already synchronised with another photo.")));
        const std::vector<ClockSyncPoint>& points =
            window_->Adjustment().cameras.at("TestCam").syncPoints;
        EXPECT_EQ(points.size(), answer == MessageAnswer::Yes ? 2u : 1u);
        EXPECT_EQ(points.back().clockErrorSeconds, 120);
    }
}

TEST_F(ClockSyncWindowTest, okRefusesATimeThatIsNoDateAndTime) {
    test::WhenUp<SyncClockDialog>([this](SyncClockDialog& dialog) {
        qobject_cast<QLineEdit*>(dialog.Control(sync::kShownTime))->setText(QStringLiteral("noon"));
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.Control(sync::kClockError))->text(),
                  QStringLiteral("Type a date and time such as 2023/07/15 14:03:10"));
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(ui_->messages.size(), 1u);
        EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning);
    });
    window_->OnSyncClock(0);
    EXPECT_EQ(window_->Adjustment().cameras.count("TestCam"), 0u);
}

TEST_F(ClockSyncWindowTest, thePhotosContextMenuOffersTheSync) {
    window_->show();
    QTableView* table = test::PhotoTable(*window_);
    const QPoint at = table->visualRect(table->model()->index(1, 0)).center();
    QStringList entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (const QAction* action : menu->actions()) {
            entries << action->text();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
    QApplication::sendEvent(table->viewport(), &event);
    // The entries, their separators left out.
    entries.removeAll(QString());
    EXPECT_EQ(entries,
              QStringList({QStringLiteral("Copy position\tCtrl+C"),
                           QStringLiteral("Paste position\tCtrl+V"), QStringLiteral("Show on Map"),
                           QStringLiteral("Remove Position"),
                           QStringLiteral("Synchronise camera clock with this photo\u2026"),
                           QStringLiteral("&About Geotal...")}));
}

TEST_F(ClockSyncWindowTest, theChosenZoneAndThePhotoZoneChoiceOutliveTheWindow) {
    test::WhenUp<SetupDialog>([](SetupDialog& dialog) {
        qobject_cast<QCheckBox*>(dialog.Control(res::setup_dialog::kUsePhotoZone))
            ->setChecked(false);
        dialog.accept();
    });
    window_->OnCommand(kSetup);
    EXPECT_FALSE(window_->Adjustment().usePhotoZone);
    window_->done(0);
    QSettings stored = Settings();
    EXPECT_EQ(stored.value(QStringLiteral("time_zone_named")).toInt(), 1);
    EXPECT_EQ(stored.value(QStringLiteral("time_zone_name")).toString(),
              QStringLiteral("Europe/Zurich"));
    EXPECT_EQ(stored.value(QStringLiteral("use_photo_zone")).toInt(), 0);

    GeotagApp again;
    MainWindow& window = again.CreateMainWindow();
    EXPECT_EQ(window.Adjustment().zoneName, "Europe/Zurich");
    EXPECT_FALSE(window.Adjustment().usePhotoZone);
    window.hide();
}

}  // namespace
}  // namespace geotal::app
