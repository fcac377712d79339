// The window treats RAW and HEIC rows as JPEG rows: shown on the map, copied from, pasted into,
// and their pasted positions written to their sidecars by Update photo files.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool CopyInto(const QString& sample, const QString& target) {
    return QFile::copy(QStringLiteral(GEOTAL_REAL_RAW "/") + sample, target);
}

// a.dng with its own position, c.cr2 with its position in c.xmp, d.heic with none.
class EveryFormatWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDir(QStringLiteral(GEOTAL_REAL_RAW)).exists()) {
            GTEST_SKIP() << GEOTAL_REAL_RAW " is not there";
        }
        photos_ = dir_.path() + QStringLiteral("/photos");
        QDir().mkpath(photos_);
        ASSERT_TRUE(CopyInto(QStringLiteral("dng/ex2_IMG_1361.dng"), Path("a.dng")));
        ASSERT_TRUE(CopyInto(QStringLiteral("cr2/bep_sample.cr2"), Path("c.cr2")));
        ASSERT_TRUE(CopyInto(QStringLiteral("xmp/mei_digikam-example.xmp"), Path("c.xmp")));
        ASSERT_TRUE(CopyInto(QStringLiteral("heic/ex2_IMG_3578.heic"), Path("d.heic")));
        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos_.toStdString();
        settings.gpsFolder = dir_.path().toStdString();
        settings.copyFiles = false;  // backups are not what this test is about
        window_->ApplySettings(settings);
        window_->show();
        window_->OnCommand(kLoadDataFiles);
        ASSERT_EQ(ui_->messages.size(), 1u);  // the folder holds no track, and the load says so
        ui_->messages.clear();
        QApplication::processEvents();
    }
    QString Path(const char* name) const { return photos_ + QLatin1Char('/') + name; }
    QString Text(int row, int column) const { return test::CellText(*window_, row, column); }

    QTemporaryDir dir_;
    QString photos_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(EveryFormatWindowTest, showsCopiesAndPastesRawAndHeicRowsAndWritesThePasteToTheSidecar) {
    ASSERT_EQ(window_->Photos().Count(), 3);
    EXPECT_EQ(Text(1, 2), QStringLiteral("53.132559")) << "c.cr2, from its sidecar";
    EXPECT_EQ(Text(2, 2), QString()) << "d.heic has no position";

    test::ClickRow(*window_, 1);
    window_->OnCommand(kShowOnMap);
    ASSERT_EQ(ui_->webAddresses.size(), 1u);
    EXPECT_TRUE(ui_->webAddresses[0].contains(QStringLiteral("53.13")))
        << ui_->webAddresses[0].toStdString();

    window_->OnCommand(kCommandCopy);
    QTableView* table = test::PhotoTable(*window_);
    table->clearSelection();
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window_->OnCommand(kCommandPaste);
    EXPECT_TRUE(ui_->messages.empty());
    EXPECT_EQ(Text(2, 2), QStringLiteral("53.132559"));
    EXPECT_TRUE(test::RowChecked(*window_, 2));

    const QByteArray heic = Contents(Path("d.heic"));
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    ASSERT_EQ(ui_->messages.size(), 2u) << ui_->messages.back().text.toStdString();
    EXPECT_EQ(ui_->messages[1].text, QStringLiteral("1 XMP sidecar was successfully updated."));
    EXPECT_EQ(Contents(Path("d.heic")), heic) << "the HEIC itself never changes";
    EXPECT_TRUE(Contents(Path("d.xmp")).contains("exif:GPSLatitude=\"53,7.9535"))
        << Contents(Path("d.xmp")).toStdString();
    EXPECT_FALSE(test::RowChecked(*window_, 2));

    // Loaded again, the HEIC shows the position its sidecar now holds.
    window_->OnCommand(kLoadDataFiles);
    EXPECT_EQ(Text(2, 2), QStringLiteral("53.132559"));
}

}  // namespace
}  // namespace geotal::app
