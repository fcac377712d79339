// Putting back what the copy folder keeps: photos and sidecars as they were before the write, a
// sidecar a run made taken away, and everything else left as it is with the reason.
#include "photo/PhotoRestore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/PositionTarget.h"
#include "photo/SidecarLedger.h"
#include "support/PositionInDegrees.h"

namespace geotal {
namespace {

using test::FolderNames;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const GeoPosition kHere = test::AtDegrees(47.5, 8.25, 410);

// A sidecar of another program: a rating, no position.
const std::string kRatedSidecar =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
    "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
    "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"3\"/></rdf:RDF></x:xmpmeta>\n";

// The same text with its first `from` made `to`; the test fails where there is none.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from << " in " << text;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A photo folder and a copy folder after an update with copies: a.jpg written in place,
// b.cr2's sidecar b.xmp (there before) written, c.cr2's sidecar c.xmp made.
class RestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkdir(Photo("").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(copies_.c_str(), 0755), 0);
        MakeDatedPhoto(Photo("a.jpg"));
        WriteBytes(Photo("b.cr2"), "the bytes of one raw photo");
        WriteBytes(Photo("b.xmp"), kRatedSidecar);
        WriteBytes(Photo("c.cr2"), "the bytes of another raw photo");
        for (const char* name : {"a.jpg", "b.cr2", "b.xmp", "c.cr2"}) {
            before_[name] = ReadBytes(Photo(name));
        }
        Write({"a.jpg", "b.cr2", "c.cr2"});
        ASSERT_NE(ReadBytes(Photo("a.jpg")), before_["a.jpg"]);
        ASSERT_NE(ReadBytes(Photo("b.xmp")), before_["b.xmp"]);
        ASSERT_TRUE(test::Exists(Photo("c.xmp")));
    }

    std::string Photo(const std::string& name) const { return folder_ / ("photos/" + name); }

    void Write(const std::vector<std::string>& names) {
        PhotoWriter writer;
        writer.SetCopyOptions(true, copies_);
        std::size_t failed = 0;
        PositionWriter positions(writer, {}, [&failed](std::size_t, const WriteOutcome& outcome) {
            failed += outcome.code == WriteCode::None ? 0 : 1;
        });
        for (std::size_t i = 0; i < names.size(); ++i) {
            positions.Add(i, Photo(names[i]), kHere);
        }
        positions.Commit();
        ASSERT_EQ(failed, 0u);
    }

    RestorePlan Plan() {
        NullProgress progress;
        return PlanFolderRestore(copies_, Photo("").substr(0, Photo("").size() - 1), progress);
    }

    static const PhotoRestore& Of(const RestorePlan& plan, const std::string& name) {
        for (const PhotoRestore& photo : plan.photos) {
            if (photo.path.ends_with("/" + name)) {
                return photo;
            }
        }
        ADD_FAILURE() << name << " is not in the plan";
        return plan.photos.front();
    }

    TempFolder folder_;
    std::string copies_ = folder_ / "copies";
    std::map<std::string, std::string> before_;
};

TEST_F(RestoreTest, putsBackEveryPhotoAndSidecarAsItWasAndRemovesTheSidecarARunMade) {
    const std::vector<std::string> copiesBefore = FolderNames(copies_);
    RestorePlan plan = Plan();
    ASSERT_TRUE(plan.refusal.empty()) << plan.refusal;
    EXPECT_EQ(Of(plan, "a.jpg").photo.action, RestoreAction::Restore);
    EXPECT_NE(Of(plan, "a.jpg").photo.reason.find("47.500000 8.250000"), std::string::npos)
        << "the position the photo loses is said: " << Of(plan, "a.jpg").photo.reason;
    EXPECT_EQ(Of(plan, "b.cr2").sidecar.action, RestoreAction::Restore);
    EXPECT_EQ(Of(plan, "c.cr2").sidecar.action, RestoreAction::Remove);
    EXPECT_EQ(CountsOf(plan), (RestoreCounts{1, 1, 1, 0, 0}));

    NullProgress progress;
    CarryOut(plan, progress);
    EXPECT_EQ(CountsOf(plan), (RestoreCounts{1, 1, 1, 0, 0}));
    for (const auto& [name, bytes] : before_) {
        EXPECT_EQ(ReadBytes(Photo(name)), bytes) << name;
    }
    EXPECT_FALSE(test::Exists(Photo("c.xmp")));
    EXPECT_EQ(FolderNames(Photo("")),
              (std::vector<std::string>{"a.jpg", "b.cr2", "b.xmp", "c.cr2"}))
        << "nothing of the restore's own is left beside the photos";
    EXPECT_EQ(FolderNames(copies_), copiesBefore) << "the copies stay";

    // Done twice, the second finds nothing to do.
    RestorePlan again = Plan();
    EXPECT_EQ(CountsOf(again), (RestoreCounts{0, 0, 0, 0, 3}));
}

