// The list is a view of the photo records: what the user checks is what gets written, a row
// always names its own photo, and a position travels whole.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/DialogChecks.h"
#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/SetupDialog.h"
#include "app/TestPhotos.h"
#include "res/ControlIds.h"
#include "support/PositionInDegrees.h"

namespace geotal::app {
namespace {

using namespace res::main_window;
namespace table = geotal::test;

QByteArray Contents(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A window loaded with a.jpg and b.jpg (no position, taken at 10:05 and 10:06 UTC), c.jpg at
// 10 N 20 E, and a ten-minute walk from 10:00 to 10:10 UTC with elevations 400 and 500 m.
class ListAndRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        photos_ = dir_.path() + QStringLiteral("/photos");
        gps_ = dir_.path() + QStringLiteral("/gps");
        QDir().mkpath(photos_);
        QDir().mkpath(gps_);
        window_ = &app_.CreateMainWindow();
        table::MakePhoto(Photo("a.jpg"), CameraTime(10, 5));
        table::MakePhoto(Photo("b.jpg"), CameraTime(10, 6));
        table::MakePhoto(Photo("c.jpg"), CameraTime(10, 5), 10.0, 20.0);
        table::MakeGpx(gps_ + QStringLiteral("/walk.gpx"),
                       QStringLiteral("<trkpt lat=\"47.0\" lon=\"8.0\"><ele>400</ele>"
                                      "<time>2010-05-01T10:00:00Z</time></trkpt>\n"
                                      "<trkpt lat=\"47.1\" lon=\"8.1\"><ele>500</ele>"
                                      "<time>2010-05-01T10:10:00Z</time></trkpt>\n"));
        Load(photos_);
        window_->show();
        QApplication::processEvents();
    }
    QString Photo(const char* name) const { return photos_ + QLatin1Char('/') + name; }
    std::string CameraTime(int hour, int minute) const {
        const TimeAdjustment& a = window_->Adjustment();
        const QDateTime utc(QDate(2010, 5, 1), QTime(hour, minute), Qt::UTC);
        return utc.addSecs(a.timeZoneOffset * 3600LL + a.cameraClockError)
            .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
            .toStdString();
    }
    void Load(const QString& folder) {
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = folder.toStdString();
        settings.gpsFolder = gps_.toStdString();
        settings.copyFiles = false;
        window_->ApplySettings(settings);
        window_->OnCommand(kLoadDataFiles);
    }
    void SetupOk() {
        test::RunModal<SetupDialog>(
            [this] {
                window_->OnCommand(kSetup);
                return true;
            },
            [](SetupDialog& dialog) { dialog.accept(); });
    }
    // Update, answering Yes; the messages it showed.
    std::vector<FakeUiServices::Message> Update() {
        const std::size_t before = ui_->messages.size();
        ui_->answers.push_back(MessageAnswer::Yes);
        window_->OnCommand(kUpdatePhotoFiles);
        return {ui_->messages.begin() + static_cast<long>(before), ui_->messages.end()};
    }
    bool UpdateEnabled() const {
        return qobject_cast<QPushButton*>(window_->Control(kUpdatePhotoFiles))->isEnabled();
    }

    QTemporaryDir dir_;
    QString photos_, gps_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(ListAndRecordsTest, setupAndOtherRedrawsKeepTheCheckMarksTheUserSet) {
    window_->OnCommand(kCalculate);
    ASSERT_TRUE(table::RowChecked(*window_, 0) && table::RowChecked(*window_, 1));
    window_->OnCommand(kUnmarkAll);
    SetupOk();
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(table::RowChecked(*window_, row)) << row;
    }
    const QByteArray before = Contents(Photo("a.jpg"));
    const auto messages = Update();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, QStringLiteral("0 image files were successfully updated."));
    EXPECT_EQ(Contents(Photo("a.jpg")), before);

    // Written rows are unchecked, and stay so through the next redraw.
    window_->OnCommand(kMarkAll);
    Update();
    SetupOk();
    EXPECT_FALSE(table::RowChecked(*window_, 0));
    EXPECT_FALSE(table::RowChecked(*window_, 1));
}

