// The calculation searches a time-sorted index of the track. Here a plain scan of the store,
// written straight from the matching rules, places the same photos on many generated tracks,
// and every result must agree to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "geotag/PositionCalculation.h"

namespace geotal {
namespace {

struct ScanResult {
    PositionOutcome outcome = PositionOutcome::Unchecked;
    int beforeIndex = -1;  // as the search found them, before any is dropped
    int afterIndex = -1;
};

// Every checked photo scans the whole store in order.
std::vector<ScanResult> PlainScan(PhotoList& photos, const TrackStore& track,
                                  const TimeAdjustment& adjustment, const MatchThresholds& limits) {
    const double span = adjustment.timeZoneOffset / 24.0 + adjustment.cameraClockError / 86400.0;
    std::vector<ScanResult> results(photos.records.size());
    for (int i = 0; i < photos.Count(); ++i) {
        PhotoRecord& photo = photos[i];
        const bool checked = photo.marked;
        photo.marked = false;
        if (!checked) {
            continue;
        }
        ScanResult& result = results[static_cast<size_t>(i)];
        if (!photo.captureTime && !track.IsEmpty()) {
            // A photo without a time is not looked for on the track.
            photo.position.reset();
            result.outcome = PositionOutcome::Far;
            continue;
        }
        const double t = photo.captureTime.value_or(0) - span;
        int before = -1;
        double beforeTime = 0.0;
        int after = -1;
        double afterTime = 9999999999.0;
        for (int j = 0; j < track.Count(); ++j) {
            const double time = track.At(j).time;
            if (time < t) {
                if (time > beforeTime) {
                    before = j;
                    beforeTime = time;
                }
            } else if (time < afterTime) {
                after = j;
                afterTime = time;
            }
        }
        result.beforeIndex = before;
        result.afterIndex = after;
        enum { None, Interpolate, TakeAfter, TakeBefore } outcome = None;
        if (before >= 0 && after >= 0) {
            const TrackPoint& b = track.At(before);
            const TrackPoint& a = track.At(after);
            const double gap = a.time - b.time;
            if (gap < limits.shortGap) {
                outcome = Interpolate;
            } else if (gap < limits.longGap) {
                if (std::fabs(a.latitude - b.latitude) < limits.stationaryTolerance &&
                    std::fabs(a.longitude - b.longitude) < limits.stationaryTolerance) {
                    outcome = Interpolate;
                } else if ((t - b.time) < (a.time - t)) {
                    after = -1;
                } else {
                    before = -1;
                }
            }
        }
        if (after >= 0 && before < 0 && (track.At(after).time - t) < limits.nearestPointLimit) {
            outcome = TakeAfter;
        } else if (before >= 0 && after < 0 &&
                   (t - track.At(before).time) < limits.nearestPointLimit) {
            outcome = TakeBefore;
        }
        if (outcome == Interpolate) {
            const TrackPoint& b = track.At(before);
            const TrackPoint& a = track.At(after);
            const double f = (t - b.time) / (a.time - b.time);
            photo.position =
                GeoPosition{b.latitude + (a.latitude - b.latitude) * f,
                            b.longitude + (a.longitude - b.longitude) * f, std::nullopt, t};
            if (b.elevation && a.elevation) {
                photo.position->altitude = *b.elevation + (*a.elevation - *b.elevation) * f;
            }
            photo.marked = true;
            result.outcome = PositionOutcome::Interpolated;
        } else if (outcome == TakeAfter || outcome == TakeBefore) {
            const TrackPoint& p = track.At(outcome == TakeAfter ? after : before);
            photo.position = GeoPosition{p.latitude, p.longitude, std::nullopt, t};
            if (p.elevation) {
                photo.position->altitude = *p.elevation;
            }
            photo.marked = true;
            result.outcome =
                outcome == TakeAfter ? PositionOutcome::After : PositionOutcome::Before;
        } else {
            photo.position.reset();
            result.outcome = track.IsEmpty()               ? PositionOutcome::Empty
                             : (before >= 0 && after >= 0) ? PositionOutcome::Gap
                                                           : PositionOutcome::Far;
        }
    }
    return results;
}

// Tracks and photos made to hit the rules' edges: repeated times, points exactly at a photo's
// time, times of 0 and below, files out of order, and steps near every threshold.
class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    TrackStore Track() {
        const int shape = Pick(10);
        const int count = shape == 0 ? 0 : shape == 1 ? 1 : shape == 2 ? 400 : Pick(40) + 2;
        // Half the tracks keep to times that are exact in binary, so that distances and gaps
        // can equal each other and the thresholds to the bit.
        exact_ = Pick(2) == 0;
        std::vector<TrackPoint> points;
        double time = 40000.0 + Pick(4) * (exact_ ? 0.125 : 0.01);
        TrackPoint place{180000.0, 36000.0, 100.0, 0.0};
        for (int i = 0; i < count; ++i) {
            time += OneOf(exact_ ? exactSteps_ : steps_);
            place.latitude += OneOf(moves_);
            place.longitude += OneOf(moves_);
            const double elevation = Pick(5) * 10.0;
            place.elevation = Pick(4) != 0 ? std::optional<double>(elevation) : std::nullopt;
            place.time = time;
            const int odd = Pick(25);
            if (odd == 0) {
                place.time = 0.0;
            } else if (odd == 1) {
                place.time = -time;
            } else if (odd == 2) {
                place.time = 9999999999.0;
            } else if (odd == 3) {
                place.time = std::numeric_limits<double>::quiet_NaN();
            } else if (odd == 4) {
                time = 40000.0 + Pick(4) * (exact_ ? 0.125 : 0.01);  // the next file starts again
            }
            points.push_back(place);
        }
        const int order = Pick(4);
        if (order == 1) {
            std::shuffle(points.begin(), points.end(), random_);
        } else if (order == 2) {
            const std::vector<TrackPoint> once = points;  // the same file loaded twice
            points.insert(points.end(), once.begin(), once.end());
        } else if (order == 3) {
            std::reverse(points.begin(), points.end());
        }
        TrackStore track;
        for (const TrackPoint& point : points) {
            track.Append(point);
        }
        return track;
    }

