#include "metadata/ExifFixtures.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "metadata/PhotoFixture.h"

namespace geotal::test {
namespace {

// A TIFF structure built in memory: directories whose entries may point at other
// directories or at blobs of data laid out after them, by offsets filled in at the end.
class TiffBuilder {
public:
    explicit TiffBuilder(bool bigEndian) : big_(bigEndian) {}

    struct Entry {
        Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::string data)
            : tag(tag), type(type), count(count), data(std::move(data)) {}
        std::uint16_t tag, type;
        std::uint32_t count;
        std::string data;
        int directory = -1;                              // points at this directory
        std::vector<std::pair<std::size_t, int>> blobs;  // (where in data, which blob) offsets
    };

    int AddDirectory() {
        directories_.emplace_back();
        return static_cast<int>(directories_.size() - 1);
    }
    int AddBlob(std::string bytes) {
        blobs_.push_back(std::move(bytes));
        return static_cast<int>(blobs_.size() - 1);
    }
    void Add(int directory, Entry entry) { directories_[directory].entries.push_back(entry); }
    void SetNext(int directory, int next) { directories_[directory].next = next; }

    std::string U16(std::uint32_t v) const {
        return big_ ? std::string{char(v >> 8), char(v)} : std::string{char(v), char(v >> 8)};
    }
    std::string U32(std::uint32_t v) const {
        return big_ ? U16(v >> 16) + U16(v & 0xFFFF) : U16(v & 0xFFFF) + U16(v >> 16);
    }
    Entry Ascii(std::uint16_t tag, const std::string& text) const {
        return {tag, 2, static_cast<std::uint32_t>(text.size() + 1), text + '\0'};
    }
    Entry Short(std::uint16_t tag, std::uint32_t v) const { return {tag, 3, 1, U16(v)}; }
    Entry Long(std::uint16_t tag, std::uint32_t v) const { return {tag, 4, 1, U32(v)}; }
    Entry Rationals(std::uint16_t tag, std::vector<std::uint32_t> parts) const {
        Entry entry{tag, 5, static_cast<std::uint32_t>(parts.size() / 2), ""};
        for (std::uint32_t part : parts) {
            entry.data += U32(part);
        }
        return entry;
    }
    Entry Pointer(std::uint16_t tag, int directory) const {
        Entry entry = Long(tag, 0);
        entry.directory = directory;
        return entry;
    }
    Entry BlobOffset(std::uint16_t tag, int blob) const {
        Entry entry = Long(tag, 0);
        entry.blobs.push_back({0, blob});
        return entry;
    }

