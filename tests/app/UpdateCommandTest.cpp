#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"
#include "photo/PhotoMetadata.h"
#include "photo/StoredPosition.h"
#include "res/ControlIds.h"
#include "support/TraceLog.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

QByteArray Contents(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A loaded window over three photos: a.jpg and b.jpg have no position, c.jpg has one.
class UpdateCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        photoDir_ = dir_.path() + QStringLiteral("/photos");
        QDir().mkpath(photoDir_);
        QDir().mkpath(dir_.path() + QStringLiteral("/copies"));
        test::MakePhoto(Path("a.jpg"), "2010:05:01 12:00:00");
        test::MakePhoto(Path("b.jpg"), "2010:05:01 12:01:00");
        test::MakePhoto(Path("c.jpg"), "2010:05:01 12:02:00", 10.0, 20.0);
        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photoDir_.toStdString() + "/";
        settings.gpsFolder = dir_.path().toStdString();
        settings.copyFiles = false;
        window_->ApplySettings(settings);
        window_->OnCommand(kLoadDataFiles);
        // The folder holds no track, and the load says so; these photos need none.
        ASSERT_EQ(ui_->messages.size(), 1u);
        ui_->messages.clear();
        ASSERT_EQ(window_->Photos().Count(), 3);
        // Positions as a calculation would give them: a.jpg gets one, b.jpg finds none.
        window_->Photos()[0].position = GeoPosition{171036.0, -29700.0, -12.5, {}};
        for (int i = 0; i < 3; ++i) {
            window_->Photos()[i].marked = true;
        }
        window_->FillPhotoList();
        for (int i = 0; i < 3; ++i) {
            before_.append(Contents(Path(i == 0 ? "a.jpg" : i == 1 ? "b.jpg" : "c.jpg")));
        }
    }
    QString Path(const char* name) const {
        return photoDir_ + QLatin1Char('/') + QLatin1String(name);
    }
    bool Checked(int row) const { return test::RowChecked(*window_, row); }

    QTemporaryDir dir_;
    QString photoDir_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
    QList<QByteArray> before_;
};

TEST_F(UpdateCommandTest, answeringNoWritesNothingAndKeepsTheMarks) {
    ui_->answers.push_back(MessageAnswer::No);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning | kMessageYesNo);
    EXPECT_EQ(Contents(Path("a.jpg")), before_[0]);
    EXPECT_TRUE(Checked(0) && Checked(1) && Checked(2));
}

TEST_F(UpdateCommandTest, writesCheckedPhotosWithAPositionAndUnchecksEveryAttemptedRow) {
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 2u);
    EXPECT_EQ(ui_->messages[1].text, QStringLiteral("2 image files were successfully updated."));
    EXPECT_EQ(ui_->messages[1].typeWord, kMessageInformation);
    EXPECT_FALSE(Checked(0) || Checked(1) || Checked(2));

    double longitude = 0, latitude = 0, time = 0;
    ASSERT_TRUE(test::ReadStoredPosition(Path("a.jpg").toStdString(), longitude, latitude, time));
    EXPECT_NEAR(latitude, 171036.0, 1e-6);
    EXPECT_NEAR(longitude, -29700.0, 1e-6);
    EXPECT_EQ(Contents(Path("b.jpg")), before_[1]) << "a photo without a position is skipped";
    EXPECT_FALSE(window_->Control(kProgressBar)->isVisible());
    EXPECT_FALSE(window_->AbortRequested());
}

// Setup's sidecar choices reach the writer: every JPEG keeps its bytes, the warning says so, and
// the position goes to a.jpg.xmp.
TEST_F(UpdateCommandTest, writesSidecarsOnlyAsSetupSays) {
    Settings settings = window_->CurrentSettings();
    settings.sidecarOnly = true;
    settings.sidecarNameExt = true;
    window_->ApplySettings(settings);
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 2u);
    EXPECT_TRUE(ui_->messages[0].text.contains(QStringLiteral("no photo file is changed")))
        << ui_->messages[0].text.toStdString();
    EXPECT_EQ(ui_->messages[1].text, QStringLiteral("2 XMP sidecars were successfully updated."));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Contents(Path(i == 0 ? "a.jpg" : i == 1 ? "b.jpg" : "c.jpg")), before_[i]);
    }
    EXPECT_TRUE(Contents(Path("a.jpg.xmp")).contains("exif:GPSLatitude="));
    EXPECT_FALSE(QFile::exists(Path("a.xmp")));
    EXPECT_FALSE(QFile::exists(Path("b.jpg.xmp")));  // no position to write
}

TEST_F(UpdateCommandTest, givesAPhotoThatLostItsExifANewExifSegment) {
    // b.jpg lost its EXIF block after loading; it now has a position to write.
    QImage withoutExif(16, 16, QImage::Format_RGB32);
    withoutExif.fill(Qt::red);
    ASSERT_TRUE(withoutExif.save(Path("b.jpg"), "JPEG"));
    window_->Photos()[1].position = GeoPosition{171036.0, 29700.0, {}, {}};
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 2u);
    EXPECT_EQ(ui_->messages[1].text, QStringLiteral("3 image files were successfully updated."));
    EXPECT_FALSE(window_->Photos()[1].marked);
    EXPECT_TRUE(Contents(Path("b.jpg")).contains(QByteArray("Exif\0\0", 6)));
}

