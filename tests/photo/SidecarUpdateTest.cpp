// Where positions go (the photo or its sidecar, by which name) and the care a sidecar write
// takes: one write per shared sidecar, backups, leftovers of a killed write, the folder lock.
#include "photo/SidecarUpdate.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "files/FolderLocks.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/PhotoFixture.h"
#include "metadata/XmpValues.h"
#include "photo/PositionTarget.h"
#include "support/PositionInDegrees.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::FolderNames;
using test::MakeDatedPhoto;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const GeoPosition kHere = test::AtDegrees(47.5, 8.25, 410);
const GeoPosition kThere = test::AtDegrees(-33.9, 151.2);

// A real sidecar of another program, with a position and many properties of its own.
std::string RealSidecar(const char* name = "dk__27A1417.CR2.xmp") {
    return ReadBytes((fs::path(GEOTAL_REAL_RAW) / "xmp" / name).string());
}

double LatitudeIn(const std::string& sidecar) {
    TagTexts xmp;
    std::string error;
    EXPECT_TRUE(ParseXmpPacket(ReadBytes(sidecar), xmp, error)) << sidecar << ": " << error;
    const MaybePosition position = XmpPosition(xmp);
    return position ? position->LatitudeDegrees() : 0;
}

ino_t InodeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

// Every outcome a writer reports, by ticket.
struct Outcomes {
    std::map<std::size_t, WriteOutcome> byTicket;
    OutcomeSink Sink() {
        return
            [this](std::size_t ticket, const WriteOutcome& outcome) { byTicket[ticket] = outcome; };
    }
};

TEST(SidecarPathFor, prefersTheChosenNamingOnlyAmongSidecarsThatExist) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    TempFolder folder;
    const std::string raw = folder / "IMG_1234.CR2";
    EXPECT_EQ(SidecarPathFor(raw, SidecarNaming::Name), folder / "IMG_1234.xmp");
    EXPECT_EQ(SidecarPathFor(raw, SidecarNaming::NameExt), folder / "IMG_1234.CR2.xmp");

    // Only the other naming's sidecar exists: it is updated, never a second one made.
    WriteBytes(folder / "IMG_1234.CR2.XMP", RealSidecar());
    EXPECT_EQ(SidecarPathFor(raw, SidecarNaming::Name), folder / "IMG_1234.CR2.XMP");

    // Both exist: the chosen naming's one, in either case.
    WriteBytes(folder / "IMG_1234.XMP", RealSidecar("pp_canon_eos_6d.xmp"));
    EXPECT_EQ(SidecarPathFor(raw, SidecarNaming::Name), folder / "IMG_1234.XMP");
    EXPECT_EQ(SidecarPathFor(raw, SidecarNaming::NameExt), folder / "IMG_1234.CR2.XMP");
}

TEST(TargetOf, putsAJpegInItsFileUnlessSidecarsAloneAreAskedFor) {
    const SidecarOptions plain;
    const SidecarOptions only{SidecarNaming::NameExt, true};
    EXPECT_TRUE(TargetOf("/p/IMG_1.JPG", plain).inPhoto);
    EXPECT_TRUE(TargetOf("/p/IMG_1.jpeg", plain).inPhoto);
    EXPECT_FALSE(TargetOf("/p/IMG_1.heic", plain).inPhoto);
    EXPECT_EQ(TargetOf("/p/IMG_1.heic", plain).file, "/p/IMG_1.xmp");
    EXPECT_FALSE(TargetOf("/p/IMG_1.JPG", only).inPhoto);
    EXPECT_EQ(TargetOf("/p/IMG_1.JPG", only).file, "/p/IMG_1.JPG.xmp");
}

