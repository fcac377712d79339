// Layout of the "Setup" dialog. Order is the tab order.
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::res {
namespace {

using K = ControlKind;
using namespace setup_dialog;
constexpr unsigned kFirstChoice = kGroupStart | kTabStop;

constexpr ControlTemplate kControls[] = {
    {-1, K::Group, "Coordinate Format", 7, 3, 215, 30, kNone, nullptr},
    {kDecimalDegrees, K::Radio, "DD.DDDD", 15, 15, 50, 10, kFirstChoice, nullptr},
    {kDegreesMinutes, K::Radio, "DD MM.MMMM", 79, 15, 50, 10, kTabStop, nullptr},
    {kDegreesMinutesSeconds, K::Radio, "DD MM SS.SS", 141, 15, 63, 10, kTabStop, nullptr},
    {-1, K::Group, "Copy image files", 7, 36, 215, 42, kNone, nullptr},
    {kCopyFiles, K::CheckBox, "Make a copy of image files", 15, 47, 178, 8, kTabStop, nullptr},
    {-1, K::Label, "Folder:", 15, 60, 22, 8, kNone, nullptr},
    {kCopyFolder, K::Edit, "", 41, 60, 160, 12, kDisabled | kTabStop | kAutoScroll, "Folder:"},
    {kBrowseCopyFolder, K::Button, "...", 202, 60, 14, 12, kDisabled | kTabStop,
     "Browse for the copy folder"},
    {-1, K::Group, "Map to use", 7, 82, 215, 30, kNone, nullptr},
    // The only other map service left the layout hidden; its index 0 stays reserved for it.
    {kGoogleMaps, K::Radio, "Google Maps", 108, 94, 84, 11, kFirstChoice | kHidden, nullptr},
    {kMapQuest, K::Radio, "MapQuest", 15, 94, 86, 10, kTabStop, nullptr},
    {kOpenStreetMap, K::Radio, "OpenStreetMap", 108, 94, 100, 10, kTabStop, nullptr},
    {-1, K::Group, "Debug", 7, 119, 215, 29, kNone, nullptr},
    {kTrace, K::CheckBox, "Enble trace", 15, 131, 162, 10, kTabStop, nullptr},
    {-1, K::Group, "Photo times", 7, 152, 215, 29, kNone, nullptr},
    {kUsePhotoZone, K::CheckBox, "Use the time zone recorded in the photo", 15, 164, 190, 10,
     kTabStop, nullptr},
    {-1, K::Group, "Sidecar files", 7, 185, 215, 44, kNone, nullptr},
    {-1, K::Label, "Sidecar file name:", 15, 198, 60, 8, kNone, nullptr},
    {kSidecarName, K::Radio, "IMG_1234.xmp", 77, 197, 58, 10, kFirstChoice, nullptr},
    {kSidecarNameExt, K::Radio, "IMG_1234.CR2.xmp", 140, 197, 74, 10, kTabStop, nullptr},
    {kSidecarOnly, K::CheckBox, "Write positions to sidecar files instead of the photos", 15, 212,
     196, 10, kTabStop, nullptr},
    {kIdOk, K::Button, "OK", 172, 235, 50, 14, kTabStop | kDefault, nullptr},
    {kIdCancel, K::Button, "Cancel", 117, 235, 50, 14, kTabStop, nullptr},
};

// The layout has no number of its own; nothing looks it up by one.
constexpr DialogTemplate kTemplate{-1, "Setup", 229, 256, 8, kControls};

}  // namespace

const DialogTemplate& SetupTemplate() {
    return kTemplate;
}

}  // namespace geotal::res
