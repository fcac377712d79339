// The "Time adjustments" dialog: the camera's time zone (whole hours, or a zone of the tz
// database) and clock error, with running clocks that show what a camera set that way shows now.
#pragma once

#include <QDialog>

#include <ctime>
#include <string>
#include <vector>

#include "app/DialogBuilder.h"
#include "geotag/CameraClocks.h"
#include "geotag/TimeAdjustment.h"

class QStandardItemModel;
class QTimer;

namespace geotal::app {

class TimeAdjustDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinZoneOffset = kMinZoneOffsetHours;
    static constexpr int kMaxZoneOffset = kMaxZoneOffsetHours;
    static constexpr int kMaxClockError = kMaxClockErrorSeconds;  // seconds either way

    // Opens with the adjustment's time zone offset, zone and camera clock error; its computer
    // offset places the camera clock. offeredZone fills the zone list when the adjustment has
    // no zone of its own (the zone chosen last time). cameras are those of the loaded photos,
    // listed each with its photo count and its own clock error, which can be typed.
    TimeAdjustDialog(QWidget* parent, const TimeAdjustment& adjustment,
                     const std::string& offeredZone = {}, std::vector<CameraSummary> cameras = {});

    // The values last typed in range; after OK, the values the dialog ends with.
    const TimeAdjustment& Adjustment() const { return adjustment_; }
    QWidget* Control(int id) const { return controls_.Control(id); }

    // Shows the clocks at now, taking the values typed so far without complaining about any.
    void UpdateClocks(std::time_t now);

    // The cameras' list: its model, and the column of their own clock errors, which is typed in.
    QStandardItemModel* Cameras() const { return cameraModel_; }
    static constexpr int kOwnErrorColumn = 2;

    // OK: closes only when both values are in range, a chosen zone is one of the list and each
    // camera's own error is empty or a clock error; otherwise one warning says what is wanted
    // and the focus goes back to the field.
    void accept() override;

private:
    bool TakeField(int id, int minimum, int maximum, int& value, bool complain);
    bool TakeClockError(bool complain);
    bool TakeZone(bool complain);
    bool TakeCameraErrors(bool complain);
    void EnableZoneList(bool named);
    void FillCameras();

    BuiltDialog controls_;
    TimeAdjustment adjustment_;
    std::vector<CameraSummary> cameras_;
    QStandardItemModel* cameraModel_;
    QTimer* clockTimer_;
};

// Runs the dialog modally over parent; on OK writes timeZoneOffset, zoneName, cameraClockError
// and the cameras' own clocks into adjustment and returns true; Cancel changes nothing. With one
// camera (or none named), a default typed anew replaces its sync photos, as it is the only one.
bool RunTimeAdjustDialog(QWidget* parent, TimeAdjustment& adjustment,
                         const std::string& offeredZone = {},
                         std::vector<CameraSummary> cameras = {});

}  // namespace geotal::app
