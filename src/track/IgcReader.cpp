#include "track/IgcReader.h"

#include <optional>
#include <string>

#include "support/Angles.h"
#include "support/DateTime.h"
#include "track/TextToFloat.h"

namespace geotal {
namespace {

constexpr std::size_t kShortestBRecord = 35;

bool Digits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int Number(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// The ddmmyy after "HFDTE" or "HFDTEDATE:", as the day count of its midnight; nothing, with
// digits telling whether there were six digits, when there is no such date.
std::optional<double> HeaderDate(std::string_view line, bool& digits) {
    line.remove_prefix(5);
    if (line.substr(0, 5) == "DATE:") {
        line.remove_prefix(5);
    }
    digits = line.size() >= 6 && Digits(line.substr(0, 6));
    if (!digits) {
        return std::nullopt;
    }
    const int year = Number(line.substr(4, 2));
    const CalendarTime date{year < 80 ? 2000 + year : 1900 + year, Number(line.substr(2, 2)),
                            Number(line.substr(0, 2))};
    if (!IsValidCalendarTime(date)) {
        return std::nullopt;
    }
    return ToOleDate(date);
}

// DDMMmmm + N/S, or DDDMMmmm + E/W, in degrees.
std::optional<double> Angle(std::string_view field, int degreeDigits, char negative,
                            char positive) {
    const std::string_view digits = field.substr(0, field.size() - 1);
    const char hemisphere = field.back();
    if (!Digits(digits) || (hemisphere != negative && hemisphere != positive)) {
        return std::nullopt;
    }
    const double degrees = Number(digits.substr(0, static_cast<std::size_t>(degreeDigits))) +
                           Number(digits.substr(static_cast<std::size_t>(degreeDigits))) / 60000.0;
    return hemisphere == negative ? -degrees : degrees;
}

class IgcParser {
public:
    explicit IgcParser(TrackStore& store) : gate_(store) {}

    void Feed(std::string_view line) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (line.substr(0, 5) == "HFDTE" || line.substr(0, 5) == "HPDTE") {
            bool digits = false;
            if (const auto date = HeaderDate(line, digits)) {
                date_ = *date;
            } else if (badHeader_.empty()) {
                // Kept for the note: a log whose only date header gives no date has no date,
                // but the user can mend the header it does have.
                badHeader_ = std::string(line.substr(0, 40));
                badHeader_ += digits ? " is impossible" : " cannot be read";
            }
        } else if (!line.empty() && line.front() == 'B') {
            Record(line);
        }
    }

    TrackReadResult Finish() const {
        TrackReadResult result;
        result.skipped = gate_.skipped();
        result.skipped.withoutTime += undated_;
        if (undated_ > 0) {
            result.note = badHeader_.empty() ? "no date: the log has no HFDTE header"
                                             : "no date: the date of its header " + badHeader_;
        }
        if (damaged_ > 0) {
            result.AddNote(std::to_string(damaged_) +
                           (damaged_ == 1 ? " B record was" : " B records were") +
                           " damaged and left out");
        }
        return result;
    }

private:
    void Record(std::string_view b) {
        if (b.size() < kShortestBRecord || !Digits(b.substr(1, 6))) {
            ++damaged_;
            return;
        }
        const auto latitude = Angle(b.substr(7, 8), 2, 'S', 'N');
        const auto longitude = Angle(b.substr(15, 9), 3, 'W', 'E');
        const std::string_view pressure = b.substr(25, 5);
        const std::string_view gnss = b.substr(30, 5);
        if (!latitude || !longitude) {
            ++damaged_;
            return;
        }
        if (!date_) {
            ++undated_;
            return;
        }
        const int hours = Number(b.substr(1, 2));
        const int minutes = Number(b.substr(3, 2));
        const int seconds = Number(b.substr(5, 2));
        TrackPoint point{DegreesToArcSeconds(*latitude), DegreesToArcSeconds(*longitude),
                         std::nullopt, 0};
        if (hours >= 24 || minutes >= 60 || seconds >= 60) {
            // Counted without a time, and no clock to compare the next record's with: it
            // must not look as if midnight had passed.
            gate_.Offer(point);
            return;
        }
        const double timeOfDay = hours * 3600.0 + minutes * 60.0 + seconds;
        if (hasPrevious_ && timeOfDay < previousTimeOfDay_) {
            *date_ += 1;  // past midnight UTC
        }
        hasPrevious_ = true;
        previousTimeOfDay_ = timeOfDay;

        point.time = *date_ + timeOfDay / kSecondsPerDay;
        const double gnssAltitude = TextToFloat(gnss);
        point.elevation = gnssAltitude != 0 ? gnssAltitude : TextToFloat(pressure);
        gate_.Offer(point);
    }

    TrackPointGate gate_;
    std::optional<double> date_;
    std::string badHeader_;  // the first date header that gives no date, and why
    bool hasPrevious_ = false;
    double previousTimeOfDay_ = 0;
    int undated_ = 0;
    int damaged_ = 0;
};

}  // namespace

TrackReadResult ReadIgcText(std::string_view bytes, TrackStore& store) {
    IgcParser parser(store);
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        parser.Feed(bytes.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        bytes.remove_prefix(end + 1);
    }
    return parser.Finish();
}

}  // namespace geotal
