#include "app/WindowProgress.h"

#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "app/MainWindow.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

QProgressBar* Bar(const MainWindow& window) {
    return qobject_cast<QProgressBar*>(window.Control(res::main_window::kProgressBar));
}

class WindowProgress final : public ProgressSink {
public:
    explicit WindowProgress(MainWindow& window) : window_(window) {}

    void Begin(const std::string& text, int maximum) override {
        window_.BeginProgress(QString::fromStdString(text), maximum);
    }
    void SetPosition(int position) override {
        QProgressBar* bar = Bar(window_);
        // The bar's range is 16 bits wide; keep the position inside it.
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
        bar->update();
    }
    void Pump() override { window_.PumpMessages(); }
    bool AbortRequested() const override { return window_.AbortRequested(); }
    void ClearAbort() override { window_.ClearAbort(); }
    void End() override { window_.EndProgress(); }

private:
    MainWindow& window_;
};

}  // namespace

std::unique_ptr<ProgressSink> MakeWindowProgress(MainWindow& window) {
    return std::make_unique<WindowProgress>(window);
}

}  // namespace geotal::app
