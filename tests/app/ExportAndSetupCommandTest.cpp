#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "app/DialogChecks.h"
#include "app/ExportDialog.h"
#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/PhotoListView.h"
#include "app/PhotoTable.h"
#include "app/QtPrinters.h"
#include "app/SetupDialog.h"
#include "app/TestPhotos.h"
#include "res/ControlIds.h"
#include "support/TraceLog.h"

namespace geotal::app {
namespace {

using namespace res::main_window;
namespace ex = res::export_dialog;
namespace su = res::setup_dialog;

QByteArray Contents(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A loaded window over three photos: "a&b.jpg" at 47.519 N 8.25 E, "c<d.jpg" at 33.8688 S
// 151.2093 W, "e.jpg" without a position.
class ExportAndSetupCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        photos_ = dir_.path() + QStringLiteral("/photos");
        QDir().mkpath(photos_);
        geotal::test::MakePhoto(photos_ + QStringLiteral("/a&b.jpg"), "2010:05:01 12:00:00", 47.519,
                                8.25);
        geotal::test::MakePhoto(photos_ + QStringLiteral("/c<d.jpg"), "2010:05:01 12:01:00",
                                -33.8688, -151.2093);
        geotal::test::MakePhoto(photos_ + QStringLiteral("/e.jpg"), "2010:05:01 12:02:00");
        window_ = &app_.CreateMainWindow();
        Settings settings = window_->CurrentSettings();
        settings.photoFolder = photos_.toStdString();
        settings.gpsFolder = dir_.path().toStdString();
        window_->ApplySettings(settings);
        window_->OnCommand(kLoadDataFiles);
        // The folder holds no track, and the load says so; these photos need none.
        ASSERT_EQ(ui_->messages.size(), 1u);
        ui_->messages.clear();
        window_->OnCommand(kMarkAll);
    }
    void TearDown() override { DisableTrace(); }

    // Runs Export, choosing the format, the file and the separator in the dialog.
    void Export(int formatId, const QString& file, int separatorIndex = 0) {
        test::RunModal<ExportDialog>(
            [this] {
                window_->OnCommand(kExport);
                return true;
            },
            [&](ExportDialog& dialog) {
                qobject_cast<QRadioButton*>(dialog.Control(formatId))->click();
                qobject_cast<QComboBox*>(dialog.Control(ex::kSeparatorList))
                    ->setCurrentIndex(separatorIndex);
                qobject_cast<QLineEdit*>(dialog.Control(ex::kOutputFile))->setText(file);
                dialog.accept();
            });
    }
    // Runs Setup with the given steps on the dialog.
    void Setup(const std::function<void(SetupDialog&)>& steps) {
        test::RunModal<SetupDialog>(
            [this] {
                window_->OnCommand(kSetup);
                return true;
            },
            steps);
    }
    QString Text(int row, int column) const {
        return geotal::test::CellText(*window_, row, column);
    }

    QTemporaryDir dir_;
    QString photos_;
    ScopedFakeUi ui_;
    GeotagApp app_;
    MainWindow* window_ = nullptr;
};

TEST_F(ExportAndSetupCommandTest, exportsTheCheckedPhotosAndKeepsTheChoices) {
    geotal::test::ClickCheckBox(*window_, 1);
    const QString csv = dir_.path() + QStringLiteral("/out.csv");
    Export(ex::kCsv, csv, 1);
    // e.jpg is checked but has no position: at 0/0 it would claim a place it never was.
    EXPECT_EQ(Contents(csv), QByteArray("latitude;longitude;name;time;altitude\r\n"
                                        "47.519000;8.250000;a&b.jpg;;\r\n"));
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].text,
              QStringLiteral("1 positions were successfully exported to ") + csv);
    EXPECT_EQ(ui_->messages[0].typeWord, kMessageInformation);
    EXPECT_EQ(window_->CurrentSettings().exportFileName, csv.toStdString());
    EXPECT_EQ(window_->CurrentSettings().csvSeparator, CsvSeparator::Semicolon);
    EXPECT_EQ(window_->CurrentSettings().exportFormat, ExportFormat::Csv);
}

