#include "app/TimeAdjustDialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>
#include <QTimer>

#include "app/UiServices.h"
#include "app/UpDownControl.h"
#include "geotag/ClockErrorText.h"
#include "geotag/ClockSync.h"
#include "geotag/NamedZone.h"
#include "res/ControlIds.h"

namespace geotal::app {

using namespace res::time_adjust;

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

constexpr int kZoneChoices[] = {kZoneHours, kZoneNamed};

TimeAdjustDialog::TimeAdjustDialog(QWidget* parent, const TimeAdjustment& adjustment,
                                   const std::string& offeredZone)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(BuildDialog(res::TimeAdjustTemplate(), *this)),
      adjustment_(adjustment),
      clockTimer_(new QTimer(this)) {
    controls_.As<UpDownControl>(kTimeZoneOffsetSpin)->SetRange(kMinZoneOffset, kMaxZoneOffset);
    controls_.As<UpDownControl>(kCameraClockErrorSpin)->SetRange(-kMaxClockError, kMaxClockError);
    controls_.As<QLineEdit>(kTimeZoneOffset)->setText(QString::number(adjustment_.timeZoneOffset));
    controls_.As<QLineEdit>(kCameraClockError)
        ->setText(QString::number(adjustment_.cameraClockError));
    // After syncs with several photos the field holds only the last one's error.
    controls_.As<QLineEdit>(kCameraClockError)
        ->setToolTip(Text(DriftDescription(adjustment_.syncPoints)));
    auto* zones = controls_.As<QComboBox>(kZoneList);
    zones->setEditable(true);
    zones->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& name : ZoneNames()) {
        zones->addItem(Text(name));
    }
    // Typing any part of a name ("zur", "york") narrows the list to the zones that hold it.
    zones->completer()->setFilterMode(Qt::MatchContains);
    zones->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    zones->completer()->setCompletionMode(QCompleter::PopupCompletion);
    zones->setCurrentText(Text(adjustment_.zoneName.empty() ? offeredZone : adjustment_.zoneName));
    controls_.Check(kZoneChoices, adjustment_.zoneName.empty() ? 0 : 1);
    EnableZoneList(!adjustment_.zoneName.empty());
    connect(controls_.As<QRadioButton>(kZoneNamed), &QRadioButton::toggled, this,
            &TimeAdjustDialog::EnableZoneList);
    // The picker only shows; the clock sets it ten times a second.
    controls_.As<QTimeEdit>(kAdjustedCameraTime)->setReadOnly(true);

    auto* ok = controls_.As<QPushButton>(res::kIdOk);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TimeAdjustDialog::accept);
    connect(controls_.As<QPushButton>(res::kIdCancel), &QPushButton::clicked, this,
            &QDialog::reject);

    UpdateClocks(std::time(nullptr));
    connect(clockTimer_, &QTimer::timeout, this, [this] { UpdateClocks(std::time(nullptr)); });
    clockTimer_->start(100);
    controls_.Control(kTimeZoneOffset)->setFocus();
}

bool TimeAdjustDialog::TakeField(int id, int minimum, int maximum, int& value, bool complain) {
    auto* field = controls_.As<QLineEdit>(id);
    bool isInteger = false;
    const int typed = field->text().trimmed().toInt(&isInteger);
    if (isInteger && typed >= minimum && typed <= maximum) {
        value = typed;
        return true;
    }
    if (complain) {
        Ui().ShowMessage(QStringLiteral("Please enter a whole number between %1 and %2.")
                             .arg(minimum)
                             .arg(maximum),
                         kMessageWarning, this);
        field->setFocus();
        field->selectAll();
    }
    return false;
}

void TimeAdjustDialog::EnableZoneList(bool named) {
    // With a zone chosen the whole hours play no part.
    controls_.Control(kZoneList)->setEnabled(named);
    controls_.Control(kTimeZoneOffset)->setEnabled(!named);
    controls_.Control(kTimeZoneOffsetSpin)->setEnabled(!named);
}

bool TimeAdjustDialog::TakeClockError(bool complain) {
    auto* field = controls_.As<QLineEdit>(kCameraClockError);
    if (const std::optional<int> seconds = ParseClockErrorText(field->text().toStdString())) {
        adjustment_.cameraClockError = *seconds;
        return true;
    }
    if (complain) {
        Ui().ShowMessage(QStringLiteral("Please enter the camera time error in seconds, or in "
                                        "days, hours, minutes and seconds (1d 2h 3m 4s), up "
                                        "to %1 days either way.")
                             .arg(kMaxClockError / 86400),
                         kMessageWarning, this);
        field->setFocus();
        field->selectAll();
    }
    return false;
}

bool TimeAdjustDialog::TakeZone(bool complain) {
    if (controls_.CheckedIndex(kZoneChoices) != 1) {
        adjustment_.zoneName.clear();
        return true;
    }
    auto* zones = controls_.As<QComboBox>(kZoneList);
    const std::string name = zones->currentText().trimmed().toStdString();
    if (IsKnownZone(name)) {
        adjustment_.zoneName = name;
        return true;
    }
    if (complain) {
        Ui().ShowMessage(QStringLiteral("Please choose a time zone from the list."),
                         kMessageWarning, this);
        zones->setFocus();
    }
    return false;
}

void TimeAdjustDialog::UpdateClocks(std::time_t now) {
    // Half-typed values ("-", "1" on the way to "13") keep the clock at the last good value.
    TakeField(kTimeZoneOffset, kMinZoneOffset, kMaxZoneOffset, adjustment_.timeZoneOffset, false);
    TakeClockError(false);
    TakeZone(false);
    controls_.As<QLineEdit>(kLocalTime)->setText(Text(LocalClockText(now)));
    controls_.As<QLineEdit>(kUtcTime)->setText(Text(UtcClockText(now)));
    controls_.As<QTimeEdit>(kAdjustedCameraTime)
        ->setTime(
            QTime::fromString(Text(CameraClockText(now, adjustment_)), QStringLiteral("HH:mm:ss")));
}

void TimeAdjustDialog::accept() {
    if (TakeField(kTimeZoneOffset, kMinZoneOffset, kMaxZoneOffset, adjustment_.timeZoneOffset,
                  true) &&
        TakeClockError(true) && TakeZone(true)) {
        clockTimer_->stop();
        QDialog::accept();
    }
}

bool RunTimeAdjustDialog(QWidget* parent, TimeAdjustment& adjustment,
                         const std::string& offeredZone) {
    TimeAdjustDialog dialog(parent, adjustment, offeredZone);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    adjustment.timeZoneOffset = dialog.Adjustment().timeZoneOffset;
    adjustment.zoneName = dialog.Adjustment().zoneName;
    if (dialog.Adjustment().cameraClockError != adjustment.cameraClockError) {
        // A clock error typed in replaces what the synchronised photos said.
        adjustment.syncPoints.clear();
    }
    adjustment.cameraClockError = dialog.Adjustment().cameraClockError;
    return true;
}

}  // namespace geotal::app
