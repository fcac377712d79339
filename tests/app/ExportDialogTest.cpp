#include "app/ExportDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

#include "app/DialogChecks.h"
#include "app/FakeUiServices.h"
#include "app/QtPrinters.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::export_dialog;

template <typename T>
T* Find(const ExportDialog& dialog, int id) {
    return qobject_cast<T*>(dialog.Control(id));
}

void Click(const ExportDialog& dialog, int id) {
    test::ClickCaption(dialog.Control(id));
}

// The choices as the settings store them: format and separator by their numbers.
ExportChoices Choices(int format, const std::string& fileName, int separator) {
    return {static_cast<ExportFormat>(format), fileName, static_cast<CsvSeparator>(separator)};
}

bool RunWith(ExportChoices& choices, const std::function<void(ExportDialog&)>& steps) {
    return test::RunModal<ExportDialog>([&] { return RunExportDialog(nullptr, choices); }, steps);
}

class ExportDialogTest : public ::testing::Test {
protected:
    ScopedFakeUi ui_;
};

TEST_F(ExportDialogTest, opensWithTheChoicesAndTheSeparatorOnlyForCsv) {
    const struct {
        ExportChoices choices;
        bool csv, kml, separatorOn;
        int shownSeparator;
    } cases[] = {
        {Choices(0, "/tmp/a.csv", 1), true, false, true, 1},
        {Choices(1, "", 2), false, true, false, 2},
        {Choices(0, "x", 5), true, false, true, -1},  // a damaged separator: nothing selected
    };
    for (const auto& c : cases) {
        ExportDialog dialog(nullptr, c.choices);
        EXPECT_EQ(Find<QRadioButton>(dialog, kCsv)->isChecked(), c.csv);
        EXPECT_EQ(Find<QRadioButton>(dialog, kKml)->isChecked(), c.kml);
        EXPECT_EQ(dialog.Control(kSeparatorList)->isEnabled(), c.separatorOn);
        EXPECT_EQ(dialog.Control(kSeparatorLabel)->isEnabled(), c.separatorOn);
        EXPECT_EQ(Find<QComboBox>(dialog, kSeparatorList)->currentIndex(), c.shownSeparator);
        EXPECT_EQ(Find<QLineEdit>(dialog, kOutputFile)->text().toStdString(), c.choices.fileName);
    }
}

TEST_F(ExportDialogTest, switchingToKmlDisablesTheSeparatorAndBackToCsvFindsItAgain) {
    ExportDialog dialog(nullptr, Choices(0, "", 2));
    dialog.show();
    Click(dialog, kKml);
    EXPECT_FALSE(dialog.Control(kSeparatorList)->isEnabled());
    EXPECT_FALSE(dialog.Control(kSeparatorLabel)->isEnabled());
    Click(dialog, kCsv);
    EXPECT_TRUE(dialog.Control(kSeparatorList)->isEnabled());
    EXPECT_TRUE(dialog.Control(kSeparatorLabel)->isEnabled());
    EXPECT_EQ(Find<QComboBox>(dialog, kSeparatorList)->currentIndex(), 2);
}

TEST_F(ExportDialogTest, switchingTheFormatChangesTheOtherFormatsExtensionOnly) {
    ExportDialog dialog(nullptr, Choices(0, "/tmp/trip.CSV", 0));
    dialog.show();
    auto* file = Find<QLineEdit>(dialog, kOutputFile);
    Click(dialog, kKml);
    EXPECT_EQ(file->text(), QStringLiteral("/tmp/trip.kml"));
    Click(dialog, kCsv);
    EXPECT_EQ(file->text(), QStringLiteral("/tmp/trip.csv"));
    file->setText(QStringLiteral("/tmp/trip.txt"));
    Click(dialog, kKml);
    EXPECT_EQ(file->text(), QStringLiteral("/tmp/trip.txt")) << "a name of the user's own stays";
}

TEST_F(ExportDialogTest, browseAsksForAFileOfTheFormatShownAndFillsTheField) {
    const struct {
        int format;
        int clickedFormat;  // 0 for none
        const char* filter;
        const char* suffix;  // what a name typed in the picker without an ending gets
    } cases[] = {
        {0, 0, "CSV-file (*.csv)", "csv"},
        {1, 0, "KML-file (*.kml)", "kml"},
        {0, kKml, "KML-file (*.kml)", "kml"},
        {-1, 0, "", "csv"},
    };
    for (const auto& c : cases) {
        ui_->saveFileRequests.clear();
        ui_->saveFiles = {QStringLiteral("/data/out.kml")};
        ExportDialog dialog(nullptr, Choices(c.format, "old.csv", 0));
        dialog.show();
        if (c.clickedFormat != 0) {
            Click(dialog, c.clickedFormat);
        }
        Click(dialog, kBrowse);
        ASSERT_EQ(ui_->saveFileRequests.size(), 1u) << c.filter;
        EXPECT_EQ(ui_->saveFileRequests[0].filter, QString::fromUtf8(c.filter));
        EXPECT_EQ(ui_->saveFileRequests[0].defaultSuffix, QString::fromUtf8(c.suffix));
        EXPECT_EQ(Find<QLineEdit>(dialog, kOutputFile)->text(), QStringLiteral("/data/out.kml"));

        // A cancelled picker leaves the name as it was.
        Click(dialog, kBrowse);
        EXPECT_EQ(Find<QLineEdit>(dialog, kOutputFile)->text(), QStringLiteral("/data/out.kml"));
    }
}

