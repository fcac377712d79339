#include "app/SyncClockDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <cstdlib>

#include "app/UiServices.h"
#include "geotag/PhotoUtcTime.h"
#include "output/Formatting.h"
#include "res/ControlIds.h"
#include "support/DateTimeText.h"

namespace geotal::app {

using namespace res::sync_clock;

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Whether a zone follows the time ("12:03:10Z", "14:03:10+02:00"): the text is then UTC once
// read, not a reading of the chosen zone's clock.
bool NamesItsZone(const QString& text) {
    static const QRegularExpression zone(
        QStringLiteral(R"(\d\d:\d\d(:\d\d)?(\.\d+)?\s*(AM|PM)?\s*(Z|[+-]\d\d(:?\d\d)?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    return zone.match(text).hasMatch();
}

}  // namespace

SyncClockDialog::SyncClockDialog(QWidget* parent, const PhotoRecord& photo,
                                 const TimeAdjustment& adjustment)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(BuildDialog(res::SyncClockTemplate(), *this)),
      photo_(photo),
      adjustment_(adjustment) {
    const QString cameraTime = Text(FormatPhotoTime(photo_.captureTime));
    controls_.As<QLineEdit>(kCameraTime)
        ->setText(Text(photo_.fileName) + QStringLiteral(": ") + cameraTime);
    auto* shown = controls_.As<QLineEdit>(kShownTime);
    // Starts at the camera's reading, so that only the figures that differ need typing.
    shown->setText(cameraTime);
    connect(shown, &QLineEdit::textChanged, this, &SyncClockDialog::ShowClockError);
    auto* ok = controls_.As<QPushButton>(res::kIdOk);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &SyncClockDialog::accept);
    connect(controls_.As<QPushButton>(res::kIdCancel), &QPushButton::clicked, this,
            &QDialog::reject);
    ShowClockError();
    shown->setFocus();
    shown->selectAll();
}

std::optional<ClockSyncPoint> SyncClockDialog::Point() const {
    const QString text = controls_.As<QLineEdit>(kShownTime)->text();
    const double shown = ParseDateTimeText(text.toStdString());
    if (shown == 0) {
        return std::nullopt;
    }
    const double utc = NamesItsZone(text) ? shown : WallTimeToUtc(shown, adjustment_);
    const ClockSyncPoint point = SyncPointFor(photo_, utc, adjustment_);
    if (std::llabs(point.clockErrorSeconds) > kMaxClockErrorSeconds) {
        return std::nullopt;
    }
    return point;
}

void SyncClockDialog::ShowClockError() {
    const std::optional<ClockSyncPoint> point = Point();
    QString text = QStringLiteral("Type a date and time such as 2023/07/15 14:03:10");
    if (point) {
        text = Text(ClockErrorText(point->clockErrorSeconds));
        if (point->clockErrorSeconds > 0) {
            text += QStringLiteral(" (the camera was ahead)");
        } else if (point->clockErrorSeconds < 0) {
            text += QStringLiteral(" (the camera was behind)");
        }
    }
    controls_.As<QLineEdit>(kClockError)->setText(text);
}

void SyncClockDialog::accept() {
    if (!Point()) {
        Ui().ShowMessage(QStringLiteral("Please type the date and time the photo shows, such as "
                                        "2023/07/15 14:03:10, within %1 days of its camera time.")
                             .arg(kMaxClockErrorSeconds / 86400),
                         kMessageWarning, this);
        controls_.Control(kShownTime)->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<ClockSyncPoint> RunSyncClockDialog(QWidget* parent, const PhotoRecord& photo,
                                                 const TimeAdjustment& adjustment) {
    SyncClockDialog dialog(parent, photo, adjustment);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Point();
}

}  // namespace geotal::app
