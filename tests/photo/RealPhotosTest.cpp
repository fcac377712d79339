// Real photos from many cameras and phones (when the folder of them is there): writing a
// position changes their GPS tags and nothing else that exiftool reads.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "metadata/ExifFixtures.h"
#include "metadata/ExifTool.h"
#include "metadata/PhotoFixture.h"
#include "photo/PhotoWriter.h"
#include "support/Angles.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TagLine;

bool IsJpegName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg";
}

// The value exiftool gives for a tag line that starts so, or "" when there is none.
std::string ValueOf(const std::set<std::string>& tags, const std::string& start) {
    for (const std::string& tag : tags) {
        if (tag.rfind(start, 0) == 0) {
            return tag.substr(tag.find(": ") + 2);
        }
    }
    return {};
}

std::string Listed(const std::set<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n      " + line;
    }
    return text;
}

TEST(RealPhotos, loseNothingButTheirOldPositionWhenWritten) {
    const fs::path source = GEOTAL_REAL_PHOTOS;
    if (!fs::is_directory(source)) {
        GTEST_SKIP() << source << " is not there";
    }
    if (!test::HasExifTool()) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    test::TempFolder folder;
    const fs::path original = folder / "original";
    const fs::path written = folder / "written";
    fs::create_directories(original);
    fs::create_directories(written);
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        if (entry.is_regular_file() && IsJpegName(entry.path())) {
            names.push_back(entry.path().filename().string());
            fs::copy_file(entry.path(), original / names.back());
            fs::copy_file(entry.path(), written / names.back());
        }
    }
    std::sort(names.begin(), names.end());

    // How each was written: by the edit, by the library (and why), or not at all.
    std::map<std::string, std::string> how;
    PhotoWriter writer;
    for (const std::string& name : names) {
        const std::string trace = folder / "trace.txt";
        EnableTrace(trace);
        const WriteOutcome outcome = writer.PutFileLongLat(
            written / name, {DegreesToArcSeconds(47.5), DegreesToArcSeconds(-8.25), 412.5, {}});
        DisableTrace();
        const std::string lines = ReadBytes(trace);
        fs::remove(trace);
        const std::size_t anew = lines.find("Every tag written anew: ");
        if (outcome.result != WriteResult::Written) {
            how[name] = "not written: " + outcome.message.substr(0, outcome.message.find('\n'));
        } else if (anew != std::string::npos) {
            how[name] = "rewritten by the library: " +
                        lines.substr(anew + 24, lines.find('\r', anew) - anew - 24);
        } else {
            how[name] = "edited";
        }
        if (lines.find("a new EXIF segment is made") != std::string::npos) {
            how[name] += ", new EXIF segment";
        }
    }

    const auto tagsBefore = test::ExifToolTagsOfFolder(original);
    const auto tagsAfter = test::ExifToolTagsOfFolder(written);
    const auto warningsBefore = test::ValidationWarningsOfFolder(original);
    const auto warningsAfter = test::ValidationWarningsOfFolder(written);
    int edited = 0, rewritten = 0, notWritten = 0, losing = 0;
    for (const std::string& name : names) {
        const std::string before = ReadBytes(original / name);
        const std::string after = ReadBytes(written / name);
        std::string report = how[name];
        edited += report.rfind("edited", 0) == 0;
        rewritten += report.rfind("rewritten", 0) == 0;
        if (report.rfind("not written", 0) == 0) {
            ++notWritten;
            EXPECT_TRUE(before == after) << name << " was changed though not written";
            std::printf("  %s: %s\n", name.c_str(), report.c_str());
            continue;
        }
        const std::set<std::string> was = test::WithoutWrittenTags(tagsBefore.at(name));
        std::set<std::string> is = test::WithoutWrittenTags(tagsAfter.at(name));
        std::set<std::string> warnings = test::Minus(
            warningsAfter.count(name) ? warningsAfter.at(name) : std::set<std::string>{},
            warningsBefore.count(name) ? warningsBefore.at(name) : std::set<std::string>{});
        // A photo without EXIF data gets a segment of its own: its byte order and the tags
        // EXIF requires of a JPEG's IFD0 (its resolution and chroma siting) are all that is
        // new, and exiftool's validation finds nothing missing.
        const bool newExif = report.find(", new EXIF segment") != std::string::npos;
        if (newExif) {
            is.erase(TagLine("File", "ExifByteOrder", "II"));
            std::erase_if(is, [](const std::string& line) {
                return line.rfind("[IFD0]", 0) == 0 &&
                       (line.find(" XResolution ") != std::string::npos ||
                        line.find(" YResolution ") != std::string::npos ||
                        line.find(" ResolutionUnit ") != std::string::npos ||
                        line.find(" YCbCrPositioning ") != std::string::npos);
            });
        }
        const std::set<std::string> lost = test::Minus(was, is);
        const std::set<std::string> added = test::Minus(is, was);
        std::string damage;
        if (!lost.empty()) {
            damage += "\n    lost or changed:" + Listed(lost);
        }
        if (!added.empty()) {
            damage += "\n    added:" + Listed(added);
        }
        if (!warnings.empty()) {
            damage += "\n    new warnings:" + Listed(warnings);
        }
        if (test::ImageAndAfter(before) != test::ImageAndAfter(after)) {
            damage += "\n    the image data or what follows it changed";
        }
        const std::set<std::string>& now = tagsAfter.at(name);
        const bool readable = std::any_of(was.begin(), was.end(), [](const std::string& tag) {
            return tag.rfind("[IFD0]", 0) == 0;
        });
        if ((readable || newExif) && (ValueOf(now, "[Composite]     GPSLatitude ") != "47.5" ||
                                      ValueOf(now, "[Composite]     GPSLongitude ") != "-8.25" ||
                                      ValueOf(now, "[GPS]           GPSAltitude ") != "412.5")) {
            damage += "\n    the position does not read back";
        }
        const std::string xmpLatitude = ValueOf(now, "[XMP-exif]      GPSLatitude ");
        if (!xmpLatitude.empty()) {
            report += ", XMP position too";
            if (xmpLatitude != "47.5" || ValueOf(now, "[XMP-exif]      GPSLongitude ") != "-8.25") {
                damage += "\n    the XMP position differs";
            }
        }
        if (!readable && !newExif) {
            report += " (exiftool reads no EXIF in it, before or after)";
        }
        losing += !damage.empty();
        EXPECT_EQ(damage, "") << name;
        std::printf("  %s: %s%s\n", name.c_str(), report.c_str(), damage.c_str());
    }
    std::printf(
        "%zu photos: %d edited, %d rewritten by the library, %d not written; %d lost "
        "something\n",
        names.size(), edited, rewritten, notWritten, losing);
}