TEST(PositionWriter, sidecarOnlyLeavesEveryJpegByteAndWritesTheSharedSidecarOnce) {
    TempFolder folder;
    MakeDatedPhoto(folder / "IMG_1.JPG");
    MakeDatedPhoto(folder / "IMG_1.CR2");
    const std::string jpeg = ReadBytes(folder / "IMG_1.JPG");
    PhotoWriter writer;
    Outcomes outcomes;
    {
        PositionWriter positions(writer, {SidecarNaming::Name, true}, outcomes.Sink());
        positions.Add(0, folder / "IMG_1.CR2", kHere);
        const ino_t first = InodeOf(folder / "IMG_1.xmp");
        positions.Add(1, folder / "IMG_1.JPG", kHere);
        // Replacing a file gives a new one: the same inode means no second write.
        EXPECT_EQ(InodeOf(folder / "IMG_1.xmp"), first);
    }
    ASSERT_EQ(outcomes.byTicket.size(), 2u);
    for (const auto& [ticket, outcome] : outcomes.byTicket) {
        EXPECT_EQ(outcome.result, WriteResult::Written) << ticket << ": " << outcome.message;
    }
    EXPECT_EQ(ReadBytes(folder / "IMG_1.JPG"), jpeg);
    EXPECT_NEAR(LatitudeIn(folder / "IMG_1.xmp"), 47.5, 1e-6);
    EXPECT_EQ(FolderNames(folder.path()),
              (std::vector<std::string>{"IMG_1.CR2", "IMG_1.JPG", "IMG_1.xmp"}));

    // A leftover of an interrupted photo update given by a glob is no photo: no sidecar for it.
    MakeDatedPhoto(folder / "IMG_1_newGeotal.JPG");
    Outcomes leftover;
    {
        PositionWriter positions(writer, {SidecarNaming::NameExt, true}, leftover.Sink());
        positions.Add(0, folder / "IMG_1_newGeotal.JPG", kHere);
    }
    EXPECT_EQ(leftover.byTicket[0].code, WriteCode::NotAPhoto);
    EXPECT_FALSE(test::Exists(folder / "IMG_1_newGeotal.JPG.xmp"));
}

TEST(PositionWriter, refusesASecondPositionForASharedSidecarButNotForSeparateOnes) {
    TempFolder folder;
    MakeDatedPhoto(folder / "IMG_2.JPG");
    MakeDatedPhoto(folder / "IMG_2.CR2");
    PhotoWriter writer;
    Outcomes outcomes;
    {
        PositionWriter positions(writer, {SidecarNaming::Name, true}, outcomes.Sink());
        positions.Add(0, folder / "IMG_2.CR2", kHere);
        positions.Add(1, folder / "IMG_2.JPG", kThere);
    }
    EXPECT_EQ(outcomes.byTicket[0].result, WriteResult::Written);
    EXPECT_EQ(outcomes.byTicket[1].result, WriteResult::Failed);
    EXPECT_EQ(outcomes.byTicket[1].code, WriteCode::SidecarShared);
    EXPECT_NE(outcomes.byTicket[1].message.find("IMG_2.CR2"), std::string::npos)
        << outcomes.byTicket[1].message;
    EXPECT_NEAR(LatitudeIn(folder / "IMG_2.xmp"), 47.5, 1e-6);  // the first stays

    // Named after the whole file name, each photo of a new pair has a sidecar of its own.
    MakeDatedPhoto(folder / "IMG_6.JPG");
    MakeDatedPhoto(folder / "IMG_6.CR2");
    Outcomes separate;
    {
        PositionWriter positions(writer, {SidecarNaming::NameExt, true}, separate.Sink());
        positions.Add(0, folder / "IMG_6.CR2", kHere);
        positions.Add(1, folder / "IMG_6.JPG", kThere);
    }
    EXPECT_EQ(separate.byTicket[1].result, WriteResult::Written) << separate.byTicket[1].message;
    EXPECT_NEAR(LatitudeIn(folder / "IMG_6.CR2.xmp"), 47.5, 1e-6);
    EXPECT_NEAR(LatitudeIn(folder / "IMG_6.JPG.xmp"), -33.9, 1e-6);
}

