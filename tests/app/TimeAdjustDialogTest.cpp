#include "app/TimeAdjustDialog.h"

#include <QStandardItemModel>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

#include "app/DialogChecks.h"
#include "app/FakeUiServices.h"
#include "app/QtPrinters.h"

namespace geotal::app {
namespace {

constexpr int kZone = 1036;
constexpr int kZoneSpin = 1037;
constexpr int kError = 1038;
constexpr int kErrorSpin = 1039;
constexpr std::time_t kNoon = 1262347200;  // 2010-01-01 12:00:00 UTC

TimeAdjustment Adjustment(int zone, int error, int computer) {
    TimeAdjustment adjustment;
    adjustment.timeZoneOffset = zone;
    adjustment.cameraClockError = error;
    adjustment.computerUtcOffset = computer;
    return adjustment;
}

QLineEdit* Field(const TimeAdjustDialog& dialog, int id) {
    return qobject_cast<QLineEdit*>(dialog.Control(id));
}

QToolButton* Arrow(const TimeAdjustDialog& dialog, int spinId, const char* name) {
    for (QToolButton* button : dialog.Control(spinId)->findChildren<QToolButton*>()) {
        if (button->accessibleName() == QLatin1String(name)) {
            return button;
        }
    }
    return nullptr;
}

// Runs RunTimeAdjustDialog and, once the dialog is up, the given steps on it.
bool RunWith(TimeAdjustment& adjustment, std::function<void(TimeAdjustDialog&)> steps,
             std::vector<CameraSummary> cameras = {}) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TimeAdjustDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        steps(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();  // never leave a test hanging in the dialog's loop
        }
    });
    return RunTimeAdjustDialog(nullptr, adjustment, {}, std::move(cameras));
}

class TimeAdjustDialogTest : public ::testing::Test {
protected:
    ScopedFakeUi ui_;
};

TEST_F(TimeAdjustDialogTest, okRefusesAValueOutOfRangeOrNotAnIntegerAndKeepsTheDialogOpen) {
    const char* zoneRange = "Please enter a whole number between -12 and 14.";
    const char* errorRange =
        "Please enter the camera time error in seconds, or in days, hours, minutes and seconds "
        "(1d 2h 3m 4s), up to 731 days either way.";
    const struct {
        int field;
        const char* text;
        const char* message;
    } cases[] = {
        {kZone, "15", zoneRange},         {kZone, "-13", zoneRange},
        {kZone, "abc", zoneRange},        {kZone, "1.5", zoneRange},
        {kZone, "", zoneRange},           {kZone, "3x", zoneRange},
        {kError, "63158401", errorRange}, {kError, "-732d", errorRange},
        {kError, "-", errorRange},        {kError, "99999999999", errorRange},
    };
    for (const auto& c : cases) {
        ui_->messages.clear();
        TimeAdjustDialog dialog(nullptr, Adjustment(2, 5, 1));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.Control(2)->setFocus();
        Field(dialog, c.field)->setText(QString::fromUtf8(c.text));

        dialog.accept();

        ASSERT_EQ(ui_->messages.size(), 1u) << c.text;
        EXPECT_EQ(ui_->messages[0].text, QString::fromUtf8(c.message)) << c.text;
        EXPECT_EQ(ui_->messages[0].typeWord, kMessageWarning);
        EXPECT_TRUE(dialog.isVisible()) << c.text;
        EXPECT_NE(dialog.result(), QDialog::Accepted) << c.text;
        EXPECT_EQ(QApplication::focusWidget(), dialog.Control(c.field)) << c.text;
        EXPECT_EQ(dialog.Adjustment().timeZoneOffset, 2) << c.text;
        EXPECT_EQ(dialog.Adjustment().cameraClockError, 5) << c.text;
    }
}

TEST_F(TimeAdjustDialogTest, okAcceptsTheEndsOfBothRanges) {
    const struct {
        const char* zone;
        const char* error;
        int zoneValue;
        int errorValue;
    } cases[] = {
        {"-12", "-63158400", -12, -63158400},
        {"14", "731d", 14, 63158400},
        {" 3 ", "-30", 3, -30},
        {"0", "-12h 30s", 0, -43230},
    };
    for (const auto& c : cases) {
        TimeAdjustDialog dialog(nullptr, Adjustment(2, 5, 1));
        dialog.show();
        Field(dialog, kZone)->setText(QString::fromUtf8(c.zone));
        Field(dialog, kError)->setText(QString::fromUtf8(c.error));

        dialog.accept();

        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.zone << " " << c.error;
        EXPECT_EQ(dialog.Adjustment().timeZoneOffset, c.zoneValue);
        EXPECT_EQ(dialog.Adjustment().cameraClockError, c.errorValue);
    }
    EXPECT_TRUE(ui_->messages.empty());
}

