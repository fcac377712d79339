#include "track/GpsBabel.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/DateTime.h"
#include "support/TempFolder.h"
#include "track/TrackPointMatchers.h"

namespace geotal::testing {
namespace {

std::vector<std::string> SplitComma(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else {
            field.push_back(c);
        }
    }
    fields.push_back(field);
    return fields;
}

int Column(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// 2004/08/07 and 03:29:08.379 as a day count.
double DayCount(const std::string& date, const std::string& time) {
    CalendarTime t;
    if (std::sscanf(date.c_str(), "%d/%d/%d", &t.year, &t.month, &t.day) != 3) {
        return 0;
    }
    double seconds = 0;
    if (std::sscanf(time.c_str(), "%d:%d:%lf", &t.hour, &t.minute, &seconds) != 3) {
        return 0;
    }
    return ToOleDate(t) + seconds / 86400.0;
}

void ReadUnicsv(const std::string& path, std::vector<TrackPoint>& points) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> names = SplitComma(line);
    const int lat = Column(names, "Latitude");
    const int lon = Column(names, "Longitude");
    const int alt = Column(names, "Altitude");
    const int date = Column(names, "Date");
    const int time = Column(names, "Time");
    while (std::getline(in, line)) {
        const std::vector<std::string> f = SplitComma(line);
        auto at = [&](int column) {
            return column >= 0 && static_cast<std::size_t>(column) < f.size()
                       ? f[static_cast<std::size_t>(column)]
                       : std::string();
        };
        if (at(date).empty()) {
            continue;  // untimed: never a track point
        }
        TrackPoint p{std::atof(at(lat).c_str()) * 3600, std::atof(at(lon).c_str()) * 3600,
                     std::nullopt, DayCount(at(date), at(time))};
        if (!at(alt).empty()) {
            p.elevation = std::atof(at(alt).c_str());
        }
        points.push_back(p);
    }
}

}  // namespace

bool HaveGpsBabel() {
    return std::system("gpsbabel -V >/dev/null 2>&1") == 0;
}

std::optional<std::vector<TrackPoint>> GpsBabelPoints(const std::string& format,
                                                      const std::string& path, BabelPoints which) {
    std::vector<TrackPoint> points;
    // Its CSV writer takes one kind of point per run.
    for (const char* kind : {"-w", "-t"}) {
        const bool tracks = std::string(kind) == "-t";
        if ((tracks && which == BabelPoints::Waypoints) ||
            (!tracks && which == BabelPoints::Tracks)) {
            continue;
        }
        test::TempFolder folder;
        const std::string out = folder.path() + "/out.csv";
        const std::string command = std::string("TZ=UTC gpsbabel ") + kind + " -i " + format +
                                    " -f '" + path + "' -o unicsv,utc=0 -F '" + out +
                                    "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            return std::nullopt;
        }
        ReadUnicsv(out, points);
    }
    return points;
}

std::vector<TrackPoint> InTimeOrder(std::vector<TrackPoint> points) {
    std::stable_sort(points.begin(), points.end(),
                     [](const TrackPoint& a, const TrackPoint& b) { return a.time < b.time; });
    return points;
}

std::string FirstDifference(const std::vector<TrackPoint>& unsortedOurs,
                            const std::vector<TrackPoint>& unsortedTheirs) {
    // gpsbabel hands out waypoints before tracks; the store keeps the file's order.
    const std::vector<TrackPoint> ours = InTimeOrder(unsortedOurs);
    const std::vector<TrackPoint> theirs = InTimeOrder(unsortedTheirs);
    std::ostringstream text;
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
        const TrackPoint& a = ours[i];
        const TrackPoint& b = theirs[i];
        const bool same =
            std::fabs(a.latitude - b.latitude) < 0.01 &&
            std::fabs(a.longitude - b.longitude) < 0.01 &&
            std::fabs(a.time - b.time) * 86400 < 0.001 &&
            (!b.elevation || std::fabs(a.elevation.value_or(0) - *b.elevation) < 0.051);
        if (!same) {
            text << "point " << i << ": ours " << a << ", gpsbabel's " << b;
            return text.str();
        }
    }
    if (ours.size() != theirs.size()) {
        text << ours.size() << " points, gpsbabel " << theirs.size();
    }
    return text.str();
}

}  // namespace geotal::testing