TEST_F(RestoreTest, aDryRunChangesNothing) {
    std::map<std::string, std::string> written;
    for (const std::string& name : FolderNames(Photo(""))) {
        written[name] = ReadBytes(Photo(name));
    }
    const RestorePlan plan = Plan();
    EXPECT_EQ(CountsOf(plan), (RestoreCounts{1, 1, 1, 0, 0}));
    for (const auto& [name, bytes] : written) {
        EXPECT_EQ(ReadBytes(Photo(name)), bytes) << name;
    }
    EXPECT_EQ(FolderNames(Photo("")).size(), written.size());
}

TEST_F(RestoreTest, refusesWhatChangedSinceTheCopyBesideItsPositionAndLeavesItAsItIs) {
    test::SetTags(Photo("a.jpg"), {{"Exif.Image.Artist", "Someone Else"}});
    WriteBytes(Photo("b.xmp"), Replaced(ReadBytes(Photo("b.xmp")), "Rating=\"3\"", "Rating=\"5\""));
    // A made sidecar that another program added a rating to holds more than Geotal's position.
    WriteBytes(Photo("c.xmp"), Replaced(ReadBytes(Photo("c.xmp")), "rdf:about=\"\"",
                                        "rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
                                        "xmp:Rating=\"4\""));
    std::map<std::string, std::string> changed;
    for (const char* name : {"a.jpg", "b.xmp", "c.xmp"}) {
        changed[name] = ReadBytes(Photo(name));
    }
    RestorePlan plan = Plan();
    const FileRestore& photo = Of(plan, "a.jpg").photo;
    EXPECT_EQ(photo.action, RestoreAction::Refused);
    EXPECT_NE(photo.reason.find("Exif.Image.Artist"), std::string::npos) << photo.reason;
    EXPECT_EQ(Of(plan, "b.cr2").sidecar.action, RestoreAction::Refused);
    EXPECT_NE(Of(plan, "b.cr2").sidecar.reason.find("changed since the copy"), std::string::npos);
    EXPECT_EQ(Of(plan, "c.cr2").sidecar.action, RestoreAction::Refused);
    EXPECT_EQ(CountsOf(plan).refused, 3);

    NullProgress progress;
    CarryOut(plan, progress);
    for (const auto& [name, bytes] : changed) {
        EXPECT_EQ(ReadBytes(Photo(name)), bytes) << name;
    }
}

TEST_F(RestoreTest, refusesAnotherPhotoOfTheSameName) {
    const std::string other = folder_ / "other.jpg";
    test::MakePhoto(other, {{"Exif.Photo.DateTimeOriginal", "2011:02:03 04:05:06"}});
    ASSERT_EQ(::rename(other.c_str(), Photo("a.jpg").c_str()), 0);
    const RestorePlan plan = Plan();
    EXPECT_EQ(Of(plan, "a.jpg").photo.action, RestoreAction::Refused);
    EXPECT_NE(Of(plan, "a.jpg").photo.reason.find("DateTimeOriginal"), std::string::npos)
        << Of(plan, "a.jpg").photo.reason;
}

TEST_F(RestoreTest, leavesAFileAnotherProgramChangedBetweenTheCheckAndItsTurn) {
    RestorePlan plan = Plan();
    ASSERT_EQ(CountsOf(plan), (RestoreCounts{1, 1, 1, 0, 0}));
    // The same bytes written anew: another file, or the same one changed, all the same.
    const std::string photo = ReadBytes(Photo("a.jpg"));
    ASSERT_EQ(::unlink(Photo("a.jpg").c_str()), 0);
    WriteBytes(Photo("a.jpg"), photo);
    const std::string made = ReadBytes(Photo("c.xmp")) + " ";
    WriteBytes(Photo("c.xmp"), made);
    ASSERT_EQ(::unlink(Photo("b.xmp").c_str()), 0);
    WriteBytes(Photo("b.xmp"), kRatedSidecar);  // another program put one there meanwhile

    NullProgress progress;
    CarryOut(plan, progress);
    EXPECT_EQ(CountsOf(plan), (RestoreCounts{0, 0, 0, 3, 0}));
    EXPECT_EQ(ReadBytes(Photo("a.jpg")), photo);
    EXPECT_EQ(ReadBytes(Photo("c.xmp")), made);
    EXPECT_EQ(ReadBytes(Photo("b.xmp")), kRatedSidecar);
    for (const PhotoRestore& restore : plan.photos) {
        const FileRestore& refused =
            restore.photo.action == RestoreAction::Refused ? restore.photo : restore.sidecar;
        EXPECT_NE(refused.reason.find("another program"), std::string::npos) << refused.reason;
    }
    EXPECT_EQ(FolderNames(Photo("")).size(), 5u) << "nothing of the restore's own is left";
}

