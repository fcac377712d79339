// The window opens within the screen: a layout larger than the screen (200% on 1280x1024 gives
// 640x512 to lay out in) takes a smaller font, and a saved size from a larger screen is cut.
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include <gtest/gtest.h>

#include "app/FakeUiServices.h"
#include "app/GeotagApp.h"
#include "app/MainWindow.h"
#include "app/ScreenFit.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

TEST(ScreenFit, takesTheLayoutsFontWhereItFitsAndASmallerOneWhereNot) {
    const QFont font = QApplication::font();
    const res::DialogTemplate& layout = res::MainWindowTemplate();
    EXPECT_EQ(FittingPointSize(layout, font, QRect(0, 0, 3840, 2160)), layout.fontPointSize);
    const int small = FittingPointSize(layout, font, QRect(0, 0, 640, 512));
    EXPECT_LT(small, layout.fontPointSize);
    EXPECT_GE(small, 6) << "never below a readable size, whatever the screen";
    EXPECT_EQ(FittingPointSize(layout, font, QRect(0, 0, 100, 100)), 6);

    EXPECT_EQ(SizeWithin({3000, 2000}, {800, 600}, QRect(0, 0, 1920, 1200)),
              QSize(1920, 1200) - kWindowFrameRoom);
    EXPECT_EQ(SizeWithin({900, 700}, {800, 600}, QRect(0, 0, 1920, 1200)), QSize(900, 700));
    EXPECT_EQ(SizeWithin({900, 700}, {800, 600}, QRect(0, 0, 640, 512)), QSize(800, 600))
        << "never below the layout's size";
}

// Runs in its own ctest entry on a 640x512 offscreen screen (GEOTAL_SMALL_SCREEN set).
TEST(SmallScreen, theWindowAndEveryButtonOpenWithinTheScreenWhateverSizeWasSaved) {
    if (qEnvironmentVariableIsEmpty("GEOTAL_SMALL_SCREEN")) {
        GTEST_SKIP() << "needs the small screen of its own ctest entry";
    }
    const QRect available = QApplication::primaryScreen()->availableGeometry();
    ASSERT_LE(available.width(), 640);
    QSettings stored;
    stored.setValue(QStringLiteral("window_width"), 1736);
    stored.setValue(QStringLiteral("window_height"), 1210);
    stored.sync();
    ScopedFakeUi ui;
    GeotagApp app;
    MainWindow& window = app.CreateMainWindow();
    window.show();
    QApplication::processEvents();
    EXPECT_LE(window.width(), available.width());
    EXPECT_LE(window.height(), available.height());
    for (int id : {kLoadDataFiles, kCalculate, kUpdatePhotoFiles, kShowOnMap, kExport, kSetup,
                   kHelp, kExit, kMarkAll, kUnmarkSelected}) {
        const QWidget* button = window.Control(id);
        const QRect inWindow(button->mapTo(&window, QPoint(0, 0)), button->size());
        EXPECT_TRUE(window.rect().contains(inWindow))
            << id << " at " << inWindow.x() << "," << inWindow.y() << " in " << window.width()
            << "x" << window.height();
    }
}

}  // namespace
}  // namespace geotal::app