    std::string Build() const {
        std::string out = (big_ ? "MM" : "II") + U16(42) + U32(8);
        std::vector<std::size_t> at(directories_.size());
        std::vector<std::pair<std::size_t, int>> directoryPatches, blobPatches;
        for (std::size_t d = 0; d < directories_.size(); ++d) {
            const Directory& directory = directories_[d];
            at[d] = out.size();
            out += U16(static_cast<std::uint32_t>(directory.entries.size()));
            std::size_t values = out.size() + directory.entries.size() * 12 + 4;
            std::string data;
            for (const Entry& entry : directory.entries) {
                out += U16(entry.tag) + U16(entry.type) + U32(entry.count);
                std::size_t place = out.size();
                if (entry.data.size() <= 4) {
                    out += entry.data + std::string(4 - entry.data.size(), '\0');
                } else {
                    place = values + data.size();
                    out += U32(static_cast<std::uint32_t>(place));
                    data += entry.data + std::string(entry.data.size() % 2, '\0');
                }
                if (entry.directory >= 0) {
                    directoryPatches.push_back({place, entry.directory});
                }
                for (const auto& [within, blob] : entry.blobs) {
                    blobPatches.push_back({place + within, blob});
                }
            }
            if (directory.next >= 0) {
                directoryPatches.push_back({out.size(), directory.next});
            }
            out += U32(0) + data;
        }
        std::vector<std::size_t> blobAt;
        for (const std::string& blob : blobs_) {
            blobAt.push_back(out.size());
            out += blob + std::string(blob.size() % 2, '\0');
        }
        for (const auto& [place, d] : directoryPatches) {
            out.replace(place, 4, U32(static_cast<std::uint32_t>(at[d])));
        }
        for (const auto& [place, b] : blobPatches) {
            out.replace(place, 4, U32(static_cast<std::uint32_t>(blobAt[b])));
        }
        return out;
    }

private:
    struct Directory {
        std::vector<Entry> entries;
        int next = -1;
    };
    bool big_;
    std::vector<Directory> directories_;
    std::vector<std::string> blobs_;
};

std::string TinyJpeg() {
    return ReadBytes(std::string(GEOTAL_TEST_DATA) + "/tiny.jpg");
}

std::string Segment(unsigned char marker, const std::string& data) {
    const std::size_t length = data.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           data;
}

std::string Tiff(const ExifShape& shape, std::size_t comment) {
    TiffBuilder tiff(shape.bigEndian);
    const int ifd0 = tiff.AddDirectory();
    const int exif = tiff.AddDirectory();
    const int gps = shape.gps ? tiff.AddDirectory() : -1;
    const int ifd1 = shape.makerNote ? tiff.AddDirectory() : -1;
    tiff.Add(ifd0, tiff.Ascii(0x010F, "Fixture Maker"));
    tiff.Add(ifd0, tiff.Ascii(0x0110, "Model 1"));
    tiff.Add(ifd0, tiff.Short(0x0112, 1));
    tiff.Add(ifd0, tiff.Rationals(0x011A, {72, 1}));
    tiff.Add(ifd0, tiff.Rationals(0x011B, {72, 1}));
    tiff.Add(ifd0, tiff.Short(0x0128, 2));
    tiff.Add(ifd0, tiff.Ascii(0x0132, "2010:01:02 08:00:00"));
    tiff.Add(ifd0, tiff.Short(0x0213, 1));
    tiff.Add(ifd0, tiff.Pointer(0x8769, exif));
    if (shape.gps) {
        tiff.Add(ifd0, tiff.Pointer(0x8825, gps));
        tiff.Add(gps, TiffBuilder::Entry{0x0000, 1, 4, std::string("\2\2\0\0", 4)});
        tiff.Add(gps, tiff.Ascii(0x0001, "S"));
        tiff.Add(gps, tiff.Rationals(0x0002, {10, 1, 20, 1, 3000, 100}));
        tiff.Add(gps, tiff.Ascii(0x0003, "W"));
        tiff.Add(gps, tiff.Rationals(0x0004, {5, 1, 10, 1, 15, 1}));
        tiff.Add(gps, TiffBuilder::Entry{0x0005, 1, 1, std::string(1, '\0')});
        tiff.Add(gps, tiff.Rationals(0x0006, {1234, 10}));
        tiff.Add(gps, tiff.Ascii(0x0008, "7"));
        tiff.Add(gps, tiff.Ascii(0x0012, "WGS-84"));
    }
    tiff.Add(exif, tiff.Rationals(0x829A, {1, 250}));
    tiff.Add(exif, TiffBuilder::Entry{0x9000, 7, 4, "0230"});
    tiff.Add(exif, tiff.Ascii(0x9003, "2010:01:01 12:00:00"));
    tiff.Add(exif, TiffBuilder::Entry{0x9101, 7, 4, std::string("\1\2\3\0", 4)});
    if (shape.makerNote) {
        // The maker note's directory counts its preview's offset from the TIFF header, as
        // several makers' do: moving the maker note, or the preview, would break it.
        const int preview = tiff.AddBlob(TinyJpeg());
        const std::string head("FIXTURE\0", 8);
        std::string note = head + tiff.U16(2) + tiff.U16(0x0201) + tiff.U16(4) + tiff.U32(1) +
                           tiff.U32(0) + tiff.U16(0x0202) + tiff.U16(4) + tiff.U32(1) +
                           tiff.U32(static_cast<std::uint32_t>(TinyJpeg().size())) + tiff.U32(0);
        TiffBuilder::Entry entry{0x927C, 7, static_cast<std::uint32_t>(note.size()), note};
        entry.blobs.push_back({head.size() + 2 + 8, preview});
        tiff.Add(exif, entry);
    }
    std::string userComment = std::string("ASCII\0\0\0", 8) + std::string(comment, 'x');
    tiff.Add(exif, TiffBuilder::Entry{0x9286, 7, static_cast<std::uint32_t>(userComment.size()),
                                      userComment});
    tiff.Add(exif, TiffBuilder::Entry{0xA000, 7, 4, "0100"});
    tiff.Add(exif, tiff.Short(0xA001, 1));
    if (shape.makerNote) {
        tiff.SetNext(ifd0, ifd1);
        const int thumbnail = tiff.AddBlob(TinyJpeg());
        tiff.Add(ifd1, tiff.Short(0x0103, 6));
        tiff.Add(ifd1, tiff.BlobOffset(0x0201, thumbnail));
        tiff.Add(ifd1, tiff.Long(0x0202, static_cast<std::uint32_t>(TinyJpeg().size())));
    }
    return tiff.Build();
}

std::string ExifApp1(const ExifShape& shape) {
    const std::string header("Exif\0\0", 6);
    std::string segment = Segment(0xE1, header + Tiff(shape, 0));
    if (shape.segmentSize > segment.size()) {
        segment = Segment(0xE1, header + Tiff(shape, shape.segmentSize - segment.size()));
    }
    return segment;
}

std::string IccApp2() {
    std::string profile(128, '\0');
    profile[3] = static_cast<char>(128);
    profile.replace(36, 4, "acsp");
    return Segment(0xE2, std::string("ICC_PROFILE\0\1\1", 14) + profile);
}

std::string IptcApp13() {
    const std::string caption = "A caption";
    const std::string record =
        std::string("\x1C\x02\x78\x00", 4) + static_cast<char>(caption.size()) + caption;
    std::string resource = std::string("8BIM\x04\x04\0\0", 8) + std::string(2, '\0') +
                           static_cast<char>(record.size() >> 8) +
                           static_cast<char>(record.size() & 0xFF) + record;
    resource += std::string(record.size() % 2, '\0');
    return Segment(0xED, std::string("Photoshop 3.0\0", 14) + resource);
}

// The marker segments of a JPEG file, each with its start and end.
std::vector<std::pair<std::size_t, std::size_t>> Segments(const std::string& jpeg) {
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF &&
           static_cast<unsigned char>(jpeg[at + 1]) != 0xDA) {
        const std::size_t length = static_cast<unsigned char>(jpeg[at + 2]) << 8 |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        segments.push_back({at, at + 2 + length});
        at += 2 + length;
    }
    return segments;
}

}  // namespace