TEST_F(UpdateCommandTest, saysWhichPhotoCannotBeWrittenLikeEveryOtherFailure) {
    // b.jpg was replaced by something that is no JPEG after loading.
    QFile replaced(Path("b.jpg"));
    ASSERT_TRUE(replaced.open(QIODevice::WriteOnly | QIODevice::Truncate));
    replaced.write("not a photo any more\n");
    replaced.close();
    window_->Photos()[1].position = GeoPosition{171036.0, 29700.0, {}, {}};
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 3u);
    EXPECT_EQ(ui_->messages[1].text,
              QStringLiteral("Error writing file : ") + Path("b.jpg") +
                  QStringLiteral(" (not a JPEG file; no position can be written into it)\n"));
    EXPECT_EQ(ui_->messages[1].typeWord, kMessageOk);
    EXPECT_EQ(ui_->messages[2].text, QStringLiteral("2 image files were successfully updated."));
    EXPECT_EQ(Contents(Path("b.jpg")), QByteArray("not a photo any more\n"));
}

TEST_F(UpdateCommandTest, unmarkAllThenUpdateWritesNothing) {
    window_->OnCommand(kUnmarkAll);
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 2u);
    EXPECT_EQ(ui_->messages[1].text, QStringLiteral("0 image files were successfully updated."));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Contents(Path(i == 0 ? "a.jpg" : i == 1 ? "b.jpg" : "c.jpg")), before_[i]);
    }
}

TEST_F(UpdateCommandTest, refusesBeforeAskingWhenCopiesCannotBeMade) {
    Settings settings = window_->CurrentSettings();
    settings.copyFiles = true;
    // Missing, and the photo folder itself: a copy there would be the photo, no backup.
    for (const std::string& folder : {std::string(), dir_.path().toStdString() + "/missing",
                                      photoDir_.toStdString(), photoDir_.toStdString() + "/."}) {
        ui_->messages.clear();
        settings.copyFolder = folder;
        window_->ApplySettings(settings);
        window_->OnCommand(kUpdatePhotoFiles);
        ASSERT_EQ(ui_->messages.size(), 1u);
        EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning);
        EXPECT_TRUE(
            ui_->messages[0].text.startsWith(QStringLiteral("Please choose an existing folder")));
        EXPECT_EQ(Contents(Path("a.jpg")), before_[0]);
        EXPECT_TRUE(Checked(0));
    }
}

TEST_F(UpdateCommandTest, copiesThePhotoFirstWhenAsked) {
    const std::string copies = dir_.path().toStdString() + "/copies";
    Settings settings = window_->CurrentSettings();
    settings.copyFiles = true;
    settings.copyFolder = copies;
    window_->ApplySettings(settings);
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    EXPECT_EQ(Contents(QString::fromStdString(copies) + QStringLiteral("/a.jpg")), before_[0]);
    EXPECT_NE(Contents(Path("a.jpg")), before_[0]);
}

TEST_F(UpdateCommandTest, anAbortDuringReadingStopsAfterTheFirstPhotoAndKeepsTheRows) {
    window_->OnCommand(kAbort);                  // as if pressed while the tracks were loading
    ui_->answers.push_back(MessageAnswer::Yes);  // load anyway, over the calculated positions
    window_->OnCommand(kLoadDataFiles);
    EXPECT_FALSE(window_->AbortRequested());
    ASSERT_EQ(test::RowCount(*window_), 3);
    EXPECT_EQ(test::CellText(*window_, 0, 2), QStringLiteral("47.510000"))
        << "the previous rows stay, with their records";
    EXPECT_EQ(window_->Photos().Count(), 3);
    EXPECT_TRUE(window_->Photos()[1].captureTime.has_value());
}

TEST_F(UpdateCommandTest, onlyAbortReachesARunningLoad) {
    const QString trace = dir_.path() + QStringLiteral("/Geotal.trace");
    EnableTrace(trace.toStdString());
    // Clicked while the load runs: the window goes on taking clicks meanwhile.
    bool abortReached = false;
    QTimer::singleShot(0, [this, &abortReached] {
        window_->OnCommand(kLoadDataFiles);
        window_->OnCommand(kUpdatePhotoFiles);
        window_->OnCommand(kAbort);
        abortReached = window_->AbortRequested();
    });
    ui_->answers.push_back(MessageAnswer::Yes);  // load anyway, over the calculated positions
    window_->OnCommand(kLoadDataFiles);
    DisableTrace();
    EXPECT_EQ(Contents(trace).count("****  START LOAD"), 1);
    for (const FakeUiServices::Message& message : ui_->messages) {
        EXPECT_FALSE(message.text.contains(QStringLiteral("update your photo files")))
            << "no update was asked for";
    }
    EXPECT_TRUE(abortReached);
    // Whether or not the reading saw it in time, it does not stop the next command.
    EXPECT_FALSE(window_->AbortRequested());
}

}  // namespace
}  // namespace geotal::app
