#include "photo/SidecarLedger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "files/FlushFiles.h"
#include "files/ReplaceFile.h"
#include "support/FileDescriptor.h"
#include "support/SystemError.h"

namespace geotal {
namespace {

constexpr std::size_t kPart = 64 * 1024;
// A record far larger than any run's would not be ours to read whole.
constexpr std::size_t kLargestRecord = 64 * 1024 * 1024;

std::uint64_t Fnv1a(std::uint64_t hash, const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ULL;
    }
    return hash;
}

// A name on one line: bytes below a space, and the escape itself, as %XX.
std::string Escaped(const std::string& name) {
    std::string text;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '%' || byte == 0x7f) {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            text += code;
        } else {
            text += c;
        }
    }
    return text;
}

std::string Unescaped(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr ==
                text.data() + i + 3) {
            name += static_cast<char>(value);
            i += 2;
        } else {
            name += text[i];
        }
    }
    return name;
}

const char* WordOf(SidecarOrigin origin) {
    return origin == SidecarOrigin::Copied ? "copied" : "made";
}

}  // namespace

bool FingerprintOf(const std::string& photo, PhotoFingerprint& fingerprint, std::string& why) {
    FileDescriptor fd(::open(photo.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) {
        why = SystemErrorText("Cannot read", photo);
        return false;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    std::uint64_t hash = 14695981039346656037ULL;
    std::string buffer(kPart, '\0');
    for (const std::uint64_t start : {std::uint64_t{0}, size > kPart ? size - kPart : size}) {
        const ssize_t got = ::pread(fd.get(), buffer.data(), kPart, static_cast<off_t>(start));
        if (got < 0) {
            why = SystemErrorText("Cannot read", photo);
            return false;
        }
        hash = Fnv1a(hash, buffer.data(), static_cast<std::size_t>(got));
    }
    fingerprint = {size, hash};
    return true;
}

std::optional<std::uint64_t> ContentHashOf(const std::string& path) {
    std::string bytes;
    ReadState ignored;
    if (!ReadForReplacement(path, bytes, ignored) || !ignored.identity) {
        return std::nullopt;
    }
    return Fnv1a(14695981039346656037ULL, bytes.data(), bytes.size());
}

SidecarLedger::SidecarLedger(std::string copyFolder)
    : path_(std::move(copyFolder) + "/" + kFileName) {}

void SidecarLedger::Load() {
    loaded_ = true;
    std::string text;
    ReadState ignored;
    struct stat status {};
    if (::stat(path_.c_str(), &status) != 0 ||
        static_cast<std::size_t>(status.st_size) > kLargestRecord ||
        !ReadForReplacement(path_, text, ignored)) {
        return;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            break;  // a line a kill cut short says nothing
        }
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        std::string_view fields[5];
        std::size_t at = 0;
        std::size_t count = 0;
        for (; count < 5; ++count) {
            const std::size_t tab = line.find('\t', at);
            fields[count] = line.substr(at, tab == std::string_view::npos ? line.npos : tab - at);
            if (tab == std::string_view::npos) {
                ++count;
                break;
            }
            at = tab + 1;
        }
        Entry entry{};
        const auto number = [](std::string_view text, std::uint64_t& value, int base) {
            return !text.empty() &&
                   std::from_chars(text.data(), text.data() + text.size(), value, base).ptr ==
                       text.data() + text.size();
        };
        if (count != 5 || (fields[0] != "copied" && fields[0] != "made") ||
            !number(fields[2], entry.photo.size, 10) || !number(fields[3], entry.photo.hash, 16) ||
            !number(fields[4], entry.copy, 16)) {
            continue;  // not a line this program wrote
        }
        entry.origin = fields[0] == "copied" ? SidecarOrigin::Copied : SidecarOrigin::Made;
        entry.name = Unescaped(fields[1]);
        entries_.push_back(std::move(entry));
    }
}

std::optional<SidecarLedger::Entry> SidecarLedger::Find(const std::string& sidecarName,
                                                        const PhotoFingerprint& photo) {
    if (!loaded_) {
        Load();
    }
    // The first entry stands: it tells what was there before any run.
    for (const Entry& entry : entries_) {
        if (entry.name == sidecarName && entry.photo == photo) {
            return entry;
        }
    }
    return std::nullopt;
}

std::vector<SidecarLedger::Entry> SidecarLedger::EntriesFor(const PhotoFingerprint& photo) {
    if (!loaded_) {
        Load();
    }
    std::vector<Entry> found;
    for (const Entry& entry : entries_) {
        if (entry.photo == photo) {
            found.push_back(entry);
        }
    }
    return found;
}

bool SidecarLedger::Exists() const {
    struct stat status {};
    return ::stat(path_.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool SidecarLedger::Record(const Entry& entry, std::string& why) {
    if (Find(entry.name, entry.photo)) {
        return true;
    }
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, "\t%llu\t%016llx\t%016llx\n",
                  static_cast<unsigned long long>(entry.photo.size),
                  static_cast<unsigned long long>(entry.photo.hash),
                  static_cast<unsigned long long>(entry.copy));
    const std::string line =
        std::string(WordOf(entry.origin)) + "\t" + Escaped(entry.name) + numbers;
    const bool existed = ::access(path_.c_str(), F_OK) == 0;
    FileDescriptor fd(::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0 ||
        ::write(fd.get(), line.data(), line.size()) != static_cast<ssize_t>(line.size()) ||
        ::fsync(fd.get()) != 0 || !fd.Close()) {
        why = SystemErrorText("Cannot write", path_);
        return false;
    }
    if (!existed && !FlushFolder(path_.substr(0, path_.rfind('/')))) {
        why = SystemErrorText("Cannot flush the folder of", path_);
        return false;
    }
    entries_.push_back(entry);
    return true;
}

}  // namespace geotal
