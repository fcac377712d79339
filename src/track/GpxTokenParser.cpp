#include "track/GpxTokenParser.h"

#include <cmath>

#include "support/Angles.h"
#include "support/AsciiText.h"
#include "support/DateTimeText.h"
#include "track/TextToFloat.h"

namespace geotal {
namespace {

// "+02:00", "-0530", "+02", possibly followed by blanks.
bool IsZoneOffset(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.size() < 3 || (text[0] != '+' && text[0] != '-') || !IsDigit(text[1]) ||
        !IsDigit(text[2])) {
        return false;
    }
    std::string_view minutes = text.substr(3);
    if (!minutes.empty() && minutes[0] == ':') {
        minutes.remove_prefix(1);
    }
    return minutes.empty() || (minutes.size() == 2 && IsDigit(minutes[0]) && IsDigit(minutes[1]));
}

}  // namespace

void CleanGpxTime(std::string_view token, std::string& text) {
    text.assign(token);
    for (char& c : text) {
        if (c == 'T' || c == 'Z') {
            c = ' ';
        }
    }
    const size_t dot = text.find('.');
    if (dot == std::string::npos || dot <= 15) {
        return;
    }
    size_t afterFraction = dot + 1;
    while (afterFraction < text.size() && IsDigit(text[afterFraction])) {
        ++afterFraction;
    }
    if (IsZoneOffset(std::string_view(text).substr(afterFraction))) {
        text.erase(dot, afterFraction - dot);
    } else {
        text.resize(dot);
    }
}

PositionAttributes ReadPositionAttributes(std::string_view startTag) {
    const auto read = [startTag](std::string_view name) -> std::optional<double> {
        const size_t at = startTag.find(name);
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        const size_t open = startTag.find_first_of("\"'", at);
        if (open == std::string_view::npos) {
            return std::nullopt;
        }
        const size_t close = startTag.find(startTag[open], open + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        return TextToFloat(startTag.substr(open + 1, close - open - 1));
    };
    return {read("lat"), read("lon")};
}

void GpxTokenParser::Feed(std::string_view token) {
    // The steps run in this order on every token, so a token can both end an expectation and
    // be recognised as a tag (an empty <time></time> parses "</time>" as the time, which cannot
    // be read, so the point is skipped).
    if (timeExpected_) {
        CleanGpxTime(token, timeText_);
        pointTime_ = ParseDateTimeText(timeText_);
        timeExpected_ = false;
        hasTime_ = true;
    }
    if (elevationExpected_) {
        const double elevation = TextToFloat(token);
        elevationExpected_ = false;
        elevation_ = std::isfinite(elevation) ? std::optional<double>(elevation) : std::nullopt;
    }
    if (token.substr(0, 6) == "<trkpt") {
        const PositionAttributes position = ReadPositionAttributes(token);
        latitude_ = position.latitude;
        longitude_ = position.longitude;
        inPoint_ = true;
        elevation_.reset();  // a value carried over from an earlier point is not this one's
    }
    if (!inPoint_) {
        return;
    }
    if (token == "<time>") {
        timeExpected_ = true;
    } else if (token == "</time>") {
        timeExpected_ = false;
    } else if (token == "<ele>") {
        elevationExpected_ = true;
    } else if (token == "</ele>") {
        elevationExpected_ = false;
    } else if (token == "</trkpt>") {
        inPoint_ = false;
        const bool hasPosition = latitude_ && longitude_;
        const TrackPoint point{DegreesToArcSeconds(latitude_.value_or(0)),
                               DegreesToArcSeconds(longitude_.value_or(0)), elevation_,
                               hasTime_ ? pointTime_ : 0.0};
        gate_.Offer(point, hasPosition);
        hasTime_ = false;
    }
}

}  // namespace geotal
