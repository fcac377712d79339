// Control and command ids of the dialog layouts, named once. The numbers are the layouts' own;
// tests and handlers use these names.
#pragma once

namespace geotal::res {

// Buttons every dialog shares.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// The main window (template 102).
namespace main_window {
inline constexpr int kPhotoFolderField = 1000;
inline constexpr int kBrowsePhotoFolder = 1001;
inline constexpr int kPhotoList = 1003;
inline constexpr int kGpsFolderField = 1004;
inline constexpr int kBrowseGpsFolder = 1005;
inline constexpr int kShowOnMap = 1006;
inline constexpr int kExport = 1007;
inline constexpr int kCalculate = 1008;
inline constexpr int kLoadDataFiles = 1009;
inline constexpr int kUpdatePhotoFiles = 1013;
inline constexpr int kProgressBar = 1022;
inline constexpr int kStatusLine = 1023;
inline constexpr int kPhotoFileCount = 1024;
inline constexpr int kGpsFileCount = 1025;
inline constexpr int kPositionCount = 1026;
inline constexpr int kUtcTime = 1027;
inline constexpr int kLocalTime = 1029;
inline constexpr int kCameraTime = 1030;
inline constexpr int kTimeSetup = 1031;
inline constexpr int kAbort = 1047;
inline constexpr int kSummaryLine = 1050;  // what the last command did
inline constexpr int kMarkAll = 3;
inline constexpr int kMarkSelected = 4;
inline constexpr int kUnmarkAll = 5;
inline constexpr int kUnmarkSelected = 6;
inline constexpr int kMarkUnplaced = 1060;  // checks the photos with a time and no position
inline constexpr int kShowFilter = 1062;    // which photos the list shows
inline constexpr int kExit = kIdCancel;     // Exit is the dialog's cancel command
inline constexpr int kSetup = 57671;
inline constexpr int kHelp = 57670;  // also F1

// Commands that are not controls of the window.
inline constexpr int kCommandPaste = 32771;    // Ctrl+V
inline constexpr int kCommandCopy = 32772;     // Ctrl+C
inline constexpr int kCommandUndo = 32773;     // Ctrl+Z
inline constexpr int kCommandRestore = 32774;  // File > Restore photos from copies…
inline constexpr int kSysCommandAbout = 0x10;
}  // namespace main_window

// The "Time adjustments" dialog (template 130).
namespace time_adjust {
inline constexpr int kLocalTime = 1032;
inline constexpr int kUtcTime = 1033;
inline constexpr int kTimeZoneOffset = 1036;
inline constexpr int kTimeZoneOffsetSpin = 1037;
inline constexpr int kCameraClockError = 1038;
inline constexpr int kCameraClockErrorSpin = 1039;
inline constexpr int kAdjustedCameraTime = 1040;
inline constexpr int kZoneHours = 1053;  // "Offset in hours"
inline constexpr int kZoneNamed = 1054;  // a zone of the tz database
inline constexpr int kZoneList = 1055;
inline constexpr int kCameraList = 1059;  // the cameras of the loaded photos, each its own error
}  // namespace time_adjust

// The "Synchronise camera clock" dialog.
namespace sync_clock {
inline constexpr int kCameraTime = 1056;
inline constexpr int kShownTime = 1057;
inline constexpr int kClockError = 1058;
}  // namespace sync_clock

// The "Export positions" dialog.
namespace export_dialog {
inline constexpr int kCsv = 1042;
inline constexpr int kKml = 1015;
inline constexpr int kSeparatorLabel = 1050;
inline constexpr int kSeparatorList = 1051;
inline constexpr int kOutputFile = 1043;
inline constexpr int kBrowse = 1018;
}  // namespace export_dialog

// The "Setup" dialog.
namespace setup_dialog {
inline constexpr int kDecimalDegrees = 1014;
inline constexpr int kDegreesMinutes = 1041;
inline constexpr int kDegreesMinutesSeconds = 1015;
inline constexpr int kCopyFiles = 1016;
inline constexpr int kCopyFolder = 1017;
inline constexpr int kBrowseCopyFolder = 1018;
inline constexpr int kGoogleMaps = 1019;  // kept in the layout, never shown
inline constexpr int kMapQuest = 1020;
inline constexpr int kTrace = 1049;
inline constexpr int kUsePhotoZone = 1052;
inline constexpr int kSidecarName = 1053;     // IMG_1234.xmp
inline constexpr int kSidecarNameExt = 1054;  // IMG_1234.CR2.xmp
inline constexpr int kSidecarOnly = 1055;
inline constexpr int kOpenStreetMap = 1061;
}  // namespace setup_dialog

}  // namespace geotal::res
