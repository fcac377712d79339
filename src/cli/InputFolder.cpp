#include "cli/InputFolder.h"

#include <dirent.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace geotal::cli {

bool CheckInputFolder(const Command& command, const std::string& folder,
                      const std::string& option) {
    const std::string named = (option.empty() ? "" : option + " ") + "'" + folder + "'";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "geotal-cli: %s: %s is not a folder\n", command.name, named.c_str());
        return false;
    }
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr) {
        std::fprintf(stderr, "geotal-cli: %s: %s cannot be read: %s\n", command.name, named.c_str(),
                     std::strerror(errno));
        return false;
    }
    ::closedir(entries);
    return true;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace geotal::cli
