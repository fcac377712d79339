#include "output/MapAddress.h"

#include <cstdio>

#include "support/Angles.h"

namespace geotal {
namespace {

constexpr int kMapQuestZoom = 8;
constexpr int kOpenStreetMapZoom = 15;  // streets and paths: where on the walk it was taken

}  // namespace

MapService MapServiceFromNumber(int number) {
    switch (number) {
        case static_cast<int>(MapService::GoogleMaps):
            return MapService::GoogleMaps;
        case static_cast<int>(MapService::OpenStreetMap):
            return MapService::OpenStreetMap;
        default:
            return MapService::MapQuest;
    }
}

std::string MapAddress(MapService service, const GeoPosition& position) {
    const double lat = position.LatitudeDegrees();
    const double lon = position.LongitudeDegrees();
    // "%9.5f" pads short numbers with blanks, which have no place in an address.
    char text[512];
    if (service == MapService::GoogleMaps) {
        std::snprintf(text, sizeof text, "https://www.google.com/maps?q=%9.5f+%9.5f", lat, lon);
    } else if (service == MapService::OpenStreetMap) {
        // The marker at the photo, the view centred on it.
        std::snprintf(text, sizeof text,
                      "https://www.openstreetmap.org/?mlat=%.5f&mlon=%.5f#map=%d/%.5f/%.5f", lat,
                      lon, kOpenStreetMapZoom, lat, lon);
    } else {
        std::snprintf(text, sizeof text,
                      "https://www.mapquest.com/maps/map.adp?searchtype=address&formtype=latlong"
                      "&latlongtype=decimal&latitude=%9.5f&longitude=%9.5f&zoom=%d",
                      lat, lon, kMapQuestZoom);
    }
    std::string address;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != ' ') {
            address += *c;
        }
    }
    return address;
}

}  // namespace geotal