TEST_F(RestoreTest, putsBackASidecarCopyWhereTheSidecarWasRemoved) {
    ASSERT_EQ(::unlink(Photo("b.xmp").c_str()), 0);
    RestorePlan plan = Plan();
    ASSERT_EQ(Of(plan, "b.cr2").sidecar.action, RestoreAction::Restore);
    NullProgress progress;
    CarryOut(plan, progress);
    EXPECT_EQ(ReadBytes(Photo("b.xmp")), before_["b.xmp"]);
}

TEST_F(RestoreTest, refusesACopyThatIsGoneOrNotTheOneRecorded) {
    ASSERT_EQ(::unlink((copies_ + "/b.xmp").c_str()), 0);
    RestorePlan plan = Plan();
    EXPECT_EQ(Of(plan, "b.cr2").sidecar.action, RestoreAction::Refused);
    EXPECT_NE(Of(plan, "b.cr2").sidecar.reason.find("no longer holds"), std::string::npos);

    WriteBytes(copies_ + "/b.xmp", Replaced(kRatedSidecar, "Rating=\"3\"", "Rating=\"1\""));
    plan = Plan();
    EXPECT_EQ(Of(plan, "b.cr2").sidecar.action, RestoreAction::Refused);
    EXPECT_NE(Of(plan, "b.cr2").sidecar.reason.find("not the copy"), std::string::npos);
}

TEST_F(RestoreTest, saysSoWhereTheCopyFolderKeepsNoRecordOfWhoseSidecarsItHolds) {
    ASSERT_EQ(::unlink((copies_ + "/" + SidecarLedger::kFileName).c_str()), 0);
    const RestorePlan plan = Plan();
    EXPECT_FALSE(plan.recordsSidecars);
    EXPECT_EQ(Of(plan, "a.jpg").photo.action, RestoreAction::Restore)
        << "a photo is told by its own image data";
    EXPECT_EQ(Of(plan, "b.cr2").sidecar.action, RestoreAction::Refused);
    EXPECT_NE(Of(plan, "b.cr2").sidecar.reason.find("no record"), std::string::npos);
    EXPECT_EQ(Of(plan, "c.cr2").sidecar.action, RestoreAction::None)
        << "without a record, a sidecar is never taken for one a run made";
}

TEST_F(RestoreTest, namesTheCopiesOfNoPhotoOfTheFolderAndRestoresTwoNamesOfAPhotoOnce) {
    WriteBytes(copies_ + "/elsewhere.jpg", "a copy of a photo of another folder");
    ASSERT_EQ(::symlink("a.jpg", Photo("link.jpg").c_str()), 0);
    RestorePlan plan = Plan();
    EXPECT_EQ(plan.strays, std::vector<std::string>{"elsewhere.jpg"});
    EXPECT_EQ(CountsOf(plan).photos, 1);
    EXPECT_EQ(Of(plan, "link.jpg").photo.action, RestoreAction::None);
    NullProgress progress;
    CarryOut(plan, progress);
    EXPECT_EQ(ReadBytes(Photo("a.jpg")), before_["a.jpg"]);
    struct stat status {};
    EXPECT_EQ(::lstat(Photo("link.jpg").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link stays a link";
}

TEST(PhotoRestore, hasNothingToDoWithoutACopyAndRefusesAMissingPhotoOrCopyFolder) {
    TempFolder folder;
    const std::string photo = MakeDatedPhoto(folder / "a.jpg");
    ASSERT_EQ(::mkdir((folder / "copies").c_str(), 0755), 0);
    NullProgress progress;
    RestorePlan plan = PlanRestore(folder / "copies", {photo, folder / "gone.jpg"}, progress);
    ASSERT_EQ(plan.photos.size(), 2u);
    EXPECT_EQ(plan.photos[0].photo.action, RestoreAction::None);
    EXPECT_EQ(plan.photos[1].photo.action, RestoreAction::Refused);
    EXPECT_NE(plan.photos[1].photo.reason.find("No such file"), std::string::npos);
    EXPECT_EQ(CountsOf(plan), (RestoreCounts{0, 0, 0, 1, 1}));

    plan = PlanRestore(folder / "no-such-folder", {photo}, progress);
    EXPECT_NE(plan.refusal.find("No such file"), std::string::npos) << plan.refusal;
    EXPECT_TRUE(plan.photos.empty());
}

TEST(RestoreCountsText, saysWhatWasAndWouldBeDone) {
    EXPECT_EQ(RestoreCountsText({2, 1, 1, 1, 3}, false),
              "2 photos and 1 sidecar restored, 1 sidecar made by a run removed, 1 photo "
              "refused, 3 photos with nothing to restore");
    EXPECT_EQ(RestoreCountsText({1, 0, 0, 0, 0}, true), "1 photo and 0 sidecars to restore");
}

}  // namespace
}  // namespace geotal
