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

}  // namespace

bool HasExifTool() {
    return !RunCommand("command -v exiftool").empty();
}

std::set<std::string> ExifToolTags(const std::string& path) {
    return Lines(RunCommand("exiftool -n -a -G1 -s '" + path + "' 2>/dev/null"),
                 [](const std::string& line) {
                     return line.rfind("[System]", 0) != 0 && line.rfind("[ExifTool]", 0) != 0;
                 });
}

std::set<std::string> ValidationWarnings(const std::string& path) {
    return Lines(RunCommand("exiftool -validate -warning -a -s '" + path + "' 2>/dev/null"),
                 [](const std::string& line) { return line.rfind("Warning ", 0) == 0; });
}

}  // namespace geotal::test
