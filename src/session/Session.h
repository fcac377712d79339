// What the window holds between commands, and the rules between them: the loaded folders, the
// track, the photo records, the time adjustment, the copied position and the settings. Each
// command answers with what to show; the window draws it and asks the user what it must.
//
// A long command comes in two steps: the work, on a copy of what it needs (const, so that a
// worker thread may do it while the window draws the session as it stands), and the taking of
// its result into the session, on the window's thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geotag/CameraClocks.h"
#include "geotag/PositionCalculation.h"
#include "geotag/TimeAdjustment.h"
#include "map/TrackLines.h"
#include "output/Export.h"
#include "photo/PhotoList.h"
#include "photo/PhotoUpdate.h"
#include "photo/PhotoWriter.h"
#include "session/Notice.h"
#include "session/SetupChoices.h"
#include "session/UndoSteps.h"
#include "settings/SettingsStore.h"
#include "support/Progress.h"
#include "track/TrackFolder.h"
#include "track/TrackStore.h"

namespace geotal {

class Session {
public:
    Session();

    // The settings of the last run, with the zone chosen then.
    void Start(const Settings& settings);
    // The settings; new ones hand the copy options to the writer at once.
    const Settings& CurrentSettings() const { return settings_; }
    void ApplySettings(const Settings& settings);
    // The zone the Time adjustments dialog left, kept to be offered again.
    void RememberZone();
    void SetFolders(const std::string& photoFolder, const std::string& gpsFolder);
    // Setup's choices into the settings and the time adjustment.
    void ApplySetup(const SetupChoices& choices);
    // Where Setup sends positions: read back from there too.
    SidecarOptions SidecarChoices() const;

    PhotoList& Photos() { return photos_; }
    const PhotoList& Photos() const { return photos_; }
    const TrackStore& Track() const { return track_; }
    // The track as the map draws it: a line per file, broken at its gaps.
    const TrackLines& TrackOnMap() const { return lines_; }
    TimeAdjustment& Time() { return time_; }
    const TimeAdjustment& Time() const { return time_; }
    int PhotoFileCount() const { return photos_.Count(); }
    int GpsFileCount() const { return trackCounts_.gpsFileCount; }
    int PositionCount() const { return trackCounts_.positionCount; }
    // What each track file of the last load gave, in load order.
    const std::vector<TrackFileReport>& TrackFiles() const { return trackCounts_.files; }
    // Without a track point there is nothing to place a photo by.
    bool CanCalculate() const { return !track_.IsEmpty(); }
    // A calculated or pasted position is there to be written.
    bool CanUpdate() const { return canUpdate_; }

    // What the last command did, and what hovering over that line tells.
    const std::string& Summary() const { return summary_; }
    const std::string& SummaryDetails() const { return summaryDetails_; }

    // Load data files: both folders read apart from the session.
    struct Loaded {
        TrackStore track;
        TrackFolderCounts counts;
        TrackLines lines;
        PhotoList photos;
        bool photosRead = false;  // false: stopped by an abort, the old photos stay
    };
    // The track's lines for a map are made only where a map will draw them: for a million
    // points they take as long as reading the track.
    static Loaded ReadFolders(const Settings& settings, ProgressSink& progress,
                              bool linesForMap = true);
    // Takes what was read: the new track, and the photos unless the reading was stopped.
    // Answers the problems with the folders, one warning each.
    std::vector<Notice> TakeLoad(Loaded loaded);

    // Calculate coordinates: why not, when there is nothing to go by.
    std::optional<Notice> CalculateRefusal() const;
    struct Calculated {
        PhotoList photos;
        std::vector<PositionResult> results;
    };
    Calculated Calculate(ProgressSink& progress) const;
    void TakeCalculation(Calculated calculated);

    // Update photo files: why not at all (the folder field names another folder, the copy
    // folder is unusable), else the question to ask first.
    std::optional<Notice> UpdateRefusal() const;
    Notice UpdateQuestion() const;
    struct Updated {
        PhotoList photos;
        UpdateCounts counts;
        int failed = 0;
        // Photos refused because the copy folder holds another file of their name: each one's
        // name, and the writer's message naming that file.
        struct Refused {
            std::string name;
            std::string message;
        };
        std::vector<Refused> backupsTaken;
    };
    // Writes on a copy of the records; each other failure's text goes to failed as it comes.
    Updated Update(ProgressSink& progress,
                   const std::function<void(const std::string& message)>& failed);
    // The box naming the photos whose backups were taken, and the one that says what was
    // written; quiet when leaving.
    std::vector<Notice> TakeUpdate(Updated updated, bool leaving);

    // Export: the dialog's choices are kept in the settings, the file is written from them
    // (on a worker thread if need be), and the outcome answers what to tell.
    void SetExportChoices(ExportFormat format, const std::string& fileName, CsvSeparator separator);
    ExportOutcome Export() const;
    Notice TakeExport(const ExportOutcome& outcome);

    // Ctrl+C from the chosen record, Ctrl+V onto the selected ones: a warning where nothing
    // can be copied or pasted.
    std::optional<Notice> Copy(int record);
    std::optional<Notice> Paste(const std::vector<int>& targets);
    bool HasCopiedPosition() const { return copied_.has_value(); }

    // Show on Map: the address to open, or why not.
    struct MapRequest {
        std::optional<Notice> refusal;
        std::string address;
    };
    MapRequest ShowOnMap(int record) const;
    static Notice MapNotOpened(const std::string& address);
    // Help: why the help page at path could not be shown.
    static Notice HelpNotShown(const std::string& path);

    // The clock synchronised with a photo's time: whether there is a question to ask first
    // (its camera is synchronised with other photos already), then the sync itself, which
    // answers a warning where the sync photos mean a drift no camera clock has.
    bool CanSync(int record) const;
    std::optional<Notice> SyncQuestion(int record) const;
    std::optional<Notice> Sync(int record, const ClockSyncPoint& point, bool addToOthers);
    void RemoveSync(int record);
    bool IsSyncPhoto(int record) const;
    std::vector<CameraSummary> Cameras() const { return CamerasOf(photos_); }

    // A drag onto the map: the photos get that place as a paste gives one (no altitude, no fix
    // time), checked for Update; the rows say they were placed by hand.
    void PlaceByHand(const std::vector<int>& records, double latitude, double longitude);

    // Ctrl+Z: takes back the last change to the positions not yet written (a calculation, a
    // paste, a placing on the map, a removal), one step at a time until the last Update or load;
    // false, with the summary saying so, when there is none.
    bool Undo();
    bool CanUndo() const { return undo_.CanUndo(); }

    // Remove Position on the selected records: their positions go, and those their files hold
    // are taken out on Update (RemovePositions). A warning where none is chosen or none of
    // them has a position.
    std::optional<Notice> RemovePositions(const std::vector<int>& records);

    // Mark Unplaced: checks the photos with a capture time and no position; their indices.
    std::vector<int> MarkUnplaced();

    // Load data files with positions not written: the question to ask first, since the new
    // load replaces the rows that hold them.
    std::optional<Notice> LoadQuestion() const;
    // Exit with positions not written: the question to ask first.
    std::optional<Notice> ExitQuestion() const;

private:
    Settings settings_;
    TimeAdjustment time_;
    TrackStore track_;
    TrackLines lines_;
    PhotoList photos_;
    PhotoWriter writer_;
    TrackFolderCounts trackCounts_;
    bool canUpdate_ = false;
    // The position taken by the last copy; none until a copy.
    MaybePosition copied_;
    UndoSteps undo_;
    std::string summary_;
    std::string summaryDetails_;
};

}  // namespace geotal
