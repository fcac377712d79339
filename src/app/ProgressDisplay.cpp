#include "app/ProgressDisplay.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace geotal::app {

ProgressDisplay::ProgressDisplay(QLineEdit& status, QProgressBar& bar, QPushButton& abort)
    : status_(status), bar_(bar), abort_(abort) {}

void ProgressDisplay::Show(const RunProgress::State& state) {
    if (state.version == shown_) {
        return;
    }
    shown_ = state.version;
    status_.setText(QString::fromStdString(state.text));
    bar_.setVisible(state.shown);
    abort_.setVisible(state.shown);
    // The bar takes 16-bit limits: a maximum of -1 (an empty folder) becomes 65535.
    bar_.setRange(0, static_cast<int>(static_cast<unsigned>(state.maximum) & 0xFFFFu));
    bar_.setValue(std::clamp(state.position, bar_.minimum(), bar_.maximum()));
}

}  // namespace geotal::app
