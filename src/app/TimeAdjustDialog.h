// The "Time adjustments" dialog: the camera's time zone (whole hours, or a zone of the tz
// database) and clock error, with running clocks that show what a camera set that way shows now.
#pragma once

#include <QDialog>

#include <ctime>
#include <string>

#include "app/DialogBuilder.h"
#include "geotag/TimeAdjustment.h"

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
    // no zone of its own (the zone chosen last time).
    TimeAdjustDialog(QWidget* parent, const TimeAdjustment& adjustment,
                     const std::string& offeredZone = {});

    // The values last typed in range; after OK, the values the dialog ends with.
    const TimeAdjustment& Adjustment() const { return adjustment_; }
    QWidget* Control(int id) const { return controls_.Control(id); }

    // Shows the clocks at now, taking the values typed so far without complaining about any.
    void UpdateClocks(std::time_t now);

    // OK: closes only when both values are in range and a chosen zone is one of the list;
    // otherwise one warning says what is wanted and the focus goes back to the field.
    void accept() override;

private:
    bool TakeField(int id, int minimum, int maximum, int& value, bool complain);
    bool TakeClockError(bool complain);
    bool TakeZone(bool complain);
    void EnableZoneList(bool named);

    BuiltDialog controls_;
    TimeAdjustment adjustment_;
    QTimer* clockTimer_;
};

// Runs the dialog modally over parent; on OK writes timeZoneOffset, zoneName and
// cameraClockError into adjustment (a clock error typed anew replaces the sync points) and
// returns true; Cancel changes nothing.
bool RunTimeAdjustDialog(QWidget* parent, TimeAdjustment& adjustment,
                         const std::string& offeredZone = {});

}  // namespace geotal::app
