#include "metadata/TiffGpsEdit.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "metadata/TiffBytes.h"
#include "metadata/TiffField.h"

namespace geotal {
namespace {

constexpr std::uint16_t kLongType = 4;

struct Range {
    std::size_t begin = 0, end = 0;
};

// A directory's entry table: count, entries, next-directory offset.
struct Directory {
    std::size_t offset = 0;
    std::uint16_t count = 0;
    std::size_t EntryAt(std::size_t i) const { return offset + 2 + i * kTiffEntrySize; }
    std::size_t End() const { return EntryAt(count) + 4; }
};

struct Tiff {
    std::string_view data;
    ByteOrder order = ByteOrder::Little;

    std::uint16_t U16(std::size_t at) const { return Get16(data, at, order); }
    std::uint32_t U32(std::size_t at) const { return Get32(data, at, order); }
};

bool Refuse(std::string& why, std::string reason) {
    why = std::move(reason);
    return false;
}

bool ReadDirectory(const Tiff& tiff, std::size_t offset, Directory& directory) {
    if (offset > tiff.data.size() || tiff.data.size() - offset < 2) {
        return false;
    }
    directory.offset = offset;
    directory.count = tiff.U16(offset);
    return directory.End() <= tiff.data.size();
}

// Where the value of the entry at entry lies when it does not fit the entry itself. Nothing
// when it fits; false when the type is unknown or the value lies outside the data.
bool ValueRange(const Tiff& tiff, std::size_t entry, std::optional<Range>& range) {
    const std::size_t unit = TiffTypeSize(tiff.U16(entry + 2));
    if (unit == 0) {
        return false;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(unit) * tiff.U32(entry + 4);
    range.reset();
    if (size <= 4) {
        return true;
    }
    const std::uint64_t begin = tiff.U32(entry + 8);
    if (begin + size > tiff.data.size()) {
        return false;
    }
    range = Range{static_cast<std::size_t>(begin), static_cast<std::size_t>(begin + size)};
    return true;
}

// An entry of the old GPS directory that stays: its 12 bytes and the value they point to.
struct KeptEntry {
    std::uint16_t tag = 0;
    std::string entry;
    std::string value;  // empty when the value is inside the entry, or could not be found
};

struct OldGps {
    std::vector<KeptEntry> kept;
    std::vector<Range> ranges;  // the table and every value outside it
    bool located = true;        // whether every value's place is known
};

// Whether the change gives the tag a new value or takes it out.
bool IsReplaced(std::uint16_t tag, const GpsChange& change) {
    return std::any_of(change.fields.begin(), change.fields.end(),
                       [tag](const TiffField& field) { return field.tag == tag; }) ||
           std::find(change.removed.begin(), change.removed.end(), tag) != change.removed.end();
}

// False when there is no directory at offset. An entry whose value cannot be found (an
// unknown type, an offset past the end) is kept as it is: no worse than it was.
bool ReadOldGps(const Tiff& tiff, std::size_t offset, const GpsChange& change, OldGps& old) {
    Directory directory;
    if (!ReadDirectory(tiff, offset, directory)) {
        return false;
    }
    old.ranges.push_back({directory.offset, directory.End()});
    for (std::size_t i = 0; i < directory.count; ++i) {
        const std::size_t at = directory.EntryAt(i);
        std::optional<Range> range;
        if (!ValueRange(tiff, at, range)) {
            old.located = false;
        } else if (range) {
            old.ranges.push_back(*range);
        }
        const std::uint16_t tag = tiff.U16(at);
        if (!IsReplaced(tag, change)) {
            KeptEntry kept{tag, std::string(tiff.data.substr(at, kTiffEntrySize)), {}};
            if (range) {
                kept.value = tiff.data.substr(range->begin, range->end - range->begin);
            }
            old.kept.push_back(std::move(kept));
        }
    }
    return true;
}

// Where the old GPS directory and its values begin when they fill the end of the data without
// a gap (word alignment aside) and nothing IFD0 leads to lies there: that end can be replaced.
std::optional<std::size_t> EndOfData(const Tiff& tiff, const Directory& ifd0,
                                     std::vector<Range> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.begin < b.begin; });
    const std::size_t start = ranges.front().begin;
    std::size_t reached = start;
    for (const Range& range : ranges) {
        if (range.begin > reached + 1) {
            return std::nullopt;
        }
        reached = std::max(reached, range.end);
    }
    if (reached + 1 < tiff.data.size()) {
        return std::nullopt;
    }
    if (ifd0.End() > start) {
        return std::nullopt;
    }
    // A next directory past the end of the data is none that any reader finds.
    const std::uint32_t next = tiff.U32(ifd0.EntryAt(ifd0.count));
    if (next >= start && next < tiff.data.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < ifd0.count; ++i) {
        const std::size_t at = ifd0.EntryAt(i);
        if (TiffTypeSize(tiff.U16(at + 2)) == 0) {
            continue;  // no reader takes a value of an unknown type from anywhere
        }
        std::optional<Range> range;
        if (!ValueRange(tiff, at, range) || (range && range->end > start)) {
            return std::nullopt;
        }
        if (tiff.U16(at) == kExifPointerTag && tiff.U32(at + 8) >= start) {
            return std::nullopt;
        }
    }
    return start;
}

bool Overlaps(const Range& a, const Range& b) {
    return a.begin < b.end && b.begin < a.end;
}

// Zeroes the old GPS directory and its values where they stay in the data: nothing points at
// them any more, and a position the user replaced or removed must not remain in the file.
void EraseOldGps(std::string& out, const OldGps& old, const Directory& ifd0) {
    if (!old.located) {
        return;  // a value whose place is unknown might share bytes with anything
    }
    const Range header{0, 8};
    const Range ifd0Table{ifd0.offset, ifd0.End()};
    for (const Range& range : old.ranges) {
        if (range.end <= out.size() && !Overlaps(range, header) && !Overlaps(range, ifd0Table)) {
            std::fill(out.begin() + static_cast<std::ptrdiff_t>(range.begin),
                      out.begin() + static_cast<std::ptrdiff_t>(range.end), '\0');
        }
    }
}

void AlignToWord(std::string& out) {
    if (out.size() % 2 != 0) {
        out.push_back('\0');
    }
}

std::string Encode(const TiffField& field, ByteOrder order) {
    std::string bytes;
    for (std::uint32_t value : field.values) {
        switch (field.type) {
            case TiffType::Short:
                Append16(bytes, static_cast<std::uint16_t>(value), order);
                break;
            case TiffType::Long:
            case TiffType::Rational:
                Append32(bytes, value, order);
                break;
            default:
                bytes.push_back(static_cast<char>(value));
                break;
        }
    }
    return bytes;
}

// Appends the GPS directory at out's end: the kept entries and the fields in tag order, then
// the values too long for their entries. Answers the directory's offset.
std::size_t AppendGpsDirectory(std::string& out, const OldGps& old,
                               const std::vector<TiffField>& fields, ByteOrder order) {
    std::vector<KeptEntry> entries = old.kept;
    for (const TiffField& field : fields) {
        KeptEntry entry{field.tag, std::string(kTiffEntrySize, '\0'), Encode(field, order)};
        Put16(entry.entry, 0, field.tag, order);
        Put16(entry.entry, 2, static_cast<std::uint16_t>(field.type), order);
        Put32(entry.entry, 4, TiffCount(field), order);
        if (entry.value.size() <= 4) {
            entry.entry.replace(8, entry.value.size(), entry.value);
            entry.value.clear();
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const KeptEntry& a, const KeptEntry& b) { return a.tag < b.tag; });
    AlignToWord(out);
    const std::size_t directory = out.size();
    Append16(out, static_cast<std::uint16_t>(entries.size()), order);
    for (const KeptEntry& entry : entries) {
        out += entry.entry;
    }
    Append32(out, 0, order);  // no next directory
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].value.empty()) {
            AlignToWord(out);
            Put32(out, directory + 2 + i * kTiffEntrySize + 8,
                  static_cast<std::uint32_t>(out.size()), order);
            out += entries[i].value;
        }
    }
    return directory;
}

