// The map with a million track points and 20,000 photo markers: one redraw after a pan step, at
// zoom levels from the whole track to street level; and the lines' preparation after a load.
// Runs on Qt's offscreen platform, without tiles.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cmath>

#include "app/MapView.h"
#include "session/Session.h"
#include "support/GeoPosition.h"

namespace {

using geotal::app::MapPhoto;
using geotal::app::MapView;

// Twelve days of a fix a second, wandering across some 40 km, in four files.
geotal::TrackStore Walk(int count) {
    geotal::TrackStore track;
    for (int i = 0; i < count; ++i) {
        const double t = i / 1000.0;
        track.Append(
            {geotal::DegreesToArcSeconds(46.5 + 0.15 * std::sin(t / 37.0) + 0.002 * std::sin(t)),
             geotal::DegreesToArcSeconds(7.9 + 0.2 * std::cos(t / 53.0) +
                                         0.002 * std::cos(t * 1.3)),
             std::nullopt, 45000.0 + i / 86400.0});
    }
    return track;
}

const geotal::TrackStore& Track() {
    static const geotal::TrackStore track = Walk(1000000);
    return track;
}

void PrepareLines(benchmark::State& state) {
    for (auto _ : state) {
        geotal::TrackLines lines(Track(), {250000, 250000, 250000, 250000}, 0.1667);
        benchmark::DoNotOptimize(lines.Lines().data());
    }
}
BENCHMARK(PrepareLines)->Unit(benchmark::kMillisecond);

void RedrawAfterPan(benchmark::State& state) {
    static const geotal::TrackLines lines(Track(), {250000, 250000, 250000, 250000}, 0.1667);
    std::vector<MapPhoto> photos;
    for (int i = 0; i < 20000; ++i) {
        const geotal::TrackPoint& p = Track().At(i * 50);
        photos.push_back({geotal::ToWorld(geotal::ArcSecondsToDegrees(p.latitude),
                                          geotal::ArcSecondsToDegrees(p.longitude)),
                          i, i % 3 == 0 ? MapPhoto::Look::Unwritten : MapPhoto::Look::InFile});
    }
    MapView map(nullptr, nullptr);
    map.resize(800, 600);
    map.SetTracks(&lines);
    map.SetPhotos(photos);
    map.ZoomToFit();
    const int zoom = static_cast<int>(state.range(0));
    map.SetView(map.Center(), zoom);
    QImage frame(map.size(), QImage::Format_ARGB32_Premultiplied);
    const geotal::WorldPoint start = map.Center();
    const double step = 64 / geotal::WorldPixels(zoom);
    int n = 0;
    for (auto _ : state) {
        map.SetView({start.x + step * (n++ % 8), start.y}, zoom);
        map.render(&frame);
    }
    state.counters["lines MB"] = static_cast<double>(lines.MemoryBytes()) / 1e6;
    state.counters["track MB"] =
        static_cast<double>(Track().Count()) * sizeof(geotal::TrackPoint) / 1e6;
}
BENCHMARK(RedrawAfterPan)->DenseRange(8, 18, 2)->Unit(benchmark::kMillisecond);

// The examples' two tracks and twelve photos: from Load's end to the map's first frame (without
// tiles): the session takes what was read, the map fits it and draws it.
void FirstFrameAfterLoad(benchmark::State& state) {
    geotal::Settings settings;
    settings.photoFolder = std::string(GEOTAL_EXAMPLES) + "/photos";
    settings.gpsFolder = std::string(GEOTAL_EXAMPLES) + "/gps";
    geotal::NullProgress progress;
    MapView map(nullptr, nullptr);
    map.resize(360, 300);
    QImage frame(map.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        geotal::Session session;
        session.ApplySettings(settings);
        geotal::Session::Loaded loaded = geotal::Session::ReadFolders(settings, progress);
        state.ResumeTiming();
        session.TakeLoad(std::move(loaded));
        map.SetTracks(&session.TrackOnMap());
        std::vector<MapPhoto> photos;
        for (int i = 0; i < session.Photos().Count(); ++i) {
            if (const geotal::MaybePosition& p = session.Photos()[i].position) {
                photos.push_back({geotal::ToWorld(p->LatitudeDegrees(), p->LongitudeDegrees()), i});
            }
        }
        map.SetPhotos(std::move(photos));
        map.ZoomToFit();
        map.render(&frame);
    }
}
BENCHMARK(FirstFrameAfterLoad)->Unit(benchmark::kMillisecond);

}  // namespace
