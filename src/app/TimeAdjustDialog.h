// The "Time adjustments" dialog: the camera's time zone and clock error, with running clocks
// that show what a camera set that way shows now.
#pragma once

#include <QDialog>

#include <ctime>

#include "app/DialogBuilder.h"
#include "geotag/TimeAdjustment.h"

class QTimer;

namespace geotal::app {

class TimeAdjustDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinZoneOffset = -12;
    static constexpr int kMaxZoneOffset = 13;
    static constexpr int kMaxClockError = 3600;  // seconds either way

    // Opens with the adjustment's time zone offset and camera clock error; its computer
    // offset places the camera clock.
    TimeAdjustDialog(QWidget* parent, const TimeAdjustment& adjustment);

    // The values last typed in range; after OK, the values the dialog ends with.
    const TimeAdjustment& Adjustment() const { return adjustment_; }
    QWidget* Control(int id) const { return controls_.Control(id); }

    // Shows the clocks at now, taking the values typed so far without complaining about any.
    void UpdateClocks(std::time_t now);

    // OK: closes only when both values are integers in range; otherwise one warning names the
    // range and the focus goes back to the field.
    void accept() override;

private:
    bool TakeField(int id, int minimum, int maximum, int& value, bool complain);

    BuiltDialog controls_;
    TimeAdjustment adjustment_;
    QTimer* clockTimer_;
};

// Runs the dialog modally over parent; on OK writes timeZoneOffset and cameraClockError into
// adjustment and returns true; Cancel changes nothing.
bool RunTimeAdjustDialog(QWidget* parent, TimeAdjustment& adjustment);

}  // namespace geotal::app
