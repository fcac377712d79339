// File > Restore photos from copies…: the copies an update made put back, off the window's
// thread, and the photo folder read again so that the list shows what the files now hold.
#include <QApplication>

#include "app/MainWindow.h"
#include "app/MainWindowRun.h"
#include "app/PhotoListView.h"
#include "app/QtText.h"
#include "app/UiServices.h"
#include "photo/PhotoRestore.h"
#include "session/RestoreNotices.h"
#include "support/AsciiText.h"

namespace geotal::app {

void MainWindow::OnRestoreFromCopies() {
    ReadFromControls();
    const Settings settings = session_.CurrentSettings();
    // The copy folder of Setup first: that is where the updates put their copies.
    const QString chosen = Ui().BrowseForFolder(Q(settings.copyFolder));
    if (chosen.isEmpty()) {
        return;
    }
    const std::string copyFolder = WithoutTrailingSlashes(S(chosen));
    const std::string photoFolder = WithoutTrailingSlashes(settings.photoFolder);
    if (const auto refusal = RestoreRefusal(copyFolder, photoFolder)) {
        Tell(*refusal);
        return;
    }
    // The list is read anew afterwards, which drops what it holds unwritten.
    if (const auto question = session_.LoadQuestion();
        question && Tell(*question) != MessageAnswer::Yes) {
        return;
    }
    RestorePlan plan = RunInBackground([this, &copyFolder, &photoFolder] {
        return PlanFolderRestore(copyFolder, photoFolder, progress_);
    });
    const Notice question = RestoreQuestion(plan, photoFolder);
    if ((question.typeWord & kMessageYesNo) == 0) {
        Tell(question);
        return;
    }
    if (Tell(question) != MessageAnswer::Yes) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunInBackground([this, &plan] {
        CarryOut(plan, progress_);
        return true;
    });
    Session::Loaded loaded =
        RunInBackground([this, settings] { return Session::ReadFolders(settings, progress_); });
    const bool photosRead = loaded.photosRead;
    listView_->Replace([&] { session_.TakeLoad(std::move(loaded)); });
    if (photosRead) {
        selectedPhoto_ = -1;
    }
    QApplication::restoreOverrideCursor();
    ShowSession(photosRead);
    if (!exitWhenIdle_) {
        Tell(RestoreReport(plan));
    }
}

}  // namespace geotal::app
