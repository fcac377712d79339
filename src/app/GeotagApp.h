// The application object: runs the main window and translates its three accelerator keys.
#pragma once

#include <QKeySequence>
#include <QObject>

#include <memory>
#include <vector>

namespace geotal::app {

class MainWindow;

struct Accelerator {
    QKeySequence key;
    int command;
};

class GeotagApp : public QObject {
    Q_OBJECT

public:
    GeotagApp();
    ~GeotagApp() override;

    // Creates the main window, runs it and returns when it has closed.
    int InitInstance();

    // Creates the main window without running it (tests drive it themselves).
    MainWindow& CreateMainWindow();
    MainWindow* Window() const { return mainWindow_.get(); }

    bool AcceleratorsEnabled() const { return acceleratorsEnabled_; }
    void SetAcceleratorsEnabled(bool enabled) { acceleratorsEnabled_ = enabled; }

protected:
    // Sees every key press of the main window before its controls do.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool acceleratorsEnabled_ = false;
    std::vector<Accelerator> acceleratorTable_;
    std::unique_ptr<MainWindow> mainWindow_;
};

}  // namespace geotal::app
