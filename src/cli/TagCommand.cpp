// geotal-cli tag --photos DIR --gps DIR: Load data files, Calculate coordinates and, on request,
// Update photo files, as the window does them one after the other.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/CopyFolder.h"
#include "cli/InputFolder.h"
#include "cli/NumberText.h"
#include "cli/PhotoRow.h"
#include "cli/SidecarFlags.h"
#include "cli/SyncOption.h"
#include "cli/TagJson.h"
#include "cli/TerminalProgress.h"
#include "files/ReplaceFile.h"
#include "geotag/CameraClocks.h"
#include "geotag/NamedZone.h"
#include "geotag/PhotoUtcTime.h"
#include "geotag/PositionCalculation.h"
#include "geotag/TimeAdjustment.h"
#include "map/MapPage.h"
#include "output/Export.h"
#include "photo/PhotoUpdate.h"
#include "session/Session.h"
#include "settings/SettingsStore.h"
#include "support/AsciiText.h"

namespace geotal::cli {
namespace {

struct TagRequest {
    std::string photoFolder, gpsFolder;
    std::optional<int> timeZone;  // hours
    std::string zoneName;         // --tz given a zone of the tz database
    bool ignorePhotoZone = false;
    std::vector<std::string> syncs;  // PHOTO=TIME, checked
    bool json = false;
    std::optional<int> clockError;               // seconds
    std::vector<std::string> cameraClockErrors;  // NAME=SECONDS
    std::optional<int> format;
    bool all = false;
    bool write = false;
    bool copyFiles = false;
    std::string copyFolder;
    SidecarOptions sidecars;
    bool exportWanted = false;
    std::string exportFile;
    bool kml = false;
    std::string mapFile;
    std::string separator = "comma";
};

const char* const kSeparatorNames[] = {"comma", "semicolon", "tab"};  // in CsvSeparator's order

CsvSeparator SeparatorNamed(const std::string& name) {
    for (int i = 0; i < 3; ++i) {
        if (name == kSeparatorNames[i]) {
            return static_cast<CsvSeparator>(i);
        }
    }
    return CsvSeparator::Comma;
}

// Nothing when the request was read; else the exit status after help or a usage error.
std::optional<int> ParseTagArguments(const std::vector<std::string>& args, TagRequest& request) {
    CLI::App app;
    SetUpCommandLine(
        app, kTagCommand,
        "Loads the photos and the tracks as Load data files does, checks the photos without a\n"
        "position (with --all every photo), places them on the track as Calculate coordinates\n"
        "does and prints one line per photo in list order: file name, date/time, latitude,\n"
        "longitude, mark (1 when it got a position now) and outcome, separated by tabs. The\n"
        "outcome is interpolated, nearest (placed on the one track point near it: at a track\n"
        "end, or beside a gap of 30 minutes to 4 hours), gap (in a gap of 4 hours or more),\n"
        "far (no track point near enough), empty (no track point at all), unchecked (left\n"
        "as it was) or no-time (no capture time to place it by). A tab, line feed, carriage return "
        "or\n"
        "backslash in a file name is printed as \\t, \\n, \\r or \\\\.\n"
        "Camera time = UTC + HOURS + SECONDS. Without --tz, HOURS is this computer's offset from\n"
        "UTC in whole hours and SECONDS the rest of it (1800 at UTC+5:30); --tz alone sets\n"
        "SECONDS to 0. --tz also takes a zone of the tz database (Europe/Zurich): each photo\n"
        "then gets that zone's offset at its own moment, summer time included; in the hour\n"
        "that occurs twice the first counts, a skipped time reads as standard time.\n"
        "A photo that records its offset from UTC (OffsetTimeOriginal, else OffsetTime,\n"
        "+hh:mm or -hh:mm) is taken at that offset unless --ignore-photo-zone is given.\n"
        "--sync PHOTO=TIME names a photo of a clock (a GPS or phone screen) and the time it\n"
        "shows, as YYYY-MM-DDTHH:MM:SS with Z or +hh:mm, or without a zone in the --tz zone;\n"
        "the clock error of that photo's camera follows from it. Two or more --sync photos of\n"
        "a camera give a clock that drifts: the error is interpolated between them in camera\n"
        "time and continued beyond. --clock-error is the error of every camera without its\n"
        "own: --camera-clock-error \"MAKE MODEL=SECONDS\" gives one camera its own (its make\n"
        "and model as --json's camera says; with its serial number, one body of them), and\n"
        "among several cameras one whose every photo records its offset from UTC (a phone)\n"
        "keeps its own clock right: 0 unless given.\n"
        "With --json each photo is printed as one JSON object per line instead of the columns:\n"
        "name, camera, cameraTime, timeTag (the tag the time came from), utcTime, timeSource\n"
        "(hours, zone, recorded), zone, offset,\n"
        "clockError (seconds), latitude, longitude, altitude, outcome, reason, timeReason,\n"
        "points (the track points used: time, latitude, longitude, elevation), written.\n"
        "With --write the marked photos are written as Update photo files does: a JPEG in its\n"
        "file, every other photo through its XMP sidecar, the photo unchanged (the NAME.xmp or\n"
        "NAME.EXT.xmp it has, else a new NAME.xmp, or NAME.EXT.xmp with --sidecar-name ext);\n"
        "with --sidecar-only a JPEG's position goes to its sidecar too and no photo file is\n"
        "changed; with --copy-to each JPEG, and each sidecar that already exists, is first\n"
        "copied into DIR. With --export the photos marked by the calculation are\n"
        "written to FILE as Export does: CSV (latitude, longitude, name), or KML with --kml.\n"
        "With --map a web page is written to FILE that shows the tracks and the placed photos\n"
        "over OpenStreetMap's tiles (GEOTAL_MAP_TILES, where set, names another tile address\n"
        "with {z}, {x} and {y}; empty: none), to look at before --write.\n"
        "The counts go to standard error, and so does what the folders lack (no photos, no\n"
        "usable track point).\n"
        "Exit status: 0 done, 1 a folder could not be read, a photo not written or the export\n"
        "failed, 2 wrong arguments.");
    app.add_option("--photos", request.photoFolder, "the folder of photos")
        ->required()
        ->type_name("DIR");
    app.add_option("--gps", request.gpsFolder, "the folder of track files")
        ->required()
        ->type_name("DIR");
    app.add_option_function<std::string>(
           "--tz",
           [&request](const std::string& text) {
               int hours = 0;
               if (ParseWholeNumber(text, hours)) {
                   request.timeZone = hours;
                   request.zoneName.clear();
               } else {
                   request.timeZone.reset();
                   request.zoneName = text;
               }
           },
           "the camera's time zone: hours from -12 to 14, or a zone such as Europe/Zurich")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                int hours = 0;
                if (ParseWholeNumber(text, hours)
                        ? hours >= kMinZoneOffsetHours && hours <= kMaxZoneOffsetHours
                        : IsKnownZone(text)) {
                    return {};
                }
                return "must be whole hours from -12 to 14 or a zone of the tz database, not '" +
                       text + "'";
            },
            ""))
        ->type_name("HOURS|ZONE");
    CLI::Option* clockError = AddWholeNumberOption(
        app, "--clock-error", request.clockError, -kMaxClockErrorSeconds, kMaxClockErrorSeconds,
        "SECONDS", "how far the camera's clock ran ahead, up to two years either way");
    app.add_option("--camera-clock-error", request.cameraClockErrors,
                   "one camera's own clock error, as MAKE MODEL=SECONDS")
        ->type_name("\"MAKE MODEL=SECONDS\"")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                const std::size_t equals = text.rfind('=');
                int seconds = 0;
                if (equals != std::string::npos && equals > 0 &&
                    ParseWholeNumber(text.substr(equals + 1), seconds) &&
                    std::abs(seconds) <= kMaxClockErrorSeconds) {
                    return {};
                }
                return "must be \"MAKE MODEL=SECONDS\", the seconds up to two years either "
                       "way, not '" +
                       text + "'";
            },
            ""));
    app.add_flag("--ignore-photo-zone", request.ignorePhotoZone,
                 "leave aside the offset from UTC the photos record");
    app.add_option("--sync", request.syncs, "a photo of a clock and the time it shows")
        ->type_name("PHOTO=TIME")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->excludes(clockError)
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                return ParseSyncOption(text) ? std::string()
                                             : "must be PHOTO=YYYY-MM-DDTHH:MM:SS with Z, +hh:mm "
                                               "or no zone, not '" +
                                                   text + "'";
            },
            ""));
    app.add_flag("--json", request.json, "print one JSON object per photo instead of columns");
    AddWholeNumberOption(app, "--format", request.format, 1, 3, "1|2|3",
                         "coordinates as 1 DD.DDDD (default), 2 DD MM.MMMM, 3 DD MM SS.SS");
    app.add_flag("--all", request.all, "check every photo, also those with a position");
    CLI::Option* write =
        app.add_flag("--write", request.write, "write the positions into the marked photos");
    const CLI::Option* copyTo =
        app.add_option("--copy-to", request.copyFolder,
                       "with --write: copy each photo into DIR before writing")
            ->type_name("DIR")
            ->needs(write);
    AddSidecarFlags(app, request.sidecars, write);
    CLI::Option* exportTo =
        app.add_option("--export", request.exportFile, "export the marked photos' positions")
            ->type_name("FILE");
    app.add_option("--map", request.mapFile, "write a web page of the tracks and placed photos")
        ->type_name("FILE");
    CLI::Option* kml =
        app.add_flag("--kml", request.kml, "with --export: a KML document instead of CSV")
            ->needs(exportTo);
    app.add_option("--separator", request.separator,
                   "with --export: the CSV field separator (default comma)")
        ->type_name("comma|semicolon|tab")
        ->check(CLI::IsMember({kSeparatorNames[0], kSeparatorNames[1], kSeparatorNames[2]}))
        ->needs(exportTo)
        ->excludes(kml);
    if (const std::optional<int> status = ParseCommandLine(app, kTagCommand, args)) {
        return status;
    }
    request.copyFiles = copyTo->count() > 0;
    request.exportWanted = exportTo->count() > 0;
    request.copyFolder = WithoutTrailingSlashes(request.copyFolder);
    return std::nullopt;
}

