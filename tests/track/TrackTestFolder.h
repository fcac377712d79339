// A unique temporary folder per test, removed afterwards, with helpers to write files into it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace geotal::testing {

class TrackTestFolder {
public:
    TrackTestFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("geotal-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                 std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TrackTestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TrackTestFolder(const TrackTestFolder&) = delete;
    TrackTestFolder& operator=(const TrackTestFolder&) = delete;

    std::string Path() const { return path_.string(); }

    // Writes the bytes exactly as given; answers the file's full path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// The text with every LF turned into CR LF.
inline std::string WithWindowsLineEnds(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += '\r';
        }
        result += c;
    }
    return result;
}

}  // namespace geotal::testing
