#include "track/ZipMember.h"

#include <zip.h>

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

// A member larger than this is not a track document but a zip bomb.
constexpr zip_uint64_t kMaxMemberBytes = zip_uint64_t{1} << 31;

}  // namespace

bool ReadZipMember(std::string_view archive, std::string_view ending, std::string_view preferred,
                   std::string& contents, std::string& error) {
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
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(chosen), 0, &stat) != 0 ||
        (stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > kMaxMemberBytes) {
        error = "the archive's " + std::string(ending) + " file cannot be read";
        return false;
    }
    const std::unique_ptr<zip_file_t, MemberClose> member(
        zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(chosen), 0));
    if (!member) {
        error = "the archive's " + std::string(ending) + " file cannot be opened";
        return false;
    }
    contents.resize(static_cast<std::size_t>(stat.size));
    const zip_int64_t read = zip_fread(member.get(), contents.data(), stat.size);
    if (read < 0) {
        contents.clear();
        error = "the archive's " + std::string(ending) + " file is damaged";
        return false;
    }
    contents.resize(static_cast<std::size_t>(read));
    return true;
}

}  // namespace geotal
