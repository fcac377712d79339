#include "track/TcxReader.h"

#include <optional>
#include <string>

#include "support/Angles.h"
#include "track/TextToFloat.h"
#include "track/TrackTime.h"
#include "track/TrimmedText.h"
#include "track/XmlEvents.h"

namespace geotal {
namespace {

class TcxHandler final : public TextElementHandler {
public:
    explicit TcxHandler(TrackStore& store) : gate_(store) {}

    TrackReadResult Finish(const std::string& damage) const {
        TrackReadResult result{gate_.skipped(), {}};
        result.AddDamage(damage);
        return result;
    }

protected:
    bool StartElement(std::string_view name, const char**) override {
        if (name == "Trackpoint") {
            inPoint_ = true;
            time_ = 0;
            latitude_.reset();
            longitude_.reset();
            altitude_.reset();
        }
        return inPoint_ && (name == "Time" || name == "LatitudeDegrees" ||
                            name == "LongitudeDegrees" || name == "AltitudeMeters");
    }

    void EndElement(std::string_view name, const std::string& whole) override {
        if (inPoint_) {
            const std::string_view text = TrimmedText(whole);
            if (name == "Time") {
                time_ = ParseTrackTime(text);
            } else if (name == "LatitudeDegrees" && !text.empty()) {
                latitude_ = TextToFloat(text);
            } else if (name == "LongitudeDegrees" && !text.empty()) {
                longitude_ = TextToFloat(text);
            } else if (name == "AltitudeMeters" && !text.empty()) {
                altitude_ = TextToFloat(text);
            } else if (name == "Trackpoint") {
                Store();
                inPoint_ = false;
            }
        }
    }

private:
    void Store() { gate_.OfferFix(latitude_, longitude_, altitude_, time_); }

    TrackPointGate gate_;
    bool inPoint_ = false;
    double time_ = 0;
    std::optional<double> latitude_, longitude_, altitude_;
};

}  // namespace

TrackReadResult ReadTcxText(std::string_view bytes, TrackStore& store) {
    TcxHandler handler(store);
    const std::string damage = WalkXml(bytes, handler);
    return handler.Finish(damage);
}

}  // namespace geotal