// Nothing when the folders will do; else the exit status after saying what is wrong.
std::optional<int> CheckTagFolders(const TagRequest& request) {
    if (!CheckInputFolder(kTagCommand, request.photoFolder, "--photos") ||
        !CheckInputFolder(kTagCommand, request.gpsFolder, "--gps")) {
        return 1;
    }
    if (request.copyFiles && (!CheckCopyFolderUsable(kTagCommand, request.copyFolder) ||
                              !CheckCopyFolderApart(kTagCommand, request.copyFolder,
                                                    request.photoFolder, "the photo folder"))) {
        return kUsageError;
    }
    return std::nullopt;
}

// The request as the window's settings would hold it; nothing is read from or kept in the
// window's own store.
Settings SettingsFor(const TagRequest& request) {
    Settings settings;
    settings.photoFolder = request.photoFolder;
    settings.gpsFolder = request.gpsFolder;
    settings.copyFiles = request.copyFiles;
    settings.copyFolder = request.copyFolder;
    settings.sidecarNameExt = request.sidecars.naming == SidecarNaming::NameExt;
    settings.sidecarOnly = request.sidecars.sidecarOnly;
    settings.exportFormat = request.kml ? ExportFormat::Kml : ExportFormat::Csv;
    settings.exportFileName = request.exportFile;
    settings.csvSeparator = SeparatorNamed(request.separator);
    return settings;
}

