#include "app/WindowProgress.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "app/MainWindow.h"

namespace geotal::app {
namespace {

QProgressBar* Bar(const MainWindow& window) {
    return qobject_cast<QProgressBar*>(window.Control(1022));
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
    bool AbortRequested() const override { return window_.abortRequested; }
    void ClearAbort() override { window_.abortRequested = false; }
    void End() override { window_.EndProgress(); }

private:
    MainWindow& window_;
};

}  // namespace

std::unique_ptr<ProgressSink> MakeWindowProgress(MainWindow& window) {
    return std::make_unique<WindowProgress>(window);
}

void MainWindow::BeginProgress(const QString& text, int maximum) {
    statusText = text;
    PushToControls();
    progressBar_->show();
    // The bar takes 16-bit limits: a maximum of -1 (an empty folder) becomes 65535.
    progressBar_->setRange(0, static_cast<int>(static_cast<unsigned>(maximum) & 0xFFFFu));
    progressBar_->setValue(0);
    abortButton_->show();
    PumpMessages();
}

void MainWindow::EndProgress() {
    progressBar_->hide();
    statusText.clear();
    abortButton_->hide();
    PushToControls();
}

void MainWindow::PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace geotal::app
