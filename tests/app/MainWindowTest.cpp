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
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/PhotoListView.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"

namespace geotal::app {
namespace {

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
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the window is not resizable";
    EXPECT_EQ(Find<QLineEdit>(window, 1000)->text(), QStringLiteral("/photos/here"));
    EXPECT_EQ(Find<QLineEdit>(window, 1004)->text(), QStringLiteral("/tracks/there"));

    auto* table = Find<QTableWidget>(window, 1003);
    ASSERT_EQ(table->columnCount(), 4);
    const QStringList headers = {QStringLiteral("Photo File"), QStringLiteral("Date/time"),
                                 QStringLiteral("Latitude"), QStringLiteral("Longitude")};
    // The widths keep their proportions 290:120:100:100 and the longest texts fit.
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(table->horizontalHeaderItem(c)->text(), headers[c]);
    }
    EXPECT_NEAR(table->columnWidth(0) * 12.0 / table->columnWidth(1), 29.0, 0.5);
    EXPECT_EQ(table->columnWidth(2), table->columnWidth(3));
    const QFontMetrics metrics(table->font());
    EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("2010/05/01 12:21:00")) + 8,
              table->columnWidth(1));
    EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("-179.999999")) + 8, table->columnWidth(2));
    EXPECT_LE(table->columnWidth(0) + table->columnWidth(1) + 2 * table->columnWidth(2),
              table->width());
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_FALSE(Find<QProgressBar>(window, 1022)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(window, 1047)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(window, 1008)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(window, 1013)->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window, 1009)->isEnabled());
}

TEST_F(MainWindowTest, controlsCarryAccessibleNames) {
    MainWindow& window = Open();
    const std::pair<int, const char*> expected[] = {
        {1009, "Load data files"},
        {1008, "Calculate coordinates"},
        {1013, "Update photo files"},
        {57671, "Setup"},
        {57670, "Help"},
        {1000, "Folder with picture files:"},
        {1004, "Folder containing GPS files:"},
        {1024, "Photo files"},
        {1025, "Track files"},
        {1026, "Positions"},
        {1027, "GMT/UTC"},
        {1029, "Local time"},
        {1030, "Camera time"},
        {1003, "Photo list"},
        {1023, "Status"},
    };
    for (const auto& [id, name] : expected) {
        EXPECT_EQ(window.Control(id)->accessibleName(), QString::fromUtf8(name)) << id;
    }
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
    Find<QPushButton>(window, 1009)->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(app_.AcceleratorsEnabled());
    auto* photoField = Find<QLineEdit>(window, 1000);
    photoField->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(app_.AcceleratorsEnabled());

    // A folder typed into the field reaches the settings when the field loses the focus.
    photoField->setText(QStringLiteral("/typed/folder"));
    Find<QPushButton>(window, 1009)->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(app_.AcceleratorsEnabled());
    EXPECT_EQ(window.settings.photoFolder, "/typed/folder");
}

