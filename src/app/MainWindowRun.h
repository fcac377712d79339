// How the main window runs a long command: off its thread, the list locked and the progress
// shown meanwhile. For the files that define the window's commands.
#pragma once

#include <QScopedValueRollback>
#include <QTimer>

#include <utility>

#include "app/MainWindow.h"
#include "app/OffThread.h"
#include "app/PhotoListView.h"

namespace geotal::app {

template <class Work>
std::invoke_result_t<Work&> MainWindow::RunInBackground(Work work) {
    const QScopedValueRollback<bool> busy(busy_, true);
    // The records the worker reads stay as they are until it is done.
    listView_->SetLocked(true);
    progressTimer_->start(50);
    auto result = RunOffThread(std::move(work));
    progressTimer_->stop();
    ShowProgress();
    // An abort that came after the work last looked is spent with it, not on the next command.
    progress_.ClearAbort();
    listView_->SetLocked(false);
    return result;
}

}  // namespace geotal::app
