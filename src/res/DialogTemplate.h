// Dialog layouts as data: each control with its id, kind, text and rectangle in dialog units.
#pragma once

#include <span>

namespace geotal::res {

enum class ControlKind {
    Group,
    Label,
    Edit,
    Button,
    ListView,
    ProgressBar,
    Icon,
    UpDown,      // arrows that step the integer in the edit just before it in the layout
    TimePicker,  // a time of day shown as hours, minutes and seconds
    Radio,       // one choice of a radio group; kGroupStart opens a new group
    CheckBox,
    DropDownList,  // a closed list to pick from; its entries are the text's lines
};

// Style notes a layout can carry; several may be combined.
enum ControlStyle : unsigned {
    kNone = 0,
    kReadOnly = 1u << 0,     // edit the user cannot change
    kNoBorder = 1u << 1,     // edit drawn without a frame
    kRightAlign = 1u << 2,   // text right-aligned
    kDigitsOnly = 1u << 3,   // edit accepts digits only
    kHidden = 1u << 4,       // not shown at start
    kDefault = 1u << 5,      // default push button
    kTabStop = 1u << 6,      // reached with the Tab key
    kMultiLine = 1u << 7,    // button caption may wrap onto two lines
    kAutoScroll = 1u << 8,   // edit scrolls horizontally
    kWordWrap = 1u << 9,     // label text wraps within its rectangle
    kGroupStart = 1u << 10,  // radio that starts a group; the radios after it join it
    kDisabled = 1u << 11,    // greyed out at start
};

struct ControlTemplate {
    int id;  // -1 for labels and group boxes that nothing refers to
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    unsigned style;
    const char* accessibleName;  // what a screen reader says; nullptr: derived from the text
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    int fontPointSize;
    std::span<const ControlTemplate> controls;
};

const DialogTemplate& MainWindowTemplate();  // template 102
const DialogTemplate& AboutTemplate();       // template 100
const DialogTemplate& TimeAdjustTemplate();  // template 130
const DialogTemplate& ExportTemplate();      // "Export positions"
const DialogTemplate& SetupTemplate();       // "Setup"
const DialogTemplate& SyncClockTemplate();   // "Synchronise camera clock"

}  // namespace geotal::res
