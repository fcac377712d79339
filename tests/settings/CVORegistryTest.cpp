#include "settings/CVORegistry.h"

#include <QSettings>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/ScopedSettingsLocation.h"

namespace geotal {
namespace {

constexpr const char* kKey = "SOFTWARE\\Tarsel\\Geotal";

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(CVORegistry, readsDefaultsFromAKeyThatDoesNotExist) {
    ScopedSettingsLocation location;
    const CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_READ);
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ(key.ReadString("install_path", "C:\\"), "C:\\");
    EXPECT_EQ(key.ReadString("install_path", nullptr), "");
    EXPECT_EQ(key.ReadDWORD("position_format", 1), 1);
    EXPECT_EQ(key.ReadDWORD("position_format", -7), -7);
}

TEST(CVORegistry, aNullNameReadsEmptyAndIsNeverWritten) {
    ScopedSettingsLocation location;
    CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_WRITE | KEY_READ);
    EXPECT_EQ(key.ReadString(nullptr, "default"), "");
    EXPECT_EQ(key.ReadDWORD(nullptr, 5), 5);
    EXPECT_FALSE(key.WriteString(nullptr, "x"));
    EXPECT_FALSE(key.WriteString("name", nullptr));
    EXPECT_FALSE(key.WriteDWORD(nullptr, 1));
    EXPECT_FALSE(key.WriteString("", "x"));
    EXPECT_EQ(key.ReadString("name", "unset"), "unset");
}

TEST(CVORegistry, givesBackTextsAndNumbersThroughANewKeyObject) {
    ScopedSettingsLocation location;
    const char* texts[] = {"",         "C:\\Pics\\", "/home/ann/Photos, 2010", "Zürich – Fotos",
                           "a=b;c #d", "\"quoted\""};
    const std::int32_t numbers[] = {0, 1, -1, INT32_MIN, INT32_MAX};
    {
        CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_WRITE);
        for (std::size_t i = 0; i < std::size(texts); ++i) {
            EXPECT_TRUE(key.WriteString(("text" + std::to_string(i)).c_str(), texts[i]));
        }
        for (std::size_t i = 0; i < std::size(numbers); ++i) {
            EXPECT_TRUE(key.WriteDWORD(("number" + std::to_string(i)).c_str(), numbers[i]));
        }
    }
    const CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_READ);
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_EQ(key.ReadString(("text" + std::to_string(i)).c_str(), "default"), texts[i]);
    }
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        EXPECT_EQ(key.ReadDWORD(("number" + std::to_string(i)).c_str(), 99), numbers[i]);
    }
}

TEST(CVORegistry, readsAStoredNumberAsItsText) {
    ScopedSettingsLocation location;
    CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key.WriteDWORD("copy_file", 7));
    EXPECT_EQ(key.ReadString("copy_file", "default"), "7");
}

TEST(CVORegistry, readsTextAsANumberOnlyWhenItFitsInFourBytes) {
    ScopedSettingsLocation location;
    struct Case {
        const char* stored;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"42", 42},          {" 42 ", 42},       {"-2147483648", INT32_MIN},
        {"4294967295", -1},  {"4294967296", 77}, {"-2147483649", 77},
        {"12345678901", 77}, {"C:\\Photos", 77}, {"", 77},
        {"1.5", 77},         {"0x10", 77},       {"7 apples", 77},
    };
    CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_READ | KEY_WRITE);
    for (const Case& c : cases) {
        ASSERT_TRUE(key.WriteString("value", c.stored));
        EXPECT_EQ(key.ReadDWORD("value", 77), c.expected) << "stored text: " << c.stored;
    }
}

TEST(CVORegistry, refusesWritesToTheMachineRootAndToKeysOpenedForReading) {
    ScopedSettingsLocation location;
    {
        CVORegistry machine(RegistryRoot::LocalMachine, kKey, KEY_WRITE);
        EXPECT_FALSE(machine.WriteString("install_path", "/opt/geotal"));
        EXPECT_FALSE(machine.WriteDWORD("number", 1));
        CVORegistry readOnly(RegistryRoot::CurrentUser, kKey, KEY_READ);
        EXPECT_FALSE(readOnly.WriteString("folder_gpx", "/gps"));
        EXPECT_FALSE(readOnly.WriteDWORD("copy_file", 0));
    }
    EXPECT_FALSE(std::filesystem::exists(location.SystemFile()));
    const CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_READ);
    EXPECT_EQ(key.ReadString("folder_gpx", "none"), "none");
    EXPECT_EQ(key.ReadDWORD("copy_file", 1), 1);
}

