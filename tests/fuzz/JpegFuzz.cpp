// Any bytes as a photo: its stored position is read, then a position is written into it as
// Update photo files does. A write either gives a photo that reads back with the new position,
// or is refused and leaves the file byte for byte as it was, with nothing left beside it;
// writing it again keeps the same promises. A photo written by the byte-level GPS edit keeps the
// bytes of its image data and of every segment that holds no metadata (tables, frame, restart
// interval); one the library wrote anew is held to the read-back check instead, as exiv2 lays
// a damaged file out again.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzChecks.h"
#include "metadata/JpegSegments.h"
#include "photo/PhotoMetadata.h"
#include "photo/PhotoWriter.h"
#include "support/TraceLog.h"

namespace {

// One folder for the whole run, in memory when the system offers one, so flushing is cheap.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = std::filesystem::is_directory("/dev/shm")
                                  ? "/dev/shm/geotal-fuzz-XXXXXX"
                                  : "/tmp/geotal-fuzz-XXXXXX";
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The segments that are no metadata (not APPn, not a comment), in order, then the image data
// from the start of the scan on; empty when the bytes do not list as a JPEG file.
std::string ImageAndTables(const std::string& jpeg) {
    std::vector<geotal::JpegSegment> segments;
    std::string why;
    if (!geotal::ListJpegSegments(jpeg, segments, why)) {
        return {};
    }
    std::string kept;
    for (const geotal::JpegSegment& segment : segments) {
        const bool metadata =
            (segment.marker >= 0xE0 && segment.marker <= 0xEF) || segment.marker == 0xFE;
        if (!metadata) {
            kept += jpeg.substr(segment.start, segment.end - segment.start);
        }
    }
    return kept + "|" + jpeg.substr(segments.empty() ? jpeg.size() : segments.back().end);
}

bool OnlyThePhotoIsThere() {
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        (void)entry;
        ++entries;
    }
    return entries == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace geotal;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = Folder() + "/photo.jpg";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    double longitude = 0, latitude = 0, time = 0;
    const auto read = [&path, &longitude, &latitude, &time] {
        PhotoFacts facts;
        const bool found = ReadPhotoFacts(path, facts);
        latitude = facts.position ? facts.position->latitude : 0.0;
        longitude = facts.position ? facts.position->longitude : 0.0;
        time = facts.captureTime.value_or(0);
        return found;
    };
    const bool readable = read();
    const double timeBefore = time;
    fuzz::Require(
        latitude >= -324000 && latitude <= 324000 && longitude >= -648000 && longitude <= 648000,
        "a stored position read is on the globe");

    PhotoWriter writer;
    const std::string trace = Folder() + ".trace";
    ::unlink(trace.c_str());
    EnableTrace(trace);
    const WriteOutcome outcome = writer.PutFileLongLat(path, {171036.0, -29700.0, 412.5, {}});
    DisableTrace();
    const bool rewritten = Contents(trace).find("Every tag written anew") != std::string::npos;
    if (outcome.result == WriteResult::Written) {
        // A photo without a capture time reads as nothing before and after; one with a time
        // keeps it and shows the new position.
        if (readable) {
            fuzz::Require(read(), "a written photo reads back");
            fuzz::Require(time == timeBefore, "the capture time stays");
            fuzz::Require(latitude > 171035.9 && latitude < 171036.1 && longitude < -29699.9 &&
                              longitude > -29700.1,
                          "a written photo holds the position written");
        }
        const std::string written = Contents(path);
        fuzz::Require(rewritten || ImageAndTables(written) == ImageAndTables(bytes),
                      "the image data and the segments without metadata keep their bytes");
        // Writing again, without an altitude, keeps the same promises.
        const WriteOutcome again = writer.PutFileLongLat(path, {7200.5, 0.25, std::nullopt, {}});
        fuzz::Require(again.result == WriteResult::Written || Contents(path) == written,
                      "a second write either happens or leaves the photo as the first made it");
    } else {
        fuzz::Require(!outcome.message.empty(), "a refusal says why");
        fuzz::Require(Contents(path) == bytes, "a refused photo is left as it was");
    }
    fuzz::Require(OnlyThePhotoIsThere(), "no temporary file is left beside the photo");
    ::unlink(path.c_str());
    return 0;
}
