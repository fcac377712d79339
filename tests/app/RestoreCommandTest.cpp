// File > Restore photos from copies…: asks for the copy folder, confirms with the counts, puts
// the copies back and shows the photos as their files now are.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"
#include "photo/PhotoWriter.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A loaded window over two photos, a.jpg written with a copy made, b.jpg never written.
class RestoreCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        photos_ = dir_.path() + QStringLiteral("/photos");
        copies_ = dir_.path() + QStringLiteral("/copies");
        QDir().mkpath(photos_);
        QDir().mkpath(copies_);
        test::MakePhoto(photos_ + QStringLiteral("/a.jpg"), "2010:05:01 12:00:00");
        test::MakePhoto(photos_ + QStringLiteral("/b.jpg"), "2010:05:01 12:01:00");
        original_ = Contents(photos_ + QStringLiteral("/a.jpg"));
        PhotoWriter writer;
        writer.SetCopyOptions(true, copies_.toStdString());
        ASSERT_EQ(writer
                      .PutFileLongLat((photos_ + QStringLiteral("/a.jpg")).toStdString(),
                                      GeoPosition{171036.0, 29700.0, {}, {}})
                      .code,
                  WriteCode::None);
        written_ = Contents(photos_ + QStringLiteral("/a.jpg"));
        ASSERT_NE(written_, original_);

        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos_.toStdString();
        settings.gpsFolder = dir_.path().toStdString();
        settings.copyFiles = true;
        settings.copyFolder = copies_.toStdString();
        window_->ApplySettings(settings);
        window_->OnCommand(res::main_window::kLoadDataFiles);
        ui_->messages.clear();  // the folder holds no track, and the load says so
        ASSERT_EQ(window_->Photos().Count(), 2);
        ASSERT_TRUE(window_->Photos()[0].position.has_value());
    }

    QTemporaryDir dir_;
    QString photos_;
    QString copies_;
    QByteArray original_;
    QByteArray written_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(RestoreCommandTest, theFileMenuPutsTheCopyBackAfterAskingAndShowsThePhotoAsItIsNow) {
    ui_->folders.push_back(copies_);
    ui_->answers.push_back(MessageAnswer::Yes);
    auto* restore = window_->findChild<QAction*>(QStringLiteral("restoreFromCopies"));
    ASSERT_NE(restore, nullptr);
    restore->trigger();

    ASSERT_EQ(ui_->browseStarts.size(), 1u);
    EXPECT_EQ(ui_->browseStarts[0], copies_) << "the copy folder of Setup is offered first";
    ASSERT_EQ(ui_->messages.size(), 2u);
    EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning | kMessageYesNo);
    EXPECT_TRUE(ui_->messages[0].text.contains(
        QStringLiteral("1 photo and 0 sidecars to restore, 1 photo with nothing to restore")))
        << ui_->messages[0].text.toStdString();
    EXPECT_EQ(ui_->messages[1].typeWord, kMessageInformation);
    EXPECT_TRUE(ui_->messages[1].text.startsWith(QStringLiteral("1 photo and 0 sidecars restored")))
        << ui_->messages[1].text.toStdString();
    EXPECT_EQ(Contents(photos_ + QStringLiteral("/a.jpg")), original_);
    EXPECT_EQ(Contents(copies_ + QStringLiteral("/a.jpg")), original_) << "the copy stays";
    ASSERT_EQ(window_->Photos().Count(), 2);
    EXPECT_FALSE(window_->Photos()[0].position.has_value())
        << "the list shows what the file holds now";
}

TEST_F(RestoreCommandTest, changesNothingWhenTheQuestionIsAnsweredNoOrThePickerCancelled) {
    window_->OnCommand(res::main_window::kCommandRestore);  // the picker is cancelled
    EXPECT_TRUE(ui_->messages.empty());

    ui_->folders.push_back(copies_);
    ui_->answers.push_back(MessageAnswer::No);
    window_->OnCommand(res::main_window::kCommandRestore);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(Contents(photos_ + QStringLiteral("/a.jpg")), written_);
    EXPECT_TRUE(window_->Photos()[0].position.has_value());

    // The photo folder itself is no copy folder: said so, nothing asked.
    ui_->messages.clear();
    ui_->folders.push_back(photos_);
    window_->OnCommand(res::main_window::kCommandRestore);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_TRUE(ui_->messages[0].text.contains(QStringLiteral("is the photo folder itself")));
    EXPECT_EQ(Contents(photos_ + QStringLiteral("/a.jpg")), written_);
}

}  // namespace
}  // namespace geotal::app
