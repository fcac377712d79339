// The rules between the window's commands, as the session keeps them: what a load reports,
// when an update is refused, what copy and paste need, how sync points add up, and what a
// run on another thread leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "metadata/PhotoFixture.h"
#include "session/RunProgress.h"
#include "session/Session.h"
#include "session/WalkSession.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A session over a.jpg and b.jpg inside a ten-minute walk and c.jpg after it.
class SessionTest : public test::WalkSession {};

TEST_F(SessionTest, aLoadCountsWhatItReadAndNamesEachFolderProblemInOneBox) {
    EXPECT_TRUE(Load().empty());
    EXPECT_EQ(session_.Summary(), "3 photos, 1 track file, 2 positions");
    EXPECT_EQ(session_.PhotoFileCount(), 3);
    EXPECT_EQ(session_.GpsFileCount(), 1);
    EXPECT_TRUE(session_.CanCalculate());
    EXPECT_FALSE(session_.CanUpdate());

    // A track file that gives nothing is named, with why on hover.
    std::ofstream(gps_ + "/empty.gpx") << "<gpx></gpx>";
    Load();
    EXPECT_TRUE(Mentions(session_.Summary(), "no points in empty.gpx")) << session_.Summary();
    EXPECT_TRUE(Mentions(session_.SummaryDetails(), "empty.gpx: ")) << session_.SummaryDetails();

    session_.SetFolders(folder_.path() + "/nowhere", photos_ + "/a.jpg");
    const std::vector<Notice> problems = Load();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].typeWord, kMessageWarning);
    EXPECT_TRUE(Mentions(problems[0].text, "nowhere\" does not exist")) << problems[0].text;
    EXPECT_TRUE(Mentions(problems[0].text,
                         "is a file, not a folder. Give the GPS folder that "
                         "holds it: " +
                             photos_))
        << problems[0].text;
}

TEST_F(SessionTest, aFolderOfFoldersSaysItsSubfoldersAreNotRead) {
    const std::string outer = folder_.path() + "/card";
    fs::create_directories(outer + "/DCIM");
    fs::create_directories(outer + "/.thumbnails");
    session_.SetFolders(outer, gps_);
    const std::vector<Notice> problems = Load();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(Mentions(problems[0].text, "holds no photos")) << problems[0].text;
    EXPECT_TRUE(Mentions(problems[0].text, "Its subfolders are not read.")) << problems[0].text;

    fs::remove_all(outer + "/DCIM");  // a hidden folder is no place for photos
    EXPECT_FALSE(Mentions(Load()[0].text, "subfolders"));
}

TEST_F(SessionTest, aStoppedLoadKeepsTheRowsAndTheUpdateTheyWereReadyFor) {
    Load();
    Calculate();
    ASSERT_TRUE(session_.CanUpdate());
    test::MakePhoto(photos_ + "/d.jpg", {{"Exif.Photo.DateTimeOriginal", "2010:05:01 10:07:00"}});
    test::RecordingProgress stop(0);  // asks to stop at the first photo
    Session::Loaded loaded = Session::ReadFolders(session_.CurrentSettings(), stop);
    EXPECT_FALSE(loaded.photosRead);
    session_.TakeLoad(std::move(loaded));
    EXPECT_EQ(session_.Photos().Count(), 3);
    EXPECT_TRUE(session_.Photos()[Record("a.jpg")].position);
    EXPECT_TRUE(session_.CanUpdate());
    EXPECT_TRUE(Mentions(session_.Summary(), "Loading stopped")) << session_.Summary();
}

TEST_F(SessionTest, aCalculationNamesThePhotosLeftUnplacedAndMarkUnplacedChecksThem) {
    Load();
    Calculate();
    EXPECT_TRUE(session_.CanUpdate());
    EXPECT_TRUE(session_.Photos()[Record("a.jpg")].position);
    EXPECT_TRUE(Mentions(session_.Summary(), "1 with a capture time left unplaced"))
        << session_.Summary();
    const int late = Record("c.jpg");
    EXPECT_FALSE(session_.Photos()[late].marked);
    EXPECT_EQ(session_.MarkUnplaced(), std::vector<int>{late});
    EXPECT_TRUE(session_.Photos()[late].marked);
}

