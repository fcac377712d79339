// The window as a photographer uses it: it says what happened, never loses work to a key, and
// fits the screen.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

#include "app/DialogChecks.h"
#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/TestPhotos.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;
namespace table = geotal::test;

QSettings UserSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarsel"),
                     QStringLiteral("Geotal"));
}

// A window over a.jpg (no position, 10:05 UTC), b.jpg (no time) and c.jpg (10 N 20 E), and a
// walk from 10:00 to 10:10 UTC.
class WindowBehaviourTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserSettings().clear();
        photos_ = dir_.path() + QStringLiteral("/photos");
        gps_ = dir_.path() + QStringLiteral("/gps");
        QDir().mkpath(photos_);
        QDir().mkpath(gps_);
        window_ = &app_.CreateMainWindow();
        const TimeAdjustment& a = window_->Adjustment();
        const std::string tenFive = QDateTime(QDate(2010, 5, 1), QTime(10, 5), Qt::UTC)
                                        .addSecs(a.timeZoneOffset * 3600LL + a.cameraClockError)
                                        .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                        .toStdString();
        table::MakePhoto(photos_ + QStringLiteral("/a.jpg"), tenFive);
        table::MakePhoto(photos_ + QStringLiteral("/b.jpg"), "");
        table::MakePhoto(photos_ + QStringLiteral("/c.jpg"), tenFive, 10.0, 20.0);
        table::MakeGpx(gps_ + QStringLiteral("/walk.gpx"),
                       QStringLiteral("<trkpt lat=\"47.0\" lon=\"8.0\">"
                                      "<time>2010-05-01T10:00:00Z</time></trkpt>\n"
                                      "<trkpt lat=\"47.1\" lon=\"8.1\">"
                                      "<time>2010-05-01T10:10:00Z</time></trkpt>\n"));
        window_->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        if (app_.Window() != nullptr) {
            app_.Window()->hide();
        }
    }
    void Load(const QString& photos, const QString& gps) {
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos.toStdString();
        settings.gpsFolder = gps.toStdString();
        settings.copyFiles = false;
        window_->ApplySettings(settings);
        window_->OnCommand(kLoadDataFiles);
    }
    QString LastMessage() const {
        return ui_->messages.empty() ? QString() : ui_->messages.back().text;
    }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(window_->Control(id)); }

    QTemporaryDir dir_;
    QString photos_, gps_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(WindowBehaviourTest, aLoadSaysWhatItReadAndWhatIsWrongWithAFolder) {
    Load(photos_, gps_);
    EXPECT_TRUE(ui_->messages.empty()) << LastMessage().toStdString();
    EXPECT_EQ(window_->Summary(), QStringLiteral("3 photos, 1 track file, 2 positions"));
    EXPECT_TRUE(Button(kCalculate)->isEnabled());

    const QString missing = dir_.path() + QStringLiteral("/missing");
    const QString file = photos_ + QStringLiteral("/a.jpg");
    const QString empty = dir_.path() + QStringLiteral("/empty");
    QDir().mkpath(empty);
    const QString nested = dir_.path() + QStringLiteral("/nested");
    QDir().mkpath(nested + QStringLiteral("/2024"));
    const struct {
        QString photos, gps;
        QStringList said;
    } cases[] = {
        {missing, gps_, {missing, QStringLiteral("does not exist")}},
        {file, gps_, {file, QStringLiteral("is a file, not a folder")}},
        {empty, gps_, {empty, QStringLiteral("holds no photos")}},
        {photos_, empty, {empty, QStringLiteral("holds no track files")}},
        {photos_, photos_, {photos_, QStringLiteral("holds no track files")}},
        {nested,
         gps_,
         {nested, QStringLiteral("holds no photos"),
          QStringLiteral("Its subfolders are not read.")}},
        {photos_,
         nested,
         {QStringLiteral("(GPX, CSV, NMEA, KML, KMZ, TCX, FIT, IGC, GeoJSON"),
          QStringLiteral("Its subfolders are not read.")}},
    };
    for (const auto& c : cases) {
        ui_->messages.clear();
        Load(c.photos, c.gps);
        ASSERT_EQ(ui_->messages.size(), 1u) << c.photos.toStdString();
        for (const QString& part : c.said) {
            EXPECT_TRUE(LastMessage().contains(part)) << LastMessage().toStdString();
        }
        EXPECT_EQ(ui_->messages.back().typeWord, kMessageWarning);
    }
    EXPECT_FALSE(Button(kCalculate)->isEnabled()) << "no track: nothing to place photos by";

    // A track file that gave nothing is named, and why.
    table::MakeGpx(empty + QStringLiteral("/blank.gpx"), QString());
    Load(photos_, empty);
    EXPECT_TRUE(
        window_->Summary().endsWith(QStringLiteral("; no points in blank.gpx (hold the mouse "
                                                   "here to see why)")))
        << window_->Summary().toStdString();
    window_->OnCommand(kCalculate);
    EXPECT_TRUE(LastMessage().contains(QStringLiteral("No track points are loaded")));
}

TEST_F(WindowBehaviourTest, theSummaryLineSaysWhatCalculateUpdateAndPasteDid) {
    Load(photos_, gps_);
    window_->OnCommand(kCalculate);
    EXPECT_EQ(window_->Summary(),
              QStringLiteral("1 of 3 photos placed: 1 interpolated; 1 without a capture time"));
    table::ClickRow(*window_, 2);
    window_->OnCommand(kCommandCopy);
    table::SelectRows(*window_, {1});
    window_->OnCommand(kCommandPaste);
    EXPECT_EQ(window_->Summary(), QStringLiteral("Position pasted onto 1 photos"));
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kUpdatePhotoFiles);
    EXPECT_EQ(window_->Summary(), QStringLiteral("2 photos written"));
}