// The window's starting values unless the command line gives its own.
TimeAdjustment AdjustmentFor(const TagRequest& request) {
    TimeAdjustment adjustment = StartingTimeAdjustment();
    if (request.timeZone || !request.zoneName.empty()) {
        adjustment.timeZoneOffset = request.timeZone.value_or(0);
        adjustment.zoneName = request.zoneName;
        // The starting error only carries the minutes of the computer's own zone.
        adjustment.cameraClockError = 0;
    }
    adjustment.usePhotoZone = !request.ignorePhotoZone;
    if (request.clockError) {
        adjustment.cameraClockError = *request.clockError;
    }
    return adjustment;
}

// The cameras' own clocks from --camera-clock-error and the --sync photos; false, after saying
// why, when a name means no camera of the photos, a photo is not in the folder or has no
// capture time, two syncs say different things of one moment of a camera's clock (one photo
// given twice, or two photos of one camera time), or a sync gives a clock error beyond the
// range --clock-error takes. A camera's sync photos that imply a clock drifting faster than any
// camera's are warned of.
bool SetCameraClocks(const TagRequest& request, const PhotoList& photos,
                     TimeAdjustment& adjustment) {
    const std::vector<CameraSummary> cameras = CamerasOf(photos);
    for (const std::string& text : request.cameraClockErrors) {
        const std::size_t equals = text.rfind('=');
        const std::vector<std::string> named = CamerasNamed(cameras, text.substr(0, equals));
        if (named.empty()) {
            std::string known;
            for (const CameraSummary& camera : cameras) {
                if (!camera.name.empty()) {
                    known += (known.empty() ? "" : ", ") + camera.name + " (" +
                             std::to_string(camera.photos) + ")";
                }
            }
            std::fprintf(stderr,
                         "geotal-cli: tag: --camera-clock-error %s: no camera of the photos is "
                         "named so; theirs are: %s\n",
                         text.c_str(), known.empty() ? "none named" : known.c_str());
            return false;
        }
        int seconds = 0;
        ParseWholeNumber(text.substr(equals + 1), seconds);
        for (const std::string& camera : named) {
            adjustment.cameras[camera].clockError = seconds;
        }
    }
    struct Given {
        std::string text;
        long long clockError = 0;
    };
    std::map<std::pair<std::string, double>, Given> byCameraTime;
    for (const std::string& text : request.syncs) {
        const SyncRequest sync = *ParseSyncOption(text);
        const auto found = std::find_if(
            photos.records.begin(), photos.records.end(),
            [&sync](const PhotoRecord& photo) { return photo.fileName == sync.photo; });
        const bool listed = found != photos.records.end();
        if (!listed || !found->captureTime) {
            std::fprintf(stderr, "geotal-cli: tag: --sync: %s %s\n", sync.photo.c_str(),
                         listed ? "has no capture time" : "is not a photo of the folder");
            return false;
        }
        const double trueUtc = sync.offsetSeconds ? sync.shownTime - *sync.offsetSeconds / 86400.0
                                                  : WallTimeToUtc(sync.shownTime, adjustment);
        const ClockSyncPoint point = SyncPointFor(*found, trueUtc, adjustment);
        if (std::llabs(point.clockErrorSeconds) > kMaxClockErrorSeconds) {
            std::fprintf(stderr,
                         "geotal-cli: tag: --sync %s: a clock error of %lld seconds, beyond the "
                         "%d days either way that --clock-error takes; is the time right?\n",
                         text.c_str(), point.clockErrorSeconds, kMaxClockErrorSeconds / 86400);
            return false;
        }
        const auto [earlier, first] = byCameraTime.try_emplace(
            {found->camera, point.cameraTime}, Given{text, point.clockErrorSeconds});
        if (!first && earlier->second.clockError != point.clockErrorSeconds) {
            std::fprintf(stderr,
                         "geotal-cli: tag: --sync %s and --sync %s: one moment of the camera's "
                         "clock cannot show two times; give one of them\n",
                         earlier->second.text.c_str(), text.c_str());
            return false;
        }
        AddSyncPoint(adjustment.cameras[found->camera].syncPoints, point);
    }
    for (const auto& [camera, clock] : adjustment.cameras) {
        if (const std::string drift = ImplausibleDrift(clock.syncPoints); !drift.empty()) {
            std::fprintf(stderr, "geotal-cli: tag: --sync: %s%s\n",
                         camera.empty() ? "" : (camera + ": ").c_str(), drift.c_str());
        }
    }
    return true;
}

