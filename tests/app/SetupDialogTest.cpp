#include "app/SetupDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/DialogChecks.h"
#include "app/FakeUiServices.h"
#include "app/QtPrinters.h"
#include "res/ControlIds.h"
#include "support/TraceLog.h"

namespace geotal::app {
namespace {

using namespace res::setup_dialog;
using F = CoordinateFormat;

template <typename T>
T* Find(const SetupDialog& dialog, int id) {
    return qobject_cast<T*>(dialog.Control(id));
}

bool Checked(const SetupDialog& dialog, int id) {
    return Find<QAbstractButton>(dialog, id)->isChecked();
}

void Click(const SetupDialog& dialog, int id) {
    test::ClickCaption(dialog.Control(id));
}

bool RunWith(SetupChoices& choices, const std::function<void(SetupDialog&)>& steps) {
    return test::RunModal<SetupDialog>([&] { return RunSetupDialog(nullptr, choices); }, steps);
}

class SetupDialogTest : public ::testing::Test {
protected:
    ScopedFakeUi ui_;
};

TEST_F(SetupDialogTest, opensWithTheChosenFormatAndOnlyMapQuestShown) {
    const struct {
        F format;
        int checkedRadio;  // 0 for none
    } cases[] = {
        {F::DecimalDegrees, kDecimalDegrees},
        {F::DegreesMinutes, kDegreesMinutes},
        {F::DegreesMinutesSeconds, kDegreesMinutesSeconds},
        {static_cast<F>(0), 0},
        {static_cast<F>(4), 0},
    };
    for (const auto& c : cases) {
        SetupDialog dialog(nullptr, {c.format, MapService::MapQuest, false, "", false});
        dialog.show();
        for (int id : {kDecimalDegrees, kDegreesMinutes, kDegreesMinutesSeconds}) {
            EXPECT_EQ(Checked(dialog, id), id == c.checkedRadio) << static_cast<int>(c.format);
        }
        EXPECT_FALSE(dialog.Control(kGoogleMaps)->isVisible());
        EXPECT_TRUE(Checked(dialog, kMapQuest));
    }
}

TEST_F(SetupDialogTest, theCopyBoxEnablesFolderAndBrowseAtOnceAndKeepsTheText) {
    SetupDialog dialog(nullptr, {F::DecimalDegrees, MapService::MapQuest, false, "/backup", false});
    dialog.show();
    const auto expectFolderEnabled = [&](bool enabled) {
        EXPECT_EQ(dialog.Control(kCopyFolder)->isEnabled(), enabled);
        EXPECT_EQ(dialog.Control(kBrowseCopyFolder)->isEnabled(), enabled);
        EXPECT_EQ(Find<QLineEdit>(dialog, kCopyFolder)->text(), QStringLiteral("/backup"));
    };
    expectFolderEnabled(false);
    Click(dialog, kCopyFiles);
    expectFolderEnabled(true);
    Click(dialog, kCopyFiles);
    expectFolderEnabled(false);
}

TEST_F(SetupDialogTest, browseStartsAtTheFolderShownAndACancelledPickerKeepsTheField) {
    SetupDialog dialog(nullptr, {F::DecimalDegrees, MapService::MapQuest, true, "/backup", false});
    dialog.show();
    ui_->folders = {QStringLiteral("/picked")};
    Click(dialog, kBrowseCopyFolder);
    Click(dialog, kBrowseCopyFolder);
    EXPECT_EQ(ui_->browseStarts,
              (std::vector<QString>{QStringLiteral("/backup"), QStringLiteral("/picked")}));
    EXPECT_EQ(Find<QLineEdit>(dialog, kCopyFolder)->text(), QStringLiteral("/picked"));
}

TEST_F(SetupDialogTest, okHandsBackWhatTheDialogShowsAndCancelNothing) {
    SetupChoices choices{F::DegreesMinutes, MapService::MapQuest, true, "/backup", false};
    EXPECT_TRUE(RunWith(choices, [](SetupDialog& dialog) {
        Click(dialog, kDegreesMinutesSeconds);
        Click(dialog, kCopyFiles);
        Click(dialog, kTrace);
        Click(dialog, res::kIdOk);
    }));
    EXPECT_EQ(choices.format, F::DegreesMinutesSeconds);
    EXPECT_EQ(choices.mapService, MapService::MapQuest);
    EXPECT_FALSE(choices.copyFiles);
    EXPECT_EQ(choices.copyFolder, "/backup");
    EXPECT_TRUE(choices.trace);

    // Cancel discards what the dialog changed.
    EXPECT_FALSE(RunWith(choices, [](SetupDialog& dialog) {
        Click(dialog, kDecimalDegrees);
        Click(dialog, kCopyFiles);
        Click(dialog, kBrowseCopyFolder);
        Click(dialog, kTrace);
        Click(dialog, res::kIdCancel);
    }));
    EXPECT_EQ(choices.format, F::DegreesMinutesSeconds);
    EXPECT_FALSE(choices.copyFiles);
    EXPECT_EQ(choices.copyFolder, "/backup");
    EXPECT_TRUE(choices.trace);

    // OpenStreetMap is offered beside MapQuest, and the dialog opens with the one chosen.
    EXPECT_TRUE(RunWith(choices, [](SetupDialog& dialog) {
        Click(dialog, kOpenStreetMap);
        Click(dialog, res::kIdOk);
    }));
    EXPECT_EQ(choices.mapService, MapService::OpenStreetMap);
    SetupDialog reopened(nullptr, choices);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(reopened.Control(kOpenStreetMap))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(reopened.Control(kMapQuest))->isChecked());

