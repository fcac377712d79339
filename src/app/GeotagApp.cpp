#include "app/GeotagApp.h"

#include <QApplication>
#include <QKeyEvent>

#include "app/MainWindow.h"
#include "res/ControlIds.h"

namespace geotal::app {

GeotagApp::GeotagApp()
    : acceleratorTable_{{QKeySequence(Qt::CTRL | Qt::Key_C), res::main_window::kCommandCopy},
                        {QKeySequence(Qt::CTRL | Qt::Key_V), res::main_window::kCommandPaste},
                        {QKeySequence(Qt::CTRL | Qt::Key_Z), res::main_window::kCommandUndo},
                        {QKeySequence(Qt::Key_F1), res::main_window::kHelp}} {
    qApp->installEventFilter(this);
}

GeotagApp::~GeotagApp() {
    qApp->removeEventFilter(this);
    mainWindow_.reset();
}

MainWindow& GeotagApp::CreateMainWindow() {
    mainWindow_ = std::make_unique<MainWindow>(this);
    return *mainWindow_;
}

int GeotagApp::InitInstance() {
    CreateMainWindow().exec();
    mainWindow_.reset();
    return 0;
}

bool GeotagApp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !acceleratorsEnabled_ || mainWindow_ == nullptr) {
        return QObject::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only keys typed into the main window itself, not into a message box it opened.
    if (widget == nullptr || widget->window() != mainWindow_.get()) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const Accelerator& accelerator : acceleratorTable_) {
        if (accelerator.key == pressed) {
            mainWindow_->OnCommand(accelerator.command);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace geotal::app
