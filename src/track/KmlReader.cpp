#include "track/KmlReader.h"

#include <deque>
#include <optional>
#include <string>

#include "support/Angles.h"
#include "track/TextToFloat.h"
#include "track/TrackTime.h"
#include "track/TrimmedText.h"
#include "track/XmlEvents.h"
#include "track/ZipMember.h"

namespace geotal {
namespace {

struct Position {
    double longitude = 0, latitude = 0;
    std::optional<double> altitude;
};

// "lon lat alt" (gx:coord) or "lon,lat,alt" (coordinates); the first tuple only.
std::optional<Position> ParsePosition(std::string_view text, char separator) {
    text = TrimmedText(text);
    if (text.empty()) {
        return std::nullopt;
    }
    const std::size_t end = separator == ',' ? text.find_first_of(" \t\n\r") : text.npos;
    text = text.substr(0, end);
    Position position;
    std::size_t first = text.find(separator);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    position.longitude = TextToFloat(text.substr(0, first));
    std::string_view rest = TrimmedText(text.substr(first + 1));
    const std::size_t second = rest.find(separator);
    position.latitude = TextToFloat(rest.substr(0, second));
    if (second != std::string_view::npos) {
        const std::string_view altitude = TrimmedText(rest.substr(second + 1));
        if (!altitude.empty()) {
            position.altitude = TextToFloat(altitude);
        }
    }
    return position;
}

std::string Count(int count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

class KmlHandler final : public TextElementHandler {
public:
    explicit KmlHandler(TrackStore& store) : gate_(store) {}

protected:
    bool StartElement(std::string_view name, const char**) override {
        if (name == "Track") {
            ++inTrack_;
            whens_.clear();
            coords_.clear();
        } else if (name == "Placemark") {
            placemarkWhen_.reset();
            placemarkPoint_.reset();
            placemarkHasTrack_ = false;
        } else if (name == "TimeStamp") {
            inTimeStamp_ = true;
        } else if (name == "Point") {
            inPoint_ = true;
        } else if (name == "LineString") {
            ++untimedLines_;
        } else if (name == "TimeSpan") {
            ++timeSpans_;
        }
        // Only the texts that can become points are kept: a LineString's coordinates may
        // be most of a large file.
        return (name == "when" && (inTrack_ > 0 || inTimeStamp_)) ||
               (name == "coord" && inTrack_ > 0) || (name == "coordinates" && inPoint_);
    }

    void EndElement(std::string_view name, const std::string& text) override {
        if (name == "when" && inTrack_ > 0) {
            PairWhen(ParseTrackTime(text));
        } else if (name == "coord" && inTrack_ > 0) {
            PairCoord(ParsePosition(text, ' '));
        } else if (name == "when" && inTimeStamp_) {
            placemarkWhen_ = ParseTrackTime(text);
        } else if (name == "coordinates" && inPoint_) {
            placemarkPoint_ = ParsePosition(text, ',');
        } else if (name == "Track" && inTrack_ > 0) {
            --inTrack_;
            placemarkHasTrack_ = true;
            EndTrack();
        } else if (name == "TimeStamp") {
            inTimeStamp_ = false;
        } else if (name == "Point") {
            inPoint_ = false;
        } else if (name == "Placemark") {
            StorePlacemark();
        }
    }

public:
    TrackReadResult Finish(const std::string& damage) const {
        TrackReadResult result{gate_.skipped(), {}};
        if (untimedLines_ > 0) {
            result.AddNote(Count(untimedLines_, "LineString") +
                           " without point times gave no points");
        }
        if (timeSpans_ > 0) {
            result.AddNote(Count(timeSpans_, "TimeSpan") + " without point times gave no points");
        }
        if (unpaired_ > 0) {
            result.AddNote(std::to_string(unpaired_) +
                           (unpaired_ == 1 ? " gx:Track entry had" : " gx:Track entries had") +
                           " no partner (the numbers of when and gx:coord differ)");
        }
        result.AddDamage(damage);
        return result;
    }

private:
    // The n-th when of a track goes with its n-th gx:coord. Each is offered as soon as its
    // partner is there, so only the run of whens before the first coord waits in memory.
    void PairWhen(double when) {
        if (coords_.empty()) {
            whens_.push_back(when);
        } else {
            Offer(coords_.front(), when);
            coords_.pop_front();
        }
    }

    void PairCoord(const std::optional<Position>& coord) {
        if (whens_.empty()) {
            coords_.push_back(coord);
        } else {
            Offer(coord, whens_.front());
            whens_.pop_front();
        }
    }

    void EndTrack() {
        unpaired_ += static_cast<int>(whens_.size() + coords_.size());
        whens_.clear();
        coords_.clear();
    }

    void StorePlacemark() {
        if (!placemarkHasTrack_ && placemarkWhen_ && placemarkPoint_) {
            Offer(*placemarkPoint_, *placemarkWhen_);
        }
        placemarkWhen_.reset();
        placemarkPoint_.reset();
        placemarkHasTrack_ = false;
    }

    void Offer(const std::optional<Position>& position, double time) {
        if (position) {
            gate_.OfferFix(position->latitude, position->longitude, position->altitude, time);
        } else {
            gate_.OfferFix({}, {}, {}, time);
        }
    }

    TrackPointGate gate_;
    int inTrack_ = 0;
    std::deque<double> whens_;  // not yet paired; one of the two is always empty
    std::deque<std::optional<Position>> coords_;
    bool inTimeStamp_ = false;
    bool inPoint_ = false;
    std::optional<double> placemarkWhen_;
    std::optional<std::optional<Position>> placemarkPoint_;
    bool placemarkHasTrack_ = false;
    int untimedLines_ = 0;
    int timeSpans_ = 0;
    int unpaired_ = 0;
};

}  // namespace

TrackReadResult ReadKmlText(std::string_view bytes, TrackStore& store) {
    KmlHandler handler(store);
    const std::string damage = WalkXml(bytes, handler);
    return handler.Finish(damage);
}

TrackReadResult ReadKmzBytes(std::string_view bytes, TrackStore& store) {
    std::string kml;
    std::string error;
    if (!ReadZipMember(bytes, ".kml", "doc.kml", kml, error)) {
        return {{}, error};
    }
    return ReadKmlText(kml, store);
}

}  // namespace geotal