TEST_F(MainWindowTest, f1OpensHelpOnlyWhileAcceleratorsAreOn) {
    MainWindow& window = Open();
    QApplication::setActiveWindow(&window);
    Find<QPushButton>(window, 1009)->setFocus();
    QTest::keyClick(Find<QPushButton>(window, 1009), Qt::Key_F1);
    EXPECT_EQ(ui_->helpRequests.size(), 1u);

    Find<QLineEdit>(window, 1004)->setFocus();
    QApplication::processEvents();
    QTest::keyClick(Find<QLineEdit>(window, 1004), Qt::Key_F1);
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
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    });
    window.OnSysCommand(0x10);
    EXPECT_EQ(caption, QStringLiteral("About Geotal"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Geotal Version 1.1.5")));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, helpOpensTheHelpFileBesideTheProgram) {
    MainWindow& window = Open();
    Click(window, 57670);
    ASSERT_EQ(ui_->helpRequests.size(), 1u);
    EXPECT_EQ(ui_->helpRequests[0],
              QCoreApplication::applicationDirPath() + QStringLiteral("/Geotal.html"));
}

TEST_F(MainWindowTest, cancelledBrowseEmptiesTheFolderField) {
    MainWindow& window = Open();
    window.settings.gpsFolder = "/before";
    window.PushToControls();
    ui_->folders.push_back(QString());
    Click(window, 1005);
    EXPECT_EQ(Find<QLineEdit>(window, 1004)->text(), QString());
    EXPECT_EQ(window.settings.gpsFolder, "");
    ASSERT_EQ(ui_->browseStarts.size(), 1u);
    EXPECT_EQ(ui_->browseStarts[0], QStringLiteral("/before"));
}

TEST_F(MainWindowTest, exitAndTheCloseBoxStoreTheSameSettings) {
    auto closeWith = [&](bool closeBox) {
        UserSettings().clear();
        MainWindow& window = Open();
        window.settings.photoFolder = "/p";
        window.settings.copyFolder = "/c";
        window.settings.coordinateFormat = CoordinateFormat::DegreesMinutesSeconds;
        window.PushToControls();
        if (closeBox) {
            window.close();
        } else {
            Click(window, 2);
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
    EXPECT_EQ(byExit.size(), 9);
    EXPECT_TRUE(byExit.contains(QStringLiteral("folder_photos=/p")));
}

TEST_F(MainWindowTest, loadDataFilesShowsCountsAndFillsTheListInNameOrder) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("photos"));
    QDir(dir.path()).mkdir(QStringLiteral("gps"));
    const QString photos = dir.path() + QStringLiteral("/photos");
    test::MakePhoto(photos + QStringLiteral("/b.jpg"), "2010:05:01 12:20:30");
    test::MakePhoto(photos + QStringLiteral("/A.JPG"), "2010:05:01 12:00:00", 47.5, -8.25);
    test::MakePhoto(photos + QStringLiteral("/c.jpeg"), "");
    test::MakeGpx(
        dir.path() + QStringLiteral("/gps/walk.gpx"),
        QStringLiteral(
            "<trkpt lat=\"47.5\" lon=\"8.25\"><time>2010-05-01T10:20:30Z</time></trkpt>\n"
            "<trkpt lat=\"47.6\" lon=\"8.26\"><time>2010-05-01T10:21:30Z</time></trkpt>\n"));

    MainWindow& window = Open();
    window.settings.photoFolder = photos.toStdString();
    window.settings.gpsFolder = (dir.path() + QStringLiteral("/gps")).toStdString();
    window.PushToControls();
    Click(window, 1009);
    QApplication::processEvents();

    EXPECT_EQ(Find<QLineEdit>(window, 1024)->text(), QStringLiteral("3"));
    EXPECT_EQ(Find<QLineEdit>(window, 1025)->text(), QStringLiteral("1"));
    EXPECT_EQ(Find<QLineEdit>(window, 1026)->text(), QStringLiteral("2"));
    EXPECT_TRUE(Find<QPushButton>(window, 1008)->isEnabled());
    EXPECT_FALSE(Find<QProgressBar>(window, 1022)->isVisible());
    EXPECT_FALSE(Find<QPushButton>(window, 1047)->isVisible());
    EXPECT_EQ(Find<QLineEdit>(window, 1023)->text(), QString());

    auto* table = Find<QTableWidget>(window, 1003);
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("A.JPG"));
    EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("b.jpg"));
    EXPECT_EQ(table->item(2, 0)->text(), QStringLiteral("c.jpeg"));
    EXPECT_EQ(table->item(0, 0)->checkState(), Qt::Unchecked) << "has a position already";
    EXPECT_EQ(table->item(1, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(table->item(2, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("2010/05/01 12:00:00"));
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("47.500000"));
    EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("-8.250000"));
    EXPECT_EQ(table->item(1, 2), nullptr);

    // Loading again gives the same counts, not double.
    Click(window, 1009);
    EXPECT_EQ(Find<QLineEdit>(window, 1026)->text(), QStringLiteral("2"));
    EXPECT_EQ(Find<QLineEdit>(window, 1024)->text(), QStringLiteral("3"));
}

}  // namespace
}  // namespace geotal::app
