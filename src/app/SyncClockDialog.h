// The "Synchronise camera clock" dialog: the user types the time a photo shows (a GPS or phone
// screen) and sees the camera clock error that follows before taking it.
#pragma once

#include <QDialog>

#include <optional>

#include "app/DialogBuilder.h"
#include "geotag/TimeAdjustment.h"
#include "photo/PhotoList.h"

namespace geotal::app {

class SyncClockDialog : public QDialog {
    Q_OBJECT

public:
    // photo must have a capture time; the adjustment's zone reads the typed time.
    SyncClockDialog(QWidget* parent, const PhotoRecord& photo, const TimeAdjustment& adjustment);

    // What the time typed so far says about the clock; none while it is no date and time or
    // puts the clock further off than the clock error can be.
    std::optional<ClockSyncPoint> Point() const;
    QWidget* Control(int id) const { return controls_.Control(id); }

    // OK: closes only with a point; otherwise one warning and the focus back on the time.
    void accept() override;

private:
    void ShowClockError();

    BuiltDialog controls_;
    PhotoRecord photo_;
    TimeAdjustment adjustment_;
};

// Runs the dialog modally over parent; the photo's sync point on OK, none on Cancel.
std::optional<ClockSyncPoint> RunSyncClockDialog(QWidget* parent, const PhotoRecord& photo,
                                                 const TimeAdjustment& adjustment);

}  // namespace geotal::app
