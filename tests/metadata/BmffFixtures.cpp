#include "metadata/BmffFixtures.h"

#include <algorithm>

#include "metadata/ExifFixtures.h"
#include "metadata/TiffBytes.h"

namespace geotal::test {

std::string BigEndian(std::uint64_t value, int bytes) {
    std::string out;
    for (int n = bytes - 1; n >= 0; --n) {
        out += static_cast<char>(value >> (8 * n) & 0xFF);
    }
    return out;
}

std::string Box(const std::string& type, const std::string& content) {
    return BigEndian(8 + content.size(), 4) + type + content;
}

std::string LargeBox(const std::string& type, const std::string& content) {
    return BigEndian(1, 4) + type + BigEndian(16 + content.size(), 8) + content;
}

std::string ToEndBox(const std::string& type, const std::string& content) {
    return BigEndian(0, 4) + type + content;
}

std::string FullBox(const std::string& type, std::uint8_t version, const std::string& content) {
    return Box(type, static_cast<char>(version) + std::string(3, '\0') + content);
}

std::string UuidBox(const std::string& userType, const std::string& content) {
    return Box("uuid", userType + content);
}

std::string FileType(const std::string& major, const std::vector<std::string>& compatible) {
    std::string content = major + BigEndian(0, 4);
    for (const std::string& brand : compatible) {
        content += brand;
    }
    return Box("ftyp", content);
}

std::string TiffBlock(const std::vector<TiffTag>& tags) {
    std::vector<TiffTag> sorted = tags;
    std::sort(sorted.begin(), sorted.end(),
              [](const TiffTag& a, const TiffTag& b) { return a.tag < b.tag; });
    const ByteOrder order = ByteOrder::Little;
    std::string block("II*\0", 4);
    Append32(block, 8, order);
    Append16(block, static_cast<std::uint16_t>(sorted.size()), order);
    std::string values;
    const auto valuesAt = static_cast<std::uint32_t>(8 + 2 + 12 * sorted.size() + 4);
    for (const TiffTag& tag : sorted) {
        std::string value;
        std::uint16_t type = 2;
        std::uint32_t count = 0;
        if (tag.rationals.empty()) {
            value = tag.text + '\0';
            count = static_cast<std::uint32_t>(value.size());
        } else {
            type = 5;
            for (std::uint32_t part : tag.rationals) {
                Append32(value, part, order);
            }
            count = static_cast<std::uint32_t>(tag.rationals.size() / 2);
        }
        Append16(block, tag.tag, order);
        Append16(block, type, order);
        Append32(block, count, order);
        if (value.size() <= 4) {
            block += value + std::string(4 - value.size(), '\0');
        } else {
            Append32(block, valuesAt + static_cast<std::uint32_t>(values.size()), order);
            values += value;
        }
    }
    Append32(block, 0, order);
    return block + values;
}

std::string CanonUuid() {
    return std::string("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);
}

std::string Cr3(const std::string& canonBoxes) {
    return FileType("crx ", {"crx ", "isom"}) +
           Box("moov", Box("mvhd", std::string(100, '\0')) + UuidBox(CanonUuid(), canonBoxes)) +
           Box("mdat", std::string(64, '\x55'));
}

std::string Cr3Blocks() {
    return Box("CNCV", "CanonCR3_001/00.09.00/00.00.00") +
           Box("CMT1", TiffBlock({{0x010F, "Canon", {}},
                                  {0x0110, "Canon EOS R6", {}},
                                  {0x0132, "2021:05:12 12:21:22", {}}})) +
           Box("CMT2", TiffBlock({{0x9003, "2021:05:12 12:21:21", {}},
                                  {0x9011, "+02:00", {}},
                                  {0xA431, "093022004357", {}}})) +
           Box("CMT3", TiffBlock({{0x0001, "a maker note", {}}})) +
           Box("CMT4", TiffBlock({{0x0001, "N", {}},
                                  {0x0002, "", {37, 1, 23, 1, 1142, 100}},
                                  {0x0003, "W", {}},
                                  {0x0004, "", {122, 1, 4, 1, 3526, 100}}}));
}

std::string ExifItem() {
    const std::string segment = ExifSegment(MakeJpeg({{false, true, false, 0}, "", false, ""}));
    return BigEndian(6, 4) + segment.substr(4);  // after the marker and length
}

namespace {

std::string ItemEntry(int version, std::uint32_t id, const std::string& type) {
    if (version < 2) {
        return FullBox("infe", static_cast<std::uint8_t>(version),
                       BigEndian(id, 2) + BigEndian(0, 2) + type + '\0' + '\0' + '\0');
    }
    return FullBox("infe", static_cast<std::uint8_t>(version),
                   BigEndian(id, version == 2 ? 2 : 4) + BigEndian(0, 2) + type + '\0');
}

// The meta box with the item data's pieces at these offsets in the file.
std::string Meta(const HeifShape& shape, const std::vector<std::uint64_t>& at,
                 const std::vector<std::uint64_t>& lengths) {
    const std::string handler =
        FullBox("hdlr", 0, BigEndian(0, 4) + "pict" + std::string(13, '\0'));
    const std::string information =
        FullBox("iinf", 0,
                BigEndian(shape.twoExifItems ? 3 : 2, 2) + ItemEntry(shape.infeVersion, 1, "hvc1") +
                    ItemEntry(shape.infeVersion, 2, "Exif") +
                    (shape.twoExifItems ? ItemEntry(shape.infeVersion, 3, "Exif") : ""));
    const int version = shape.ilocVersion;
    const int idSize = version < 2 ? 2 : 4;
    std::string locations = BigEndian(shape.offsetSize << 4 | shape.lengthSize, 1) +
                            BigEndian(shape.baseOffsetSize << 4, 1) +
                            BigEndian(shape.exifLocatedTwice ? 3 : 2, idSize);
    const auto item = [&](std::uint32_t id, int method, const std::vector<std::uint64_t>& offsets,
                          const std::vector<std::uint64_t>& sizes) {
        locations += BigEndian(id, idSize);
        if (version > 0) {
            locations += BigEndian(static_cast<std::uint64_t>(method), 2);
        }
        locations += BigEndian(0, 2) + BigEndian(shape.baseOffset, shape.baseOffsetSize) +
                     BigEndian(offsets.size(), 2);
        for (std::size_t n = 0; n < offsets.size(); ++n) {
            locations +=
                BigEndian(offsets[n], shape.offsetSize) + BigEndian(sizes[n], shape.lengthSize);
        }
    };
    item(1, 0, {0}, {1});
    std::vector<std::uint64_t> offsets;
    for (std::uint64_t offset : at) {
        offsets.push_back(offset - shape.baseOffset +
                          static_cast<std::uint64_t>(shape.offsetShift));
    }
    item(2, shape.constructionMethod, offsets, lengths);
    if (shape.exifLocatedTwice) {
        item(2, shape.constructionMethod, offsets, lengths);
    }
    return FullBox(
        "meta", 0,
        handler + information + FullBox("iloc", static_cast<std::uint8_t>(version), locations));
}

}  // namespace

std::string Heif(const HeifShape& shape) {
    const std::string type = FileType(shape.major, {"mif1", shape.major});
    // The pieces in reverse order in the data box, so that only their extents put them right.
    std::vector<std::string> pieces;
    const std::size_t each = shape.item.size() / static_cast<std::size_t>(shape.pieces);
    for (int n = 0; n < shape.pieces; ++n) {
        const std::size_t from = static_cast<std::size_t>(n) * each;
        pieces.push_back(n + 1 == shape.pieces ? shape.item.substr(from)
                                               : shape.item.substr(from, each));
    }
    std::string data;
    std::vector<std::uint64_t> within(pieces.size());
    for (std::size_t n = pieces.size(); n-- > 0;) {
        within[n] = data.size();
        data += pieces[n];
    }
    std::vector<std::uint64_t> lengths;
    for (const std::string& piece : pieces) {
        lengths.push_back(piece.size());
    }
    lengths.back() += static_cast<std::uint64_t>(shape.lengthShift);
    if (shape.lengthZero) {
        lengths.back() = 0;
    }
    const std::vector<std::uint64_t> none(pieces.size(), 0);
    const std::size_t metaSize = Meta(shape, none, lengths).size();
    const std::uint64_t dataAt = type.size() + (shape.itemAtEnd ? metaSize : 0) + 8;
    std::vector<std::uint64_t> at;
    for (std::uint64_t offset : within) {
        at.push_back(dataAt + offset);
    }
    const std::string meta = Meta(shape, at, lengths);
    const std::string media = Box("mdat", data);
    return shape.itemAtEnd ? type + meta + media : type + media + meta;
}

}  // namespace geotal::test
