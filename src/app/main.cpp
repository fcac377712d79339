// Geotal: starts the application object, which runs the main window.
#include <QApplication>

#include <cstdio>
#include <cstring>

#include "app/GeotagApp.h"
#include "support/MemoryReuse.h"
#include "support/Version.h"

int main(int argc, char** argv) {
    // Asked from a terminal, the answer belongs there, not in a window.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Geotal %s\n", geotal::kVersionText);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "Usage: geotal [--help | --version]\n\n"
                "Opens the Geotal window, which places photos on the GPS tracks of a folder and\n"
                "writes the positions into them. It takes no other arguments: choose the folders\n"
                "in the window. geotal-cli does the same work from scripts (geotal-cli --help).\n");
            return 0;
        }
    }
    geotal::KeepPhotoBuffersForReuse();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarsel"));
    QCoreApplication::setApplicationName(QStringLiteral("Geotal"));
    geotal::app::GeotagApp app;
    return app.InitInstance();
}
