// The web address of a map page centred on a position.
#pragma once

#include <string>

#include "support/GeoPosition.h"

namespace geotal {

// The map services the settings can name; a stored number that names none means MapQuest,
// the service the program has always offered.
enum class MapService : int { GoogleMaps = 0, MapQuest = 1, OpenStreetMap = 2 };

MapService MapServiceFromNumber(int number);

// The page of the service showing the position, zoomed in on the region.
std::string MapAddress(MapService service, const GeoPosition& position);

}  // namespace geotal