// "47/1 30/1 36/1" as the 24 bytes of three rationals, in either byte order.
std::vector<std::string> RationalBytes(const std::string& text) {
    std::vector<std::uint32_t> numbers;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t used = 0;
        numbers.push_back(static_cast<std::uint32_t>(std::stoul(text.substr(at), &used)));
        at += used + 1;  // the "/" or the space after the number
    }
    std::string little, big;
    for (std::uint32_t number : numbers) {
        for (int i = 0; i < 4; ++i) {
            little.push_back(static_cast<char>(number >> (8 * i)));
            big.push_back(static_cast<char>(number >> (8 * (3 - i))));
        }
    }
    return {little, big};
}

// Whether "0/1 0/1 0/1" names more than 0: a stored 0 is no position, and its bytes are zeros,
// which are everywhere.
bool IsSomewhere(const std::string& text) {
    for (std::size_t at = 0; at < text.size(); at = text.find(' ', at + 1)) {
        const std::size_t start = at == 0 ? 0 : at + 1;
        if (start < text.size() && std::stoul(text.substr(start)) != 0) {
            return true;
        }
        if (text.find(' ', at + 1) == std::string::npos) {
            break;
        }
    }
    return false;
}

TEST(RealPhotos, keepNoOldPositionAndGiveTheSameBytesForTheSamePosition) {
    const fs::path source = GEOTAL_REAL_PHOTOS;
    if (!fs::is_directory(source)) {
        GTEST_SKIP() << source << " is not there";
    }
    test::TempFolder folder;
    int withPosition = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        if (!entry.is_regular_file() || !IsJpegName(entry.path())) {
            continue;
        }
        const std::string name = entry.path().filename().string();
        const std::string path = folder / name;
        fs::copy_file(entry.path(), path);
        std::vector<std::string> oldBytes;
        for (const char* key : {"Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLongitude"}) {
            const std::string text = test::TagText(path, key);
            // A stored 0/0 is no position, and its zero bytes are everywhere.
            if (text.find('/') != std::string::npos && IsSomewhere(text)) {
                for (const std::string& bytes : RationalBytes(text)) {
                    oldBytes.push_back(bytes);
                }
            }
        }
        withPosition += !oldBytes.empty();
        const GeoPosition position{
            DegreesToArcSeconds(47.5), DegreesToArcSeconds(-8.25), 412.5, {}};
        PhotoWriter writer;
        if (writer.PutFileLongLat(path, position).result != WriteResult::Written) {
            continue;  // the other test reports which photos are not written
        }
        const std::string first = ReadBytes(path);
        for (const std::string& bytes : oldBytes) {
            EXPECT_EQ(first.find(bytes), std::string::npos) << name << ": the old position stays";
        }
        ASSERT_EQ(writer.PutFileLongLat(path, position).result, WriteResult::Written) << name;
        EXPECT_TRUE(ReadBytes(path) == first)
            << name << " changed, by " << ReadBytes(path).size() << " bytes from " << first.size();
    }
    std::printf("%d photos had a position\n", withPosition);
}

}  // namespace
}  // namespace geotal