TEST(CVORegistry, keepsUserAndMachineValuesApart) {
    ScopedSettingsLocation location;
    WriteFile(location.SystemFile(), "[General]\ninstall_path=/opt/geotal\n");
    const CVORegistry user(RegistryRoot::CurrentUser, kKey, KEY_READ);
    const CVORegistry machine(RegistryRoot::LocalMachine, kKey, KEY_READ);
    EXPECT_EQ(user.ReadString("install_path", "user default"), "user default");
    EXPECT_EQ(machine.ReadString("install_path", "machine default"), "/opt/geotal");
}

TEST(CVORegistry, eachWriteIsOnDiskBeforeTheKeyIsClosed) {
    ScopedSettingsLocation location;
    CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_WRITE);
    ASSERT_TRUE(key.WriteString("folder_gpx", "/data/gps"));
    ASSERT_TRUE(key.WriteDWORD("position_format", 3));
    const std::string text = FileText(location.UserFile());
    EXPECT_NE(text.find("folder_gpx=/data/gps"), std::string::npos) << text;
    EXPECT_NE(text.find("position_format=3"), std::string::npos) << text;
}

TEST(CVORegistry, rejoinsAHandEditedTextThatContainsAComma) {
    ScopedSettingsLocation location;
    WriteFile(location.UserFile(), "[General]\nfolder_photos=/home/ann/Photos, 2010\n");
    const CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_READ);
    EXPECT_EQ(key.ReadString("folder_photos", ""), "/home/ann/Photos, 2010");
    EXPECT_EQ(key.ReadDWORD("folder_photos", 4), 4);
}

TEST(CVORegistry, nestedKeyPathsKeepTheirValuesInTheirOwnGroup) {
    ScopedSettingsLocation location;
    {
        CVORegistry nested(RegistryRoot::CurrentUser, "SOFTWARE\\Tarsel\\Geotal\\Recent",
                           KEY_WRITE);
        ASSERT_TRUE(nested.WriteDWORD("count", 3));
    }
    const CVORegistry top(RegistryRoot::CurrentUser, kKey, KEY_READ);
    const CVORegistry nested(RegistryRoot::CurrentUser, "SOFTWARE\\Tarsel\\Geotal\\Recent",
                             KEY_READ);
    EXPECT_EQ(top.ReadDWORD("count", 0), 0);
    EXPECT_EQ(nested.ReadDWORD("count", 0), 3);
}

TEST(CVORegistry, aKeyThatCannotBeOpenedReadsDefaultsAndRefusesWrites) {
    ScopedSettingsLocation location;
    CVORegistry key(RegistryRoot::CurrentUser, nullptr, KEY_READ | KEY_WRITE);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.ReadString("folder_gpx", "d"), "d");
    EXPECT_EQ(key.ReadDWORD("copy_file", 1), 1);
    EXPECT_FALSE(key.WriteString("folder_gpx", "/x"));
    EXPECT_FALSE(key.WriteDWORD("copy_file", 0));
}

TEST(CVORegistry, reportsAFailedWriteToAFolderItMayNotWriteTo) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not bind root";
    }
    ScopedSettingsLocation location;
    std::filesystem::create_directories(location.UserFolder() + "/Tarsel");
    ::chmod((location.UserFolder() + "/Tarsel").c_str(), 0500);
    {
        CVORegistry key(RegistryRoot::CurrentUser, kKey, KEY_WRITE);
        EXPECT_FALSE(key.WriteString("folder_gpx", "/x"));
    }
    ::chmod((location.UserFolder() + "/Tarsel").c_str(), 0700);
}

}  // namespace
}  // namespace geotal