// Each line of a message on standard error, ending the progress line first.
void SayOnStandardError(TerminalProgress& progress, const std::string& message) {
    progress.End();
    std::fputs(message.c_str(), stderr);
    if (!message.empty() && message.back() != '\n') {
        std::fputc('\n', stderr);
    }
}

// Writes the marked photos as Update photo files does; failures go to standard error as they
// come, and photos refused for a copy already in the copy folder after them, each with the file
// that holds its name there. The number written.
int WriteTaggedPhotos(Session& session, TerminalProgress& progress) {
    Session::Updated updated = session.Update(progress, [&progress](const std::string& message) {
        SayOnStandardError(progress, message);
    });
    const int written = updated.counts.photos + updated.counts.sidecars;
    for (const Session::Updated::Refused& refused : updated.backupsTaken) {
        SayOnStandardError(progress, refused.message);
    }
    // Unchecks what was written, as in the window. Its boxes are the window's; the command says
    // the same in the lines above and its count line.
    session.TakeUpdate(std::move(updated), false);
    return written;
}

struct TagCounts {
    bool listed = false;  // the rows reached standard output
    int positioned = 0;   // marked now
    int toWrite = 0;      // marked with a position
};

// One row per photo: the photo list's columns, then how the calculation went.
TagCounts PrintTagRows(const PhotoList& photos, const std::vector<PositionResult>& results,
                       int formatNumber) {
    const CoordinateFormat format = CoordinateFormatFromNumber(formatNumber);
    TagCounts counts;
    for (int i = 0; i < photos.Count(); ++i) {
        counts.positioned += photos[i].marked ? 1 : 0;
        counts.toWrite += photos[i].marked && photos[i].HasPosition() ? 1 : 0;
        std::printf("%s\t%s\n", PhotoRowText(photos[i], format).c_str(),
                    OutcomeWord(results[static_cast<std::size_t>(i)]));
    }
    counts.listed = std::fflush(stdout) == 0;
    return counts;
}

