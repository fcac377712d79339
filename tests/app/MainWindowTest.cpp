#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/DialogChecks.h"
#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

QSettings UserSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarsel"),
                     QStringLiteral("Geotal"));
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserSettings().clear();
        UserSettings().sync();
    }
    void TearDown() override {
        if (app_.Window() != nullptr) {
            app_.Window()->hide();
        }
    }
    MainWindow& Open() {
        MainWindow& window = app_.CreateMainWindow();
        window.show();
        QApplication::processEvents();
        return window;
    }
    template <typename T>
    T* Find(MainWindow& window, int id) {
        return qobject_cast<T*>(window.Control(id));
    }
    void Click(MainWindow& window, int id) {
        QTest::mouseClick(Find<QPushButton>(window, id), Qt::LeftButton);
    }

    ScopedFakeUi ui_;
    GeotagApp app_;
};

TEST_F(MainWindowTest, startsWithTheLayoutsCaptionColumnsAndHiddenProgress) {
    QSettings stored = UserSettings();
    stored.setValue(QStringLiteral("folder_photos"), QStringLiteral("/photos/here"));
    stored.setValue(QStringLiteral("folder_gpx"), QStringLiteral("/tracks/there"));
    stored.sync();
    MainWindow& window = Open();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Geotal 1.1.5"));
    // The layout's size is the smallest; a first start makes room for the map beside the list.
    EXPECT_EQ(window.minimumSize().height(), window.size().height());
    EXPECT_GT(window.size().width(), window.minimumSize().width());
    EXPECT_EQ(Find<QLineEdit>(window, kPhotoFolderField)->text(), QStringLiteral("/photos/here"));
    EXPECT_EQ(Find<QLineEdit>(window, kGpsFolderField)->text(), QStringLiteral("/tracks/there"));

    auto* table = Find<QTableView>(window, kPhotoList);
    ASSERT_EQ(table->model()->columnCount(), 4);
    const QStringList headers = {QStringLiteral("Photo File"), QStringLiteral("Date/time"),
                                 QStringLiteral("Latitude"), QStringLiteral("Longitude")};
    // The widths keep their proportions 290:120:100:100 and the longest texts fit.
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(table->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
    }
    EXPECT_NEAR(table->columnWidth(0) * 12.0 / table->columnWidth(1), 29.0, 0.5);
    EXPECT_EQ(table->columnWidth(2), table->columnWidth(3));
    const QFontMetrics metrics(table->font());
    EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("2010/05/01 12:21:00")) + 8,
              table->columnWidth(1));
    EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("-179.999999")) + 8, table->columnWidth(2));
    EXPECT_LE(table->columnWidth(0) + table->columnWidth(1) + 2 * table->columnWidth(2),
              table->width());
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_FALSE(Find<QProgressBar>(window, kProgressBar)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(window, kAbort)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(window, kCalculate)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(window, kUpdatePhotoFiles)->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window, kLoadDataFiles)->isEnabled());
}

TEST_F(MainWindowTest, controlsCarryAccessibleNames) {
    MainWindow& window = Open();
    test::ExpectAccessibleNames(window, {
                                            {kLoadDataFiles, "Load data files"},
                                            {kCalculate, "Calculate coordinates"},
                                            {kUpdatePhotoFiles, "Update photo files"},
                                            {kSetup, "Setup"},
                                            {kHelp, "Help"},
                                            {kPhotoFolderField, "Folder with picture files:"},
                                            {kGpsFolderField, "Folder containing GPS files:"},
                                            {kPhotoFileCount, "Photo files"},
                                            {kGpsFileCount, "Track files"},
                                            {kPositionCount, "Positions"},
                                            {kUtcTime, "GMT/UTC"},
                                            {kLocalTime, "Local time"},
                                            {kCameraTime, "Camera time"},
                                            {kPhotoList, "Photo list"},
                                            {kStatusLine, "Status"},
                                        });
}

TEST_F(MainWindowTest, everyCaptionFitsItsControl) {
    MainWindow& window = Open();
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        const QSize needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        EXPECT_LE(needed.width(), button->width()) << button->text().toStdString();
        EXPECT_LE(needed.height(), button->height()) << button->text().toStdString();
    }
    for (QLabel* label : window.findChildren<QLabel*>()) {
        const QSize needed = label->fontMetrics().size(0, label->text());
        EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
    }
}

