// Layout of the main window (template 102). Order is the tab order.
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::res {
namespace {

using K = ControlKind;
using namespace main_window;
constexpr unsigned kField = kReadOnly | kNoBorder;
constexpr unsigned kCount = kReadOnly | kNoBorder | kDigitsOnly | kRightAlign;

constexpr ControlTemplate kControls[] = {
    {-1, K::Group, "Photo files", 6, 7, 408, 30, kNone, nullptr},
    {-1, K::Label, "Folder with picture files:", 17, 17, 74, 8, kNone, nullptr},
    {kPhotoFolderField, K::Edit, "", 114, 17, 270, 12, kTabStop | kAutoScroll,
     "Folder with picture files:"},
    {kBrowsePhotoFolder, K::Button, "...", 385, 17, 16, 13, kTabStop,
     "Browse for the photo folder"},
    {-1, K::Group, "GPS files", 6, 39, 408, 35, kNone, nullptr},
    {-1, K::Label, "Folder containing GPS files:", 17, 52, 88, 8, kNone, nullptr},
    {kGpsFolderField, K::Edit, "", 114, 51, 270, 12, kTabStop | kAutoScroll,
     "Folder containing GPS files:"},
    {kBrowseGpsFolder, K::Button, "...", 385, 51, 16, 13, kTabStop, "Browse for the GPS folder"},
    {-1, K::Group, "Time adjustments", 6, 83, 408, 32, kNone, nullptr},
    {-1, K::Label, "GMT/UTC:", 28, 97, 38, 12, kNone, nullptr},
    {kUtcTime, K::Edit, "", 76, 97, 52, 12, kField | kTabStop, "GMT/UTC"},
    {-1, K::Label, "Local time:", 143, 97, 40, 12, kNone, nullptr},
    {kLocalTime, K::Edit, "", 187, 97, 42, 12, kField | kTabStop, "Local time"},
    {-1, K::Label, "Camera time:", 236, 97, 42, 12, kNone, nullptr},
    {kCameraTime, K::Edit, "", 284, 97, 51, 12, kField | kTabStop, "Camera time"},
    {kTimeSetup, K::Button, "Time setup", 360, 93, 51, 16, kTabStop, nullptr},
    // The numbers of PhotoFilter, in order.
    {-1, K::Label, "Show:", 6, 122, 22, 8, kNone, nullptr},
    {kShowFilter, K::DropDownList, "All photos\nWithout a position\nNot yet written\nWrite failed",
     30, 120, 100, 60, kTabStop, "Show"},
    {kPhotoList, K::ListView, "", 6, 134, 412, 178, kTabStop, "Photo list"},
    {kSummaryLine, K::Label, "", 6, 314, 412, 8, kNone, "What the last command did"},
    {kMarkAll, K::Button, "Mark All", 6, 323, 63, 14, kTabStop | kDefault, nullptr},
    {kMarkSelected, K::Button, "Mark Selected", 73, 323, 63, 14, kTabStop | kDefault, nullptr},
    // The photos a calculation could not place, to try again after the time is corrected.
    {kMarkUnplaced, K::Button, "Mark Unplaced", 140, 323, 63, 14, kTabStop | kDefault, nullptr},
    {kUnmarkAll, K::Button, "Unmark All", 6, 340, 63, 14, kTabStop | kDefault, nullptr},
    {kUnmarkSelected, K::Button, "Unmark Selected", 73, 340, 63, 14, kTabStop | kDefault, nullptr},
    {kStatusLine, K::Edit, "", 207, 330, 157, 12, kField, "Status"},
    {kProgressBar, K::ProgressBar, "", 207, 342, 182, 12, kHidden, "Progress"},
    {kAbort, K::Button, "Abort", 392, 342, 27, 12, kHidden | kTabStop, nullptr},
    {-1, K::Group, "Photo Files", 425, 7, 64, 30, kNone, nullptr},
    {kPhotoFileCount, K::Edit, "", 437, 20, 41, 12, kCount, "Photo files"},
    {-1, K::Group, "Files/positions", 425, 39, 64, 56, kNone, nullptr},
    {-1, K::Label, "Files", 429, 57, 20, 8, kNone, nullptr},
    {kGpsFileCount, K::Edit, "", 451, 55, 34, 12, kCount, "Track files"},
    {-1, K::Label, "Points", 429, 72, 20, 8, kNone, nullptr},
    {kPositionCount, K::Edit, "", 451, 70, 34, 12, kCount, "Positions"},
    {-1, K::Group, "", 429, 123, 60, 99, kNone, nullptr},
    {kLoadDataFiles, K::Button, "&Load\ndata files", 434, 131, 50, 27, kTabStop | kMultiLine,
     nullptr},
    {kCalculate, K::Button, "&Calculate\ncoordinates", 434, 161, 50, 27, kTabStop | kMultiLine,
     nullptr},
    {kUpdatePhotoFiles, K::Button, "&Update  photo files", 434, 191, 50, 27, kTabStop | kMultiLine,
     nullptr},
    {-1, K::Group, "", 429, 227, 60, 42, kNone, nullptr},
    {kShowOnMap, K::Button, "Show on &Map", 434, 234, 50, 14, kTabStop, nullptr},
    {kExport, K::Button, "&Export", 434, 251, 50, 14, kTabStop, nullptr},
    {kSetup, K::Button, "&Setup", 434, 280, 50, 14, kTabStop, nullptr},
    {kHelp, K::Button, "&Help", 434, 298, 50, 14, kTabStop, nullptr},
    {kExit, K::Button, "Exit", 434, 340, 50, 14, kTabStop | kDefault, nullptr},
};

constexpr DialogTemplate kTemplate{102, "Geotal " GEOTAL_VERSION, 496, 361, 8, kControls};

}  // namespace

const DialogTemplate& MainWindowTemplate() {
    return kTemplate;
}

}  // namespace geotal::res
