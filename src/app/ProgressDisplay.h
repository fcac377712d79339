// The status line, progress bar and Abort button of the main window, showing where a run on a
// worker thread stands.
#pragma once

#include <cstdint>

#include "session/RunProgress.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace geotal::app {

class ProgressDisplay {
public:
    ProgressDisplay(QLineEdit& status, QProgressBar& bar, QPushButton& abort);

    // Redraws only what changed since the last state shown.
    void Show(const RunProgress::State& state);

private:
    QLineEdit& status_;
    QProgressBar& bar_;
    QPushButton& abort_;
    std::uint64_t shown_ = 0;
};

}  // namespace geotal::app
