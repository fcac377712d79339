// Any bytes as a TIFF-based photo: wherever the list's own reader of TIFF directories answers,
// it answers what the metadata library reads from the same file.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzChecks.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/TiffListedTags.h"
#include "photo/PhotoMetadata.h"

namespace {

const std::string& Path() {
    static const std::string path = [] {
        std::string pattern = std::filesystem::is_directory("/dev/shm")
                                  ? "/dev/shm/geotal-fuzz-XXXXXX"
                                  : "/tmp/geotal-fuzz-XXXXXX";
        return std::string(::mkdtemp(pattern.data())) + "/photo.dng";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace geotal;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::optional<ListedExifTags> direct = ReadTiffListedTagsOfFile(Path());
    fuzz::Require(direct == ReadTiffListedTagsOf(bytes), "the file and its bytes read alike");
    // Only a date makes the list take the reader's answer; without one the library reads the
    // file all the same.
    if (direct && (direct->dateTimeOriginal || direct->dateTime)) {
        const std::optional<ListedExifTags> library = ReadListedTagsWithLibrary(Path());
        TagTexts xmp;
        std::string error;
        // The library may fail on damage elsewhere in the file, which the directories read
        // here do not share; where it reads the file, it reads the same tags.
        fuzz::Require(library ? *library == *direct : !ReadXmpTexts(Path(), xmp, error),
                      "the tags read are the ones the library reads");
    }
    return 0;
}
