// Writing on a real exFAT file system, as on a camera's memory card: names found whatever their
// case, no hard links, no permission bits. Skipped where the machine cannot mount one.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include "cli/CliRunner.h"
#include "cli/ExFatMount.h"
#include "cli/KillAtChange.h"
#include "files/FolderLocks.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoMetadata.h"
#include "photo/Sidecar.h"
#include "photo/SidecarUpdate.h"
#include "support/PositionInDegrees.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TagText;
using test::TempFolder;
using test::WriteBytes;

#define SKIP_WITHOUT_CARD(card)                                      \
    if (!(card).Mounted()) {                                         \
        GTEST_SKIP() << "no exFAT file system: " << (card).Reason(); \
    }

// IMG_0001.JPG and IMG_0001.edited.jpg: on the card their temporary names are one file.
void MakeCameraAndEdited(const std::string& folder, std::string& camera, std::string& edited) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    camera = MakeDatedPhoto(folder + "/IMG_0001.JPG");
    edited = MakeDatedPhoto(folder + "/IMG_0001.edited.jpg");
    WriteBytes(edited, ReadBytes(edited) + "the edited one");
}

void ExpectBothWrittenAndApart(const std::string& camera, const std::string& edited) {
    for (const std::string& photo : {camera, edited}) {
        EXPECT_EQ(TagText(photo, "Exif.GPSInfo.GPSLatitudeRef"), "N") << photo;
    }
    EXPECT_EQ(ReadBytes(camera).find("the edited one"), std::string::npos);
    EXPECT_NE(ReadBytes(edited).find("the edited one"), std::string::npos);
}

// IMG_0001.NEF and img_0001.dng: on the card IMG_0001.xmp and img_0001.xmp are one file, and
// one file holds one position.
TEST(ExFatCard, givesTwoPhotosWhoseSidecarNamesDifferInCaseAloneOneSidecar) {
    const test::ExFatMount card;
    SKIP_WITHOUT_CARD(card);
    const std::string nef = MakeDatedPhoto(card.Root() + "/IMG_0001.NEF");
    const std::string dng = MakeDatedPhoto(card.Root() + "/img_0001.dng");
    WriteBytes(dng, ReadBytes(dng) + "the other shot");
    FolderLocks locks;
    SidecarUpdate update(locks, std::nullopt);
    const GeoPosition here = test::AtDegrees(47.5, 8.25);
    const GeoPosition there = test::AtDegrees(-33.9, 151.2);
    EXPECT_EQ(update.Write(nef, SidecarPathFor(nef, SidecarNaming::Name), here).result,
              WriteResult::Written);
    const WriteOutcome second = update.Write(dng, SidecarPathFor(dng, SidecarNaming::Name), there);
    EXPECT_EQ(second.code, WriteCode::SidecarShared) << second.message;
    EXPECT_EQ(test::FolderNames(card.Root()),
              (std::vector<std::string>{"IMG_0001.NEF", "IMG_0001.xmp", "img_0001.dng"}));
    PhotoFacts facts;
    ASSERT_TRUE(ReadPhotoFacts(dng, facts));
    ASSERT_TRUE(facts.position);
    EXPECT_NEAR(facts.position->LatitudeDegrees(), 47.5, 1e-6);
    // The same position for both is one write, and both are written.
    EXPECT_EQ(update.Write(dng, SidecarPathFor(dng, SidecarNaming::Name), here).result,
              WriteResult::Written);
}

