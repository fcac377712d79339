// The photo list with a large folder: taking a new folder's records into the view, and
// redrawing every row in another coordinate format. Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include <cstdio>
#include <cstdlib>

#include "app/PhotoListModel.h"
#include "app/PhotoListView.h"

namespace {

using geotal::app::PhotoListModel;
using geotal::app::PhotoListView;

geotal::PhotoList MakePhotos(int count) {
    geotal::PhotoList photos;
    photos.records.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        geotal::PhotoRecord photo;
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%06d.JPG", i);
        photo.fileName = name;
        photo.captureTime = 45000.5 + i / 86400.0;
        photo.marked = i % 3 != 0;
        if (i % 3 != 0) {
            photo.position = geotal::GeoPosition{171036.0 + i, 29700.0 - i, 412.0, {}};
        }
        photos.records.push_back(photo);
    }
    return photos;
}

// A shown window's list: the view lays out the rows and paints the visible ones.
struct ShownList {
    QTableView table;
    PhotoListModel* model = new PhotoListModel(&table);
    PhotoListView view{&table, model};

    ShownList() {
        table.resize(900, 500);
        view.SetUpColumns();
        table.show();
        QApplication::processEvents();
    }
    void Settle() {
        table.viewport()->repaint();
        QApplication::processEvents();
    }
};

void FillList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ShownList list;
    for (auto _ : state) {
        state.PauseTiming();
        geotal::PhotoList photos = MakePhotos(count);
        state.ResumeTiming();
        list.view.Replace(std::move(photos));
        list.Settle();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(FillList)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

void RedrawList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ShownList list;
    list.view.Replace(MakePhotos(count));
    list.Settle();
    bool minutes = false;
    for (auto _ : state) {
        minutes = !minutes;
        list.model->SetCoordinateFormat(minutes ? geotal::CoordinateFormat::DegreesMinutes
                                                : geotal::CoordinateFormat::DecimalDegrees);
        list.Settle();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(RedrawList)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
