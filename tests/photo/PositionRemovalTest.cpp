// A removal through the writer: the photo's GPS tags go and nothing else changes, a photo
// without any is left byte for byte, Update clears what the record says the file holds, and a
// sidecar is never made to remove a position from.
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoUpdate.h"
#include "photo/PositionTarget.h"
#include "photo/SidecarWriter.h"

namespace geotal {
namespace {

using test::FolderNames;
using test::GpsKeys;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TempFolder;
using test::WithoutGps;
using test::WriteBytes;

const test::Tags kGps = {{"Exif.GPSInfo.GPSVersionID", "2 2 0 0"},
                         {"Exif.GPSInfo.GPSLatitudeRef", "S"},
                         {"Exif.GPSInfo.GPSLatitude", "33/1 52/1 192/25"},
                         {"Exif.GPSInfo.GPSLongitudeRef", "E"},
                         {"Exif.GPSInfo.GPSLongitude", "151/1 12/1 837/25"},
                         {"Exif.GPSInfo.GPSAltitudeRef", "0"},
                         {"Exif.GPSInfo.GPSAltitude", "412/1"},
                         {"Exif.GPSInfo.GPSSatellites", "7"},
                         {"Exif.Image.Artist", "Someone"}};

const GeoPosition kHeld{-(33 * 3600.0 + 52 * 60 + 7.68), 151 * 3600.0 + 12 * 60 + 33.48, 412, {}};

MaybePosition PositionRead(const std::string& path, const SidecarOptions& options = {}) {
    PhotoFacts facts;
    ReadPhotoFacts(path, facts, options);
    return facts.position;
}

TEST(PutFileLongLat, removesThePositionAndKeepsEveryOtherTagAndNoBackupWhereThereIsNone) {
    TempFolder folder;
    const std::string copies = folder / "copies";
    std::filesystem::create_directory(copies);
    const std::string placed = MakeDatedPhoto(folder / "placed.jpg", kGps);
    const std::string plain = MakeDatedPhoto(folder / "plain.jpg", {{"Exif.Image.Artist", "X"}});
    const auto tagsBefore = test::AllTagTexts(placed);
    const std::string plainBytes = ReadBytes(plain);
    ASSERT_TRUE(PositionRead(placed));
    PhotoWriter writer;
    writer.SetCopyOptions(true, copies);

    const WriteOutcome removed = writer.PutFileLongLat(placed, std::nullopt);
    EXPECT_EQ(removed.result, WriteResult::Written) << removed.message;
    EXPECT_FALSE(removed.unchanged);
    EXPECT_FALSE(PositionRead(placed));
    const auto tagsAfter = test::AllTagTexts(placed);
    EXPECT_EQ(GpsKeys(tagsAfter), "");
    EXPECT_EQ(WithoutGps(tagsAfter), WithoutGps(tagsBefore));

    // Nothing to take out: the photo keeps its bytes and needs no backup.
    const WriteOutcome none = writer.PutFileLongLat(plain, std::nullopt);
    EXPECT_EQ(none.result, WriteResult::Written) << none.message;
    EXPECT_TRUE(none.unchanged);
    EXPECT_EQ(ReadBytes(plain), plainBytes);
    EXPECT_EQ(FolderNames(copies), std::vector<std::string>{"placed.jpg"});
    EXPECT_EQ(FolderNames(folder.path()),
              (std::vector<std::string>{"copies", "placed.jpg", "plain.jpg"}));
}

// Only a removal asked for empties a file: a photo that a calculation could not place shows no
// position too, and Mark Unplaced checks it, but its file keeps its position.
TEST(WriteMarkedPhotos, writesRemovalsAndKeepsTheStoredPositionWhereOneFails) {
    TempFolder folder;
    PhotoList photos;
    photos.folder = folder.path();
    for (const char* name : {"removed.jpg", "unplaced.jpg", "failing.jpg"}) {
        MakeDatedPhoto(folder / name, kGps);
        PhotoRecord photo;
        photo.fileName = name;
        photo.stored = kHeld;
        photo.marked = true;
        photos.records.push_back(photo);
    }
    photos[0].removing = true;
    photos[2].removing = true;
    ASSERT_TRUE(photos[0].IsUnwritten());
    ASSERT_FALSE(photos[1].IsUnwritten());
    const std::string unplacedBytes = ReadBytes(folder / "unplaced.jpg");
    WriteBytes(folder / "failing_oldGeotal.jpg", "leftover of another run");
    std::vector<std::string> messages;
    UpdateCallbacks callbacks{[&](const std::string& message) { messages.push_back(message); },
                              nullptr, nullptr};
    test::RecordingProgress progress;
    PhotoWriter writer;
    EXPECT_EQ(WriteMarkedPhotos(photos, writer, progress, callbacks), (UpdateCounts{1, 0}));

    EXPECT_FALSE(photos[0].stored);
    EXPECT_FALSE(photos[0].marked);
    EXPECT_FALSE(photos[0].IsUnwritten());
    EXPECT_EQ(photos[0].note, "Position removed from the file");
    EXPECT_FALSE(PositionRead(folder / "removed.jpg"));

    EXPECT_FALSE(photos[1].marked) << "nothing to write";
    EXPECT_EQ(photos[1].stored, kHeld);
    EXPECT_EQ(ReadBytes(folder / "unplaced.jpg"), unplacedBytes);

    EXPECT_TRUE(photos[2].marked);
    EXPECT_EQ(photos[2].stored, kHeld);
    EXPECT_EQ(photos[2].position, kHeld) << "the row shows what the file still holds";
    EXPECT_EQ(photos[2].note.rfind("Not written: Error Renaming old file : ", 0), 0u)
        << photos[2].note;
    EXPECT_TRUE(PositionRead(folder / "failing.jpg"));
    EXPECT_EQ(messages.size(), 1u);
}

// RAW files are never changed: a removal goes to the sidecar alone, none is made for it, and one
// whose position lies in the RAW file itself is refused rather than seeming done.
TEST(PositionWriter, removesASidecarsPositionButNeverMakesOneNorTouchesTheRawFile) {
    TempFolder folder;
    const std::string ownPosition = MakeDatedPhoto(folder / "own.NEF", kGps);
    const std::string bare = MakeDatedPhoto(folder / "bare.NEF");
    const std::string withSidecar = MakeDatedPhoto(folder / "side.NEF");
    PhotoWriter writer;
    ASSERT_EQ(WriteSidecarPosition(withSidecar, kHeld).result, WriteResult::Written);
    const std::string sidecar = folder / "side.xmp";
    ASSERT_TRUE(PositionRead(withSidecar));
    std::map<std::string, std::string> rawBytes;
    for (const std::string& raw : {ownPosition, bare, withSidecar}) {
        rawBytes[raw] = ReadBytes(raw);
    }

    std::map<std::size_t, WriteOutcome> outcomes;
    {
        PositionWriter positions(writer, {}, [&](std::size_t ticket, const WriteOutcome& outcome) {
            outcomes[ticket] = outcome;
        });
        positions.Add(0, ownPosition, std::nullopt);
        positions.Add(1, bare, std::nullopt);
        positions.Add(2, withSidecar, std::nullopt);
        positions.Commit();
    }
    EXPECT_EQ(outcomes[0].result, WriteResult::Failed);
    EXPECT_EQ(outcomes[0].code, WriteCode::OwnFilePosition);
    EXPECT_NE(outcomes[0].message.find("own.NEF (the photo file itself holds a position"),
              std::string::npos)
        << outcomes[0].message;
    EXPECT_EQ(outcomes[1].result, WriteResult::Written);
    EXPECT_TRUE(outcomes[1].unchanged);
    EXPECT_EQ(outcomes[2].result, WriteResult::Written) << outcomes[2].message;
    EXPECT_FALSE(outcomes[2].unchanged);

    EXPECT_FALSE(PositionRead(withSidecar));
    EXPECT_NE(ReadBytes(sidecar).find("xmpmeta"), std::string::npos) << "still an XMP packet";
    EXPECT_EQ(FolderNames(folder.path()),
              (std::vector<std::string>{"bare.NEF", "own.NEF", "side.NEF", "side.xmp"}));
    for (const auto& [raw, bytes] : rawBytes) {
        EXPECT_EQ(ReadBytes(raw), bytes) << raw;
    }
}

// The list reads a JPEG's sidecar where the JPEG holds no position, so a removal that left the
// sidecar's would see the position come back at the next load: it goes from both, and from the
// sidecar alone where the JPEG holds none. A sidecar that cannot be changed fails the photo.
TEST(PositionWriter, removesAJpegsPositionFromItsSidecarToo) {
    TempFolder folder;
    const std::string both = MakeDatedPhoto(folder / "both.jpg", kGps);
    const std::string sidecarOnly = MakeDatedPhoto(folder / "side.jpg");
    const std::string linked = MakeDatedPhoto(folder / "linked.jpg");
    for (const std::string& photo : {both, sidecarOnly, linked}) {
        ASSERT_EQ(WriteSidecarPosition(photo, kHeld).result, WriteResult::Written) << photo;
        ASSERT_TRUE(PositionRead(photo)) << photo;
    }
    // A sidecar with a second name is refused as such a photo is, whoever runs the test.
    ASSERT_EQ(::link((folder / "linked.xmp").c_str(), (folder / "other.xmp").c_str()), 0);
    PhotoWriter writer;
    std::map<std::size_t, WriteOutcome> outcomes;
    {
        PositionWriter positions(writer, {}, [&](std::size_t ticket, const WriteOutcome& outcome) {
            EXPECT_FALSE(outcomes.contains(ticket)) << "one outcome a photo";
            outcomes[ticket] = outcome;
        });
        positions.Add(0, both, std::nullopt);
        positions.Add(1, sidecarOnly, std::nullopt);
        positions.Add(2, linked, std::nullopt);
    }
    ASSERT_EQ(outcomes.size(), 3u);
    for (std::size_t ticket : {0u, 1u}) {
        EXPECT_EQ(outcomes[ticket].result, WriteResult::Written) << outcomes[ticket].message;
        EXPECT_FALSE(outcomes[ticket].unchanged) << ticket;
    }
    EXPECT_FALSE(PositionRead(both));
    EXPECT_FALSE(PositionRead(sidecarOnly));
    EXPECT_EQ(GpsKeys(test::AllTagTexts(both)), "") << "the JPEG's own tags went too";
    EXPECT_EQ(outcomes[2].result, WriteResult::Failed);
    EXPECT_NE(outcomes[2].message.find("linked"), std::string::npos) << outcomes[2].message;
    EXPECT_TRUE(PositionRead(linked)) << "the sidecar still holds it, and the row says so";
}

}  // namespace
}  // namespace geotal