// Nothing checked has a position (as after an Update): an earlier export stays, and the box
// says why nothing was written.
TEST_F(ExportAndSetupCommandTest, anExportWithNothingToWriteKeepsTheEarlierFileAndSaysWhy) {
    const QString csv = dir_.path() + QStringLiteral("/out.csv");
    Export(ex::kCsv, csv);
    const QByteArray earlier = Contents(csv);
    ASSERT_TRUE(earlier.contains("a&b.jpg"));
    window_->OnCommand(kUnmarkAll);
    ui_->messages.clear();
    Export(ex::kCsv, csv);
    EXPECT_EQ(Contents(csv), earlier);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_TRUE(ui_->messages[0].text.startsWith(
        QStringLiteral("No checked photo has a position, so nothing was exported")))
        << ui_->messages[0].text.toStdString();
    EXPECT_FALSE(window_->Summary().contains(QStringLiteral("positions exported")));
}

TEST_F(ExportAndSetupCommandTest, writesKmlThatAnXmlParserReadsWithTheNamesIntact) {
    const QString kml = dir_.path() + QStringLiteral("/out.kml");
    Export(ex::kKml, kml);
    QXmlStreamReader xml(Contents(kml));
    QStringList names;
    QStringList coordinates;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("name")) {
                names << xml.readElementText();
            } else if (xml.name() == QLatin1String("coordinates")) {
                coordinates << xml.readElementText();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("MyPhotos"), QStringLiteral("a&b.jpg"),
                                  QStringLiteral("c<d.jpg")}))
        << "only photos with a position";
    EXPECT_EQ(coordinates.value(1), QStringLiteral("-151.209300,-33.868800"));
    EXPECT_EQ(window_->CurrentSettings().exportFormat, ExportFormat::Kml);
}

TEST_F(ExportAndSetupCommandTest, aFailedExportSaysWhyAndClaimsNoSuccess) {
    const QString target = dir_.path() + QStringLiteral("/missing/out.csv");
    Export(ex::kCsv, target);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].typeWord, kMessageError);
    EXPECT_EQ(MessageCaption(ui_->messages[0].typeWord), QStringLiteral("Error"));
    EXPECT_TRUE(ui_->messages[0].text.contains(target)) << ui_->messages[0].text.toStdString();
    EXPECT_TRUE(ui_->messages[0].text.contains(QStringLiteral("No such file or directory")));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(ExportAndSetupCommandTest, setupAppliesTheFormatAtOnceAndCancelChangesNothing) {
    const Settings before = window_->CurrentSettings();
    Setup([](SetupDialog& dialog) {
        qobject_cast<QRadioButton*>(dialog.Control(su::kDegreesMinutesSeconds))->click();
        dialog.reject();
    });
    EXPECT_EQ(window_->CurrentSettings().coordinateFormat, before.coordinateFormat);
    EXPECT_EQ(Text(0, 2), QStringLiteral("47.519000"));

    const QString copies = dir_.path();
    Setup([&](SetupDialog& dialog) {
        qobject_cast<QRadioButton*>(dialog.Control(su::kDegreesMinutesSeconds))->click();
        qobject_cast<QLineEdit*>(dialog.Control(su::kCopyFolder))->setText(copies);
        dialog.accept();
    });
    EXPECT_EQ(window_->CurrentSettings().coordinateFormat, CoordinateFormat::DegreesMinutesSeconds);
    EXPECT_EQ(window_->CurrentSettings().copyFolder, copies.toStdString());
    EXPECT_EQ(Text(0, 2), QStringLiteral("47 31  8.40")) << "the list is redrawn at once";
}

TEST_F(ExportAndSetupCommandTest, enbleTraceWritesTheTraceInTheDocumentsFolderUntilSwitchedOff) {
    ui_->documentsFolder = dir_.path();
    const QString trace = dir_.path() + QStringLiteral("/Geotal.trace");
    Setup([](SetupDialog& dialog) {
        qobject_cast<QCheckBox*>(dialog.Control(su::kTrace))->setChecked(true);
        dialog.accept();
    });
    EXPECT_TRUE(IsTraceEnabled());
    window_->OnCommand(kLoadDataFiles);
    EXPECT_TRUE(Contents(trace).contains("****  START LOAD"));

    Setup([](SetupDialog& dialog) {
        EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.Control(su::kTrace))->isChecked());
        qobject_cast<QCheckBox*>(dialog.Control(su::kTrace))->setChecked(false);
        dialog.accept();
    });
    EXPECT_FALSE(IsTraceEnabled());
}

}  // namespace
}  // namespace geotal::app
