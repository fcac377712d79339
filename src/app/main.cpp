// Geotal: starts the application object, which runs the main window.
#include <QApplication>

#include "app/GeotagApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarsel"));
    QCoreApplication::setApplicationName(QStringLiteral("Geotal"));
    geotal::app::GeotagApp app;
    return app.InitInstance();
}
