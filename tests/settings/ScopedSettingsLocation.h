// ScopedSettingsLocation: points every QSettings scope at a fresh temporary folder for one test.
#pragma once

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace geotal {

// The real user's settings are never touched: user and system scopes each get their own
// folder under a name unique to this process and test, removed again at the end.
class ScopedSettingsLocation {
public:
    ScopedSettingsLocation() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("geotal-settings-" + std::to_string(::getpid()) + "-" +
                 (test != nullptr ? std::string(test->test_suite_name()) + "-" + test->name()
                                  : std::string("none")));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(UserFolder());
        std::filesystem::create_directories(SystemFolder());
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(UserFolder()));
            QSettings::setPath(format, QSettings::SystemScope,
                               QString::fromStdString(SystemFolder()));
        }
    }
    ~ScopedSettingsLocation() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ScopedSettingsLocation(const ScopedSettingsLocation&) = delete;
    ScopedSettingsLocation& operator=(const ScopedSettingsLocation&) = delete;

    std::string UserFolder() const { return (root_ / "user").string(); }
    std::string SystemFolder() const { return (root_ / "system").string(); }
    // Where the settings of organisation "Tarsel", application "Geotal" are kept.
    std::string UserFile() const { return UserFolder() + "/Tarsel/Geotal.conf"; }
    std::string SystemFile() const { return SystemFolder() + "/Tarsel/Geotal.conf"; }

private:
    std::filesystem::path root_;
};

}  // namespace geotal
