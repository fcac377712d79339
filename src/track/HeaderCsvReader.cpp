#include "track/HeaderCsvReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <string>
#include <vector>

#include "support/Angles.h"
#include "support/AsciiText.h"
#include "support/DateTime.h"
#include "support/DateTimeText.h"
#include "track/CsvLines.h"
#include "track/TextToFloat.h"
#include "track/TrackTime.h"
#include "track/TrimmedText.h"

namespace geotal {
namespace {

// The fields of one line, quotes taken off; a quoted field may hold the separator.
void SplitQuoted(std::string_view line, char separator, std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t') && line[i] != separator) {
            ++i;
        }
        std::string_view field;
        if (i < line.size() && line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? line.size() : close;
            field = line.substr(i + 1, end - i - 1);
            i = line.find(separator, end);
        } else {
            const std::size_t end = line.find(separator, i);
            field = TrimmedText(line.substr(i, end == std::string_view::npos ? end : end - i));
            i = end;
        }
        fields.push_back(field);
        if (i == std::string_view::npos || i >= line.size()) {
            return;
        }
        ++i;
    }
}

// The column name in lower case, without units in brackets, surrounding blanks, "_" or "-"
// between words, and a trailing " n/s" or " e/w" that says letters follow the number.
std::string NormalName(std::string_view name) {
    std::string text;
    for (char c : name) {
        if (c == '(' || c == '[') {
            break;
        }
        text.push_back(c == '_' || c == '-' ? ' ' : AsciiLower(c));
    }
    text = std::string(TrimmedText(text));
    for (const char* suffix : {" n/s", " e/w"}) {
        if (text.size() > 4 && text.ends_with(suffix)) {
            text.resize(text.size() - 4);
        }
    }
    return text;
}

template <std::size_t N>
bool IsOneOf(const std::string& name, const std::array<const char*, N>& names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

constexpr std::array<const char*, 3> kLatitudeNames = {"latitude", "lat", "lat deg"};
constexpr std::array<const char*, 5> kLongitudeNames = {"longitude", "lon", "lng", "long",
                                                        "lon deg"};
constexpr std::array<const char*, 5> kDateNames = {"date", "utc date", "gps date", "lcl date",
                                                   "local date"};
constexpr std::array<const char*, 5> kTimeNames = {"time", "utc time", "gps time", "lcl time",
                                                   "local time"};
constexpr std::array<const char*, 8> kDateTimeNames = {
    "datetime", "date time", "date/time", "timestamp", "utc", "time utc", "gmt", "gps datetime"};
constexpr std::array<const char*, 7> kElevationNames = {"elevation", "ele",    "altitude", "alt",
                                                        "height",    "altmsl", "alt msl"};
constexpr std::array<const char*, 3> kUtcOffsetNames = {"utcofst", "utc offset", "utcoffset"};

char SeparatorOf(std::string_view header) {
    char best = ',';
    std::ptrdiff_t most = 0;
    for (char c : {',', ';', '\t'}) {
        const std::ptrdiff_t count = std::count(header.begin(), header.end(), c);
        if (count > most) {
            most = count;
            best = c;
        }
    }
    return best;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Compact logger forms the general parser does not take: a date of six digits is YYMMDD, a
// time of six digits (and maybe a fraction) HHMMSS.
std::string WithSeparators(std::string_view date, std::string_view time) {
    std::string text;
    if (date.size() == 6 && AllDigits(date)) {
        text = "20" + std::string(date.substr(0, 2)) + "-" + std::string(date.substr(2, 2)) + "-" +
               std::string(date.substr(4, 2));
    } else {
        text = date;
    }
    const std::string_view clock = time.substr(0, time.find('.'));
    if (!text.empty() && !time.empty()) {
        text.push_back(' ');
    }
    if (clock.size() == 6 && AllDigits(clock)) {
        text += std::string(clock.substr(0, 2)) + ":" + std::string(clock.substr(2, 2)) + ":" +
                std::string(clock.substr(4, 2));
    } else {
        text += time;
    }
    return text;
}

// Seconds (or, with 12 digits or more, milliseconds) since 1970 as a day count.
double EpochToOleDate(std::string_view digits) {
    const long long number = std::stoll(std::string(digits.substr(0, 18)));
    const bool milliseconds = digits.size() >= 12;
    const std::time_t seconds = milliseconds ? number / 1000 : number;
    std::tm utc{};
    if (gmtime_r(&seconds, &utc) == nullptr) {
        return 0;
    }
    const double fraction = milliseconds ? static_cast<double>(number % 1000) / 1000 : 0;
    return ToOleDate({utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                      utc.tm_sec}) +
           fraction / 86400;
}

// A number at the start of the text; false when the text does not start with one.
bool ReadNumber(std::string_view text, double& value) {
    text = TrimmedText(text);
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) ||
                          text.front() == '-' || text.front() == '+' || text.front() == '.')) {
        return false;
    }
    value = TextToFloat(text);
    return true;
}