TEST_F(ExportDialogTest, okHandsBackWhatTheDialogShowsAndCancelNothing) {
    ExportChoices choices = Choices(0, "/tmp/old.csv", 1);
    EXPECT_TRUE(RunWith(choices, [](ExportDialog& dialog) {
        Click(dialog, kKml);
        Find<QLineEdit>(dialog, kOutputFile)->setText(QStringLiteral("/tmp/new.kml"));
        Click(dialog, res::kIdOk);
    }));
    // The separator keeps its last value while KML is chosen.
    EXPECT_EQ(choices.format, ExportFormat::Kml);
    EXPECT_EQ(choices.fileName, "/tmp/new.kml");
    EXPECT_EQ(choices.separator, CsvSeparator::Semicolon);

    EXPECT_TRUE(RunWith(choices, [](ExportDialog& dialog) {
        Click(dialog, kCsv);
        Find<QComboBox>(dialog, kSeparatorList)->setCurrentIndex(2);
        QTest::keyClick(dialog.Control(kOutputFile), Qt::Key_Return);  // OK is the default
    }));
    EXPECT_EQ(choices.format, ExportFormat::Csv);
    EXPECT_EQ(choices.fileName, "/tmp/new.csv") << "the extension follows the format";
    EXPECT_EQ(choices.separator, CsvSeparator::Tab);

    // A name typed without an ending gets the chosen format's; one with any ending keeps it.
    for (const auto& [format, typed, taken] : {std::tuple{kKml, "/tmp/trip", "/tmp/trip.kml"},
                                               {kCsv, "/tmp/trip", "/tmp/trip.csv"},
                                               {kKml, "/tmp/trip.2024", "/tmp/trip.2024"}}) {
        EXPECT_TRUE(RunWith(choices, [format = format, typed = typed](ExportDialog& dialog) {
            Click(dialog, format);
            Find<QLineEdit>(dialog, kOutputFile)->setText(QString::fromUtf8(typed));
            Click(dialog, res::kIdOk);
        }));
        EXPECT_EQ(choices.fileName, taken);
    }
    choices = Choices(0, "/tmp/new.csv", 2);

    ui_->saveFiles = {QStringLiteral("/tmp/picked.csv")};
    EXPECT_FALSE(RunWith(choices, [](ExportDialog& dialog) {
        Click(dialog, kKml);
        Click(dialog, kBrowse);
        Click(dialog, res::kIdCancel);
    }));
    EXPECT_EQ(choices.format, ExportFormat::Csv);
    EXPECT_EQ(choices.fileName, "/tmp/new.csv");
    EXPECT_EQ(choices.separator, CsvSeparator::Tab);
}

TEST_F(ExportDialogTest, okWithoutAnOutputFileWarnsAndKeepsTheDialogOpen) {
    for (const char* name : {"", "   "}) {
        ui_->messages.clear();
        ExportDialog dialog(nullptr, Choices(0, name, 0));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        Click(dialog, res::kIdOk);
        ASSERT_EQ(ui_->messages.size(), 1u);
        EXPECT_EQ(ui_->messages[0].text,
                  QStringLiteral("Please enter the name of the output file."));
        EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), dialog.Control(kOutputFile));
    }
}

TEST_F(ExportDialogTest, controlsCarryAccessibleNamesAndEveryCaptionFits) {
    ExportDialog dialog(nullptr, Choices(0, "", 1));
    test::ExpectAccessibleNames(dialog, {
                                            {kCsv, "CSV (comma separated)"},
                                            {kKml, "KML (Google Earth)"},
                                            {kSeparatorList, "Field separator:"},
                                            {kOutputFile, "Output file:"},
                                            {kBrowse, "Browse for the output file"},
                                            {res::kIdOk, "OK"},
                                            {res::kIdCancel, "Cancel"},
                                        });
    test::ExpectEveryControlNamed(dialog);
    test::ExpectCaptionsFitAndNothingOverlaps(dialog);
}

}  // namespace
}  // namespace geotal::app