// Appends a copy of IFD0's table with a GPS pointer entry in tag order and points the header
// at it. Answers where the pointer's value goes.
std::size_t AppendIfd0WithGpsPointer(std::string& out, const Tiff& tiff, const Directory& ifd0) {
    AlignToWord(out);
    const std::size_t copy = out.size();
    Put32(out, 4, static_cast<std::uint32_t>(copy), tiff.order);
    Append16(out, static_cast<std::uint16_t>(ifd0.count + 1), tiff.order);
    std::size_t pointer = 0;
    for (std::size_t i = 0; i <= ifd0.count; ++i) {
        const bool last = i == ifd0.count;
        if (pointer == 0 && (last || tiff.U16(ifd0.EntryAt(i)) > kGpsPointerTag)) {
            pointer = out.size() + 8;
            Append16(out, kGpsPointerTag, tiff.order);
            Append16(out, kLongType, tiff.order);
            Append32(out, 1, tiff.order);
            Append32(out, 0, tiff.order);
        }
        if (!last) {
            out += tiff.data.substr(ifd0.EntryAt(i), kTiffEntrySize);
        }
    }
    out += tiff.data.substr(ifd0.EntryAt(ifd0.count), 4);  // the next directory, as it was
    return pointer;
}

// Takes the entry at entry out of IFD0's table where it lies: the entries after it move up one,
// the count and the next directory's offset follow, and the freed last 12 bytes are zeroed.
// Offsets point at a table, never into it, so nothing else needs to change.
void RemoveIfd0Entry(std::string& out, const Tiff& tiff, const Directory& ifd0, std::size_t entry) {
    const std::size_t end = ifd0.End();
    const std::string after = out.substr(entry + kTiffEntrySize, end - entry - kTiffEntrySize);
    out.replace(entry, after.size(), after);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(end - kTiffEntrySize),
              out.begin() + static_cast<std::ptrdiff_t>(end), '\0');
    Put16(out, ifd0.offset, static_cast<std::uint16_t>(ifd0.count - 1), tiff.order);
}

