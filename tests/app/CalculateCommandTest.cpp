#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/ModalSteps.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"
#include "app/TimeAdjustDialog.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

// A loaded window over a ten-minute walk (10:00 to 10:10 UTC) and three photos: a.jpg taken
// halfway, b.jpg two hours later, c.jpg with a position of its own.
class CalculateCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString photos = dir_.path() + QStringLiteral("/photos");
        const QString gps = dir_.path() + QStringLiteral("/gps");
        QDir().mkpath(photos);
        QDir().mkpath(gps);
        window_ = &app_.CreateMainWindow();
        test::MakePhoto(photos + QStringLiteral("/a.jpg"), CameraTime(10, 5));
        test::MakePhoto(photos + QStringLiteral("/b.jpg"), CameraTime(12, 0));
        test::MakePhoto(photos + QStringLiteral("/c.jpg"), CameraTime(10, 5), 10.0, 20.0);
        test::MakeGpx(gps + QStringLiteral("/walk.gpx"),
                      QStringLiteral("<trkpt lat=\"47.0\" lon=\"8.0\"><ele>400</ele>"
                                     "<time>2010-05-01T10:00:00Z</time></trkpt>\n"
                                     "<trkpt lat=\"47.1\" lon=\"8.1\"><ele>500</ele>"
                                     "<time>2010-05-01T10:10:00Z</time></trkpt>\n"));
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos.toStdString();
        settings.gpsFolder = gps.toStdString();
        window_->ApplySettings(settings);
        window_->OnCommand(kLoadDataFiles);
    }

    // What the camera showed at this UTC time of 2010-05-01, set as the window assumes.
    std::string CameraTime(int hour, int minute) const {
        const TimeAdjustment& a = window_->Adjustment();
        const QDateTime utc(QDate(2010, 5, 1), QTime(hour, minute), Qt::UTC);
        return utc.addSecs(a.timeZoneOffset * 3600LL + a.cameraClockError)
            .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
            .toStdString();
    }
    QString Text(int row, int column) const { return test::CellText(*window_, row, column); }
    bool Checked(int row) const { return test::RowChecked(*window_, row); }

    QTemporaryDir dir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(CalculateCommandTest, placesTheCheckedPhotosAndChecksExactlyThoseThatGotAPosition) {
    auto* update = qobject_cast<QPushButton*>(window_->Control(kUpdatePhotoFiles));
    EXPECT_FALSE(update->isEnabled());
    ASSERT_TRUE(Checked(0) && Checked(1) && !Checked(2));

    window_->OnCommand(kCalculate);

    EXPECT_TRUE(update->isEnabled());
    EXPECT_TRUE(Checked(0));
    EXPECT_EQ(Text(0, 2), QStringLiteral("47.050000"));
    EXPECT_EQ(Text(0, 3), QStringLiteral("8.050000"));
    EXPECT_NEAR(window_->Photos()[0].position->altitude.value_or(0), 450, 1e-3);
    // The reason, then the moment used and where its offset came from.
    const QStringList tip = test::CellToolTip(*window_, 0, 0).split(QLatin1Char('\n'));
    ASSERT_EQ(tip.size(), 2);
    EXPECT_EQ(tip[0], QStringLiteral("Interpolated between 10:00:00 and 10:10:00 UTC"));
    EXPECT_TRUE(tip[1].startsWith(QStringLiteral("10:05:00 UTC: ")));
    EXPECT_TRUE(tip[1].contains(QStringLiteral(" with the time zone offset ")))
        << tip[1].toStdString();

    EXPECT_FALSE(Checked(1)) << "110 minutes from the track: no position";
    EXPECT_EQ(Text(1, 2), QString());
    EXPECT_TRUE(test::CellToolTip(*window_, 1, 3)
                    .startsWith(QStringLiteral(
                        "No position: the nearest track point is 1 h 50 min away\n")));

    // Not checked: its own position stays, and it is not marked for writing.
    EXPECT_FALSE(Checked(2));
    EXPECT_EQ(Text(2, 2), QStringLiteral("10.000000"));
    EXPECT_FALSE(window_->Photos()[2].marked);
    EXPECT_FALSE(window_->Control(kProgressBar)->isVisible());
}

TEST_F(CalculateCommandTest, theCommandLineListsWhatTheWindowShowsForTheSameFolders) {
    window_->OnCommand(kCalculate);
    QProcess cli;
    cli.start(
        QStringLiteral(GEOTAL_CLI_PATH),
        {QStringLiteral("tag"), QStringLiteral("--photos"),
         QString::fromStdString(window_->CurrentSettings().photoFolder), QStringLiteral("--gps"),
         QString::fromStdString(window_->CurrentSettings().gpsFolder)});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    QStringList rows;
    for (int row = 0; row < test::RowCount(*window_); ++row) {
        rows << QStringList{Text(row, 0), Text(row, 1), Text(row, 2), Text(row, 3),
                            Checked(row) ? QStringLiteral("1") : QStringLiteral("0")}
                    .join(QLatin1Char('\t'));
    }
    QStringList printed;
    for (const QString& line : QString::fromUtf8(cli.readAllStandardOutput())
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        printed << line.section(QLatin1Char('\t'), 0, 4);  // the sixth column is the outcome
    }
    EXPECT_EQ(printed, rows);
}

