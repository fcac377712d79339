// Loading a large folder in the window against listing it as the command line does: the same
// folder read through the session on a worker thread, the list filled and drawn, beside
// ReadPhotoFolder alone. Runs on Qt's offscreen platform with settings in a scratch folder.
#include <benchmark/benchmark.h>
#include <exiv2/exiv2.hpp>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/MainWindow.h"
#include "photo/PhotoFolder.h"
#include "res/ControlIds.h"

namespace {

namespace fs = std::filesystem;

// count copies of the tiny dated photo, and a GPX walk across their times.
const std::string& Folder(int count) {
    static std::map<int, std::string> made;
    static QTemporaryDir root;
    if (!made.contains(count)) {
        const std::string base = root.path().toStdString() + "/" + std::to_string(count);
        fs::create_directories(base + "/photos");
        fs::create_directories(base + "/gps");
        const std::string photo = base + "/dated.jpg";
        fs::copy_file(std::string(GEOTAL_TEST_DATA) + "/tiny.jpg", photo);
        auto image = Exiv2::ImageFactory::open(photo);
        image->readMetadata();
        image->exifData()["Exif.Photo.DateTimeOriginal"] = "2010:01:01 12:00:00";
        image->writeMetadata();
        for (int i = 0; i < count; ++i) {
            fs::copy_file(photo, base + "/photos/IMG_" + std::to_string(100000 + i) + ".JPG",
                          fs::copy_options::overwrite_existing);
        }
        std::ofstream(base + "/gps/walk.gpx")
            << "<gpx><trk><trkseg>"
               "<trkpt lat=\"47.0\" lon=\"8.0\"><time>2009-12-31T00:00:00Z</time></trkpt>"
               "<trkpt lat=\"47.1\" lon=\"8.1\"><time>2010-01-02T00:00:00Z</time></trkpt>"
               "</trkseg></trk></gpx>";
        made[count] = base;
    }
    return made[count];
}

void CommandLineListing(benchmark::State& state) {
    const std::string folder = Folder(static_cast<int>(state.range(0))) + "/photos";
    for (auto _ : state) {
        geotal::PhotoList photos;
        geotal::NullProgress progress;
        geotal::ReadPhotoFolder(folder, photos, progress, {});
        benchmark::DoNotOptimize(photos.records.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(CommandLineListing)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

void WindowLoad(benchmark::State& state) {
    const std::string base = Folder(static_cast<int>(state.range(0)));
    geotal::app::MainWindow window(nullptr);
    geotal::Settings settings = window.CurrentSettings();
    settings.photoFolder = base + "/photos";
    settings.gpsFolder = base + "/gps";
    window.ApplySettings(settings);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.OnCommand(geotal::res::main_window::kLoadDataFiles);
        QApplication::processEvents();  // the list drawn
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WindowLoad)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
