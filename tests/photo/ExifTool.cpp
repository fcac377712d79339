#include "photo/ExifTool.h"

#include <cstdio>

namespace geotal::test {
namespace {

std::string RunCommand(const std::string& command) {
    std::string output;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    ::pclose(pipe);
    return output;
}

template <typename Keep>
std::set<std::string> Lines(const std::string& text, Keep keep) {
    std::set<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (keep(line)) {
            lines.insert(line);
        }
    }
    return lines;
}

bool IsTag(const std::string& line) {
    return line.rfind("[System]", 0) != 0 && line.rfind("[ExifTool]", 0) != 0;
}

bool IsWarning(const std::string& line) {
    return line.rfind("Warning ", 0) == 0;
}

// Splits exiftool's output for several files ("======== path" before each) by file name.
template <typename Keep>
std::map<std::string, std::set<std::string>> ByFile(const std::string& text, Keep keep) {
    std::map<std::string, std::set<std::string>> files;
    const std::string mark = "======== ";
    std::size_t at = text.find(mark);
    while (at != std::string::npos) {
        const std::size_t nameEnd = text.find('\n', at);
        const std::string path = text.substr(at + mark.size(), nameEnd - at - mark.size());
        const std::size_t next = text.find("\n" + mark, nameEnd);
        const std::size_t end = next == std::string::npos ? text.size() : next + 1;
        files[path.substr(path.rfind('/') + 1)] =
            Lines(text.substr(nameEnd + 1, end - nameEnd - 1), keep);
        at = next == std::string::npos ? next : next + 1;
    }
    return files;
}

}  // namespace

std::map<std::string, std::set<std::string>> ExifToolTagsOfFolder(const std::string& folder) {
    return ByFile(RunCommand("exiftool -n -a -G1 -s '" + folder + "' 2>/dev/null"), IsTag);
}

std::map<std::string, std::set<std::string>> ValidationWarningsOfFolder(const std::string& folder) {
    return ByFile(RunCommand("exiftool -validate -warning -a -s '" + folder + "' 2>/dev/null"),
                  IsWarning);
}

bool HasExifTool() {
    return !RunCommand("command -v exiftool").empty();
}

std::set<std::string> ExifToolTags(const std::string& path) {
    return Lines(RunCommand("exiftool -n -a -G1 -s '" + path + "' 2>/dev/null"), IsTag);
}

std::set<std::string> ValidationWarnings(const std::string& path) {
    return Lines(RunCommand("exiftool -validate -warning -a -s '" + path + "' 2>/dev/null"),
                 IsWarning);
}

}  // namespace geotal::test
