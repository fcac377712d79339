// Runs the window tests inside one QApplication, with settings kept in a temporary folder.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // No test asks a tile server for anything: the map draws on a plain background.
    qputenv("GEOTAL_MAP_TILES", "");
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarsel"));
    QCoreApplication::setApplicationName(QStringLiteral("Geotal"));
    // Never touch the real user's settings.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path() + "/user");
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       settingsDir.path() + "/system");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path() + "/user");
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope,
                       settingsDir.path() + "/system");
    return RUN_ALL_TESTS();
}
