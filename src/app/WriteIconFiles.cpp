// geotal-icon-files FOLDER SIZE...: writes FOLDER/NxN/apps/geotal.png for each SIZE, the layout
// of a freedesktop icon theme, from the same drawing the window shows.
#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "app/IconDrawing.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: geotal-icon-files FOLDER SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (size <= 0 || !QDir().mkpath(apps) ||
            !geotal::app::DrawAppIcon(size).save(apps + QStringLiteral("/geotal.png"), "PNG")) {
            std::fprintf(stderr, "geotal-icon-files: cannot write the %s pixel icon into %s\n",
                         argv[i], argv[1]);
            return 1;
        }
    }
    return 0;
}