TEST_F(TimeAdjustDialogTest, opensWithTheCurrentValuesAndOkWithoutChangesKeepsThem) {
    TimeAdjustment adjustment = Adjustment(5, 42, 1);
    QString zone;
    QString error;
    const bool accepted = RunWith(adjustment, [&](TimeAdjustDialog& dialog) {
        zone = Field(dialog, kZone)->text();
        error = Field(dialog, kError)->text();
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1)), Qt::LeftButton);
    });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(zone, QStringLiteral("5"));
    EXPECT_EQ(error, QStringLiteral("42"));
    EXPECT_EQ(adjustment.timeZoneOffset, 5);
    EXPECT_EQ(adjustment.cameraClockError, 42);
    EXPECT_EQ(adjustment.computerUtcOffset, 1);
}

// After syncs with several photos the field shows one error of many: it says so, and OK
// without a change keeps the drift the calculation follows.
TEST_F(TimeAdjustDialogTest, saysTheErrorFieldHoldsOneOfSeveralSyncsAndKeepsThem) {
    TimeAdjustment adjustment = Adjustment(0, 20, 0);
    adjustment.cameras["Canon EOS 40D"].syncPoints = {{45000, 0}, {45002, 20}};
    QString tip;
    QString from;
    ASSERT_TRUE(RunWith(adjustment,
                        [&](TimeAdjustDialog& dialog) {
                            tip = dialog.Cameras()->item(0, 0)->toolTip();
                            from = dialog.Cameras()->item(0, 3)->text();
                            QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1)),
                                              Qt::LeftButton);
                        },
                        {{"Canon EOS 40D", 4, false}, {"NIKON D5300", 1, false}}));
    EXPECT_TRUE(tip.contains(QStringLiteral("drift between 2 synchronised photos")))
        << tip.toStdString();
    EXPECT_EQ(from, QStringLiteral("2 sync photos"));
    EXPECT_EQ(adjustment.cameras["Canon EOS 40D"].syncPoints.size(), 2u);
}

// Each camera of the photos is listed with its own error: one typed replaces its sync photos,
// one emptied leaves it to the default, one left alone stays, and one that is no clock error
// keeps the dialog open.
TEST_F(TimeAdjustDialogTest, givesEachCameraTheErrorTypedInItsRow) {
    TimeAdjustment adjustment = Adjustment(0, 20, 0);
    adjustment.cameras["Canon EOS 40D"].syncPoints = {{45000, 0}};
    adjustment.cameras["NIKON D5300"].clockError = 90;
    adjustment.cameras["Sony"].clockError = 7;
    const std::vector<CameraSummary> cameras = {
        {"Canon EOS 40D", 4, false}, {"NIKON D5300", 1, false}, {"Sony", 2, false}};
    ASSERT_TRUE(RunWith(
        adjustment,
        [&](TimeAdjustDialog& dialog) {
            EXPECT_EQ(dialog.Cameras()->item(1, TimeAdjustDialog::kOwnErrorColumn)->text(),
                      QStringLiteral("+1 min 30 s"));
            dialog.Cameras()
                ->item(0, TimeAdjustDialog::kOwnErrorColumn)
                ->setText(QStringLiteral("-1h"));
            dialog.Cameras()->item(1, TimeAdjustDialog::kOwnErrorColumn)->setText(QString());
            dialog.Cameras()
                ->item(2, TimeAdjustDialog::kOwnErrorColumn)
                ->setText(QStringLiteral("soon"));
            dialog.accept();
            EXPECT_TRUE(dialog.isVisible());
            dialog.Cameras()
                ->item(2, TimeAdjustDialog::kOwnErrorColumn)
                ->setText(QStringLiteral("+7 s"));
            dialog.accept();
        },
        cameras));
    EXPECT_EQ(adjustment.cameras["Canon EOS 40D"], (CameraClock{-3600, {}}));
    EXPECT_EQ(adjustment.cameras.count("NIKON D5300"), 0u);
    EXPECT_EQ(adjustment.cameras["Sony"], (CameraClock{7, {}}));
    EXPECT_EQ(adjustment.cameraClockError, 20);
}

TEST_F(TimeAdjustDialogTest, cancelChangesNothing) {
    TimeAdjustment adjustment = Adjustment(1, 20, 1);
    const bool accepted = RunWith(adjustment, [](TimeAdjustDialog& dialog) {
        Field(dialog, kZone)->setText(QStringLiteral("7"));
        Field(dialog, kError)->setText(QStringLiteral("-100"));
        dialog.UpdateClocks(kNoon);  // the typed values reach the dialog's own fields
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(2)), Qt::LeftButton);
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(adjustment.timeZoneOffset, 1);
    EXPECT_EQ(adjustment.cameraClockError, 20);
    EXPECT_TRUE(ui_->messages.empty());
}

