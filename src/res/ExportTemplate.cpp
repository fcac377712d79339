// Layout of the "Export positions" dialog. Order is the tab order.
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::res {
namespace {

using K = ControlKind;
using namespace export_dialog;

constexpr ControlTemplate kControls[] = {
    {-1, K::Group, "Output format", 7, 7, 244, 42, kNone, nullptr},
    {kCsv, K::Radio, "CSV (comma separated)", 18, 19, 104, 10, kGroupStart | kTabStop, nullptr},
    {kKml, K::Radio, "KML (Google Earth)", 18, 32, 93, 11, kTabStop, nullptr},
    {kSeparatorLabel, K::Label, "Field separator:", 128, 19, 50, 10, kNone, nullptr},
    // The order of the entries is the separator index kept in the settings.
    {kSeparatorList, K::DropDownList, ",  (comma)\n;  (semicolon)\nTab", 179, 18, 66, 50,
     kDisabled | kTabStop, "Field separator:"},
    {-1, K::Label, "Output file:", 8, 72, 35, 8, kNone, nullptr},
    {kOutputFile, K::Edit, "", 46, 70, 311, 13, kTabStop | kAutoScroll, "Output file:"},
    {kBrowse, K::Button, "...", 361, 70, 17, 14, kTabStop, "Browse for the output file"},
    {kIdCancel, K::Button, "Cancel", 277, 92, 50, 14, kTabStop, nullptr},
    {kIdOk, K::Button, "OK", 334, 92, 50, 14, kTabStop | kDefault, nullptr},
};

// The layout has no number of its own; nothing looks it up by one.
constexpr DialogTemplate kTemplate{-1, "Export positions", 391, 113, 8, kControls};

}  // namespace

const DialogTemplate& ExportTemplate() {
    return kTemplate;
}

}  // namespace geotal::res
