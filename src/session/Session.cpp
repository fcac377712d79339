#include "session/Session.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

#include "geotag/CopyPaste.h"
#include "geotag/NamedZone.h"
#include "geotag/PositionRemoval.h"
#include "output/MapAddress.h"
#include "photo/PhotoFolder.h"
#include "session/LoadReport.h"
#include "session/UnwrittenText.h"
#include "support/AsciiText.h"
#include "support/TraceLog.h"

namespace geotal {

Session::Session() : time_(StartingTimeAdjustment()) {}

void Session::Start(const Settings& settings) {
    ApplySettings(settings);
    // The zone chosen last time, and whether photos' own offsets count, outlive the run.
    if (settings_.namedZone && IsKnownZone(settings_.zoneName)) {
        time_.zoneName = settings_.zoneName;
    }
    time_.usePhotoZone = settings_.usePhotoZone;
}

void Session::ApplySettings(const Settings& settings) {
    settings_ = settings;
    writer_.SetCopyOptions(settings_.copyFiles, settings_.copyFolder);
}

void Session::RememberZone() {
    settings_.namedZone = !time_.zoneName.empty();
    if (settings_.namedZone) {
        settings_.zoneName = time_.zoneName;
    }
}

void Session::SetFolders(const std::string& photoFolder, const std::string& gpsFolder) {
    settings_.photoFolder = photoFolder;
    settings_.gpsFolder = gpsFolder;
}

void Session::ApplySetup(const SetupChoices& choices) {
    Settings settings = settings_;
    settings.coordinateFormat = choices.format;
    settings.mapService = choices.mapService;
    settings.copyFiles = choices.copyFiles;
    settings.copyFolder = choices.copyFolder;
    settings.usePhotoZone = choices.usePhotoZone;
    settings.sidecarNameExt = choices.sidecarNameExt;
    settings.sidecarOnly = choices.sidecarOnly;
    time_.usePhotoZone = choices.usePhotoZone;
    ApplySettings(settings);
}

SidecarOptions Session::SidecarChoices() const {
    return {settings_.sidecarNameExt ? SidecarNaming::NameExt : SidecarNaming::Name,
            settings_.sidecarOnly};
}

Session::Loaded Session::ReadFolders(const Settings& settings, ProgressSink& progress,
                                     bool linesForMap) {
    Trace("****  START LOAD");
    Loaded loaded;
    loaded.counts = LoadTrackFolder(settings.gpsFolder, loaded.track, progress);
    if (linesForMap) {
        std::vector<int> pointsPerFile;
        for (const TrackFileReport& file : loaded.counts.files) {
            pointsPerFile.push_back(file.positions);
        }
        // A fix this far from the next is a gap no photo is placed across: the map shows it too.
        loaded.lines = TrackLines(loaded.track, pointsPerFile, MatchThresholds{}.longGap);
    }
    const SidecarOptions sidecars = {
        settings.sidecarNameExt ? SidecarNaming::NameExt : SidecarNaming::Name,
        settings.sidecarOnly};
    // Read apart and taken in one step: an aborted reading leaves the old rows, each still
    // naming its own photo.
    loaded.photosRead = ReadPhotoFolder(settings.photoFolder, loaded.photos, progress, sidecars);
    return loaded;
}

std::vector<Notice> Session::TakeLoad(Loaded loaded) {
    track_ = std::move(loaded.track);
    lines_ = std::move(loaded.lines);
    trackCounts_ = std::move(loaded.counts);
    if (loaded.photosRead) {
        photos_ = std::move(loaded.photos);
        undo_.Clear();
        FindSelfSetCameras(photos_, time_);
        // What a calculation made ready to write belonged to the photos just replaced.
        canUpdate_ = false;
    }
    const LoadReport report =
        DescribeLoad(settings_, trackCounts_, loaded.photosRead, photos_.Count());
    summary_ = report.summary;
    summaryDetails_ = report.details;
    return report.problems;
}

std::optional<Notice> Session::CalculateRefusal() const {
    if (!track_.IsEmpty()) {
        return std::nullopt;
    }
    return Notice{
        "No track points are loaded, so no photo can be placed. Choose the folder with "
        "your track files (GPX, CSV, NMEA, KML, TCX, FIT, IGC and others) and press "
        "Load data files.",
        kMessageWarning};
}

Session::Calculated Session::Calculate(ProgressSink& progress) const {
    Calculated calculated{photos_, {}};
    calculated.results = CalculatePositions(calculated.photos, track_, time_, progress);
    return calculated;
}

void Session::TakeCalculation(Calculated calculated) {
    undo_.Begin(photos_);
    photos_ = std::move(calculated.photos);
    undo_.End(photos_, "the calculation");
    canUpdate_ = true;
    summary_ = DescribeCalculation(calculated.results);
    // The calculation leaves them unchecked; after the time is set right they are tried again.
    if (const std::size_t unplaced = photos_.Unplaced().size(); unplaced > 0) {
        summary_ += ". " + std::to_string(unplaced) +
                    " with a capture time left unplaced: to try again after correcting the time, "
                    "press Mark Unplaced, then Calculate coordinates";
    }
    summaryDetails_.clear();
}

std::optional<Notice> Session::UpdateRefusal() const {
    // The positions belong to the photos that were loaded; files of the same names elsewhere
    // (camera names repeat from card to card) are other photos.
    const std::string& loaded = photos_.folder;
    if (photos_.Count() > 0 && WithoutTrailingSlashes(settings_.photoFolder) != loaded &&
        !IsSameFolder(settings_.photoFolder, loaded)) {
        return Notice{"The list shows the photos of " + loaded + ", but the photo folder is now " +
                          settings_.photoFolder +
                          ". Nothing was written: load the new folder first, or set the folder "
                          "back.",
                      kMessageWarning};
    }
    // Checked once, before anything is asked or written: a backup that cannot be made must
    // not be discovered one photo at a time. A copy in the photo folder itself would be the
    // photo: no backup at all.
    if (settings_.copyFiles && (!IsUsableCopyFolder(settings_.copyFolder) ||
                                IsSameFolder(settings_.copyFolder, settings_.photoFolder))) {
        return Notice{
            "Please choose an existing folder for the copies of image files in Setup, "
            "or switch copying off.",
            kMessageWarning};
    }
    return std::nullopt;
}

Notice Session::UpdateQuestion() const {
    // Name what changes before the user agrees: how many photo files, how many sidecars (a
    // sidecar two photos share counts once), and whether copies are kept first.
    UpdateCounter counter(SidecarChoices());
    for (const PhotoRecord& record : photos_.records) {
        if (record.marked && record.HasSomethingToWrite()) {
            counter.Written(photos_.folder + "/" + record.fileName);
        }
    }
    const int photoFiles = counter.Counts().photos;
    const int sidecarFiles = counter.Counts().sidecars;
    const auto files = [](int count, const char* one, const char* many) {
        return std::to_string(count) + " " + (count == 1 ? one : many);
    };
    std::string what;
    if (photoFiles > 0) {
        what = files(photoFiles, "photo file", "photo files");
    }
    if (sidecarFiles > 0) {
        what += (what.empty() ? "" : " and ") +
                files(sidecarFiles, "XMP sidecar file", "XMP sidecar files");
    }
    std::string text = "This command will change the positions in " + what + ".";
    if (photoFiles > 0) {
        text +=
            " It will update your photo files. You should not do this unless you have a "
            "backup of the files";
    } else {
        text.back() = ';';
        text += " no photo file is changed.";
    }
    text += settings_.copyFiles && !settings_.copyFolder.empty()
                ? "\n\nA copy of each file is kept in " + settings_.copyFolder +
                      " before it is changed."
                : "\n\nNo copies are made.";
    return {text + "\n\nAre you sure you want to continue?", kMessageWarning | kMessageYesNo};
}

Session::Updated Session::Update(ProgressSink& progress,
                                 const std::function<void(const std::string&)>& failed) {
    Updated updated{photos_, {}, 0, {}};
    UpdateCallbacks callbacks;
    callbacks.showMessage = [&updated, &failed](const std::string& message) {
        ++updated.failed;
        if (failed) {
            failed(message);
        }
    };
    callbacks.backupTaken = [&updated](int index, const std::string& message) {
        ++updated.failed;
        updated.backupsTaken.push_back({updated.photos[index].fileName, message});
    };
    updated.counts =
        WriteMarkedPhotos(updated.photos, writer_, progress, callbacks, SidecarChoices());
    return updated;
}

std::vector<Notice> Session::TakeUpdate(Updated updated, bool leaving) {
    photos_ = std::move(updated.photos);
    // What is written is the files' now; an undo would make the list disagree with them.
    undo_.Clear();
    const int written = updated.counts.photos + updated.counts.sidecars;
    summary_ = std::to_string(written) + " photos written";
    if (updated.failed > 0) {
        summary_ += ", " + std::to_string(updated.failed) +
                    " not (hold the mouse over a checked row to see why)";
    }
    summaryDetails_.clear();
    std::vector<Notice> notices;
    if (leaving) {
        return notices;  // no box to answer after the window is gone
    }
    if (!updated.backupsTaken.empty()) {
        // One box for all of them: a second card's IMG_0001 meets the first card's copy for
        // every photo at once.
        const std::size_t shown = 10;
        std::string names;
        for (std::size_t i = 0; i < std::min(shown, updated.backupsTaken.size()); ++i) {
            names += (i == 0 ? "" : ", ") + updated.backupsTaken[i].name;
        }
        if (updated.backupsTaken.size() > shown) {
            names += " and " + std::to_string(updated.backupsTaken.size() - shown) + " more";
        }
        notices.push_back({std::to_string(updated.backupsTaken.size()) +
                               " photos were not written: the copy folder " + settings_.copyFolder +
                               " already holds other photos or sidecars of the same names (" +
                               names +
                               "). A copy there is never replaced. Choose another copy folder "
                               "in Setup, or move those files away, and press Update photo files "
                               "again.",
                           kMessageWarning});
    }
    notices.push_back({UpdatedFilesText(updated.counts), kMessageInformation});
    return notices;
}

void Session::SetExportChoices(ExportFormat format, const std::string& fileName,
                               CsvSeparator separator) {
    settings_.exportFormat = format;
    settings_.exportFileName = fileName;
    settings_.csvSeparator = separator;
}

ExportOutcome Session::Export() const {
    return ExportPositions(settings_.exportFileName, settings_.exportFormat,
                           static_cast<int>(settings_.csvSeparator), photos_);
}

Notice Session::TakeExport(const ExportOutcome& outcome) {
    if (outcome.nothingToExport) {
        summary_ = "Nothing exported: no checked photo has a position";
        summaryDetails_.clear();
        return {"No checked photo has a position, so nothing was exported and " +
                    settings_.exportFileName +
                    " was left as it was.\n\nCheck the photos to export: Update unchecks the "
                    "photos it wrote.",
                kMessageInformation};
    }
    if (!outcome.written) {
        return {outcome.error, kMessageError};
    }
    const std::string& fileName = settings_.exportFileName;
    summary_ = std::to_string(outcome.count) + " positions exported to " + fileName;
    summaryDetails_.clear();
    return {std::to_string(outcome.count) + " positions were successfully exported to " + fileName,
            kMessageInformation};
}

std::optional<Notice> Session::Copy(int record) {
    // A row without a position has nothing to give, whichever row it is.
    const bool chosen = record >= 0 && record < photos_.Count();
    const MaybePosition copied = chosen ? CopiedFrom(photos_[record]) : std::nullopt;
    if (!copied) {
        return Notice{"Please choose a picture to copy coordinates from", kMessageWarning};
    }
    copied_ = copied;
    return std::nullopt;
}

std::optional<Notice> Session::Paste(const std::vector<int>& targets) {
    if (targets.empty()) {
        return Notice{"Please choose picture(s) to paste coordinates to", kMessageWarning};
    }
    // Before any copy there is no position to give; an invented one would look real.
    if (!copied_) {
        return Notice{"Please choose a picture to copy coordinates from", kMessageWarning};
    }
    undo_.Begin(photos_);
    PastePosition(photos_, targets, *copied_);
    undo_.End(photos_, "the paste");
    summary_ = "Position pasted onto " + std::to_string(targets.size()) + " photos";
    summaryDetails_.clear();
    canUpdate_ = true;
    return std::nullopt;
}

Session::MapRequest Session::ShowOnMap(int record) const {
    MapRequest request;
    if (record < 0 || record >= photos_.Count()) {
        request.refusal = Notice{
            "Click or select a photo in the list first: Show on Map shows "
            "that photo's position.",
            kMessageInformation};
        return request;
    }
    const MaybePosition& position = photos_[record].position;
    if (!IsShowableOnMap(position)) {
        request.refusal =
            Notice{"No coordinates have been caclulated for this photo. Cannot show on map.",
                   kMessageWarning};
        return request;
    }
    request.address = MapAddress(settings_.mapService, *position);
    return request;
}

Notice Session::MapNotOpened(const std::string& address) {
    return {
        "No web browser could be started to show the map. Open this address in one "
        "yourself:\n" +
            address,
        kMessageWarning};
}

Notice Session::HelpNotShown(const std::string& path) {
    std::error_code error;
    return {std::filesystem::exists(path, error)
                ? "No program could be started to show the help page " + path +
                      ". Open it in your web browser."
                : "The help page " + path + " is missing. Installing Geotal again puts it back.",
            kMessageWarning};
}

bool Session::CanSync(int record) const {
    return record >= 0 && record < photos_.Count() && photos_[record].captureTime.has_value();
}

std::optional<Notice> Session::SyncQuestion(int record) const {
    const auto clock = time_.cameras.find(photos_[record].camera);
    if (clock == time_.cameras.end() || clock->second.syncPoints.empty()) {
        return std::nullopt;
    }
    const std::size_t others = clock->second.syncPoints.size();
    return Notice{"The camera clock is already synchronised with " +
                      (others == 1 ? std::string("another photo")
                                   : std::to_string(others) + " other photos") +
                      ". Add this photo, so that the clock error follows the camera's drift "
                      "between them?\n\nNo: this photo alone sets the clock error.",
                  kMessageYesNo | kMessageQuestion};
}

std::optional<Notice> Session::Sync(int record, const ClockSyncPoint& point, bool addToOthers) {
    CameraClock& clock = time_.cameras[photos_[record].camera];
    if (!addToOthers) {
        clock.syncPoints.clear();
    }
    AddSyncPoint(clock.syncPoints, point);
    clock.clockError.reset();
    if (const std::string drift = ImplausibleDrift(clock.syncPoints); !drift.empty()) {
        return Notice{drift, kMessageOk | kMessageWarning};
    }
    return std::nullopt;
}

void Session::RemoveSync(int record) {
    if (record < 0 || record >= photos_.Count()) {
        return;
    }
    const PhotoRecord& photo = photos_[record];
    const auto clock = time_.cameras.find(photo.camera);
    if (clock != time_.cameras.end()) {
        std::erase_if(clock->second.syncPoints, [&photo](const ClockSyncPoint& point) {
            return point.cameraTime == photo.captureTime;
        });
    }
}

bool Session::IsSyncPhoto(int record) const {
    if (record < 0 || record >= photos_.Count()) {
        return false;
    }
    const PhotoRecord& photo = photos_[record];
    const auto clock = time_.cameras.find(photo.camera);
    return clock != time_.cameras.end() &&
           std::any_of(clock->second.syncPoints.begin(), clock->second.syncPoints.end(),
                       [&photo](const ClockSyncPoint& point) {
                           return point.cameraTime == photo.captureTime;
                       });
}

namespace {

// The elevation of the track where it passes within reach of a place, if it recorded one there:
// a photo placed on the line gets the altitude it was taken at.
std::optional<double> TrackElevationNear(const TrackStore& track, double latitude,
                                         double longitude) {
    constexpr double kReachMetres = 25.0;
    constexpr double kMetresPerArcSecond = 30.87;
    const double scale = std::cos(latitude * 3.14159265358979323846 / 180.0);
    const double placeLatitude = DegreesToArcSeconds(latitude);
    const double placeLongitude = DegreesToArcSeconds(longitude);
    std::optional<double> elevation;
    double best = kReachMetres;
    for (int i = 0; i < track.Count(); ++i) {
        const TrackPoint& point = track.At(i);
        const double north = (point.latitude - placeLatitude) * kMetresPerArcSecond;
        const double east = (point.longitude - placeLongitude) * kMetresPerArcSecond * scale;
        const double metres = std::hypot(north, east);
        if (point.elevation && metres <= best) {
            best = metres;
            elevation = point.elevation;
        }
    }
    return elevation;
}

}  // namespace

void Session::PlaceByHand(const std::vector<int>& records, double latitude, double longitude) {
    const std::optional<double> altitude = TrackElevationNear(track_, latitude, longitude);
    undo_.Begin(photos_);
    int placed = 0;
    for (int record : records) {
        if (record < 0 || record >= photos_.Count()) {
            continue;
        }
        PhotoRecord& photo = photos_[record];
        photo.position = GeoPosition{
            DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude), altitude, {}};
        photo.marked = true;
        photo.removing = false;
        photo.note = "Position placed by hand on the map";
        ++placed;
    }
    undo_.End(photos_, "the placing on the map");
    if (placed > 0) {
        canUpdate_ = true;
        summary_ = std::to_string(placed) + " photos placed by hand on the map";
        summaryDetails_.clear();
    }
}