// A coordinate with maybe a hemisphere letter before or after it ("49.07N", "W125.76").
bool ReadCoordinate(std::string_view text, char negative, char positive, double& degrees) {
    text = TrimmedText(text);
    if (text.empty()) {
        return false;
    }
    bool flip = false;
    const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    if (first == negative || first == positive) {
        flip = first == negative;
        text.remove_prefix(1);
    } else if (last == negative || last == positive) {
        flip = last == negative;
        text.remove_suffix(1);
    }
    if (!ReadNumber(text, degrees)) {
        return false;
    }
    if (flip) {
        degrees = -degrees;
    }
    return true;
}

std::string_view FieldAt(const std::vector<std::string_view>& fields, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < fields.size()
               ? fields[static_cast<std::size_t>(column)]
               : std::string_view();
}

bool StartsWithLetter(std::string_view text, char letter) {
    return !text.empty() && AsciiLower(text.front()) == AsciiLower(letter);
}

class HeaderCsvParser {
public:
    HeaderCsvParser(const CsvColumns& columns, TrackStore& store)
        : columns_(columns), gate_(store) {}

    void Feed(std::string_view line) {
        if (line.front() == '#') {
            return;
        }
        SplitQuoted(line, columns_.separator, fields_);
        double latitude = 0;
        double longitude = 0;
        const bool hasPosition =
            ReadCoordinate(FieldAt(fields_, columns_.latitude), 'S', 'N', latitude) &&
            ReadCoordinate(FieldAt(fields_, columns_.longitude), 'W', 'E', longitude);
        if (StartsWithLetter(FieldAt(fields_, columns_.northSouth), 'S')) {
            latitude = -latitude;
        }
        if (StartsWithLetter(FieldAt(fields_, columns_.eastWest), 'W')) {
            longitude = -longitude;
        }
        TrackPoint point{DegreesToArcSeconds(latitude), DegreesToArcSeconds(longitude),
                         std::nullopt, TimeOfLine()};
        if (double elevation = 0; ReadNumber(FieldAt(fields_, columns_.elevation), elevation)) {
            point.elevation = elevation;
        }
        gate_.Offer(point, hasPosition);
    }

    const SkippedPoints& skipped() const { return gate_.skipped(); }

private:
    double TimeOfLine() const {
        const std::string_view stamp = FieldAt(fields_, columns_.dateTime);
        if (columns_.dateTime >= 0 && AllDigits(stamp) && stamp.size() >= 9) {
            return EpochToOleDate(stamp);
        }
        std::string text = columns_.dateTime >= 0 ? std::string(stamp)
                                                  : WithSeparators(FieldAt(fields_, columns_.date),
                                                                   FieldAt(fields_, columns_.time));
        text += TrimmedText(FieldAt(fields_, columns_.utcOffset));
        return ParseTrackTime(text);
    }

    CsvColumns columns_;
    TrackPointGate gate_;
    std::vector<std::string_view> fields_;
};

}  // namespace

std::optional<CsvColumns> FindCsvColumns(std::string_view header) {
    CsvColumns columns;
    columns.separator = SeparatorOf(header);
    std::vector<std::string_view> names;
    SplitQuoted(header, columns.separator, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = NormalName(names[i]);
        const int column = static_cast<int>(i);
        auto take = [&](int& slot) {
            if (slot < 0) {
                slot = column;
            }
        };
        if (IsOneOf(name, kLatitudeNames)) {
            take(columns.latitude);
        } else if (IsOneOf(name, kLongitudeNames)) {
            take(columns.longitude);
        } else if (IsOneOf(name, kDateNames)) {
            take(columns.date);
        } else if (IsOneOf(name, kTimeNames)) {
            take(columns.time);
        } else if (IsOneOf(name, kDateTimeNames)) {
            take(columns.dateTime);
        } else if (IsOneOf(name, kElevationNames)) {
            take(columns.elevation);
        } else if (name == "n/s") {
            take(columns.northSouth);
        } else if (name == "e/w") {
            take(columns.eastWest);
        } else if (IsOneOf(name, kUtcOffsetNames)) {
            take(columns.utcOffset);
        }
    }
    const bool hasTime = columns.dateTime >= 0 || columns.time >= 0;
    if (columns.latitude < 0 || columns.longitude < 0 || !hasTime) {
        return std::nullopt;
    }
    return columns;
}

std::optional<TrackReadResult> ReadCsvByHeader(std::string_view bytes, TrackStore& store) {
    LineSplitter splitter(bytes);
    std::string_view line;
    while (splitter.Next(line) && line.front() == '#') {
    }
    const std::optional<CsvColumns> columns = line.empty() ? std::nullopt : FindCsvColumns(line);
    if (!columns) {
        return std::nullopt;
    }
    HeaderCsvParser parser(*columns, store);
    while (splitter.Next(line)) {
        parser.Feed(line);
    }
    return TrackReadResult{parser.skipped(), "read by the names in its header row"};
}

}  // namespace geotal
