#include "app/TimeAdjustDialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTime>
#include <QTimeEdit>
#include <QTimer>

#include "app/UiServices.h"
#include "app/UpDownControl.h"
#include "geotag/ClockErrorText.h"
#include "geotag/ClockSync.h"
#include "geotag/NamedZone.h"
#include "geotag/PhotoUtcTime.h"
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
                                   const std::string& offeredZone,
                                   std::vector<CameraSummary> cameras)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(BuildDialog(res::TimeAdjustTemplate(), *this)),
      adjustment_(adjustment),
      cameras_(std::move(cameras)),
      cameraModel_(new QStandardItemModel(this)),
      clockTimer_(new QTimer(this)) {
    controls_.As<UpDownControl>(kTimeZoneOffsetSpin)->SetRange(kMinZoneOffset, kMaxZoneOffset);
    controls_.As<UpDownControl>(kCameraClockErrorSpin)->SetRange(-kMaxClockError, kMaxClockError);
    controls_.As<QLineEdit>(kTimeZoneOffset)->setText(QString::number(adjustment_.timeZoneOffset));
    controls_.As<QLineEdit>(kCameraClockError)
        ->setText(QString::number(adjustment_.cameraClockError));
    controls_.As<QLineEdit>(kCameraClockError)
        ->setToolTip(QStringLiteral("The clock error of every camera without its own"));
    FillCameras();
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

// One row a camera: its name, its photos, its own clock error (typed, or the last of its sync
// photos'), and what that rests on.
void TimeAdjustDialog::FillCameras() {
    cameraModel_->setHorizontalHeaderLabels({QStringLiteral("Camera"), QStringLiteral("Photos"),
                                             QStringLiteral("Own error"),
                                             QStringLiteral("Clock error from")});
    for (const CameraSummary& camera : cameras_) {
        const auto own = adjustment_.cameras.find(camera.name);
        QString error;
        QString tip;
        if (own != adjustment_.cameras.end() && !own->second.syncPoints.empty()) {
            error = Text(ClockErrorText(own->second.syncPoints.back().clockErrorSeconds));
            tip = Text(DriftDescription(own->second.syncPoints));
        } else if (own != adjustment_.cameras.end() && own->second.clockError) {
            error = Text(ClockErrorText(*own->second.clockError));
        }
        QList<QStandardItem*> row = {
            new QStandardItem(camera.name.empty() ? QStringLiteral("(none named)")
                                                  : Text(camera.name)),
            new QStandardItem(QString::number(camera.photos)), new QStandardItem(error),
            new QStandardItem(Text(DescribeCameraClock(adjustment_, camera.name)))};
        for (QStandardItem* item : row) {
            item->setEditable(false);
            item->setToolTip(tip);
        }
        row[kOwnErrorColumn]->setEditable(true);
        row[kOwnErrorColumn]->setData(error, Qt::UserRole);  // as shown, to tell an edit
        row[1]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row[kOwnErrorColumn]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cameraModel_->appendRow(row);
    }
    auto* table = controls_.As<QTableView>(kCameraList);
    table->setModel(cameraModel_);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column) {
        table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

// Each camera's own clock from its row: unchanged as shown, none when emptied, else the error
// typed, which replaces its sync photos.
bool TimeAdjustDialog::TakeCameraErrors(bool complain) {
    std::map<std::string, CameraClock> clocks = adjustment_.cameras;
    for (int row = 0; row < cameraModel_->rowCount(); ++row) {
        QStandardItem* item = cameraModel_->item(row, kOwnErrorColumn);
        const QString typed = item->text().trimmed();
        if (typed == item->data(Qt::UserRole).toString().trimmed()) {
            continue;
        }
        const std::string& name = cameras_[static_cast<std::size_t>(row)].name;
        if (typed.isEmpty()) {
            clocks.erase(name);
            continue;
        }
        const std::optional<int> seconds = ParseClockErrorText(typed.toStdString());
        if (!seconds) {
            if (complain) {
                Ui().ShowMessage(QStringLiteral("Please enter the camera's own clock error in "
                                                "seconds, or in days, hours, minutes and "
                                                "seconds (1d 2h 3m 4s), up to %1 days either "
                                                "way, or leave it empty.")
                                     .arg(kMaxClockError / 86400),
                                 kMessageWarning, this);
                auto* table = controls_.As<QTableView>(kCameraList);
                table->setFocus();
                table->setCurrentIndex(item->index());
            }
            return false;
        }
        clocks[name] = CameraClock{*seconds, {}};
    }
    adjustment_.cameras = std::move(clocks);
    return true;
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
        TakeClockError(true) && TakeZone(true) && TakeCameraErrors(true)) {
        clockTimer_->stop();
        QDialog::accept();
    }
}

bool RunTimeAdjustDialog(QWidget* parent, TimeAdjustment& adjustment,
                         const std::string& offeredZone, std::vector<CameraSummary> cameras) {
    const bool oneCamera = cameras.size() <= 1;
    TimeAdjustDialog dialog(parent, adjustment, offeredZone, std::move(cameras));
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const bool defaultChanged = dialog.Adjustment().cameraClockError != adjustment.cameraClockError;
    adjustment.timeZoneOffset = dialog.Adjustment().timeZoneOffset;
    adjustment.zoneName = dialog.Adjustment().zoneName;
    adjustment.cameraClockError = dialog.Adjustment().cameraClockError;
    adjustment.cameras = dialog.Adjustment().cameras;
    if (defaultChanged && oneCamera) {
        // The only camera's error typed in replaces what its synchronised photos said.
        adjustment.cameras.clear();
    }
    return true;
}

}  // namespace geotal::app
