#include "track/NmeaReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/Angles.h"
#include "support/AsciiText.h"
#include "support/DateTime.h"
#include "track/TextEncoding.h"
#include "track/TextToFloat.h"
#include "track/TrackPointGate.h"
#include "track/TrimmedText.h"

namespace geotal {
namespace {

constexpr int kMaxFields = 20;
// Sentences of one moment farther apart than this are not one fix: a receiver that writes
// its fix twice writes the same place, give or take its last digits.
constexpr double kSameFixMetres = 300;
constexpr double kMetresPerDegree = 111'195;  // of latitude, on a sphere of the Earth's mean radius
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

using Fields = std::array<std::string_view, kMaxFields>;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Plain decimals ("4730.1234", "412.5") as receivers write them, read without the general
// float reader; anything else (a sign, an exponent) goes to it.
double Decimal(std::string_view text) {
    double whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        whole = whole * 10 + (text[i] - '0');
    }
    if (i == text.size()) {
        return whole;
    }
    if (text[i] != '.' || i == 0) {
        return TextToFloat(text);
    }
    double fraction = 0;
    double scale = 1;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9' && scale < 1e15; ++i) {
        fraction = fraction * 10 + (text[i] - '0');
        scale *= 10;
    }
    if (i != text.size()) {
        return TextToFloat(text);
    }
    return whole + fraction / scale;
}

int TwoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// hhmmss with an optional fraction, as seconds of the day.
std::optional<double> TimeOfDay(std::string_view text) {
    if (text.size() < 6 || !IsDigits(text.substr(0, 6))) {
        return std::nullopt;
    }
    const int hours = TwoDigits(text, 0);
    const int minutes = TwoDigits(text, 2);
    const double seconds = Decimal(text.substr(4));
    if (hours > 23 || minutes > 59 || seconds >= 61) {
        return std::nullopt;
    }
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

// ddmmyy; years before 80 are taken as 20yy.
std::optional<double> DateOf(std::string_view text) {
    if (text.size() != 6 || !IsDigits(text)) {
        return std::nullopt;
    }
    const int year = TwoDigits(text, 4);
    const CalendarTime date{year < 80 ? 2000 + year : 1900 + year, TwoDigits(text, 2),
                            TwoDigits(text, 0)};
    if (!IsValidCalendarTime(date)) {
        return std::nullopt;
    }
    return ToOleDate(date);
}

// ddmm.mmmm (latitude) or dddmm.mmmm (longitude) and a hemisphere letter, in degrees.
std::optional<double> Coordinate(std::string_view value, std::string_view hemisphere,
                                 char negative) {
    const std::size_t dot = value.find('.');
    const std::size_t whole = dot == std::string_view::npos ? value.size() : dot;
    if (whole < 3 || !IsDigits(value.substr(0, whole)) || hemisphere.size() != 1) {
        return std::nullopt;
    }
    const double degrees = Decimal(value.substr(0, whole - 2));
    const double minutes = Decimal(value.substr(whole - 2));
    const double result = degrees + minutes / 60.0;
    return hemisphere[0] == negative ? -result : result;
}

// The fields after the sentence name, and whether the checksum, when there is one, fits.
bool SplitSentence(std::string_view sentence, Fields& fields, int& count) {
    const std::size_t star = sentence.find('*');
    std::string_view body = sentence.substr(1, star == std::string_view::npos ? star : star - 1);
    if (star != std::string_view::npos && star + 2 < sentence.size()) {
        const int high = HexDigit(sentence[star + 1]);
        const int low = HexDigit(sentence[star + 2]);
        if (high >= 0 && low >= 0) {
            unsigned sum = 0;
            for (char c : body) {
                sum ^= static_cast<unsigned char>(c);
            }
            if (sum != static_cast<unsigned>(high * 16 + low)) {
                return false;
            }
        }
    }
    count = 0;
    while (count < kMaxFields) {
        const std::size_t comma = body.find(',');
        // A space before a value reads as one after it: as nothing.
        fields[static_cast<std::size_t>(count++)] = TrimmedText(body.substr(0, comma));
        if (comma == std::string_view::npos) {
            break;
        }
        body.remove_prefix(comma + 1);
    }
    for (int i = count; i < kMaxFields; ++i) {
        fields[static_cast<std::size_t>(i)] = {};
    }
    return true;
}

// A fix being put together from the sentences of one moment.
struct Fix {
    double timeOfDay = 0;
    std::optional<double> date;  // day count of midnight
    bool hasPosition = false;
    double latitude = 0, longitude = 0;
    std::optional<double> altitude;
};

// Whether a sentence's position (where it gives one) can belong to the fix: within
// kSameFixMetres of the fix's own, on a flat map near them, which is exact enough over metres.
bool Agrees(const Fix& fix, std::optional<double> latitude, std::optional<double> longitude) {
    if (!fix.hasPosition || !latitude || !longitude) {
        return true;
    }
    double east = std::fabs(*longitude - fix.longitude);
    east = std::min(east, 360 - east) * std::cos(fix.latitude * kRadiansPerDegree);
    const double north = *latitude - fix.latitude;
    return std::hypot(east, north) * kMetresPerDegree <= kSameFixMetres;
}

class NmeaParser {
public:
    explicit NmeaParser(TrackStore& store) : gate_(store) {}

    void Feed(std::string_view line) {
        const std::size_t dollar = line.find('$');
        if (dollar == std::string_view::npos) {
            return;
        }
        line.remove_prefix(dollar);
        while (!line.empty() &&
               (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        Fields f;
        int count = 0;
        if (!SplitSentence(line, f, count)) {
            ++badChecksums_;
            return;
        }
        const std::string_view name = f[0];
        if (name.size() != 5 && name != "PMGNTRK") {
            return;
        }
        const std::string_view type = name.substr(2);
        if (type == "RMC") {
            OnRmc(f);
        } else if (type == "GGA") {
            OnGga(f);
        } else if (type == "ZDA") {
            OnZda(f);
        } else if (name == "PMGNTRK") {
            OnMagellan(f);
        }
    }

    TrackReadResult Finish() {
        Flush();
        TrackReadResult result;
        result.skipped = gate_.skipped();
        if (!undated_.empty()) {
            result.skipped.withoutTime += static_cast<int>(undated_.size());
            result.note =
                "no date: the fixes have times of day but no RMC or ZDA sentence "
                "gives their date";
        }
        if (badChecksums_ > 0) {
            result.AddNote(std::to_string(badChecksums_) +
                           (badChecksums_ == 1 ? " sentence" : " sentences") +
                           " failed the checksum");
        }
        return result;
    }

private:
    // The fix of this time of day and place: the current one when it has the same time and a
    // position near this one (or none), else a new one after the current is stored.
    Fix& FixAt(double timeOfDay, std::optional<double> latitude, std::optional<double> longitude) {
        if (!current_ || current_->timeOfDay != timeOfDay ||
            !Agrees(*current_, latitude, longitude)) {
            Flush();
            current_ = Fix{timeOfDay, {}, false, 0, 0, {}};
        }
        return *current_;
    }

    void OnRmc(const Fields& f) {
        const auto time = TimeOfDay(f[1]);
        const auto latitude = Coordinate(f[3], f[4], 'S');
        const auto longitude = Coordinate(f[5], f[6], 'W');
        const auto date = DateOf(f[9]);
        if (f[2] != "A" || !time) {
            return;  // a void fix, or none at all
        }
        Fix& fix = FixAt(*time, latitude, longitude);
        if (date) {
            fix.date = *date;
            LearnDate(*date, *time);
        }
        SetPosition(fix, latitude, longitude);
    }

    void OnGga(const Fields& f) {
        const auto time = TimeOfDay(f[1]);
        if (f[6].empty() || f[6] == "0" || !time) {
            return;
        }
        const auto latitude = Coordinate(f[2], f[3], 'S');
        const auto longitude = Coordinate(f[4], f[5], 'W');
        Fix& fix = FixAt(*time, latitude, longitude);
        SetPosition(fix, latitude, longitude);
        if (!f[9].empty()) {
            fix.altitude = Decimal(f[9]);
        }
    }

    void OnZda(const Fields& f) {
        const auto time = TimeOfDay(f[1]);
        // dd, mm and yyyy: a field of another length is no date, however many digits it has.
        if (!time || f[2].size() != 2 || f[3].size() != 2 || f[4].size() != 4 || !IsDigits(f[2]) ||
            !IsDigits(f[3]) || !IsDigits(f[4])) {
            return;
        }
        const CalendarTime date{TwoDigits(f[4], 0) * 100 + TwoDigits(f[4], 2), TwoDigits(f[3], 0),
                                TwoDigits(f[2], 0)};
        if (IsValidCalendarTime(date)) {
            LearnDate(ToOleDate(date), *time);
        }
    }

    // $PMGNTRK,llll.ll,a,yyyyy.yy,a,alt,M,hhmmss.ss,A,name,ddmmyy
    void OnMagellan(const Fields& f) {
        const auto time = TimeOfDay(f[7]);
        const auto date = DateOf(f[10]);
        if (f[8] == "V" || !time) {
            return;
        }
        const auto latitude = Coordinate(f[1], f[2], 'S');
        const auto longitude = Coordinate(f[3], f[4], 'W');
        Fix& fix = FixAt(*time, latitude, longitude);
        SetPosition(fix, latitude, longitude);
        if (!f[5].empty()) {
            fix.altitude = TextToFloat(f[5]) * (f[6] == "F" ? 0.3048 : 1.0);
        }
        if (date) {
            fix.date = *date;
            LearnDate(*date, *time);
        }
    }

    // The first sentence of a moment that gives a position decides it, as in gpsbabel.
    static void SetPosition(Fix& fix, std::optional<double> latitude,
                            std::optional<double> longitude) {
        if (latitude && longitude && !fix.hasPosition) {
            fix.hasPosition = true;
            fix.latitude = *latitude;
            fix.longitude = *longitude;
        }
    }

    void LearnDate(double date, double timeOfDay) {
        const bool first = !lastDate_;
        lastDate_ = date;
        lastTimeOfDay_ = timeOfDay;
        if (first) {
            // Fixes seen before any date took place on that date, or the day before when
            // their time of day is later than the one that brought the date.
            for (Fix& fix : undated_) {
                fix.date = fix.timeOfDay > timeOfDay ? date - 1 : date;
                Store(fix);
            }
            undated_.clear();
        }
    }

    void Flush() {
        if (!current_) {
            return;
        }
        Fix fix = *current_;
        current_.reset();
        if (!fix.date) {
            if (!lastDate_) {
                undated_.push_back(fix);
                return;
            }
            // Past midnight since the last dated sentence: the next day.
            const bool nextDay = fix.timeOfDay + kSecondsPerDay / 2 < lastTimeOfDay_;
            fix.date = *lastDate_ + (nextDay ? 1 : 0);
        }
        Store(fix);
    }

    void Store(const Fix& fix) {
        const TrackPoint point{DegreesToArcSeconds(fix.latitude),
                               DegreesToArcSeconds(fix.longitude), fix.altitude,
                               *fix.date + fix.timeOfDay / kSecondsPerDay};
        gate_.Offer(point, fix.hasPosition);
    }

    TrackPointGate gate_;
    std::optional<Fix> current_;
    std::vector<Fix> undated_;
    std::optional<double> lastDate_;
    double lastTimeOfDay_ = 0;
    int badChecksums_ = 0;
};

}  // namespace

TrackReadResult ReadNmeaText(std::string_view bytes, TrackStore& store) {
    std::string converted;
    bytes = AsUtf8(bytes, converted);
    NmeaParser parser(store);
    // Lines end in LF or CR LF; a log of bare CRs is split at those.
    const char end = bytes.find('\n') == std::string_view::npos ? '\r' : '\n';
    while (!bytes.empty()) {
        const void* found = std::memchr(bytes.data(), end, bytes.size());
        const std::size_t length =
            found == nullptr
                ? bytes.size()
                : static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
        parser.Feed(bytes.substr(0, length));
        bytes.remove_prefix(std::min(length + 1, bytes.size()));
    }
    return parser.Finish();
}

}  // namespace geotal