// Exports the photos the calculation marked, as Export does; says how it went on standard
// error.
bool ExportTaggedPhotos(Session& session) {
    const ExportOutcome outcome = session.Export();
    if (outcome.nothingToExport) {
        // Not a failure: the run found no place, and an earlier export is kept.
        std::fprintf(stderr, "geotal-cli: tag: %s\n", outcome.error.c_str());
        return true;
    }
    if (!outcome.written) {
        std::fprintf(stderr, "geotal-cli: tag: %s\n", outcome.error.c_str());
        return false;
    }
    std::fprintf(stderr, "%s\n", session.TakeExport(outcome).text.c_str());
    return true;
}

// The page of the tracks and the photos as placed now, before anything is written; says how it
// went on standard error.
bool WriteMapPage(const TagRequest& request, const Session& session,
                  const std::vector<PositionResult>& results) {
    const PhotoList& photos = session.Photos();
    std::vector<PagePhoto> placed;
    for (int i = 0; i < photos.Count(); ++i) {
        if (const MaybePosition& position = photos[i].position) {
            placed.push_back({photos[i].fileName,
                              {position->LatitudeDegrees(), position->LongitudeDegrees()},
                              OutcomeWord(results[static_cast<std::size_t>(i)]),
                              photos[i].IsUnwritten()});
        }
    }
    MapPageOptions options;
    options.tileTemplate = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    options.attribution = "\u00a9 OpenStreetMap contributors";
    if (const char* tiles = std::getenv("GEOTAL_MAP_TILES")) {
        options.tileTemplate = tiles;
        options.attribution.clear();
    }
    // The lines the window's map draws, broken at the same gaps.
    const std::string page = MapPageHtml(session.TrackOnMap(), placed, options);
    std::string error;
    if (!ReplaceFileContents(request.mapFile, page, error)) {
        std::fprintf(stderr, "geotal-cli: tag: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "Map of %zu photos written to %s\n", placed.size(),
                 request.mapFile.c_str());
    return true;
}

// The JSON form: exported and written first, so each photo can say whether it was written.
int RunJsonOutput(const TagRequest& request, Session& session,
                  const std::vector<PositionResult>& results, TerminalProgress& progress) {
    const PhotoList& photos = session.Photos();
    std::vector<bool> toWrite(photos.records.size());
    int positioned = 0;
    for (int i = 0; i < photos.Count(); ++i) {
        positioned += photos[i].marked ? 1 : 0;
        toWrite[static_cast<std::size_t>(i)] = photos[i].marked && photos[i].HasPosition();
    }
    const bool exported = !request.exportWanted || ExportTaggedPhotos(session);
    const int written = request.write ? WriteTaggedPhotos(session, progress) : 0;
    for (int i = 0; i < photos.Count(); ++i) {
        const std::size_t n = static_cast<std::size_t>(i);
        const bool wasWritten = request.write && toWrite[n] && !photos[i].IsUnwritten();
        std::printf("%s\n", PhotoJson(photos[i], results[n], session.Track(), session.TrackFiles(),
                                      wasWritten)
                                .c_str());
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "geotal-cli: tag: could not write the list\n");
        return 1;
    }
    std::fprintf(stderr, "%d photos, %d positioned, %d written\n", photos.Count(), positioned,
                 written);
    const int wanted = static_cast<int>(std::count(toWrite.begin(), toWrite.end(), true));
    return (request.write && written < wanted) || !exported ? 1 : 0;
}

