#include "photo/DamagedPhotos.h"

#include "metadata/PhotoFixture.h"

namespace geotal::test {
namespace {

std::string BigEndian16(std::size_t value) {
    return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

// The offset just past the APP1 (EXIF) segment, where the profile goes.
std::size_t EndOfExif(const std::string& jpeg) {
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        const std::size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        at += 2 + length;
        if (marker == 0xE1) {
            return at;
        }
    }
    return 2;
}

// The profile's own first four bytes give its size; the rest can be zeros for the library.
std::string Profile(std::size_t size) {
    std::string profile(size, '\0');
    profile[2] = static_cast<char>(size >> 8);
    profile[3] = static_cast<char>(size & 0xFF);
    return profile;
}

std::string Chunk(const std::string& data, int number, int count) {
    const std::string body = std::string("ICC_PROFILE", 12) + static_cast<char>(number) +
                             static_cast<char>(count) + data;
    return "\xFF\xE2" + BigEndian16(body.size() + 2) + body;
}

}  // namespace

std::string MakeIccPhoto(const std::string& path, IccDamage damage, int chunks, bool fullExif) {
    MakeDatedPhoto(path);
    if (fullExif) {
        SetTags(path, {{"Exif.Photo.UserComment", std::string(65400, 'x')}});
    }
    const std::string jpeg = ReadBytes(path);
    const std::string profile = Profile(chunks == 1 ? 128 : 256);
    std::string segments;
    for (int n = 0; n < chunks; ++n) {
        segments += Chunk(profile.substr(n * 128, 128), n + 1, chunks);
    }
    // Offsets within the segments: marker 2, length 2, signature 12, number and count 2.
    const std::size_t second = 2 + 2 + 12 + 2 + 128;
    switch (damage) {
        case IccDamage::None:
            break;
        case IccDamage::ShiftedHeader:
            segments.erase(4 + 11, 1);
            break;
        case IccDamage::LengthOneTooLong:
            segments[3] = static_cast<char>(segments[3] + 1);
            break;
        case IccDamage::ByteMissing:
            segments.erase(2 + 2 + 12 + 2 + 6, 1);
            break;
        case IccDamage::SecondChunkUnnamed:
            segments[second + 4] = 'i';
            break;
    }
    const std::size_t at = EndOfExif(jpeg);
    WriteBytes(path, jpeg.substr(0, at) + segments + jpeg.substr(at));
    return path;
}

}  // namespace geotal::test
