// A folder's sidecar names read in one listing: a name it may hold is still looked for, so the
// list finds every sidecar that a look at each name would find.
#include "photo/SidecarNames.h"

#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "metadata/PhotoFixture.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoMetadata.h"

namespace geotal {
namespace {

using test::MakeDatedPhoto;
using test::TempFolder;
using test::WriteBytes;

std::string PacketAt(const char* latitude, const char* longitude) {
    return std::string(
               "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
               "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
               "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
               "<rdf:Description rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' "
               "exif:GPSLatitude='") +
           latitude + "' exif:GPSLongitude='" + longitude +
           "'/>\n</rdf:RDF></x:xmpmeta>\n<?xpacket end='w'?>";
}

TEST(SidecarNames, mayHoldTheListedSidecarNamesInAnyAsciiCaseAndNoOtherAsciiName) {
    TempFolder folder;
    for (const char* name : {"a.xmp", "B.XMP", "c.JPG.Xmp", "d.txt", "e.jpg"}) {
        WriteBytes(folder / name, "x");
    }
    ASSERT_EQ(::mkdir((folder / "f.xmp").c_str(), 0755), 0);
    const std::optional<SidecarNames> names = SidecarNames::List(folder.path());
    ASSERT_TRUE(names);
    struct Case {
        const char* name;
        bool may;
    };
    const Case cases[] = {
        {"a.xmp", true},     {"A.XMP", true},      {"b.xmp", true}, {"B.XMP", true},
        {"c.jpg.xmp", true}, {"C.JPG.XMP", true},  {"f.xmp", true}, {"d.xmp", false},
        {"e.xmp", false},    {"e.jpg.xmp", false}, {"a.xm", false}, {"xmp", false},
        {"é.xmp", true},     {"a\xff.xmp", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(names->MayHold(c.name), c.may) << c.name;
    }
}

TEST(SidecarNames, mayHoldEveryNameWhereAListedSidecarNameIsNotAscii) {
    TempFolder folder;
    // The Kelvin sign, which a file system that folds letter case takes for a k.
    WriteBytes(folder / "\xe2\x84\xaa.xmp", "x");
    const std::optional<SidecarNames> names = SidecarNames::List(folder.path());
    ASSERT_TRUE(names);
    EXPECT_TRUE(names->MayHold("k.xmp"));
    EXPECT_TRUE(names->MayHold("other.xmp"));
}

TEST(SidecarNames, listsNothingOfAFolderThatIsNotThere) {
    TempFolder folder;
    EXPECT_FALSE(SidecarNames::List(folder / "missing"));
}

// The folder's reading takes its listing; each photo read alone looks at every name. Both must
// find the same sidecars, of either naming and either letter case, through links too.
TEST(ReadPhotoFolder, findsTheSidecarsThatEachPhotoReadAloneFinds) {
    TempFolder folder;
    for (const char* photo :
         {"a.CR2", "b.nef", "c.ORF", "d.dng", "e.jpg", "f.JPG", "g.arw", "h.jpg", "i.pef"}) {
        MakeDatedPhoto(folder / photo);
    }
    WriteBytes(folder / "a.xmp", PacketAt("10,30.0N", "20,15.0E"));
    WriteBytes(folder / "b.XMP", PacketAt("11,30.0N", "21,15.0E"));
    WriteBytes(folder / "c.ORF.xmp", PacketAt("12,30.0S", "22,15.0W"));
    WriteBytes(folder / "d.dng.XMP", PacketAt("13,30.0N", "23,15.0E"));
    WriteBytes(folder / "e.xmp", PacketAt("14,30.0N", "24,15.0E"));
    WriteBytes(folder / "f.JPG.xmp", PacketAt("15,30.0N", "25,15.0E"));
    WriteBytes(folder / "elsewhere.txt", PacketAt("16,30.0N", "26,15.0E"));
    ASSERT_EQ(::symlink("elsewhere.txt", (folder / "g.xmp").c_str()), 0);
    WriteBytes(folder / "h.Xmp", PacketAt("17,30.0N", "27,15.0E"));  // neither spelling
    ASSERT_EQ(::mkdir((folder / "i.xmp").c_str(), 0755), 0);         // no file

    for (const SidecarOptions options :
         {SidecarOptions{SidecarNaming::Name, false}, SidecarOptions{SidecarNaming::NameExt, false},
          SidecarOptions{SidecarNaming::Name, true},
          SidecarOptions{SidecarNaming::NameExt, true}}) {
        PhotoList photos;
        NullProgress progress;
        ASSERT_TRUE(ReadPhotoFolder(folder.path(), photos, progress, options));
        ASSERT_EQ(photos.Count(), 9);
        int fromSidecars = 0;
        for (const PhotoRecord& photo : photos.records) {
            PhotoFacts alone;
            ReadPhotoFacts(folder / photo.fileName, alone, options);
            EXPECT_EQ(photo.position, alone.position) << photo.fileName;
            EXPECT_EQ(photo.note, alone.note) << photo.fileName;
            fromSidecars += photo.note.find("from the sidecar") != std::string::npos ? 1 : 0;
        }
        // Five RAW files' sidecars, and the JPEGs' two, which hold no position of their own.
        EXPECT_EQ(fromSidecars, 7);
    }
}

}  // namespace
}  // namespace geotal
