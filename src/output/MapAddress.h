// The web address of a map page centred on a position.
#pragma once

#include <string>

namespace geotal {

// The map services the settings can name; a stored number that names none means MapQuest,
// the service the program offers.
enum class MapService : int { GoogleMaps = 0, MapQuest = 1 };

MapService MapServiceFromNumber(int number);

// The page of the service showing latitude and longitude (seconds of arc, north and east
// positive), zoomed in on the region.
std::string MapAddress(MapService service, double latitude, double longitude);

}  // namespace geotal