TEST_F(SessionTest, anUpdateIsRefusedForAnotherFolderOrAnUnusableCopyFolder) {
    Load();
    Calculate();
    EXPECT_FALSE(session_.UpdateRefusal());
    session_.SetFolders(photos_ + "/", gps_);  // the same folder, typed another way
    EXPECT_FALSE(session_.UpdateRefusal());

    const std::string other = folder_.path() + "/other";
    fs::create_directories(other);
    session_.SetFolders(other, gps_);
    const auto refusal = session_.UpdateRefusal();
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(Mentions(refusal->text, "Nothing was written")) << refusal->text;
    session_.SetFolders(photos_, gps_);

    Settings settings = session_.CurrentSettings();
    settings.copyFiles = true;
    for (const std::string& copies : {folder_.path() + "/missing", photos_}) {
        settings.copyFolder = copies;
        session_.ApplySettings(settings);
        EXPECT_TRUE(session_.UpdateRefusal()) << copies;
    }
    settings.copyFolder = other;
    session_.ApplySettings(settings);
    EXPECT_FALSE(session_.UpdateRefusal());
    EXPECT_TRUE(Mentions(session_.UpdateQuestion().text, "update your photo files"));
}

// The question names what is about to change, so that a wrong setting shows before the write.
TEST_F(SessionTest, theUpdateQuestionCountsPhotoFilesSidecarsAndCopies) {
    Load();
    Calculate();
    const std::string photos = session_.UpdateQuestion().text;
    EXPECT_TRUE(Mentions(photos, "change the positions in 2 photo files.")) << photos;
    EXPECT_TRUE(Mentions(photos, "No copies are made")) << photos;

    // One checked photo, to sidecars only, with copies: no photo file changes.
    session_.Photos()[Record("b.jpg")].marked = false;
    Settings settings = session_.CurrentSettings();
    settings.sidecarOnly = true;
    settings.copyFiles = true;
    settings.copyFolder = folder_.path() + "/copies";
    session_.ApplySettings(settings);
    const std::string sidecars = session_.UpdateQuestion().text;
    EXPECT_TRUE(Mentions(sidecars, "in 1 XMP sidecar file; no photo file is changed.")) << sidecars;
    EXPECT_TRUE(Mentions(sidecars, "kept in " + settings.copyFolder)) << sidecars;
    EXPECT_FALSE(Mentions(sidecars, "photo files.")) << sidecars;
}

TEST_F(SessionTest, anUpdateWritesTheCheckedPhotosAndSaysWhatIsLeftToWrite) {
    Load();
    Calculate();
    ASSERT_TRUE(session_.ExitQuestion());
    EXPECT_TRUE(Mentions(session_.ExitQuestion()->text, "2 positions are not written yet"));
    ASSERT_TRUE(session_.LoadQuestion());
    EXPECT_TRUE(Mentions(session_.LoadQuestion()->text, "2 positions are not written yet"));
    NullProgress progress;
    std::vector<std::string> failures;
    Session::Updated updated =
        session_.Update(progress, [&](const std::string& text) { failures.push_back(text); });
    const std::vector<Notice> notices = session_.TakeUpdate(std::move(updated), false);
    EXPECT_TRUE(failures.empty());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].typeWord, kMessageInformation);
    EXPECT_EQ(session_.Summary(), "2 photos written");
    EXPECT_FALSE(session_.ExitQuestion());
    EXPECT_FALSE(session_.LoadQuestion());
    EXPECT_NE(test::TagText(photos_ + "/a.jpg", "Exif.GPSInfo.GPSLatitude"), "");

    // Leaving: no box is left to answer once the window is gone.
    Calculate();
    Session::Updated again = session_.Update(progress, {});
    EXPECT_TRUE(session_.TakeUpdate(std::move(again), true).empty());
}

