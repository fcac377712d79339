#include "track/ZipMember.h"

#include <zip.h>

#include <algorithm>
#include <memory>

#include "support/AsciiText.h"

namespace geotal {
namespace {

struct ArchiveClose {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

constexpr std::size_t kPieceBytes = std::size_t{1} << 16;

std::string Megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

// Why the member was not read: it went past the cap, or past what the archive's size allows.
std::string TooLarge(const std::string& name, const ZipMemberLimits& limits, bool capped) {
    const std::string start = name + " in the archive unpacks to more than ";
    if (capped) {
        return start + Megabytes(limits.capBytes) +
               ", more than a track file holds; it was not read";
    }
    return start + std::to_string(limits.ratio) +
           " times the archive's size, as only a zip bomb does; it was not read";
}

}  // namespace

bool ReadZipMember(std::string_view archive, std::string_view ending, std::string_view preferred,
                   std::string& contents, std::string& error, const ZipMemberLimits& limits) {
    contents.clear();
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, &zipError);
    if (source == nullptr) {
        error = "not a zip archive";
        return false;
    }
    const std::unique_ptr<zip_t, ArchiveClose> zip(
        zip_open_from_source(source, ZIP_RDONLY, &zipError));
    if (!zip) {
        zip_source_free(source);
        error = std::string("not a zip archive (") + zip_error_strerror(&zipError) + ")";
        zip_error_fini(&zipError);
        return false;
    }
    zip_error_fini(&zipError);
    zip_int64_t chosen = zip_name_locate(zip.get(), std::string(preferred).c_str(), ZIP_FL_NOCASE);
    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; chosen < 0 && i < count; ++i) {
        const char* name = zip_get_name(zip.get(), static_cast<zip_uint64_t>(i), 0);
        if (name != nullptr && EndsWithNoCase(name, ending)) {
            chosen = i;
        }
    }
    if (chosen < 0) {
        error = "the archive holds no " + std::string(ending) + " file";
        return false;
    }
    const auto index = static_cast<zip_uint64_t>(chosen);
    const char* memberName = zip_get_name(zip.get(), index, 0);
    const std::string name = memberName != nullptr ? memberName : "the " + std::string(ending);
    const std::unique_ptr<zip_file_t, MemberClose> member(zip_fopen_index(zip.get(), index, 0));
    if (!member) {
        error = name + " in the archive cannot be opened";
        return false;
    }
    const std::uint64_t byRatio = limits.ratio * static_cast<std::uint64_t>(archive.size());
    const std::uint64_t allowed = std::max(limits.floorBytes, byRatio);
    const std::uint64_t limit = std::min(allowed, limits.capBytes);
    // An honest claim of the size spares the text its regrowth; a false one costs only room
    // that is never touched, and never more than the limit.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.get(), index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) != 0) {
        contents.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(stat.size, limit)));
    }
    std::string piece(kPieceBytes, '\0');
    while (true) {
        const zip_int64_t read = zip_fread(member.get(), piece.data(), piece.size());
        if (read < 0) {
            contents.clear();
            error = name + " in the archive is damaged";
            return false;
        }
        if (read == 0) {
            return true;
        }
        // Checked before the piece is added, so that the text never grows past its room.
        if (contents.size() + static_cast<std::uint64_t>(read) > limit) {
            contents.clear();
            contents.shrink_to_fit();
            error = TooLarge(name, limits, limits.capBytes < allowed);
            return false;
        }
        contents.append(piece.data(), static_cast<std::size_t>(read));
    }
}

}  // namespace geotal