std::optional<Notice> Session::RemovePositions(const std::vector<int>& records) {
    if (records.empty()) {
        return Notice{"Please choose picture(s) to remove the position of", kMessageWarning};
    }
    undo_.Begin(photos_);
    const int removed = geotal::RemovePositions(photos_, records);
    undo_.End(photos_, "the removal");
    if (removed == 0) {
        return Notice{"The chosen pictures have no position to remove", kMessageWarning};
    }
    canUpdate_ = true;
    summary_ = "Position removed from " + std::to_string(removed) +
               " photos; Update photo files takes it out of their files";
    summaryDetails_.clear();
    return std::nullopt;
}

std::vector<int> Session::MarkUnplaced() {
    const std::vector<int> unplaced = photos_.Unplaced();
    for (int index : unplaced) {
        photos_[index].marked = true;
    }
    return unplaced;
}

std::optional<Notice> Session::LoadQuestion() const {
    const int unwritten = photos_.UnwrittenCount();
    if (unwritten == 0) {
        return std::nullopt;
    }
    return Notice{
        UnwrittenText(photos_) + ", and loading replaces the list that holds them. Load anyway?",
        kMessageWarning | kMessageYesNo};
}

std::optional<Notice> Session::ExitQuestion() const {
    const int unwritten = photos_.UnwrittenCount();
    if (unwritten == 0) {
        return std::nullopt;
    }
    return Notice{UnwrittenText(photos_) + ". Exit anyway?", kMessageWarning | kMessageYesNo};
}

bool Session::Undo() {
    const std::optional<std::string> what = undo_.Undo(photos_);
    summary_ = what ? "Undone: " + *what
                    : "Nothing to undo: every change since the last Update "
                      "or load is undone already";
    summaryDetails_.clear();
    return what.has_value();
}

}  // namespace geotal
