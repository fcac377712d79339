#include <string>

#include "output/Export.h"
#include "output/ExportSelection.h"
#include "output/Formatting.h"
#include "output/XmlText.h"

namespace geotal {

std::string KmlText(const PhotoList& photos) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<kml xmlns=\"http://earth.google.com/kml/2.1\">\r\n"
        "<Folder>\r\n"
        "<name>MyPhotos</name>\r\n";
    for (const PhotoRecord& photo : photos.records) {
        if (!IsExported(photo)) {
            continue;
        }
        // Longitude first: KML coordinates are x,y[,altitude].
        std::string coordinates =
            FormatCoordinate(photo.position->longitude, CoordinateFormat::DecimalDegrees) + "," +
            FormatCoordinate(photo.position->latitude, CoordinateFormat::DecimalDegrees);
        if (photo.position->altitude) {
            coordinates += "," + FormatAltitude(*photo.position->altitude);
        }
        text += "<Placemark>\r\n  <name>" + XmlElementText(photo.fileName) +
                "</name>\r\n <description></description>\r\n";
        if (const auto utc = ExportedUtcTime(photo)) {
            text += "  <TimeStamp><when>" + FormatUtcMoment(*utc) + "</when></TimeStamp>\r\n";
        }
        text += "    <Point>\r\n <coordinates>" + coordinates +
                "</coordinates>\r\n    </Point>\r\n</Placemark>\r\n";
    }
    text += "</Folder>\r\n</kml>\r\n";
    return text;
}

}  // namespace geotal