TEST(SidecarUpdate, backsUpAnExistingSidecarAndRefusesWhenAnotherHasItsName) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    TempFolder folder;
    TempFolder copies;
    const std::string original = RealSidecar();
    MakeDatedPhoto(folder / "IMG_3.CR2");
    WriteBytes(folder / "IMG_3.xmp", original);
    {
        FolderLocks locks;  // released at the end of the run, as a later run needs
        SidecarUpdate update(locks, copies.path());
        const WriteOutcome outcome =
            update.Write(folder / "IMG_3.CR2", folder / "IMG_3.xmp", kHere);
        EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    }
    EXPECT_EQ(ReadBytes(copies / "IMG_3.xmp"), original);
    EXPECT_NEAR(LatitudeIn(folder / "IMG_3.xmp"), 47.5, 1e-6);

    {
        // A second pass: the backup is the sidecar before its first position, and stays.
        FolderLocks again;
        SidecarUpdate update(again, copies.path());
        const WriteOutcome outcome =
            update.Write(folder / "IMG_3.CR2", folder / "IMG_3.xmp", kThere);
        EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
        EXPECT_EQ(ReadBytes(copies / "IMG_3.xmp"), original);
    }

    // Another card's IMG_3.xmp in the copy folder: the sidecar is not touched.
    const std::string other = RealSidecar("pp_photoshop.xmp");
    WriteBytes(copies / "IMG_3.xmp", other);
    const std::string before = ReadBytes(folder / "IMG_3.xmp");
    FolderLocks third;
    SidecarUpdate update(third, copies.path());
    const WriteOutcome refused = update.Write(folder / "IMG_3.CR2", folder / "IMG_3.xmp", kHere);
    EXPECT_EQ(refused.result, WriteResult::Failed);
    EXPECT_EQ(refused.code, WriteCode::BackupExists);
    EXPECT_NE(refused.message.find("a backup is never replaced"), std::string::npos)
        << refused.message;
    EXPECT_EQ(ReadBytes(folder / "IMG_3.xmp"), before);
    EXPECT_EQ(ReadBytes(copies / "IMG_3.xmp"), other);
}

// A sidecar holding nothing but a position, as many programs leave one.
std::string PositionOnlySidecar(const char* latitude) {
    return std::string(
               "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
               "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
               "rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' exif:GPSLatitude='") +
           latitude + "' exif:GPSLongitude='2,0.0E'/></rdf:RDF></x:xmpmeta>";
}

WriteOutcome WriteOnce(const std::string& copies, const std::string& photo,
                       const GeoPosition& position) {
    FolderLocks locks;
    SidecarUpdate update(locks, copies);
    return update.Write(photo, SidecarPathFor(photo, SidecarNaming::Name), position);
}

// Two cards' IMG_0001.NEF, each with a sidecar holding only a position: nothing tells their
// sidecars apart but the photos, which the copy folder records. The second card's sidecar is
// refused; the first card's photo, written again, keeps its first copy. A sidecar a run made
// is never copied, unless another program has since added to it.
TEST(SidecarUpdate, keepsACopyOnlyForItsOwnPhotoAndNeverCopiesASidecarARunMade) {
    TempFolder cardA;
    TempFolder cardB;
    TempFolder copies;
    const std::string a = MakeDatedPhoto(cardA / "IMG_0001.NEF");
    const std::string b = MakeDatedPhoto(cardB / "IMG_0001.NEF");
    WriteBytes(b, ReadBytes(b) + "another shot");
    WriteBytes(cardA / "IMG_0001.xmp", PositionOnlySidecar("1,0.0N"));
    WriteBytes(cardB / "IMG_0001.xmp", PositionOnlySidecar("3,0.0N"));

    ASSERT_EQ(WriteOnce(copies.path(), a, kHere).result, WriteResult::Written);
    EXPECT_EQ(ReadBytes(copies / "IMG_0001.xmp"), PositionOnlySidecar("1,0.0N"));
    const WriteOutcome refused = WriteOnce(copies.path(), b, kHere);
    EXPECT_EQ(refused.code, WriteCode::BackupExists) << refused.message;
    EXPECT_EQ(ReadBytes(cardB / "IMG_0001.xmp"), PositionOnlySidecar("3,0.0N"));
    const WriteOutcome again = WriteOnce(copies.path(), a, kThere);
    EXPECT_EQ(again.result, WriteResult::Written) << again.message;
    EXPECT_EQ(ReadBytes(copies / "IMG_0001.xmp"), PositionOnlySidecar("1,0.0N"));
    EXPECT_NEAR(LatitudeIn(cardA / "IMG_0001.xmp"), -33.9, 1e-6);

    // A copy someone replaced is not the one made: refused too.
    WriteBytes(copies / "IMG_0001.xmp", PositionOnlySidecar("5,0.0N"));
    EXPECT_EQ(WriteOnce(copies.path(), a, kHere).code, WriteCode::BackupExists);

    const std::string c = MakeDatedPhoto(cardA / "IMG_0002.NEF");
    WriteBytes(c, ReadBytes(c) + "a third shot");
    for (const GeoPosition& position : {kHere, kThere}) {
        const WriteOutcome made = WriteOnce(copies.path(), c, position);
        EXPECT_EQ(made.result, WriteResult::Written) << made.message;
        EXPECT_FALSE(test::Exists(copies / "IMG_0002.xmp"));
    }
    const std::string rated = RealSidecar("mei_digikam-example.xmp");
    WriteBytes(cardA / "IMG_0002.xmp", rated);
    EXPECT_EQ(WriteOnce(copies.path(), c, kHere).result, WriteResult::Written);
    EXPECT_EQ(ReadBytes(copies / "IMG_0002.xmp"), rated);
}

