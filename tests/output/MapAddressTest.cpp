#include "output/MapAddress.h"
#include "support/PositionInDegrees.h"

#include <gtest/gtest.h>

namespace geotal {
namespace {

constexpr const char* kMapQuest =
    "https://www.mapquest.com/maps/map.adp?searchtype=address&formtype=latlong"
    "&latlongtype=decimal&";

TEST(MapAddress, fillsTheServicesQueryWithFiveRoundedDecimalsAndNoBlanks) {
    const struct {
        double latitudeDegrees, longitudeDegrees;
        const char* query;
    } cases[] = {
        {47.519, 8.25, "latitude=47.51900&longitude=8.25000&zoom=8"},
        {-33.8688, 151.2093, "latitude=-33.86880&longitude=151.20930&zoom=8"},
        {47.519006, -8.25, "latitude=47.51901&longitude=-8.25000&zoom=8"},
        {0.00005, 10, "latitude=0.00005&longitude=10.00000&zoom=8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MapAddress(MapService::MapQuest,
                             test::AtDegrees(c.latitudeDegrees, c.longitudeDegrees)),
                  std::string(kMapQuest) + c.query)
            << c.latitudeDegrees;
    }
    EXPECT_EQ(MapAddress(MapService::GoogleMaps, test::AtDegrees(-33.8688, 151.2093)),
              "https://www.google.com/maps?q=-33.86880+151.20930");
}

TEST(MapAddress, aMapIsShownUnlessBothAnglesLieWithinATenThousandthOfADegreeOfZero) {
    const struct {
        double latitude, longitude;
        bool shown;
    } cases[] = {
        {0.00005, 0.00005, false}, {-0.00009, 0.00009, false}, {0.00005, 10, true},
        {10, -0.00005, true},      {0.0001, 0, true},          {47.5, 8.25, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsShowableOnMap(test::AtDegrees(c.latitude, c.longitude)), c.shown)
            << c.latitude << " " << c.longitude;
    }
    EXPECT_FALSE(IsShowableOnMap(std::nullopt));
}

TEST(MapAddress, openStreetMapPutsAMarkerOnThePhotoAndCentresTheViewThere) {
    EXPECT_EQ(MapAddress(MapService::OpenStreetMap, test::AtDegrees(-33.86880, 151.2093)),
              "https://www.openstreetmap.org/?mlat=-33.86880&mlon=151.20930"
              "#map=15/-33.86880/151.20930");
}

TEST(MapAddress, aStoredServiceNumberThatNamesNoneMeansMapQuest) {
    EXPECT_EQ(MapServiceFromNumber(0), MapService::GoogleMaps);
    EXPECT_EQ(MapServiceFromNumber(2), MapService::OpenStreetMap);
    for (int number : {1, 3, -1}) {
        EXPECT_EQ(MapServiceFromNumber(number), MapService::MapQuest) << number;
    }
}

}  // namespace
}  // namespace geotal
