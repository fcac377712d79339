#include "track/ZipBytes.h"

#include <zlib.h>

#include <stdexcept>

namespace geotal::testing {
namespace {

constexpr std::uint32_t kMegabyte = 1 << 20;

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// Raw deflate data of the text: whole blocks ending on a byte, then the final block when
// finish is set.
class Deflater {
public:
    Deflater() {
        if (deflateInit2(&stream_, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::runtime_error("deflateInit2 failed");
        }
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    std::string Deflate(const std::string& text, int flush) {
        std::string out(deflateBound(&stream_, text.size()) + 64, '\0');
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        stream_.avail_in = static_cast<uInt>(text.size());
        stream_.next_out = reinterpret_cast<Bytef*>(out.data());
        stream_.avail_out = static_cast<uInt>(out.size());
        deflate(&stream_, flush);
        out.resize(out.size() - stream_.avail_out);
        return out;
    }

private:
    z_stream stream_{};
};

std::uint32_t Crc(const std::string& text) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

}  // namespace

ZipEntry DeflatedEntry(const std::string& name, const std::string& text) {
    Deflater deflater;
    return {name, deflater.Deflate(text, Z_FINISH), Crc(text),
            static_cast<std::uint32_t>(text.size())};
}

ZipEntry SpacesEntry(const std::string& name, std::uint32_t megabytes) {
    // A full flush leaves nothing for the next block to refer back to, so one block of a
    // megabyte can stand for every megabyte.
    const std::string spaces(kMegabyte, ' ');
    Deflater deflater;
    const std::string block = deflater.Deflate(spaces, Z_FULL_FLUSH);
    ZipEntry entry{name, {}, 0, megabytes * kMegabyte};
    entry.deflated.reserve(block.size() * megabytes + 16);
    const uLong blockCrc = Crc(spaces);
    uLong crc = 0;
    for (std::uint32_t i = 0; i < megabytes; ++i) {
        entry.deflated += block;
        crc = crc32_combine(crc, blockCrc, kMegabyte);
    }
    entry.deflated += deflater.Deflate({}, Z_FINISH);
    entry.crc = static_cast<std::uint32_t>(crc);
    return entry;
}

std::string ZipArchiveOf(const ZipEntry& entry) {
    const auto nameSize = static_cast<std::uint32_t>(entry.name.size());
    const auto dataSize = static_cast<std::uint32_t>(entry.deflated.size());
    std::string local;
    Put(local, 0x04034b50, 4);
    Put(local, 20, 2);  // version needed
    Put(local, 0, 2);   // flags
    Put(local, 8, 2);   // deflate
    Put(local, 0, 4);   // time and date
    Put(local, entry.crc, 4);
    Put(local, dataSize, 4);
    Put(local, entry.size, 4);
    Put(local, nameSize, 2);
    Put(local, 0, 2);
    local += entry.name;
    std::string central;
    Put(central, 0x02014b50, 4);
    Put(central, 20, 2);  // made by
    Put(central, 20, 2);  // version needed
    Put(central, 0, 2);
    Put(central, 8, 2);
    Put(central, 0, 4);
    Put(central, entry.crc, 4);
    Put(central, dataSize, 4);
    Put(central, entry.size, 4);
    Put(central, nameSize, 2);
    Put(central, 0, 2);  // extra
    Put(central, 0, 2);  // comment
    Put(central, 0, 2);  // disk
    Put(central, 0, 2);  // internal attributes
    Put(central, 0, 4);  // external attributes
    Put(central, 0, 4);  // offset of the local header
    central += entry.name;
    std::string end;
    Put(end, 0x06054b50, 4);
    Put(end, 0, 2);
    Put(end, 0, 2);
    Put(end, 1, 2);
    Put(end, 1, 2);
    Put(end, static_cast<std::uint32_t>(central.size()), 4);
    Put(end, static_cast<std::uint32_t>(local.size() + entry.deflated.size()), 4);
    Put(end, 0, 2);
    return local + entry.deflated + central + end;
}

}  // namespace geotal::testing
