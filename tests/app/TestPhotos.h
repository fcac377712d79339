// Small real JPEG files with the EXIF tags a test needs.
#pragma once

#include <QString>

#include <string>

namespace geotal::test {

// Writes a 16x16 JPEG at path with DateTimeOriginal set (when not empty) and, when latitude
// and longitude (degrees) are not both 0, a GPS position.
void MakePhoto(const QString& path, const std::string& dateTimeOriginal, double latitude = 0.0,
               double longitude = 0.0);

// A GPX file with one track segment; points as (degrees, degrees, "2010-05-01T10:20:30Z").
void MakeGpx(const QString& path, const QString& points);

}  // namespace geotal::test
