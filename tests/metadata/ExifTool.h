// ExifTool as a second opinion on what the writer wrote.
#pragma once

#include <map>
#include <set>
#include <string>

namespace geotal::test {

bool HasExifTool();

// "[Group] Tag : value" lines, minus those that change with every file or every write.
std::set<std::string> ExifToolTags(const std::string& path);

// ExifTool's -validate warnings, without the file name.
std::set<std::string> ValidationWarnings(const std::string& path);

// The tags without those a position write sets or removes: the GPS tags of the position and of
// the fix it came from, what exiftool derives from them, and their XMP forms.
std::set<std::string> WithoutWrittenTags(const std::set<std::string>& tags);

// The lines of a that b lacks.
std::set<std::string> Minus(const std::set<std::string>& a, const std::set<std::string>& b);

// "[Group] Tag : value" as exiftool -s -G1 lays it out.
std::string TagLine(const std::string& group, const std::string& tag, const std::string& value);

// The same for every photo of a folder at once, by file name: one run of exiftool.
std::map<std::string, std::set<std::string>> ExifToolTagsOfFolder(const std::string& folder);
std::map<std::string, std::set<std::string>> ValidationWarningsOfFolder(const std::string& folder);

}  // namespace geotal::test
