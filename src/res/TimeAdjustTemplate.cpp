// Layout of the "Time adjustments" dialog (template 130). Order is the tab order.
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::res {
namespace {

using K = ControlKind;
using namespace time_adjust;
constexpr unsigned kNumber = kRightAlign | kTabStop;
constexpr unsigned kClock = kReadOnly | kNoBorder | kTabStop;

constexpr ControlTemplate kControls[] = {
    {-1, K::Group, "", 7, 7, 280, 54, kNone, "Explanation"},
    {-1, K::Label,
     "Calculation of positions are based on the timestamps in the GPS- file and each photo. If "
     "the time in your camera is incorrect, the calculations will also be incorrect. ",
     14, 12, 266, 16, kWordWrap, nullptr},
    {-1, K::Label,
     "This page allows you to set a correction time if the time setting of your camera was "
     "wrong. You can also specify a time zone offset if the photos were taken in another time "
     "zone than your computer is set to. ",
     14, 31, 266, 28, kWordWrap, nullptr},
    {-1, K::Group, "Time adjustments", 7, 61, 169, 43, kNone, nullptr},
    {-1, K::Label, "Time Zone Offset:", 13, 73, 58, 8, kNone, nullptr},
    {kTimeZoneOffset, K::Edit, "", 83, 71, 41, 13, kNumber, "Time Zone Offset:"},
    {kTimeZoneOffsetSpin, K::UpDown, "", 125, 70, 12, 12, kNone, "Step the time zone offset"},
    {-1, K::Label, "(hours)", 143, 73, 28, 12, kNone, nullptr},
    {-1, K::Label, "Camera time error:", 13, 86, 64, 8, kNone, nullptr},
    {kCameraClockError, K::Edit, "", 83, 84, 41, 13, kNumber, "Camera time error:"},
    {kCameraClockErrorSpin, K::UpDown, "", 125, 84, 12, 12, kNone, "Step the camera time error"},
    {-1, K::Label, "(secs)", 144, 86, 20, 9, kNone, nullptr},
    {-1, K::Group, "Current time", 187, 61, 100, 43, kNone, nullptr},
    {-1, K::Label, "Local:", 191, 71, 20, 8, kNone, nullptr},
    {kLocalTime, K::Edit, "", 219, 71, 56, 12, kClock, "Local:"},
    {-1, K::Label, "GMT:", 191, 84, 19, 8, kNone, nullptr},
    {kUtcTime, K::Edit, "", 219, 84, 56, 12, kClock, "GMT:"},
    // Beside the whole hours above, a zone with its summer time, picked from the tz database.
    {-1, K::Group, "Time zone", 7, 106, 280, 30, kNone, nullptr},
    {kZoneHours, K::Radio, "Offset in hours", 13, 119, 70, 10, kGroupStart | kTabStop, nullptr},
    {kZoneNamed, K::Radio, "Zone:", 88, 119, 32, 10, kTabStop, nullptr},
    {kZoneList, K::DropDownList, "", 122, 117, 158, 120, kTabStop, "Zone"},
    {-1, K::Group, "Adjusted Camera Time", 96, 139, 101, 36, kNone, nullptr},
    {kAdjustedCameraTime, K::TimePicker, "", 109, 152, 72, 15, kRightAlign | kTabStop,
     "Adjusted Camera Time"},
    // Each camera of the loaded photos with its own clock error; the one above is the default.
    {-1, K::Group, "Cameras", 7, 178, 280, 92, kNone, nullptr},
    {-1, K::Label,
     "A camera's own clock error, typed here or from photos synchronised with a clock, comes "
     "before the one above. Leave it empty for that one.",
     13, 189, 268, 16, kWordWrap, nullptr},
    {kCameraList, K::ListView, "", 13, 207, 268, 58, kTabStop, "Cameras"},
    {kIdCancel, K::Button, "Cancel", 183, 275, 50, 14, kTabStop, nullptr},
    {kIdOk, K::Button, "OK", 238, 275, 50, 14, kTabStop | kDefault, nullptr},
};

constexpr DialogTemplate kTemplate{130, "Time adjustments", 294, 296, 8, kControls};

}  // namespace

const DialogTemplate& TimeAdjustTemplate() {
    return kTemplate;
}

}  // namespace geotal::res
