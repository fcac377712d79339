#include "metadata/PhotoFixture.h"

#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>
#include <exiv2/exiv2.hpp>

namespace geotal::test {

std::string MakePhoto(const std::string& path, const Tags& tags) {
    WriteBytes(path, ReadBytes(std::string(GEOTAL_TEST_DATA) + "/tiny.jpg"));
    if (!tags.empty()) {
        SetTags(path, tags);
    }
    return path;
}

std::string MakeDatedPhoto(const std::string& path, const Tags& gps) {
    Tags tags{{"Exif.Photo.DateTimeOriginal", "2010:01:01 12:00:00"}};
    tags.insert(tags.end(), gps.begin(), gps.end());
    return MakePhoto(path, tags);
}

void SetTags(const std::string& path, const Tags& tags) {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    for (const auto& [key, text] : tags) {
        const Exiv2::ExifKey exifKey(key);
        auto value = Exiv2::Value::create(exifKey.defaultTypeId());
        value->read(text);
        exif[key].setValue(value.get());
    }
    image->writeMetadata();
}

std::string TagText(const std::string& path, const std::string& key) {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    const auto it = image->exifData().findKey(Exiv2::ExifKey(key));
    return it == image->exifData().end() ? std::string() : it->value().toString();
}

std::map<std::string, std::string> AllTagTexts(const std::string& path) {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);  // real RAW files make it talk
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    std::map<std::string, std::string> tags;
    for (const Exiv2::Exifdatum& datum : image->exifData()) {
        tags[datum.key()] += datum.toString() + ";";
    }
    for (const Exiv2::Xmpdatum& datum : image->xmpData()) {
        tags[datum.key()] += datum.toString() + ";";
    }
    for (const Exiv2::Iptcdatum& datum : image->iptcData()) {
        tags[datum.key()] += datum.toString() + ";";
    }
    return tags;
}

bool IsGpsKey(const std::string& key) {
    return key.rfind("Exif.GPSInfo.", 0) == 0 || key == "Exif.Image.GPSTag" ||
           key.rfind("Xmp.exif.GPS", 0) == 0;
}

std::map<std::string, std::string> WithoutGps(std::map<std::string, std::string> tags) {
    std::erase_if(tags, [](const auto& tag) { return IsGpsKey(tag.first); });
    return tags;
}

std::string GpsKeys(const std::map<std::string, std::string>& tags) {
    std::string keys;
    for (const auto& [key, value] : tags) {
        if (IsGpsKey(key)) {
            keys += key + " ";
        }
    }
    return keys;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace geotal::test