TEST(ExFatCard, keepsPhotosApartWhoseTemporaryNamesDifferInCaseAlone) {
    const test::ExFatMount card;
    SKIP_WITHOUT_CARD(card);
    TempFolder scratch;
    std::string camera, edited;

    // Named one by one, with backups on the card too.
    MakeCameraAndEdited(card.Root() + "/set", camera, edited);
    ASSERT_EQ(::mkdir((card.Root() + "/copies").c_str(), 0755), 0);
    const test::CliRun set = test::RunGeotalCli(
        scratch.path(),
        {"set", "--copy-to", card.Root() + "/copies", "47.51", "8.25", camera, edited});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "2 image files were successfully updated.\n");
    ExpectBothWrittenAndApart(camera, edited);
    EXPECT_EQ(test::FolderNames(card.Root() + "/set"),
              (std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.edited.jpg"}));
    EXPECT_EQ(test::FolderNames(card.Root() + "/copies"),
              (std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.edited.jpg"}));

    // The whole folder, positions from a track.
    MakeCameraAndEdited(card.Root() + "/tag", camera, edited);
    const std::string gps = scratch / "gps";
    ASSERT_EQ(::mkdir(gps.c_str(), 0755), 0);
    WriteBytes(gps + "/t.gpx",
               "<gpx><trk><trkseg>"
               "<trkpt lat=\"47.5\" lon=\"8.2\"><time>2010-01-01T11:55:00Z</time></trkpt>"
               "<trkpt lat=\"47.6\" lon=\"8.3\"><time>2010-01-01T12:05:00Z</time></trkpt>"
               "</trkseg></trk></gpx>");
    const test::CliRun tag = test::RunGeotalCli(
        scratch.path(),
        {"tag", "--photos", card.Root() + "/tag", "--gps", gps, "--tz", "0", "--write"});
    EXPECT_EQ(tag.status, 0) << tag.err;
    ExpectBothWrittenAndApart(camera, edited);
    EXPECT_EQ(test::FolderNames(card.Root() + "/tag"),
              (std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.edited.jpg"}));
}

// Killed right after each change it makes on the card, each photo holds its old or its new whole
// content, and a rerun finishes with nothing left beside the photos.
TEST(ExFatCard, leavesEveryPhotoWholeWhenKilledAndARerunFinishes) {
    const test::ExFatMount card;
    SKIP_WITHOUT_CARD(card);
    TempFolder scratch;
    const std::string original = ReadBytes(MakeDatedPhoto(scratch / "original.jpg"));
    const std::vector<std::string> position = {GEOTAL_CLI_PATH, "set", "47.51", "8.25"};
    std::string updated;
    {
        const std::string photo = card.Root() + "/reference.jpg";
        WriteBytes(photo, original);
        std::vector<std::string> args = position;
        args.push_back(photo);
        ASSERT_EQ(test::RunProgram(scratch.path(), args).status, 0);
        updated = ReadBytes(photo);
        ASSERT_NE(updated, original);
    }
    // Killed at each change it makes on the card in turn, and once it finished.
    int oldSeen = 0;
    int newSeen = 0;
    bool finished = false;
    for (int round = 0; !finished; ++round) {
        const std::string folder = card.Root() + "/round" + std::to_string(round);
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        std::vector<std::string> args = position;
        std::vector<std::string> names = {"IMG_0001.JPG", "IMG_0001.edited.jpg", "IMG_0002.jpg"};
        for (const std::string& name : names) {
            WriteBytes(folder + "/" + name, original);
            args.push_back(folder + "/" + name);
        }
        finished = !test::KillAtChange(args, {folder}, round + 1).killed;
        const std::string when = "change " + std::to_string(round + 1);
        for (const std::string& name : names) {
            const std::string bytes = ReadBytes(folder + "/" + name);
            ASSERT_TRUE(bytes == original || bytes == updated) << when << ": " << name;
            (bytes == original ? oldSeen : newSeen) += 1;
        }
        const test::CliRun rerun = test::RunProgram(scratch.path(), args);
        EXPECT_EQ(rerun.status, 0) << when << ": " << rerun.err;
        for (const std::string& name : names) {
            EXPECT_TRUE(ReadBytes(folder + "/" + name) == updated) << when << ": " << name;
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(test::FolderNames(folder), names) << when;
        std::filesystem::remove_all(folder);
        ASSERT_LT(round, 2000) << "three photos make far fewer changes";
    }
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

}  // namespace
}  // namespace geotal
