// Test helpers: a private temporary folder, photos with chosen EXIF tags, a progress recorder.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/Progress.h"
#include "support/TempFolder.h"

// Skips the test where a file or folder of the shared collection of real files is not there (a
// clone without it beside).
#define GEOTAL_SKIP_WITHOUT(path)                  \
    if (!std::filesystem::exists(path)) {          \
        GTEST_SKIP() << (path) << " is not there"; \
    }

namespace geotal::test {

using Tags = std::vector<std::pair<std::string, std::string>>;

// The tiny JPEG fixture, copied to path, with the given EXIF tags (key, value text) set.
std::string MakePhoto(const std::string& path, const Tags& tags = {});

// A photo taken 2010-01-01 12:00:00 with the given GPS tags added.
std::string MakeDatedPhoto(const std::string& path, const Tags& gps = {});

// Sets EXIF tags with exiv2, each value read as the tag's standard type.
void SetTags(const std::string& path, const Tags& tags);

// The value of one EXIF tag as exiv2 prints it; "" when absent.
std::string TagText(const std::string& path, const std::string& key);

// Every EXIF, XMP and IPTC tag exiv2 reads in the file, by key, each value as it prints it.
std::map<std::string, std::string> AllTagTexts(const std::string& path);

// Whether a key is of a GPS tag (or the pointer to them) or an XMP GPS property.
bool IsGpsKey(const std::string& key);

// The tags without the GPS ones; and the keys of the GPS ones, each followed by a space.
std::map<std::string, std::string> WithoutGps(std::map<std::string, std::string> tags);
std::string GpsKeys(const std::map<std::string, std::string>& tags);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderNames(const std::string& folder);

// Records the progress protocol and can ask for an abort after a given position.
class RecordingProgress : public ProgressSink {
public:
    explicit RecordingProgress(int abortAt = -1) : abortAt_(abortAt) {}
    void Begin(const std::string& text, int maximum) override {
        texts.push_back(text);
        maximums.push_back(maximum);
    }
    void SetPosition(int position) override { positions.push_back(position); }
    void Pump() override { ++pumps; }
    bool AbortRequested() const override {
        return abortAt_ >= 0 && !positions.empty() && positions.back() >= abortAt_;
    }
    void ClearAbort() override { ++clears; }
    void End() override { ++ends; }

    std::vector<std::string> texts;
    std::vector<int> maximums;
    std::vector<int> positions;
    int pumps = 0;
    int clears = 0;
    int ends = 0;

private:
    int abortAt_;
};

}  // namespace geotal::test