    // With no adjustment the corrected time is the camera time to the bit, so photos taken
    // exactly at a point's time really meet it.
    TimeAdjustment Adjustment() {
        static const int kChoices[][2] = {{0, 0}, {0, 0}, {2, 0}, {2, 60}, {-5, -30}, {5, 1800}};
        const int* choice = kChoices[Pick(6)];
        TimeAdjustment adjustment;
        adjustment.timeZoneOffset = choice[0];
        adjustment.cameraClockError = choice[1];
        return adjustment;
    }

    MatchThresholds Thresholds() {
        if (Pick(4) != 0) {
            return {};
        }
        // Any order of the gaps, so that the rules are checked in the order they are written.
        if (exact_) {
            return {OneOf(exactSteps_), OneOf(exactSteps_), Pick(3) * 1.0, OneOf(exactSteps_)};
        }
        return {Pick(3) * 0.01, Pick(3) * 0.05 + 0.01, Pick(3) * 1.0, Pick(3) * 0.004};
    }

    double PhotoTime(const TrackStore& track) {
        const int kind = Pick(8);
        if (kind == 0 || track.IsEmpty()) {
            return kind == 0 && Pick(2) == 0 ? 0.0 : 40000.0 + Pick(1000) * 0.0005;
        }
        const double near = track.At(Pick(track.Count())).time;
        return kind <= 3 ? near
                         : near + OneOf(exact_ ? exactSteps_ : offsets_) * (Pick(2) ? 1 : -1);
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

private:
    double OneOf(const std::vector<double>& values) {
        return values[static_cast<size_t>(Pick(static_cast<int>(values.size())))];
    }

    std::mt19937 random_;
    // Days: none, a second, minutes, near the short gap, an hour, near the long gap, more.
    const std::vector<double> steps_ = {0.0,    1.0 / 86400, 0.003, 0.0069, 0.0208,
                                        0.0209, 0.04,        0.1,   0.1667, 0.25};
    const std::vector<double> offsets_ = {1.0 / 86400, 0.003, 0.005, 0.0069, 0.01, 0.0834};
    const std::vector<double> exactSteps_ = {0.0,      1.0 / 256, 1.0 / 128, 1.0 / 64, 1.0 / 32,
                                             1.0 / 16, 1.0 / 8,   3.0 / 16,  1.0 / 4};
    bool exact_ = false;
    // Seconds of arc: still, under the tolerance, exactly at it, moving.
    const std::vector<double> moves_ = {0.0, 0.0, 0.5, 1.0, 30.0};
};

std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

TEST(PositionCalculation, placesEveryPhotoBitForBitAsAPlainScanOfTheStoreDoes) {
    Generator generate(20240611u);
    int compared = 0;
    int seen[7] = {};  // per outcome, so that a generator that misses a rule shows
    for (int trial = 0; trial < 3000; ++trial) {
        const TrackStore track = generate.Track();
        const TimeAdjustment adjustment = generate.Adjustment();
        const MatchThresholds thresholds = generate.Thresholds();
        PhotoList photos;
        for (int i = 0; i < 20; ++i) {
            PhotoRecord photo;
            photo.fileName = "p.jpg";
            photo.position = GeoPosition{22.0, 11.0, 33.0, {}};
            photo.captureTime = generate.PhotoTime(track);
            photo.marked = generate.Pick(8) != 0;
            photos.records.push_back(photo);
        }
        PhotoList scanned = photos;
        NullProgress progress;
        const std::vector<PositionResult> results =
            CalculatePositions(photos, track, adjustment, progress, thresholds);
        const std::vector<ScanResult> expected = PlainScan(scanned, track, adjustment, thresholds);
        for (int i = 0; i < photos.Count(); ++i) {
            const PositionResult& got = results[static_cast<size_t>(i)];
            const ScanResult& want = expected[static_cast<size_t>(i)];
            SCOPED_TRACE(testing::Message() << "trial " << trial << ", photo " << i);
            ASSERT_EQ(got.outcome, want.outcome);
            ASSERT_EQ(got.beforeIndex, want.beforeIndex);
            ASSERT_EQ(got.afterIndex, want.afterIndex);
            ASSERT_EQ(photos[i].position.has_value(), scanned[i].position.has_value());
            if (photos[i].position) {
                const GeoPosition& a = *photos[i].position;
                const GeoPosition& b = *scanned[i].position;
                ASSERT_EQ(Bits(a.latitude), Bits(b.latitude));
                ASSERT_EQ(Bits(a.longitude), Bits(b.longitude));
                ASSERT_EQ(a.altitude.has_value(), b.altitude.has_value());
                ASSERT_EQ(Bits(a.altitude.value_or(0)), Bits(b.altitude.value_or(0)));
                ASSERT_EQ(a.fixTime, b.fixTime);
            }
            ASSERT_EQ(photos[i].marked, scanned[i].marked);
            ++compared;
            ++seen[static_cast<int>(got.outcome)];
        }
    }
    EXPECT_EQ(compared, 60000);
    for (int outcome = 0; outcome < 7; ++outcome) {
        EXPECT_GT(seen[outcome], 20) << "outcome " << outcome;
    }
}

}  // namespace
}  // namespace geotal
