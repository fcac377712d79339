// Any bytes as an ISO media photo (CR3, HEIC, AVIF): the list's own reader of their boxes reads
// the file as it reads its bytes, and wherever the metadata library reads EXIF tags from the
// same file, it answers what the library reads; a CR3's previews, read for its thumbnail, lie
// within the file.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzChecks.h"
#include "metadata/BmffExif.h"
#include "metadata/Cr3Previews.h"
#include "photo/PhotoMetadata.h"

namespace {

const std::string& Path() {
    static const std::string path = [] {
        std::string pattern = std::filesystem::is_directory("/dev/shm")
                                  ? "/dev/shm/geotal-fuzz-XXXXXX"
                                  : "/tmp/geotal-fuzz-XXXXXX";
        return std::string(::mkdtemp(pattern.data())) + "/photo.heic";
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
    const std::optional<ListedExifTags> direct = ReadBmffListedTagsOfFile(Path());
    fuzz::Require(direct == ReadBmffListedTagsOf(bytes), "the file and its bytes read alike");
    // The library follows fewer layouts (items in pieces, 32-bit item IDs, boxes of size 0)
    // and gives up on damage elsewhere; where it reads the tags, they are the same.
    if (direct && (direct->dateTimeOriginal || direct->dateTime)) {
        const std::optional<ListedExifTags> library = ReadListedTagsWithLibrary(Path());
        fuzz::Require(!library || *library == *direct,
                      "the tags read are the ones the library reads");
    }
    // A CR3's previews, read box by box for its thumbnail, lie whole within the file.
    BytesSource source(bytes);
    for (const Cr3Preview& preview : ReadCr3Previews(source)) {
        fuzz::Require(preview.jpeg.offset + preview.jpeg.length <= size &&
                          bytes.compare(preview.jpeg.offset, 2, "\xff\xd8") == 0,
                      "a CR3 preview is a JPEG within the file");
    }
    const int orientation = ReadCr3Orientation(source);
    fuzz::Require(orientation >= 1 && orientation <= 8, "a CR3's orientation is 1 to 8");
    return 0;
}