TEST_F(WindowBehaviourTest, aBrowserOrHelpViewerThatDoesNotStartIsReported) {
    Load(photos_, gps_);
    ui_->opens = false;
    table::ClickRow(*window_, 2);
    window_->OnCommand(kShowOnMap);
    ASSERT_EQ(ui_->webAddresses.size(), 1u);
    EXPECT_TRUE(LastMessage().contains(ui_->webAddresses[0])) << LastMessage().toStdString();
    window_->OnCommand(kHelp);
    EXPECT_TRUE(LastMessage().contains(QStringLiteral("help page"))) << LastMessage().toStdString();
}

TEST_F(WindowBehaviourTest, enterInAFolderFieldLoadsInsteadOfEndingTheWindow) {
    QApplication::setActiveWindow(window_);
    auto* field = qobject_cast<QLineEdit*>(window_->Control(kPhotoFolderField));
    field->setFocus();
    field->setText(photos_);
    auto* gps = qobject_cast<QLineEdit*>(window_->Control(kGpsFolderField));
    gps->setText(gps_);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(table::RowCount(*window_), 3) << "Enter loaded the folders";
}

TEST_F(WindowBehaviourTest, leavingAsksFirstWhenPositionsAreNotWrittenYet) {
    Load(photos_, gps_);
    window_->OnCommand(kCalculate);
    for (int how = 0; how < 3; ++how) {
        ui_->answers.push_back(MessageAnswer::No);
        if (how == 0) {
            QTest::keyClick(window_, Qt::Key_Escape);
        } else if (how == 1) {
            window_->close();
        } else {
            window_->OnCommand(kExit);
        }
        EXPECT_TRUE(window_->isVisible()) << how;
        EXPECT_EQ(LastMessage(), QStringLiteral("1 positions are not written yet. Exit anyway?"));
    }
    ui_->answers.push_back(MessageAnswer::Yes);
    window_->OnCommand(kExit);
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(WindowBehaviourTest, leavingDuringAnUpdateStopsAfterTheCurrentPhotoAndClosesQuietly) {
    Load(photos_, gps_);
    window_->OnCommand(kCalculate);
    ui_->answers.push_back(MessageAnswer::Yes);  // the update's question
    ui_->answers.push_back(MessageAnswer::Yes);  // stop and exit
    QTimer::singleShot(0, [this] { window_->close(); });
    window_->OnCommand(kUpdatePhotoFiles);
    EXPECT_FALSE(window_->isVisible());
    ASSERT_EQ(ui_->messages.size(), 2u) << "no success box after the window has gone";
    EXPECT_TRUE(ui_->messages[1].text.contains(QStringLiteral("Stop after the current photo")));
}

TEST_F(WindowBehaviourTest, theWindowGrowsWithItsListAndKeepsItsSizeForTheNextRun) {
    Load(photos_, gps_);
    auto* list = table::PhotoTable(*window_);
    const QSize window = window_->size();
    const QRect listBefore = list->geometry();
    const QRect exitBefore = Button(kExit)->geometry();
    const QRect markBefore = Button(kMarkAll)->geometry();
    const QRect loadBefore = Button(kLoadDataFiles)->geometry();
    const QRect fieldBefore = window_->Control(kPhotoFolderField)->geometry();
    window_->resize(window + QSize(200, 100));
    QApplication::processEvents();
    EXPECT_EQ(list->geometry().size(), listBefore.size() + QSize(200, 100));
    EXPECT_EQ(Button(kExit)->geometry(), exitBefore.translated(200, 100));
    EXPECT_EQ(Button(kMarkAll)->geometry(), markBefore.translated(0, 100));
    EXPECT_EQ(Button(kLoadDataFiles)->geometry(), loadBefore.translated(200, 0));
    EXPECT_EQ(window_->Control(kPhotoFolderField)->width(), fieldBefore.width() + 200);
    EXPECT_TRUE(window_->windowFlags() & Qt::WindowMaximizeButtonHint);

    window_->close();
    EXPECT_EQ(UserSettings().value(QStringLiteral("window_width")).toInt(), window.width() + 200);
    MainWindow& next = app_.CreateMainWindow();
    EXPECT_EQ(next.size(), window + QSize(200, 100));
}

TEST_F(WindowBehaviourTest, theMenuBarOffersHelpAndAbout) {
    auto* bar = window_->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QStringList texts;
    for (QAction* menu : bar->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            texts << item->text();
        }
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("&About Geotal...")))
        << texts.join(',').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Geotal &Help")));
    EXPECT_LE(bar->geometry().bottom(), window_->Control(kPhotoFolderField)->y());
}

// Two controls with one Alt key make that key do nothing but move the focus between them (Qt
// calls it ambiguous), so each Alt key of the buttons and the menu bar names one of them.
TEST_F(WindowBehaviourTest, eachAltKeyNamesOneButtonOrMenu) {
    std::map<QString, QStringList> byKey;
    for (QAbstractButton* button : window_->findChildren<QAbstractButton*>()) {
        if (button->window() == window_ && button->isVisible()) {
            byKey[QKeySequence::mnemonic(button->text()).toString()] << button->text();
        }
    }
    auto* bar = window_->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    for (QAction* menu : bar->actions()) {
        byKey[QKeySequence::mnemonic(menu->text()).toString()] << menu->text();
    }
    byKey.erase(QString());  // no Alt key at all
    ASSERT_GE(byKey.size(), 8u) << "the buttons' and menus' keys were found";
    for (const auto& [key, owners] : byKey) {
        EXPECT_EQ(owners.size(), 1) << key.toStdString() << ": " << owners.join(", ").toStdString();
    }
}

}  // namespace
}  // namespace geotal::app