// Written positions removed: the rows show none, the questions before leaving name the
// removals, and a calculation that cannot place them leaves them removals, which Update makes.
TEST_F(SessionTest, removedPositionsAreAskedAboutAndTakenOutOfTheFilesOnUpdate) {
    Load();
    Calculate();
    NullProgress progress;
    session_.TakeUpdate(session_.Update(progress, {}), false);
    const int a = Record("a.jpg");
    const int b = Record("b.jpg");
    const int c = Record("c.jpg");
    ASSERT_TRUE(session_.Photos()[a].stored);

    EXPECT_TRUE(session_.RemovePositions({}));
    const auto nothing = session_.RemovePositions({c});
    ASSERT_TRUE(nothing) << "c.jpg was never placed";
    EXPECT_TRUE(Mentions(nothing->text, "no position to remove")) << nothing->text;
    EXPECT_FALSE(session_.RemovePositions({a}));
    const PhotoRecord& removed = session_.Photos()[a];
    EXPECT_FALSE(removed.position);
    EXPECT_TRUE(removed.marked);
    EXPECT_TRUE(Mentions(removed.note, "taken out of the file on Update")) << removed.note;
    ASSERT_TRUE(session_.ExitQuestion());
    EXPECT_EQ(session_.ExitQuestion()->text,
              "1 removed position is still in its file. Exit anyway?");

    // Five hours off, no photo meets the walk: a stays a removal, still checked.
    session_.Time().timeZoneOffset = 5;
    Calculate();
    EXPECT_FALSE(session_.Photos()[a].position);
    EXPECT_TRUE(session_.Photos()[a].marked);
    EXPECT_TRUE(session_.Photos()[a].IsRemoval());
    EXPECT_FALSE(session_.Photos()[b].marked);

    session_.TakeUpdate(session_.Update(progress, {}), false);
    EXPECT_EQ(test::TagText(photos_ + "/a.jpg", "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_NE(test::TagText(photos_ + "/b.jpg", "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_FALSE(session_.Photos()[a].stored);
    EXPECT_EQ(session_.Photos()[a].note, "Position removed from the file");
    EXPECT_FALSE(session_.ExitQuestion());
}

// A written photo that a later calculation cannot place shows no position, and Mark Unplaced
// checks it; its file keeps its position all the same, as no removal was asked for.
TEST_F(SessionTest, aWrittenPhotoACalculationCannotPlaceKeepsItsFilesPosition) {
    Load();
    Calculate();
    NullProgress progress;
    session_.TakeUpdate(session_.Update(progress, {}), false);
    const int b = Record("b.jpg");
    session_.Photos()[b].marked = true;
    session_.Time().timeZoneOffset = 5;
    Calculate();
    ASSERT_FALSE(session_.Photos()[b].position);
    EXPECT_FALSE(session_.ExitQuestion()) << "nothing is waiting to be written";
    session_.MarkUnplaced();
    ASSERT_TRUE(session_.Photos()[b].marked);
    const std::string before = test::ReadBytes(photos_ + "/b.jpg");
    session_.TakeUpdate(session_.Update(progress, {}), false);
    EXPECT_EQ(test::ReadBytes(photos_ + "/b.jpg"), before);
}

TEST_F(SessionTest, pasteNeedsACopiedPositionAndMakesThePhotosReadyToWrite) {
    Load();
    EXPECT_TRUE(session_.Paste({Record("b.jpg")}));  // nothing copied yet
    EXPECT_TRUE(session_.Copy(Record("a.jpg")));     // a row without a position gives nothing
    EXPECT_TRUE(session_.Copy(-1));
    Calculate();
    ASSERT_FALSE(session_.Copy(Record("a.jpg")));
    EXPECT_TRUE(session_.Paste({}));
    ASSERT_FALSE(session_.Paste({Record("c.jpg")}));
    // The place travels; the moment of the other photo's fix does not.
    const MaybePosition& pasted = session_.Photos()[Record("c.jpg")].position;
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->latitude, session_.Photos()[Record("a.jpg")].position->latitude);
    EXPECT_FALSE(pasted->fixTime);
    EXPECT_TRUE(session_.CanUpdate());
    EXPECT_EQ(session_.Summary(), "Position pasted onto 1 photos");
}

TEST_F(SessionTest, syncPointsAreReplacedOrAddedAsAskedAndOneCanBeRemoved) {
    Load();
    const int a = Record("a.jpg");
    const int b = Record("b.jpg");
    ASSERT_TRUE(session_.CanSync(a));
    EXPECT_FALSE(session_.SyncQuestion(a));
    const double aTime = *session_.Photos()[a].captureTime;
    const double bTime = *session_.Photos()[b].captureTime;
    EXPECT_FALSE(session_.Sync(a, {aTime, 60}, false));
    ASSERT_TRUE(session_.SyncQuestion(b));
    EXPECT_TRUE(Mentions(session_.SyncQuestion(b)->text, "another photo"));

    EXPECT_FALSE(session_.Sync(b, {bTime, 60}, false));  // No: this photo alone
    EXPECT_FALSE(session_.IsSyncPhoto(a));
    EXPECT_TRUE(session_.IsSyncPhoto(b));

    // Added: a minute between the photos and an hour's drift is no camera clock.
    const auto warning = session_.Sync(a, {aTime, 3660}, true);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->typeWord, kMessageOk | kMessageWarning);
    EXPECT_TRUE(session_.IsSyncPhoto(a));
    session_.RemoveSync(a);
    EXPECT_FALSE(session_.IsSyncPhoto(a));
    EXPECT_TRUE(session_.IsSyncPhoto(b));
    EXPECT_FALSE(session_.CanSync(-1));
}

