#include "app/TimeAdjustDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTime>
#include <QTimeEdit>
#include <QTimer>

#include "app/UiServices.h"
#include "app/UpDownControl.h"
#include "res/ControlIds.h"

namespace geotal::app {

using namespace res::time_adjust;

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TimeAdjustDialog::TimeAdjustDialog(QWidget* parent, const TimeAdjustment& adjustment)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(BuildDialog(res::TimeAdjustTemplate(), *this)),
      adjustment_(adjustment),
      clockTimer_(new QTimer(this)) {
    controls_.As<UpDownControl>(kTimeZoneOffsetSpin)->SetRange(kMinZoneOffset, kMaxZoneOffset);
    controls_.As<UpDownControl>(kCameraClockErrorSpin)->SetRange(-kMaxClockError, kMaxClockError);
    controls_.As<QLineEdit>(kTimeZoneOffset)->setText(QString::number(adjustment_.timeZoneOffset));
    controls_.As<QLineEdit>(kCameraClockError)
        ->setText(QString::number(adjustment_.cameraClockError));
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

void TimeAdjustDialog::UpdateClocks(std::time_t now) {
    // Half-typed values ("-", "1" on the way to "13") keep the clock at the last good value.
    TakeField(kTimeZoneOffset, kMinZoneOffset, kMaxZoneOffset, adjustment_.timeZoneOffset, false);
    TakeField(kCameraClockError, -kMaxClockError, kMaxClockError, adjustment_.cameraClockError,
              false);
    controls_.As<QLineEdit>(kLocalTime)->setText(Text(LocalClockText(now)));
    controls_.As<QLineEdit>(kUtcTime)->setText(Text(UtcClockText(now)));
    controls_.As<QTimeEdit>(kAdjustedCameraTime)
        ->setTime(
            QTime::fromString(Text(CameraClockText(now, adjustment_)), QStringLiteral("HH:mm:ss")));
}

void TimeAdjustDialog::accept() {
    if (TakeField(kTimeZoneOffset, kMinZoneOffset, kMaxZoneOffset, adjustment_.timeZoneOffset,
                  true) &&
        TakeField(kCameraClockError, -kMaxClockError, kMaxClockError, adjustment_.cameraClockError,
                  true)) {
        clockTimer_->stop();
        QDialog::accept();
    }
}

bool RunTimeAdjustDialog(QWidget* parent, TimeAdjustment& adjustment) {
    TimeAdjustDialog dialog(parent, adjustment);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    adjustment.timeZoneOffset = dialog.Adjustment().timeZoneOffset;
    adjustment.cameraClockError = dialog.Adjustment().cameraClockError;
    return true;
}

}  // namespace geotal::app