TEST_F(MainWindowTest, acceleratorsAreOffWhileAFolderFieldHasTheFocus) {
    MainWindow& window = Open();
    QApplication::setActiveWindow(&window);
    Find<QPushButton>(window, kLoadDataFiles)->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(app_.AcceleratorsEnabled());
    auto* photoField = Find<QLineEdit>(window, kPhotoFolderField);
    photoField->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(app_.AcceleratorsEnabled());

    // A folder typed into the field reaches the settings when the field loses the focus.
    photoField->setText(QStringLiteral("/typed/folder"));
    Find<QPushButton>(window, kLoadDataFiles)->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(app_.AcceleratorsEnabled());
    EXPECT_EQ(window.CurrentSettings().photoFolder, "/typed/folder");
}

TEST_F(MainWindowTest, f1OpensHelpOnlyWhileAcceleratorsAreOn) {
    MainWindow& window = Open();
    QApplication::setActiveWindow(&window);
    Find<QPushButton>(window, kLoadDataFiles)->setFocus();
    QTest::keyClick(Find<QPushButton>(window, kLoadDataFiles), Qt::Key_F1);
    EXPECT_EQ(ui_->helpRequests.size(), 1u);

    Find<QLineEdit>(window, kGpsFolderField)->setFocus();
    QApplication::processEvents();
    QTest::keyClick(Find<QLineEdit>(window, kGpsFolderField), Qt::Key_F1);
    EXPECT_EQ(ui_->helpRequests.size(), 1u);
}