TEST_F(TimeAdjustDialogTest, arrowsAndArrowKeysStepTheIntegerAndStopAtTheLimits) {
    const struct {
        int spin;
        const char* start;
        const char* arrow;
        int clicks;
        const char* expected;
    } cases[] = {
        {kZoneSpin, "13", "Up", 1, "14"},
        {kZoneSpin, "13", "Up", 3, "14"},
        {kZoneSpin, "-11", "Down", 5, "-12"},
        {kZoneSpin, "0", "Down", 1, "-1"},
        {kZoneSpin, "20", "Down", 1, "14"},
        {kErrorSpin, "63158398", "Up", 5, "63158400"},
        {kErrorSpin, "-63158399", "Down", 2, "-63158400"},
        {kErrorSpin, "-30", "Up", 1, "-29"},
    };
    for (const auto& c : cases) {
        TimeAdjustDialog dialog(nullptr, TimeAdjustment{});
        QLineEdit* edit = Field(dialog, c.spin - 1);
        edit->setText(QString::fromUtf8(c.start));
        QToolButton* arrow = Arrow(dialog, c.spin, c.arrow);
        ASSERT_NE(arrow, nullptr);
        for (int i = 0; i < c.clicks; ++i) {
            QTest::mouseClick(arrow, Qt::LeftButton);
        }
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.expected)) << c.spin << " " << c.start;

        // The arrow keys in the edit do the same.
        edit->setText(QString::fromUtf8(c.start));
        for (int i = 0; i < c.clicks; ++i) {
            QTest::keyClick(
                edit, QLatin1String(c.arrow) == QLatin1String("Up") ? Qt::Key_Up : Qt::Key_Down);
        }
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.expected)) << c.spin << " " << c.start;
    }
}

TEST_F(TimeAdjustDialogTest, clocksShowTheTypedValuesWithoutComplainingWhileTyping) {
    TimeAdjustDialog dialog(nullptr, Adjustment(1, 0, 1));
    auto* picker = qobject_cast<QTimeEdit*>(dialog.Control(1040));
    const auto pickerText = [&] { return picker->time().toString(QStringLiteral("HH:mm:ss")); };
    const auto cameraText = [](const TimeAdjustment& a) {
        return QString::fromStdString(CameraClockText(kNoon, a));
    };

    Field(dialog, kZone)->setText(QStringLiteral("3"));
    Field(dialog, kError)->setText(QStringLiteral("-30"));
    dialog.UpdateClocks(kNoon);
    EXPECT_EQ(Field(dialog, 1032)->text(), QString::fromStdString(LocalClockText(kNoon)));
    EXPECT_EQ(Field(dialog, 1033)->text(), QStringLiteral("12:00:00"));
    EXPECT_EQ(pickerText(), cameraText(Adjustment(3, -30, 1)));
    EXPECT_NE(pickerText(), cameraText(Adjustment(1, 0, 1)));

    // A value on its way or out of range leaves the clock at the last good one, silently.
    Field(dialog, kZone)->setText(QStringLiteral("-"));
    Field(dialog, kError)->setText(QStringLiteral("1d 2"));
    dialog.UpdateClocks(kNoon);
    EXPECT_EQ(pickerText(), cameraText(Adjustment(3, -30, 1)));
    EXPECT_TRUE(ui_->messages.empty());
}

TEST_F(TimeAdjustDialogTest, controlsCarryAccessibleNames) {
    TimeAdjustDialog dialog(nullptr, TimeAdjustment{});
    test::ExpectAccessibleNames(dialog, {
                                            {1036, "Time Zone Offset:"},
                                            {1037, "Step the time zone offset"},
                                            {1038, "Camera time error:"},
                                            {1039, "Step the camera time error"},
                                            {1032, "Local:"},
                                            {1033, "GMT:"},
                                            {1040, "Adjusted Camera Time"},
                                            {1, "OK"},
                                            {2, "Cancel"},
                                        });
    for (QWidget* widget : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
    }
}

TEST_F(TimeAdjustDialogTest, everyCaptionFitsItsControl) {
    TimeAdjustDialog dialog(nullptr, Adjustment(-12, -3600, 1));
    dialog.show();
    QApplication::processEvents();
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        const QSize needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        EXPECT_LE(needed.width(), button->width()) << button->text().toStdString();
        EXPECT_LE(needed.height(), button->height()) << button->text().toStdString();
    }
    QLabel* previousWrapped = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << label->text().toStdString();
            if (previousWrapped != nullptr) {
                EXPECT_LE(previousWrapped->geometry().bottom(), label->geometry().top())
                    << "the explanatory texts overlap";
            }
            previousWrapped = label;
            continue;
        }
        const QSize needed = label->fontMetrics().size(0, label->text());
        EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
    }
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        EXPECT_LT(group->fontMetrics().horizontalAdvance(group->title()), group->width())
            << group->title().toStdString();
    }
    for (int id : {1032, 1033, 1036, 1038}) {
        QLineEdit* field = Field(dialog, id);
        EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()),
                  field->contentsRect().width())
            << id;
    }
    auto* picker = qobject_cast<QTimeEdit*>(dialog.Control(1040));
    EXPECT_LE(picker->minimumSizeHint().width(), picker->width());
    EXPECT_LE(picker->minimumSizeHint().height(), picker->height());
}

}  // namespace
}  // namespace geotal::app
