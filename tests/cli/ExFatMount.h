// A real exFAT file system, as on a camera's memory card, mounted for one test: an image file
// on a loop device, made by mkfs.exfat and mounted through FUSE. Needs root and the exfatprogs
// and exfat-fuse packages; where any of it is missing, Reason() says what, and tests skip.
#pragma once

#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace geotal::test {

class ExFatMount {
public:
    ExFatMount();
    // Unmounts and frees the loop device, so that a failed test leaves no mount behind.
    ~ExFatMount();
    ExFatMount(const ExFatMount&) = delete;
    ExFatMount& operator=(const ExFatMount&) = delete;

    bool Mounted() const { return mounted_; }
    // Why the card could not be mounted; empty when it is.
    const std::string& Reason() const { return reason_; }
    // The card's root folder.
    const std::string& Root() const { return root_; }

private:
    bool Step(const std::vector<std::string>& argv, const char* what, std::string* out = nullptr);

    TempFolder scratch_;
    std::string image_;
    std::string device_;
    std::string root_;
    bool mounted_ = false;
    std::string reason_;
};

}  // namespace geotal::test