TEST_F(MainWindowTest, theAboutItemOpensTheAboutBoxAndReturnsUnchanged) {
    MainWindow& window = Open();
    QString caption;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        caption = about->windowTitle();
        for (QLabel* label : about->findChildren<QLabel*>()) {
            texts << label->text();
        }
        QTest::mouseClick(about->findChild<QPushButton*>(QString::number(res::kIdOk)),
                          Qt::LeftButton);
    });
    window.OnSysCommand(kSysCommandAbout);
    EXPECT_EQ(caption, QStringLiteral("About Geotal"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Geotal Version 1.1.5")));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, helpOpensTheHelpFileBesideTheProgram) {
    MainWindow& window = Open();
    Click(window, kHelp);
    ASSERT_EQ(ui_->helpRequests.size(), 1u);
    EXPECT_EQ(ui_->helpRequests[0],
              QCoreApplication::applicationDirPath() + QStringLiteral("/Geotal.html"));
}

// A cancelled picker must not throw away a folder the user typed.
TEST_F(MainWindowTest, aCancelledBrowseKeepsTheTypedFolder) {
    MainWindow& window = Open();
    Settings settings = window.CurrentSettings();
    settings.gpsFolder = "/before";
    window.ApplySettings(settings);
    Find<QLineEdit>(window, kGpsFolderField)->setText(QStringLiteral("/typed"));
    ui_->folders.push_back(QString());
    Click(window, kBrowseGpsFolder);
    EXPECT_EQ(Find<QLineEdit>(window, kGpsFolderField)->text(), QStringLiteral("/typed"));
    EXPECT_EQ(window.CurrentSettings().gpsFolder, "/typed");
    ASSERT_EQ(ui_->browseStarts.size(), 1u);
    EXPECT_EQ(ui_->browseStarts[0], QStringLiteral("/typed"));
    ui_->folders.push_back(QStringLiteral("/chosen"));
    Click(window, kBrowseGpsFolder);
    EXPECT_EQ(Find<QLineEdit>(window, kGpsFolderField)->text(), QStringLiteral("/chosen"));
}

TEST_F(MainWindowTest, exitAndTheCloseBoxStoreTheSameSettings) {
    auto closeWith = [&](bool closeBox) {
        UserSettings().clear();
        MainWindow& window = Open();
        Settings settings = window.CurrentSettings();
        settings.photoFolder = "/p";
        settings.copyFolder = "/c";
        settings.coordinateFormat = CoordinateFormat::DegreesMinutesSeconds;
        window.ApplySettings(settings);
        if (closeBox) {
            window.close();
        } else {
            Click(window, kExit);
        }
        EXPECT_FALSE(window.isVisible());
        QSettings stored = UserSettings();
        QStringList values;
        for (const QString& key : stored.allKeys()) {
            values << key + QLatin1Char('=') + stored.value(key).toString();
        }
        values.sort();
        return values;
    };
    const QStringList byExit = closeWith(false);
    const QStringList byCloseBox = closeWith(true);
    EXPECT_EQ(byExit, byCloseBox);
    EXPECT_EQ(byExit.size(), 21);
    EXPECT_TRUE(byExit.contains(QStringLiteral("map_shown=1")));
    EXPECT_TRUE(byExit.contains(QStringLiteral("folder_photos=/p")));
}

TEST_F(MainWindowTest, aFolderStillBeingTypedIsStoredHoweverTheWindowCloses) {
    for (const char* how : {"escape", "close box"}) {
        UserSettings().clear();
        MainWindow& window = Open();
        QApplication::setActiveWindow(&window);
        auto* field = Find<QLineEdit>(window, kGpsFolderField);
        field->setFocus();
        QApplication::processEvents();
        field->setText(QStringLiteral("/typed/") + QLatin1String(how));
        if (std::string(how) == "escape") {
            QTest::keyClick(field, Qt::Key_Escape);
        } else {
            window.close();
        }
        EXPECT_FALSE(window.isVisible()) << how;
        EXPECT_EQ(UserSettings().value(QStringLiteral("folder_gpx")).toString(),
                  QStringLiteral("/typed/") + QLatin1String(how));
    }
}

TEST_F(MainWindowTest, loadDataFilesShowsCountsAndFillsTheListInNameOrder) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("photos"));
    QDir(dir.path()).mkdir(QStringLiteral("gps"));
    const QString photos = dir.path() + QStringLiteral("/photos");
    geotal::test::MakePhoto(photos + QStringLiteral("/b.jpg"), "2010:05:01 12:20:30");
    geotal::test::MakePhoto(photos + QStringLiteral("/A.JPG"), "2010:05:01 12:00:00", 47.5, -8.25);
    geotal::test::MakePhoto(photos + QStringLiteral("/c.jpeg"), "");
    geotal::test::MakeGpx(
        dir.path() + QStringLiteral("/gps/walk.gpx"),
        QStringLiteral(
            "<trkpt lat=\"47.5\" lon=\"8.25\"><time>2010-05-01T10:20:30Z</time></trkpt>\n"
            "<trkpt lat=\"47.6\" lon=\"8.26\"><time>2010-05-01T10:21:30Z</time></trkpt>\n"));

    MainWindow& window = Open();
    Settings settings = window.CurrentSettings();
    settings.photoFolder = photos.toStdString();
    settings.gpsFolder = (dir.path() + QStringLiteral("/gps")).toStdString();
    window.ApplySettings(settings);
    Click(window, kLoadDataFiles);
    QApplication::processEvents();

    EXPECT_EQ(Find<QLineEdit>(window, kPhotoFileCount)->text(), QStringLiteral("3"));
    EXPECT_EQ(Find<QLineEdit>(window, kGpsFileCount)->text(), QStringLiteral("1"));
    EXPECT_EQ(Find<QLineEdit>(window, kPositionCount)->text(), QStringLiteral("2"));
    EXPECT_TRUE(Find<QPushButton>(window, kCalculate)->isEnabled());
    EXPECT_FALSE(Find<QProgressBar>(window, kProgressBar)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(window, kAbort)->isVisible());
    EXPECT_EQ(Find<QLineEdit>(window, kStatusLine)->text(), QString());

    ASSERT_EQ(geotal::test::RowCount(window), 3);
    EXPECT_EQ(geotal::test::CellText(window, 0, 0), QStringLiteral("A.JPG"));
    EXPECT_EQ(geotal::test::CellText(window, 1, 0), QStringLiteral("b.jpg"));
    EXPECT_EQ(geotal::test::CellText(window, 2, 0), QStringLiteral("c.jpeg"));
    EXPECT_FALSE(geotal::test::RowChecked(window, 0)) << "has a position already";
    EXPECT_TRUE(geotal::test::RowChecked(window, 1));
    EXPECT_TRUE(geotal::test::RowChecked(window, 2));
    EXPECT_EQ(geotal::test::CellText(window, 0, 1), QStringLiteral("2010/05/01 12:00:00"));
    EXPECT_EQ(geotal::test::CellText(window, 0, 2), QStringLiteral("47.500000"));
    EXPECT_EQ(geotal::test::CellText(window, 0, 3), QStringLiteral("-8.250000"));
    EXPECT_EQ(geotal::test::CellText(window, 1, 2), QString());

    // Loading again gives the same counts, not double.
    Click(window, kLoadDataFiles);
    EXPECT_EQ(Find<QLineEdit>(window, kPositionCount)->text(), QStringLiteral("2"));
    EXPECT_EQ(Find<QLineEdit>(window, kPhotoFileCount)->text(), QStringLiteral("3"));
}

}  // namespace
}  // namespace geotal::app