TEST_F(CalculateCommandTest, unmarkAllThenCalculateChangesNoPosition) {
    window_->OnCommand(kUnmarkAll);
    window_->OnCommand(kCalculate);
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(Checked(row)) << row;
    }
    EXPECT_EQ(Text(0, 2), QString());
    EXPECT_EQ(Text(2, 2), QStringLiteral("10.000000"));
}

TEST_F(CalculateCommandTest, markAllLetsTheTrackReplaceAStoredPosition) {
    window_->OnCommand(kMarkAll);
    window_->OnCommand(kCalculate);
    // c.jpg was taken at a.jpg's time, so the track places it; b.jpg finds nothing.
    EXPECT_TRUE(Checked(2));
    EXPECT_EQ(Text(2, 2), QStringLiteral("47.050000"));
    EXPECT_FALSE(Checked(1));
    EXPECT_FALSE(window_->Photos()[1].HasPosition());
}

TEST_F(CalculateCommandTest, aCameraClockErrorFromTimeSetupMovesThePhotoAlongTheTrack) {
    const TimeAdjustment before = window_->Adjustment();
    // The camera ran 60 s fast: a.jpg was taken at 10:04 UTC, 0.4 of the way.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TimeAdjustDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* error =
            qobject_cast<QLineEdit*>(dialog->Control(res::time_adjust::kCameraClockError));
        error->setText(QString::number(dialog->Adjustment().cameraClockError + 60));
        dialog->accept();
    });
    window_->OnCommand(kTimeSetup);
    EXPECT_EQ(window_->Adjustment().cameraClockError, before.cameraClockError + 60);
    EXPECT_EQ(window_->Adjustment().timeZoneOffset, before.timeZoneOffset);

    window_->OnCommand(kCalculate);
    EXPECT_EQ(Text(0, 2), QStringLiteral("47.040000"));
    EXPECT_EQ(Text(0, 3), QStringLiteral("8.040000"));
}

}  // namespace
}  // namespace geotal::app

namespace geotal::app {
namespace {

// b.jpg is two hours off the track: left unplaced and unchecked, the summary says how to try
// it again; Mark Unplaced checks it alone, not c.jpg with a position of its own, and once the
// clock error is right the next calculation places it.
TEST_F(CalculateCommandTest, markUnplacedChecksWhatTheLastCalculationCouldNotPlace) {
    window_->OnCommand(kCalculate);
    ASSERT_FALSE(Checked(1));
    const QString summary = window_->Summary();
    EXPECT_TRUE(summary.endsWith(QStringLiteral(
        ". 1 with a capture time left unplaced: to try again after correcting the time, press "
        "Mark Unplaced, then Calculate coordinates")))
        << summary.toStdString();
    // Longer than the list is wide at the layout's size: the line is cut, and the whole of it
    // is on hover and is what a screen reader reads.
    window_->show();
    window_->resize(window_->minimumSize());
    QApplication::processEvents();
    const auto* line = qobject_cast<QLabel*>(window_->Control(kSummaryLine));
    EXPECT_TRUE(line->text().endsWith(QChar(0x2026))) << line->text().toStdString();
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width());
    EXPECT_TRUE(line->toolTip().startsWith(summary)) << line->toolTip().toStdString();
    EXPECT_TRUE(line->accessibleDescription().startsWith(summary));
    EXPECT_EQ(line->accessibleName(), QStringLiteral("What the last command did"));

    window_->OnCommand(kUnmarkAll);
    window_->OnCommand(kMarkUnplaced);
    EXPECT_FALSE(Checked(0)) << "placed: left as it was";
    EXPECT_TRUE(Checked(1));
    EXPECT_FALSE(Checked(2)) << "its own position is no reason to place it";

    const int fast = window_->Adjustment().cameraClockError + 7080;  // 1 h 58 min fast
    test::WhenUp<TimeAdjustDialog>([fast](TimeAdjustDialog& dialog) {
        qobject_cast<QLineEdit*>(dialog.Control(res::time_adjust::kCameraClockError))
            ->setText(QString::number(fast));
        dialog.accept();
    });
    window_->OnCommand(kTimeSetup);
    window_->OnCommand(kCalculate);
    EXPECT_TRUE(Checked(1));
    EXPECT_EQ(Text(1, 2), QStringLiteral("47.020000"));
}

}  // namespace
}  // namespace geotal::app