// Load data files and Calculate coordinates as the window does them, through the same session;
// the calculation's outcome per photo, or the exit status after a wrong --sync or
// --camera-clock-error.
std::variant<std::vector<PositionResult>, int> PlacePhotos(const TagRequest& request,
                                                           Session& session,
                                                           TerminalProgress& progress) {
    session.ApplySettings(SettingsFor(request));
    session.Time() = AdjustmentFor(request);
    // A missing folder was refused before; what is left to say (no photos in it, no usable
    // track point) the window would say too.
    const bool forMap = !request.mapFile.empty();
    for (const Notice& problem :
         session.TakeLoad(Session::ReadFolders(session.CurrentSettings(), progress, forMap))) {
        SayOnStandardError(progress, "geotal-cli: tag: " + problem.text);
    }
    if (request.all) {
        for (PhotoRecord& photo : session.Photos().records) {
            photo.marked = true;
        }
    }
    if (!SetCameraClocks(request, session.Photos(), session.Time())) {
        return kUsageError;
    }
    Session::Calculated calculated = session.Calculate(progress);
    std::vector<PositionResult> results = calculated.results;
    session.TakeCalculation(std::move(calculated));
    return results;
}

int RunTagCommand(const std::vector<std::string>& args) {
    TagRequest request;
    if (const std::optional<int> status = ParseTagArguments(args, request)) {
        return *status;
    }
    if (const std::optional<int> status = CheckTagFolders(request)) {
        return *status;
    }

    Session session;
    TerminalProgress progress;
    const auto placed = PlacePhotos(request, session, progress);
    if (const int* status = std::get_if<int>(&placed)) {
        return *status;
    }
    const std::vector<PositionResult>& results = std::get<std::vector<PositionResult>>(placed);
    const bool mapped = request.mapFile.empty() || WriteMapPage(request, session, results);
    if (request.json) {
        const int status = RunJsonOutput(request, session, results, progress);
        return mapped ? status : 1;
    }

    const TagCounts counts = PrintTagRows(session.Photos(), results, request.format.value_or(1));
    if (!counts.listed) {
        std::fprintf(stderr, "geotal-cli: tag: could not write the list\n");
        return 1;
    }
    // Before writing, which unchecks the photos it handles.
    const bool exported = !request.exportWanted || ExportTaggedPhotos(session);
    const int written = request.write ? WriteTaggedPhotos(session, progress) : 0;
    std::fprintf(stderr, "%d photos, %d positioned, %d written\n", session.Photos().Count(),
                 counts.positioned, written);
    return (request.write && written < counts.toWrite) || !exported || !mapped ? 1 : 0;
}

}  // namespace

const Command kTagCommand = {
    "tag", "--photos DIR --gps DIR [OPTIONS]",
    "place the photos on the track, print the list and, with --write, write the positions",
    RunTagCommand};

}  // namespace geotal::cli
