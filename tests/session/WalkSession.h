// The session the session tests share: photos and a track folder in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "metadata/PhotoFixture.h"
#include "session/Session.h"

namespace geotal::test {

// A session over a.jpg and b.jpg (taken 10:05 and 10:06 UTC, inside a ten-minute walk from
// 10:00 to 10:10 UTC) and c.jpg (11:30, after the walk), with the clock and zone at zero.
class WalkSession : public ::testing::Test {
protected:
    void SetUp() override {
        photos_ = folder_.path() + "/photos";
        gps_ = folder_.path() + "/gps";
        std::filesystem::create_directories(photos_);
        std::filesystem::create_directories(gps_);
        MakePhoto(photos_ + "/a.jpg", {{"Exif.Photo.DateTimeOriginal", "2010:05:01 10:05:00"}});
        MakePhoto(photos_ + "/b.jpg", {{"Exif.Photo.DateTimeOriginal", "2010:05:01 10:06:00"}});
        MakePhoto(photos_ + "/c.jpg", {{"Exif.Photo.DateTimeOriginal", "2010:05:01 11:30:00"}});
        std::ofstream(gps_ + "/walk.gpx")
            << "<gpx><trk><trkseg>"
               "<trkpt lat=\"47.0\" lon=\"8.0\"><time>2010-05-01T10:00:00Z</time></trkpt>"
               "<trkpt lat=\"47.1\" lon=\"8.1\"><time>2010-05-01T10:10:00Z</time></trkpt>"
               "</trkseg></trk></gpx>";
        Settings settings;
        settings.copyFiles = false;
        session_.ApplySettings(settings);
        session_.SetFolders(photos_, gps_);
        TimeAdjustment& time = session_.Time();
        time.timeZoneOffset = 0;
        time.cameraClockError = 0;
        time.zoneName.clear();
    }
    std::vector<Notice> Load() {
        NullProgress progress;
        return session_.TakeLoad(Session::ReadFolders(session_.CurrentSettings(), progress));
    }
    void Calculate() {
        NullProgress progress;
        session_.TakeCalculation(session_.Calculate(progress));
    }
    int Record(const std::string& name) const {
        for (int i = 0; i < session_.Photos().Count(); ++i) {
            if (session_.Photos()[i].fileName == name) {
                return i;
            }
        }
        return -1;
    }

    TempFolder folder_;
    std::string photos_;
    std::string gps_;
    Session session_;
};

}  // namespace geotal::test
