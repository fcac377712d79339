#include "photo/PhotoPaths.h"

namespace geotal {

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ExtensionOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(dot + 1);
}

std::string BaseNameOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.find('.');
    return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

std::string TemporaryNameOf(const std::string& path, const std::string& marker) {
    // Built from the file name alone, so a dot in a folder name or a relative path cannot
    // send the temporary file into another folder.
    const std::string folderPart = path.substr(0, path.size() - FileNameOf(path).size());
    const std::string name = FileNameOf(path);
    if (name.find('.') == std::string::npos) {
        return folderPart + name + marker;
    }
    return folderPart + BaseNameOf(path) + marker + "." + name.substr(name.rfind('.') + 1);
}

}  // namespace geotal