// Abort while the tracks load stops the photo reading at its first photo: the old rows stay,
// and each still acts on its own photo.
TEST_F(ListAndRecordsTest, anAbortedLoadLeavesRowsThatNameTheirOwnPhotos) {
    window_->OnCommand(kCalculate);
    table::ClickRow(*window_, 0);
    window_->OnCommand(kCommandCopy);
    const QString other = dir_.path() + QStringLiteral("/other");
    QDir().mkpath(other);
    table::MakePhoto(other + QStringLiteral("/x.jpg"), CameraTime(10, 5));
    table::MakePhoto(other + QStringLiteral("/y.jpg"), CameraTime(10, 5));
    window_->OnCommand(kAbort);  // as if pressed while the tracks were loading
    Load(other);

    ASSERT_EQ(table::RowCount(*window_), 3);
    ASSERT_EQ(window_->Photos().Count(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(table::CellText(*window_, row, 0),
                  QString::fromStdString(window_->Photos()[row].fileName));
    }
    table::SelectRows(*window_, {2});
    window_->OnCommand(kCommandPaste);
    EXPECT_EQ(table::CellText(*window_, 2, 0), QStringLiteral("c.jpg"));
    EXPECT_EQ(table::CellText(*window_, 2, 2), QStringLiteral("47.050000"));
    ASSERT_TRUE(window_->Photos()[2].position);
    EXPECT_NEAR(window_->Photos()[2].position->latitude, 47.05 * 3600, 1e-6);
}

TEST_F(ListAndRecordsTest, aPasteCarriesTheSourcesAltitudeOrNone) {
    window_->OnCommand(kCalculate);
    ASSERT_TRUE(window_->Photos()[1].position && window_->Photos()[1].position->altitude);
    table::ClickRow(*window_, 2);  // c.jpg: its own position, no altitude
    window_->OnCommand(kCommandCopy);
    table::SelectRows(*window_, {1});
    window_->OnCommand(kCommandPaste);
    ASSERT_TRUE(window_->Photos()[1].position);
    EXPECT_FALSE(window_->Photos()[1].position->altitude) << "not b.jpg's calculated 460 m";

    table::ClickRow(*window_, 0);  // a.jpg: placed at 450 m, from a fix of its own moment
    ASSERT_TRUE(window_->Photos()[0].position && window_->Photos()[0].position->fixTime);
    window_->OnCommand(kCommandCopy);
    table::SelectRows(*window_, {2});
    window_->OnCommand(kCommandPaste);
    ASSERT_TRUE(window_->Photos()[2].position);
    EXPECT_NEAR(window_->Photos()[2].position->altitude.value_or(0), 450, 1e-6);
    EXPECT_FALSE(window_->Photos()[2].position->fixTime) << "a.jpg's fix is not c.jpg's moment";
    EXPECT_TRUE(UpdateEnabled()) << "a pasted position is there to be written";
}

TEST_F(ListAndRecordsTest, showOnMapTreatsAPositionWithinATenThousandthOfADegreeOfZeroAsNone) {
    window_->Photos()[0].position = geotal::test::AtDegrees(0.00005, 0.00005);
    window_->Photos()[1].position = geotal::test::AtDegrees(0.00005, 10);
    window_->FillPhotoList();
    table::ClickRow(*window_, 0);
    window_->OnCommand(kShowOnMap);
    EXPECT_TRUE(ui_->webAddresses.empty());
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].text, QStringLiteral("No coordinates have been caclulated for this "
                                                    "photo. Cannot show on map."));
    table::ClickRow(*window_, 1);
    window_->OnCommand(kShowOnMap);
    EXPECT_EQ(ui_->webAddresses.size(), 1u);
}