bool ReadHeader(Tiff& tiff, Directory& ifd0, std::string& why) {
    if (tiff.data.size() < 8) {
        return Refuse(why, "the EXIF data is too short for a TIFF header");
    }
    if (tiff.data.substr(0, 2) == "II") {
        tiff.order = ByteOrder::Little;
    } else if (tiff.data.substr(0, 2) == "MM") {
        tiff.order = ByteOrder::Big;
    } else {
        return Refuse(why, "the EXIF data has no TIFF byte-order mark");
    }
    if (tiff.U16(2) != 42) {
        return Refuse(why, "the EXIF data is not TIFF (no 42 after the byte-order mark)");
    }
    const std::uint32_t offset = tiff.U32(4);
    if (offset < 8 || !ReadDirectory(tiff, offset, ifd0)) {
        return Refuse(why, "IFD0 lies outside the EXIF data");
    }
    return true;
}

bool CheckFields(const std::vector<TiffField>& fields, std::string& why) {
    if (fields.empty()) {
        return Refuse(why, "no GPS tags to write");
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!IsWritable(fields[i])) {
            return Refuse(why, "a GPS tag's value does not fit its type");
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (fields[j].tag == fields[i].tag) {
                return Refuse(why, "a GPS tag is given twice");
            }
        }
    }
    return true;
}

}  // namespace

TiffEditResult EditTiffGps(std::string_view data, const GpsChange& change, std::string& edited,
                           std::string& why) {
    std::vector<TiffField> fields = change.fields;
    const bool removal = IsRemoval(change);
    Tiff tiff{data};
    Directory ifd0;
    if ((!removal && !CheckFields(fields, why)) || !ReadHeader(tiff, ifd0, why)) {
        return TiffEditResult::Refused;
    }
    std::optional<std::size_t> pointerEntry;
    for (std::size_t i = 0; i < ifd0.count; ++i) {
        if (tiff.U16(ifd0.EntryAt(i)) == kGpsPointerTag) {
            pointerEntry = ifd0.EntryAt(i);
            break;
        }
    }
    OldGps old;
    std::size_t base = data.size();
    bool wholePointer = false;  // the pointer entry gets a new type and count too
    if (pointerEntry) {
        const std::uint16_t type = tiff.U16(*pointerEntry + 2);
        // A pointer that leads to no directory held no GPS tags any reader could find: it
        // is made to point at the new directory, with nothing to keep from the old.
        wholePointer = !IsDirectoryPointer(type, tiff.U32(*pointerEntry + 4)) ||
                       !ReadOldGps(tiff, tiff.U32(*pointerEntry + 8), change, old);
        if (wholePointer) {
            old = OldGps{};
        } else if (old.located) {
            if (const std::optional<std::size_t> start = EndOfData(tiff, ifd0, old.ranges)) {
                base = *start;
            }
        }
    } else if (removal) {
        edited = std::string(data);  // no GPS directory: nothing to take out
        return TiffEditResult::Edited;
    } else if (ifd0.count == 0xFFFF) {
        why = "IFD0 has no room for another entry";
        return TiffEditResult::Refused;
    }
    if (old.kept.size() + fields.size() > 0xFFFF) {
        why = "the GPS directory would have too many entries";
        return TiffEditResult::Refused;
    }

    std::string out(data.substr(0, base));
    EraseOldGps(out, old, ifd0);
    if (removal && old.kept.empty()) {
        // An empty GPS directory would still tell readers the photo has GPS data: it goes,
        // and its pointer with it.
        RemoveIfd0Entry(out, tiff, ifd0, *pointerEntry);
        edited = std::move(out);
        return TiffEditResult::Edited;
    }
    if (removal) {
        fields.push_back(GpsVersionField());  // EXIF requires it of every GPS directory
    }
    const std::size_t pointer =
        pointerEntry ? *pointerEntry + 8 : AppendIfd0WithGpsPointer(out, tiff, ifd0);
    const std::size_t directory = AppendGpsDirectory(out, old, fields, tiff.order);
    if (out.size() > 0xFFFFFFFFu) {
        why = "the EXIF data would pass 4 GB";
        return TiffEditResult::Refused;
    }
    if (wholePointer) {
        Put16(out, pointer - 6, kLongType, tiff.order);
        Put32(out, pointer - 4, 1, tiff.order);
    }
    Put32(out, pointer, static_cast<std::uint32_t>(directory), tiff.order);
    edited = std::move(out);
    return TiffEditResult::Edited;
}

}  // namespace geotal
