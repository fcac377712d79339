// Bytes at given places of a file, a buffer or parts of either, read only where asked: a
// reader of a photo's tags needs a few hundred bytes of a file that may be hundreds of
// megabytes long, and takes nothing the file says about its own size on trust.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace geotal {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // The length bytes at offset at; false when they are not all there.
    virtual bool Read(std::uint64_t at, std::size_t length, std::string& bytes) = 0;
};

// The bytes of a buffer that outlives the source.
class BytesSource : public ByteSource {
public:
    explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t at, std::size_t length, std::string& bytes) override;

private:
    std::string_view bytes_;
};

// A file read where asked, with its start read once: the tags a list needs mostly lie there.
class FileSource : public ByteSource {
public:
    static constexpr std::size_t kHead = 64 * 1024;

    // The descriptor stays its owner's.
    explicit FileSource(int fd) : fd_(fd) {}

    // False for anything but a regular file, or one that cannot be read.
    bool ReadHead();

    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t at, std::size_t length, std::string& bytes) override;

private:
    bool ReadFully(std::uint64_t at, std::string& bytes);

    int fd_;
    std::uint64_t size_ = 0;
    std::string head_;
};

// A stretch of another source's bytes.
struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// The extents of another source one after the other, as one run of bytes: an item of an ISO
// media file may be stored in several pieces.
class ExtentsSource : public ByteSource {
public:
    // None of the extents may run past the end of whole; the source then holds nothing.
    ExtentsSource(ByteSource& whole, std::vector<Extent> extents);

    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t at, std::size_t length, std::string& bytes) override;

private:
    ByteSource& whole_;
    std::vector<Extent> extents_;
    std::uint64_t size_ = 0;
};

}  // namespace geotal