std::string XmpPacket(const std::string& attributes, const std::string& elements,
                      std::size_t padding) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"Fixture 1.0\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\"\n"
           "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           "    xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"\n"
           "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
           "    xmp:Rating=\"3\"" +
           attributes +
           ">\n"
           "   <dc:rights><rdf:Alt><rdf:li "
           "xml:lang=\"x-default\"></rdf:li></rdf:Alt></dc:rights>\n" +
           elements +
           "  </rdf:Description>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n" +
           std::string(padding, ' ') + "\n<?xpacket end=\"w\"?>";
}

std::string MakeJpeg(const JpegShape& shape) {
    const std::string tiny = TinyJpeg();
    const auto tinySegments = Segments(tiny);
    const std::size_t afterApp0 = tinySegments.front().second;
    std::string jpeg = tiny.substr(0, afterApp0) + ExifApp1(shape.exif);
    if (!shape.xmp.empty()) {
        jpeg += Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + shape.xmp);
    }
    if (shape.others) {
        jpeg += IccApp2() + IptcApp13() + Segment(0xFE, "A comment");
    }
    return jpeg + tiny.substr(afterApp0) + shape.afterImage;
}

std::string ExifSegment(const std::string& jpeg) {
    return SegmentStartingWith(jpeg, std::string("Exif\0\0", 6));
}

