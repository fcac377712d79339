#include "metadata/ByteSource.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace geotal {

bool BytesSource::Read(std::uint64_t at, std::size_t length, std::string& bytes) {
    if (at > bytes_.size() || length > bytes_.size() - at) {
        return false;
    }
    bytes.assign(bytes_.substr(static_cast<std::size_t>(at), length));
    return true;
}

bool FileSource::ReadHead() {
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
    head_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size_, kHead)));
    return ReadFully(0, head_);
}

bool FileSource::Read(std::uint64_t at, std::size_t length, std::string& bytes) {
    if (at > size_ || length > size_ - at) {
        return false;
    }
    if (at + length <= head_.size()) {
        bytes.assign(head_, static_cast<std::size_t>(at), length);
        return true;
    }
    bytes.resize(length);
    return ReadFully(at, bytes);
}

// Another program may cut the file short meanwhile: then the bytes are not there.
bool FileSource::ReadFully(std::uint64_t at, std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at + done));
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

ExtentsSource::ExtentsSource(ByteSource& whole, std::vector<Extent> extents)
    : whole_(whole), extents_(std::move(extents)) {
    const std::uint64_t end = whole_.Size();
    for (const Extent& extent : extents_) {
        if (extent.offset > end || extent.length > end - extent.offset ||
            extent.length > std::numeric_limits<std::uint64_t>::max() - size_) {
            extents_.clear();
            size_ = 0;
            return;
        }
        size_ += extent.length;
    }
}

bool ExtentsSource::Read(std::uint64_t at, std::size_t length, std::string& bytes) {
    if (at > size_ || length > size_ - at) {
        return false;
    }
    bytes.clear();
    std::string piece;
    for (const Extent& extent : extents_) {
        if (bytes.size() == length) {
            break;
        }
        if (at >= extent.length) {
            at -= extent.length;
            continue;
        }
        const auto take = static_cast<std::size_t>(
            std::min<std::uint64_t>(extent.length - at, length - bytes.size()));
        if (!whole_.Read(extent.offset + at, take, piece)) {
            return false;
        }
        bytes += piece;
        at = 0;
    }
    return bytes.size() == length;
}

}  // namespace geotal
