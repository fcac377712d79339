#include "app/TestPhotos.h"

#include <QFile>
#include <QImage>

#include <exiv2/exiv2.hpp>

#include <cmath>

namespace geotal::test {
namespace {

std::string Dms(double degrees) {
    degrees = std::fabs(degrees);
    const int d = static_cast<int>(degrees);
    const int m = static_cast<int>((degrees - d) * 60);
    const long s100 = std::lround(((degrees - d) * 60 - m) * 60 * 100);
    return std::to_string(d) + "/1 " + std::to_string(m) + "/1 " + std::to_string(s100) + "/100";
}

}  // namespace

void MakePhoto(const QString& path, const std::string& dateTimeOriginal, double latitude,
               double longitude) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(path, "JPEG");
    auto file = Exiv2::ImageFactory::open(path.toStdString());
    file->readMetadata();
    Exiv2::ExifData& exif = file->exifData();
    exif["Exif.Image.Make"] = "TestCam";
    if (!dateTimeOriginal.empty()) {
        exif["Exif.Photo.DateTimeOriginal"] = dateTimeOriginal;
    }
    if (latitude != 0.0 || longitude != 0.0) {
        exif["Exif.GPSInfo.GPSLatitudeRef"] = latitude < 0 ? "S" : "N";
        exif["Exif.GPSInfo.GPSLongitudeRef"] = longitude < 0 ? "W" : "E";
        Exiv2::URationalValue lat;
        lat.read(Dms(latitude));
        exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"), &lat);
        Exiv2::URationalValue lon;
        lon.read(Dms(longitude));
        exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitude"), &lon);
    }
    file->writeMetadata();
}

void MakeGpx(const QString& path, const QString& points) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"><trk><trkseg>\n");
    file.write(points.toUtf8());
    file.write("</trkseg></trk></gpx>\n");
}

}  // namespace geotal::test