// Camera names repeat from card to card: a folder typed after loading holds other photos.
TEST_F(ListAndRecordsTest, updateWritesNothingWhenTheFolderFieldNamesAnotherFolder) {
    window_->OnCommand(kCalculate);
    const QString other = dir_.path() + QStringLiteral("/card2");
    QDir().mkpath(other);
    table::MakePhoto(other + QStringLiteral("/a.jpg"), CameraTime(10, 5));
    const QByteArray before = Contents(other + QStringLiteral("/a.jpg"));
    auto* field = qobject_cast<QLineEdit*>(window_->Control(kPhotoFolderField));
    field->setText(other);
    const auto messages = Update();
    ASSERT_EQ(messages.size(), 1u) << "no confirmation, no count";
    EXPECT_TRUE(messages[0].text.contains(photos_)) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(other));
    EXPECT_EQ(Contents(other + QStringLiteral("/a.jpg")), before);
    EXPECT_TRUE(table::RowChecked(*window_, 0)) << "nothing was tried";

    field->setText(photos_ + QStringLiteral("/"));  // the same folder, spelt otherwise
    EXPECT_EQ(Update().back().text, QStringLiteral("2 image files were successfully updated."));
}

TEST_F(ListAndRecordsTest, aFailedWriteStaysCheckedShowsWhatTheFileHoldsAndSaysWhy) {
    table::ClickRow(*window_, 2);
    window_->OnCommand(kCommandCopy);
    table::SelectRows(*window_, {0});
    window_->OnCommand(kCommandPaste);
    QFile::remove(Photo("a.jpg"));
    QFile(Photo("a.jpg")).open(QIODevice::WriteOnly);  // now no photo at all
    const auto messages = Update();
    EXPECT_EQ(messages.back().text, QStringLiteral("0 image files were successfully updated."));
    EXPECT_TRUE(table::RowChecked(*window_, 0));
    EXPECT_EQ(table::CellText(*window_, 0, 2), QString()) << "the file holds no position";
    EXPECT_TRUE(table::CellToolTip(*window_, 0, 1).startsWith(QStringLiteral("Not written: ")))
        << table::CellToolTip(*window_, 0, 1).toStdString();
}

// Another card's IMG_0001 in the copy folder refuses every photo of a name at once: one box
// names them all and says what to do, not a box per photo.
TEST_F(ListAndRecordsTest, backupsTakenByOtherPhotosAreReportedInOneMessage) {
    window_->OnCommand(kCalculate);
    const QString copies = dir_.path() + QStringLiteral("/copies");
    QDir().mkpath(copies);
    table::MakePhoto(copies + QStringLiteral("/a.jpg"), "2001:01:01 00:00:00", 1.0, 1.0);
    table::MakePhoto(copies + QStringLiteral("/b.jpg"), "2001:01:01 00:00:01", 2.0, 2.0);
    Settings settings = window_->CurrentSettings();
    settings.copyFiles = true;
    settings.copyFolder = copies.toStdString();
    window_->ApplySettings(settings);
    const QByteArray before = Contents(Photo("a.jpg"));
    const auto messages = Update();
    ASSERT_EQ(messages.size(), 3u);  // the question, the one summary, the count
    EXPECT_TRUE(messages[1].text.startsWith(QStringLiteral("2 photos were not written")))
        << messages[1].text.toStdString();
    EXPECT_TRUE(messages[1].text.contains(QStringLiteral("a.jpg, b.jpg")));
    EXPECT_TRUE(messages[1].text.contains(copies));
    EXPECT_EQ(messages[2].text, QStringLiteral("0 image files were successfully updated."));
    EXPECT_EQ(Contents(Photo("a.jpg")), before);
    EXPECT_TRUE(table::RowChecked(*window_, 0)) << "still to be written";
}

TEST_F(ListAndRecordsTest, aNewLoadDisablesUpdateUntilTheNextCalculation) {
    window_->OnCommand(kCalculate);
    EXPECT_TRUE(UpdateEnabled());
    ui_->answers.push_back(MessageAnswer::Yes);  // load anyway, losing the positions
    window_->OnCommand(kLoadDataFiles);
    EXPECT_FALSE(UpdateEnabled());
    window_->OnCommand(kCalculate);
    EXPECT_TRUE(UpdateEnabled());
}

}  // namespace
}  // namespace geotal::app