    // No format chosen: OK keeps the one the dialog opened with.
    choices.format = static_cast<F>(7);
    EXPECT_TRUE(RunWith(choices, [](SetupDialog& dialog) { Click(dialog, res::kIdOk); }));
    EXPECT_EQ(choices.format, static_cast<F>(7));
}

TEST_F(SetupDialogTest, sidecarChoicesOpenAsSavedAndOkHandsBackWhatIsShown) {
    for (const bool nameExt : {false, true}) {
        for (const bool only : {false, true}) {
            Settings settings;
            settings.sidecarNameExt = nameExt;
            settings.sidecarOnly = only;
            const SetupChoices choices = SetupChoicesFrom(settings);
            SetupDialog dialog(nullptr, choices);
            EXPECT_EQ(Checked(dialog, kSidecarName), !nameExt);
            EXPECT_EQ(Checked(dialog, kSidecarNameExt), nameExt);
            EXPECT_EQ(Checked(dialog, kSidecarOnly), only);
        }
    }
    SetupChoices choices{
        F::DecimalDegrees, MapService::MapQuest, false, "", false, true, false, false};
    EXPECT_TRUE(RunWith(choices, [](SetupDialog& dialog) {
        Click(dialog, kSidecarNameExt);
        Click(dialog, kSidecarOnly);
        Click(dialog, res::kIdOk);
    }));
    EXPECT_TRUE(choices.sidecarNameExt);
    EXPECT_TRUE(choices.sidecarOnly);
    EXPECT_FALSE(RunWith(choices, [](SetupDialog& dialog) {
        Click(dialog, kSidecarName);
        Click(dialog, kSidecarOnly);
        Click(dialog, res::kIdCancel);
    }));
    EXPECT_TRUE(choices.sidecarNameExt);
    EXPECT_TRUE(choices.sidecarOnly);
    EXPECT_TRUE(RunWith(choices, [](SetupDialog& dialog) {
        Click(dialog, kSidecarName);
        Click(dialog, kSidecarOnly);
        Click(dialog, res::kIdOk);
    }));
    EXPECT_FALSE(choices.sidecarNameExt);
    EXPECT_FALSE(choices.sidecarOnly);
}

TEST_F(SetupDialogTest, choicesTakeTheTraceAsItIsNow) {
    QTemporaryDir dir;
    EnableTrace((dir.path() + QStringLiteral("/Geotal.trace")).toStdString());
    EXPECT_TRUE(SetupChoicesFrom(Settings{}).trace);
    DisableTrace();
    EXPECT_FALSE(SetupChoicesFrom(Settings{}).trace);
}

TEST_F(SetupDialogTest, controlsCarryAccessibleNamesAndEveryCaptionFits) {
    SetupDialog dialog(nullptr,
                       {F::DegreesMinutesSeconds, MapService::MapQuest, true, "/backup", true});
    test::ExpectAccessibleNames(dialog, {
                                            {kDecimalDegrees, "DD.DDDD"},
                                            {kDegreesMinutes, "DD MM.MMMM"},
                                            {kDegreesMinutesSeconds, "DD MM SS.SS"},
                                            {kCopyFiles, "Make a copy of image files"},
                                            {kCopyFolder, "Folder:"},
                                            {kBrowseCopyFolder, "Browse for the copy folder"},
                                            {kMapQuest, "MapQuest"},
                                            {kTrace, "Enble trace"},
                                            {kSidecarName, "IMG_1234.xmp"},
                                            {kSidecarNameExt, "IMG_1234.CR2.xmp"},
                                            {kSidecarOnly,
                                             "Write positions to sidecar files instead of "
                                             "the photos"},
                                            {res::kIdOk, "OK"},
                                            {res::kIdCancel, "Cancel"},
                                        });
    test::ExpectEveryControlNamed(dialog);
    test::ExpectCaptionsFitAndNothingOverlaps(dialog);
}

}  // namespace
}  // namespace geotal::app