// Where letter case tells names apart, IMG_1.xmp and img_1.xmp are two sidecars, each its own.
TEST(SidecarUpdate, writesTwoSidecarsWhoseNamesDifferInCaseAloneWhereCaseCounts) {
    TempFolder folder;
    const std::string nef = MakeDatedPhoto(folder / "IMG_1.NEF");
    const std::string dng = MakeDatedPhoto(folder / "img_1.dng");
    WriteBytes(folder / "IMG_1.xmp", PositionOnlySidecar("1,0.0N"));
    WriteBytes(folder / "img_1.xmp", PositionOnlySidecar("3,0.0N"));
    FolderLocks locks;
    SidecarUpdate update(locks, std::nullopt);
    EXPECT_EQ(update.Write(nef, folder / "IMG_1.xmp", kHere).result, WriteResult::Written);
    const WriteOutcome second = update.Write(dng, folder / "img_1.xmp", kThere);
    EXPECT_EQ(second.result, WriteResult::Written) << second.message;
    EXPECT_NEAR(LatitudeIn(folder / "IMG_1.xmp"), 47.5, 1e-6);
    EXPECT_NEAR(LatitudeIn(folder / "img_1.xmp"), -33.9, 1e-6);
}

TEST(SidecarUpdate, removesOnlyTheLeftoversOfItsOwnSidecarsKilledWrite) {
    GEOTAL_SKIP_WITHOUT(GEOTAL_REAL_RAW);
    TempFolder folder;
    MakeDatedPhoto(folder / "IMG_4.NEF");
    WriteBytes(folder / "IMG_4.xmp", RealSidecar("mei_digikam-example.xmp"));
    WriteBytes(folder / ".IMG_4.xmp.geotal-4242-0", "half a sidecar");
    WriteBytes(folder / ".IMG_4.xmp.geotal-4242-x", "not one of ours");
    WriteBytes(folder / ".IMG_40.xmp.geotal-4242-0", "another sidecar's");
    FolderLocks locks;
    SidecarUpdate update(locks, std::nullopt);
    const WriteOutcome outcome = update.Write(folder / "IMG_4.NEF", folder / "IMG_4.xmp", kHere);
    EXPECT_EQ(outcome.result, WriteResult::Written) << outcome.message;
    EXPECT_EQ(FolderNames(folder.path()),
              (std::vector<std::string>{".IMG_4.xmp.geotal-4242-x", ".IMG_40.xmp.geotal-4242-0",
                                        "IMG_4.NEF", "IMG_4.xmp"}));
}

TEST(SidecarUpdate, isRefusedWhileAnotherRunHoldsTheFolder) {
    TempFolder folder;
    FolderLocks otherRun;
    std::string why;
    ASSERT_EQ(otherRun.Lock(folder.path(), why), FolderLocks::Result::Locked);
    WriteBytes(folder / ".IMG_5.xmp.geotal-4242-0", "the other run's new file");
    MakeDatedPhoto(folder / "IMG_5.ORF");
    PhotoWriter writer;
    Outcomes outcomes;
    {
        PositionWriter positions(writer, {}, outcomes.Sink());
        positions.Add(0, folder / "IMG_5.ORF", kHere);
    }
    EXPECT_EQ(outcomes.byTicket[0].result, WriteResult::StopRun);
    EXPECT_EQ(outcomes.byTicket[0].code, WriteCode::FolderBusy);
    EXPECT_NE(outcomes.byTicket[0].message.find("another run of Geotal"), std::string::npos);
    // Nothing made, and the other run's file not taken for a leftover.
    EXPECT_EQ(FolderNames(folder.path()),
              (std::vector<std::string>{".IMG_5.xmp.geotal-4242-0", "IMG_5.ORF"}));
}

}  // namespace
}  // namespace geotal
