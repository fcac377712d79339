// What a copy folder records of the sidecars a run copied there or made new, by the photo each
// belongs to: a later run then knows a copy of its own photo's sidecar from another photo's of
// the same name, and a sidecar a run made from one that was there before any run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace geotal {

// A photo told from others by its size and a hash of its first and last 64 KiB, which hold its
// metadata and the end of its image data: the same after a copy to another disk, as a photo a
// position goes to a sidecar for is never changed.
struct PhotoFingerprint {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;

    friend bool operator==(const PhotoFingerprint&, const PhotoFingerprint&) = default;
};

// False, with why, when the photo cannot be read.
bool FingerprintOf(const std::string& photo, PhotoFingerprint& fingerprint, std::string& why);

// A hash of a whole file (a sidecar, small), to know a copy for the one made; none when it cannot
// be read.
std::optional<std::uint64_t> ContentHashOf(const std::string& path);

enum class SidecarOrigin {
    Copied,  // the copy folder holds the sidecar as it was before its first change
    Made,    // there was no sidecar: a run made it, and the copy folder holds none
};

class SidecarLedger {
public:
    // The record in the copy folder, read when it is first asked.
    explicit SidecarLedger(std::string copyFolder);

    struct Entry {
        SidecarOrigin origin = SidecarOrigin::Made;
        std::string name;
        PhotoFingerprint photo;
        std::uint64_t copy = 0;  // the copy's ContentHashOf, for Copied
    };

    // What the record says of the sidecar of that name for that photo: its first entry.
    std::optional<Entry> Find(const std::string& sidecarName, const PhotoFingerprint& photo);

    // Every entry for that photo, in the order they were recorded.
    std::vector<Entry> EntriesFor(const PhotoFingerprint& photo);

    // Whether the copy folder holds a record at all; one of an earlier version has none, and
    // its copies of sidecars cannot be told apart by photo.
    bool Exists() const;

    // Adds an entry, flushed to disk before the change it records is made, unless one for that
    // sidecar and photo is there; false, with why, when it cannot be written.
    bool Record(const Entry& entry, std::string& why);

    // The record's file name in the copy folder.
    static constexpr const char* kFileName = "geotal-sidecars.txt";

private:
    void Load();

    std::string path_;
    bool loaded_ = false;
    std::vector<Entry> entries_;
};

}  // namespace geotal
