// The main window's status line, progress bar and Abort button as the core's progress sink.
#pragma once

#include <memory>

#include "support/Progress.h"

namespace geotal::app {

class MainWindow;

std::unique_ptr<ProgressSink> MakeWindowProgress(MainWindow& window);

}  // namespace geotal::app