std::string SegmentStartingWith(const std::string& jpeg, const std::string& signature) {
    for (const auto& [start, end] : Segments(jpeg)) {
        if (jpeg.compare(start + 4, signature.size(), signature) == 0) {
            return jpeg.substr(start, end - start);
        }
    }
    return {};
}

std::string DifferenceOutsideGps(const std::string& before, const std::string& after) {
    const std::string xmp("http://ns.adobe.com/xap/1.0/\0", 29);
    auto others = [&xmp](const std::string& jpeg) {
        std::vector<std::string> kept;
        for (const auto& [start, end] : Segments(jpeg)) {
            const std::string segment = jpeg.substr(start, end - start);
            const bool exif = segment.compare(4, 6, std::string("Exif\0\0", 6)) == 0;
            kept.push_back(exif ? "EXIF" : segment.compare(4, 29, xmp) == 0 ? "XMP" : segment);
        }
        return kept;
    };
    if (others(before) != others(after)) {
        return "another segment changed";
    }
    if (ImageAndAfter(before) != ImageAndAfter(after)) {
        return "the image data or what follows it changed";
    }
    const std::string old = ExifSegment(before).substr(10);
    const std::string now = ExifSegment(after).substr(10);
    const bool big = old[0] == 'M';
    auto number = [big](const std::string& tiff, std::size_t at, int size) {
        std::size_t value = 0;
        for (int i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(tiff[at + (big ? i : size - 1 - i)]);
            value = value << 8 | byte;
        }
        return value;
    };
    const std::size_t ifd0 = number(old, 4, 4);
    std::size_t pointer = 4;  // the header's offset to IFD0, when IFD0 has no GPS pointer
    for (std::size_t i = 0; i < number(old, ifd0, 2); ++i) {
        if (number(old, ifd0 + 2 + 12 * i, 2) == 0x8825) {
            pointer = ifd0 + 2 + 12 * i + 8;
        }
    }
    // A GPS directory that ended the old data may have been written over; nothing before it.
    std::size_t kept = old.size();
    if (pointer != 4 && number(now, pointer, 4) < old.size()) {
        kept = number(now, pointer, 4);
        if (kept < number(old, pointer, 4)) {
            return "the new GPS directory begins before the old one";
        }
    }
    if (now.size() < kept) {
        return "the new EXIF data is shorter than what it keeps of the old";
    }
    // The old GPS directory and its values, which must now be zeros where they are kept.
    std::vector<std::pair<std::size_t, std::size_t>> oldGps;
    if (pointer != 4) {
        const std::size_t gps = number(old, pointer, 4);
        const std::size_t count = number(old, gps, 2);
        oldGps.emplace_back(gps, gps + 2 + 12 * count + 4);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = gps + 2 + 12 * i;
            const std::size_t type = number(old, entry + 2, 2);
            const std::size_t unit = type == 3                 ? 2
                                     : type == 4 || type == 9  ? 4
                                     : type == 5 || type == 10 ? 8
                                                               : 1;
            const std::size_t size = unit * number(old, entry + 4, 4);
            if (size > 4) {
                const std::size_t at = number(old, entry + 8, 4);
                oldGps.emplace_back(at, at + size);
            }
        }
    }
    auto inOldGps = [&oldGps](std::size_t i) {
        return std::any_of(oldGps.begin(), oldGps.end(),
                           [i](const auto& range) { return range.first <= i && i < range.second; });
    };
    for (std::size_t i = 0; i < kept; ++i) {
        if (inOldGps(i) && now[i] != '\0') {
            return "old GPS byte " + std::to_string(i) + " is still there";
        }
        if (old[i] != now[i] && (i < pointer || i >= pointer + 4) && !inOldGps(i)) {
            return "TIFF byte " + std::to_string(i) + " changed";
        }
    }
    return {};
}

std::string ImageAndAfter(const std::string& jpeg) {
    const auto segments = Segments(jpeg);
    return segments.empty() ? jpeg : jpeg.substr(segments.back().second);
}

}  // namespace geotal::test
