// Layout of the "Synchronise camera clock" dialog. Order is the tab order.
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::res {
namespace {

using K = ControlKind;
using namespace sync_clock;

constexpr ControlTemplate kControls[] = {
    {-1, K::Label,
     "If this photo shows a clock (a GPS or a phone screen), type the date and time it shows, "
     "as read in the zone chosen in Time adjustments (or with its zone: 07:14:05Z). The "
     "difference to the photo's own time is the camera's clock error.",
     7, 7, 230, 34, kWordWrap, nullptr},
    {-1, K::Label, "Camera time:", 7, 48, 60, 8, kNone, nullptr},
    {kCameraTime, K::Edit, "", 70, 47, 120, 12, kReadOnly | kNoBorder | kTabStop, "Camera time:"},
    {-1, K::Label, "Time shown:", 7, 64, 60, 8, kNone, nullptr},
    {kShownTime, K::Edit, "", 70, 62, 120, 13, kTabStop, "Time shown:"},
    {-1, K::Label, "Clock error:", 7, 80, 60, 8, kNone, nullptr},
    {kClockError, K::Edit, "", 70, 79, 167, 12, kReadOnly | kNoBorder | kTabStop, "Clock error:"},
    {kIdCancel, K::Button, "Cancel", 132, 100, 50, 14, kTabStop, nullptr},
    {kIdOk, K::Button, "OK", 187, 100, 50, 14, kTabStop | kDefault, nullptr},
};

constexpr DialogTemplate kTemplate{-1, "Synchronise camera clock", 244, 121, 8, kControls};

}  // namespace

const DialogTemplate& SyncClockTemplate() {
    return kTemplate;
}

}  // namespace geotal::res
