#include "app/SetupDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/UiServices.h"
#include "res/ControlIds.h"
#include "support/TraceLog.h"

namespace geotal::app {

using namespace res::setup_dialog;

namespace {

// In the order of the format numbers, 1 to 3.
constexpr int kFormats[] = {kDecimalDegrees, kDegreesMinutes, kDegreesMinutesSeconds};
// In the order of MapService's numbers.
constexpr int kMapServices[] = {kGoogleMaps, kMapQuest, kOpenStreetMap};
constexpr int kSidecarNamings[] = {kSidecarName, kSidecarNameExt};

}  // namespace

SetupChoices SetupChoicesFrom(const Settings& settings) {
    return {settings.coordinateFormat, settings.mapService, settings.copyFiles,
            settings.copyFolder,       IsTraceEnabled(),    settings.usePhotoZone,
            settings.sidecarNameExt,   settings.sidecarOnly};
}

SetupDialog::SetupDialog(QWidget* parent, const SetupChoices& choices)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(BuildDialog(res::SetupTemplate(), *this)),
      choices_(choices) {
    controls_.Check(kFormats, static_cast<int>(choices_.format) - 1);
    controls_.Check(kMapServices, static_cast<int>(choices_.mapService));
    auto* copyFiles = controls_.As<QCheckBox>(kCopyFiles);
    copyFiles->setChecked(choices_.copyFiles);
    controls_.As<QLineEdit>(kCopyFolder)->setText(QString::fromStdString(choices_.copyFolder));
    controls_.As<QCheckBox>(kTrace)->setChecked(choices_.trace);
    controls_.As<QCheckBox>(kUsePhotoZone)->setChecked(choices_.usePhotoZone);
    controls_.Check(kSidecarNamings, choices_.sidecarNameExt ? 1 : 0);
    controls_.As<QCheckBox>(kSidecarOnly)->setChecked(choices_.sidecarOnly);
    EnableCopyFolder(choices_.copyFiles);

    connect(copyFiles, &QCheckBox::toggled, this, &SetupDialog::EnableCopyFolder);
    connect(controls_.As<QPushButton>(kBrowseCopyFolder), &QPushButton::clicked, this,
            &SetupDialog::BrowseForCopyFolder);
    connect(controls_.As<QPushButton>(res::kIdOk), &QPushButton::clicked, this,
            &SetupDialog::accept);
    connect(controls_.As<QPushButton>(res::kIdCancel), &QPushButton::clicked, this,
            &QDialog::reject);
}

void SetupDialog::EnableCopyFolder(bool enabled) {
    // The folder text stays while copying is off; the photo writer ignores it then.
    controls_.Control(kCopyFolder)->setEnabled(enabled);
    controls_.Control(kBrowseCopyFolder)->setEnabled(enabled);
}

void SetupDialog::BrowseForCopyFolder() {
    auto* field = controls_.As<QLineEdit>(kCopyFolder);
    // A cancelled picker answers "": the folder the field held stays.
    if (const QString chosen = Ui().BrowseForFolder(field->text()); !chosen.isEmpty()) {
        field->setText(chosen);
    }
}

void SetupDialog::accept() {
    if (const int format = controls_.CheckedIndex(kFormats); format >= 0) {
        choices_.format = static_cast<CoordinateFormat>(format + 1);
    }
    if (const int map = controls_.CheckedIndex(kMapServices); map >= 0) {
        choices_.mapService = static_cast<MapService>(map);
    }
    choices_.copyFiles = controls_.As<QCheckBox>(kCopyFiles)->isChecked();
    choices_.copyFolder = controls_.As<QLineEdit>(kCopyFolder)->text().toStdString();
    choices_.trace = controls_.As<QCheckBox>(kTrace)->isChecked();
    choices_.usePhotoZone = controls_.As<QCheckBox>(kUsePhotoZone)->isChecked();
    choices_.sidecarNameExt = controls_.CheckedIndex(kSidecarNamings) == 1;
    choices_.sidecarOnly = controls_.As<QCheckBox>(kSidecarOnly)->isChecked();
    QDialog::accept();
}

bool RunSetupDialog(QWidget* parent, SetupChoices& choices) {
    SetupDialog dialog(parent, choices);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choices = dialog.Choices();
    return true;
}

}  // namespace geotal::app