TEST_F(SessionTest, photosPlacedByHandAreCheckedUnwrittenAndTakeTheTracksAltitudeThere) {
    std::ofstream(gps_ + "/walk.gpx")
        << "<gpx><trk><trkseg>"
           "<trkpt lat=\"47.0\" lon=\"8.0\"><ele>412</ele><time>2010-05-01T10:00:00Z</time></trkpt>"
           "<trkpt lat=\"47.1\" lon=\"8.1\"><ele>500</ele><time>2010-05-01T10:10:00Z</time></trkpt>"
           "</trkseg></trk></gpx>";
    Load();
    const int a = Record("a.jpg");
    const int b = Record("b.jpg");
    session_.PlaceByHand({a}, 47.0001, 8.0001);  // some 14 m from the first fix
    session_.PlaceByHand({b}, 47.05, 8.0);       // kilometres from any fix
    const PhotoRecord& onLine = session_.Photos()[a];
    ASSERT_TRUE(onLine.position);
    EXPECT_NEAR(onLine.position->LatitudeDegrees(), 47.0001, 1e-9);
    EXPECT_EQ(onLine.position->altitude, 412.0);
    EXPECT_FALSE(onLine.position->fixTime);
    EXPECT_TRUE(onLine.marked);
    EXPECT_TRUE(Mentions(onLine.note, "placed by hand on the map"));
    EXPECT_FALSE(session_.Photos()[b].position->altitude);
    EXPECT_TRUE(session_.CanUpdate());
    EXPECT_EQ(session_.Photos().UnwrittenCount(), 2);
    ASSERT_TRUE(session_.ExitQuestion());
}

TEST_F(SessionTest, showOnMapNeedsAPositionAndNamesTheAddress) {
    Load();
    EXPECT_TRUE(session_.ShowOnMap(-1).refusal);
    EXPECT_TRUE(session_.ShowOnMap(-1).address.empty());
    EXPECT_TRUE(session_.ShowOnMap(Record("a.jpg")).refusal);
    Calculate();
    const Session::MapRequest request = session_.ShowOnMap(Record("a.jpg"));
    EXPECT_FALSE(request.refusal);
    EXPECT_TRUE(Mentions(request.address, "47.05")) << request.address;
}

TEST_F(SessionTest, anExportKeepsItsChoicesAndSaysWhatItWrote) {
    Load();
    Calculate();
    const std::string file = folder_.path() + "/out.csv";
    session_.SetExportChoices(ExportFormat::Csv, file, CsvSeparator::Semicolon);
    EXPECT_EQ(session_.CurrentSettings().csvSeparator, CsvSeparator::Semicolon);
    const Notice told = session_.TakeExport(session_.Export());
    EXPECT_EQ(told.typeWord, kMessageInformation);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(session_.Summary(), "2 positions exported to " + file);

    session_.SetExportChoices(ExportFormat::Csv, folder_.path() + "/no/such/folder/out.csv",
                              CsvSeparator::Comma);
    EXPECT_EQ(session_.TakeExport(session_.Export()).typeWord, kMessageError);
}

// The window reads the progress while a worker reports it, and Abort comes from the window.
TEST(RunProgress, carriesStateAndAbortAcrossThreads) {
    RunProgress progress;
    const std::uint64_t before = progress.Snapshot().version;
    std::thread worker([&] {
        progress.Begin("Reading", 10);
        progress.SetPosition(4);
        while (!progress.AbortRequested()) {
            std::this_thread::yield();
        }
        progress.ClearAbort();
    });
    while (progress.Snapshot().position != 4) {
        std::this_thread::yield();
    }
    const RunProgress::State state = progress.Snapshot();
    EXPECT_TRUE(state.shown);
    EXPECT_EQ(state.text, "Reading");
    EXPECT_EQ(state.maximum, 10);
    EXPECT_GT(state.version, before);
    progress.RequestAbort();
    worker.join();
    EXPECT_FALSE(progress.AbortRequested());
    progress.End();
    EXPECT_FALSE(progress.Snapshot().shown);
    EXPECT_TRUE(progress.Snapshot().text.empty());
}

}  // namespace
}  // namespace geotal
