// What each button, accelerator and menu command of the main window does: a thin step from the
// click to the session, the long ones on a worker thread, and what the session answers shown.
#include <QApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>

#include <algorithm>

#include "app/AboutDialog.h"
#include "app/ExportDialog.h"
#include "app/MainWindow.h"
#include "app/MainWindowRun.h"
#include "app/PhotoListModel.h"
#include "app/PhotoListView.h"
#include "app/QtText.h"
#include "app/SetupDialog.h"
#include "app/SyncClockDialog.h"
#include "app/TimeAdjustDialog.h"
#include "app/UiServices.h"
#include "res/ControlIds.h"
#include "support/TraceLog.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

}  // namespace

// Every command the window answers, in one place: control or command id -> handler.
const MainWindow::CommandEntry MainWindow::kMessageMap[] = {
    {kBrowsePhotoFolder, &MainWindow::OnBrowsePhotoFolder},
    {kBrowseGpsFolder, &MainWindow::OnBrowseGpsFolder},
    {kCalculate, &MainWindow::OnCalculatePositions},
    {kUpdatePhotoFiles, &MainWindow::OnUpdatePhotoFiles},
    {kLoadDataFiles, &MainWindow::OnLoadDataFiles},
    {kMarkAll, &MainWindow::OnMarkAll},
    {kUnmarkAll, &MainWindow::OnUnmarkAll},
    {kMarkSelected, &MainWindow::OnMarkSelected},
    {kUnmarkSelected, &MainWindow::OnUnmarkSelected},
    {kMarkUnplaced, &MainWindow::OnMarkUnplaced},
    {kTimeSetup, &MainWindow::OnTimeSetup},
    {kShowOnMap, &MainWindow::OnShowOnMap},
    {kExport, &MainWindow::OnExport},
    {kSetup, &MainWindow::OnSetup},
    {kCommandCopy, &MainWindow::OnCopyCoordinates},
    {kCommandPaste, &MainWindow::OnPasteCoordinates},
    {kCommandUndo, &MainWindow::OnUndo},
    {kCommandRestore, &MainWindow::OnRestoreFromCopies},
    {kHelp, &MainWindow::OnHelp},
    {kAbort, &MainWindow::OnAbort},
    {kExit, &MainWindow::OnExit},
};

void MainWindow::ConnectCommandButtons() {
    for (const CommandEntry& entry : kMessageMap) {
        if (auto* button = controls_.As<QPushButton>(entry.id)) {
            connect(button, &QPushButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        }
    }
}

void MainWindow::OnCommand(int id) {
    if (busy_ && id != kAbort && id != kExit) {
        return;  // only Abort and Exit reach a running operation
    }
    for (const CommandEntry& entry : kMessageMap) {
        if (entry.id == id) {
            (this->*entry.handler)();
            break;
        }
    }
    if (exitWhenIdle_ && !busy_) {
        exitWhenIdle_ = false;
        QDialog::reject();  // the run the user stopped to leave is over
    }
}

void MainWindow::OnSysCommand(int command) {
    if ((command & 0xFFF0) == kSysCommandAbout) {
        AboutDialog about(this);
        about.exec();
    }
}
void MainWindow::OnBrowsePhotoFolder() {
    BrowseFolder(*photoFolderField_);
}

void MainWindow::OnBrowseGpsFolder() {
    BrowseFolder(*gpsFolderField_);
}

void MainWindow::BrowseFolder(QLineEdit& field) {
    // A cancelled picker keeps what was typed.
    if (const QString chosen = Ui().BrowseForFolder(field.text()); !chosen.isEmpty()) {
        field.setText(chosen);
    }
    ReadFromControls();
}

void MainWindow::OnLoadDataFiles() {
    ReadFromControls();  // Enter in a folder field loads what it shows
    if (const auto question = session_.LoadQuestion();
        question && Tell(*question) != MessageAnswer::Yes) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Session::Loaded loaded = RunInBackground([this, settings = session_.CurrentSettings()] {
        return Session::ReadFolders(settings, progress_);
    });
    const bool photosRead = loaded.photosRead;
    std::vector<Notice> problems;
    listView_->Replace([&] { problems = session_.TakeLoad(std::move(loaded)); });
    if (photosRead) {
        selectedPhoto_ = -1;
    }
    QApplication::restoreOverrideCursor();
    ShowSession(photosRead);
    TellAll(problems);
}

void MainWindow::OnCalculatePositions() {
    ReadFromControls();
    if (const auto refusal = session_.CalculateRefusal()) {
        Tell(*refusal);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    session_.TakeCalculation(RunInBackground([this] { return session_.Calculate(progress_); }));
    QApplication::restoreOverrideCursor();
    ShowSession();
}

void MainWindow::OnUpdatePhotoFiles() {
    ReadFromControls();
    if (const auto refusal = session_.UpdateRefusal()) {
        Tell(*refusal);
        return;
    }
    if (Tell(session_.UpdateQuestion()) != MessageAnswer::Yes) {
        return;
    }
    // A failure's box is shown as it comes, and the writing waits for it to be answered.
    const auto failed = [this](const std::string& message) {
        QMetaObject::invokeMethod(
            this,
            [this, &message] {
                if (!exitWhenIdle_) {
                    Ui().ShowMessage(Q(message), kMessageOk, this);
                }
            },
            Qt::BlockingQueuedConnection);
    };
    Session::Updated updated =
        RunInBackground([this, &failed] { return session_.Update(progress_, failed); });
    const std::vector<Notice> notices = session_.TakeUpdate(std::move(updated), exitWhenIdle_);
    ShowSession();
    TellAll(notices);
}

void MainWindow::OnMarkAll() {
    listView_->CheckAll(true);
}
void MainWindow::OnUnmarkAll() {
    listView_->CheckAll(false);
}
void MainWindow::OnMarkSelected() {
    listView_->CheckSelected(true);
}
void MainWindow::OnUnmarkSelected() {
    listView_->CheckSelected(false);
}
void MainWindow::OnMarkUnplaced() {
    for (int record : session_.MarkUnplaced()) {
        photos_->RecordChanged(record);
    }
}

void MainWindow::OnTimeSetup() {
    if (RunTimeAdjustDialog(this, session_.Time(), session_.CurrentSettings().zoneName,
                            session_.Cameras())) {
        session_.RememberZone();
    }
    UpdateClockFields();
}

void MainWindow::OnSyncClock(int record) {
    if (busy_ || !session_.CanSync(record)) {
        return;
    }
    const auto point = RunSyncClockDialog(this, Photos()[record], session_.Time());
    if (!point) {
        return;
    }
    const auto question = session_.SyncQuestion(record);
    const bool add = question && Tell(*question) == MessageAnswer::Yes;
    if (const auto warning = session_.Sync(record, *point, add)) {
        Tell(*warning);
    }
    UpdateClockFields();
}

void MainWindow::OnRemoveSyncPoint(int record) {
    if (!busy_) {
        session_.RemoveSync(record);
        UpdateClockFields();
    }
}

void MainWindow::OnShowOnMap() {
    ShowOnMapOf(ChosenRecord());
}

void MainWindow::ShowOnMapOf(int record) {
    const Session::MapRequest request = session_.ShowOnMap(record);
    if (request.refusal) {
        Tell(*request.refusal);
    } else if (!request.address.empty() && !Ui().OpenWebAddress(Q(request.address))) {
        Tell(Session::MapNotOpened(request.address));
    }
}

void MainWindow::OnExport() {
    const Settings& settings = session_.CurrentSettings();
    ExportChoices choices{settings.exportFormat, settings.exportFileName, settings.csvSeparator};
    if (!RunExportDialog(this, choices)) {
        return;
    }
    session_.SetExportChoices(choices.format, choices.fileName, choices.separator);
    const ExportOutcome outcome = RunInBackground([this] { return session_.Export(); });
    const Notice notice = session_.TakeExport(outcome);
    ShowSession();
    Tell(notice);
}

void MainWindow::OnSetup() {
    SetupChoices choices = SetupChoicesFrom(session_.CurrentSettings());
    if (!RunSetupDialog(this, choices)) {
        return;
    }
    // The list is redrawn in the new format; the check marks stay as the user left them.
    session_.ApplySetup(choices);
    ApplySettings(session_.CurrentSettings());
    if (choices.trace) {
        EnableTrace(S(Ui().GetDocumentsFolder()) + "/Geotal.trace");
    } else {
        DisableTrace();
    }
}

void MainWindow::OnCopyCoordinates() {
    CopyFrom(ChosenRecord());
}

void MainWindow::CopyFrom(int record) {
    if (const auto refusal = session_.Copy(record)) {
        Tell(*refusal);
    }
}

void MainWindow::OnPasteCoordinates() {
    if (const auto refusal = session_.Paste(listView_->SelectedRecords())) {
        Tell(*refusal);
        return;
    }
    ShowSession();
}

void MainWindow::OnUndo() {
    session_.Undo();
    ShowSession();
}

std::vector<int> MainWindow::RemovalTargets(int clicked) const {
    const std::vector<int> selected = listView_->SelectedRecords();
    if (clicked < 0 || std::find(selected.begin(), selected.end(), clicked) != selected.end()) {
        return selected;
    }
    return {clicked};  // a row outside the selection is the one meant
}

void MainWindow::OnRemovePositions(const std::vector<int>& records) {
    if (const auto refusal = session_.RemovePositions(records)) {
        Tell(*refusal);
        return;
    }
    ShowSession();
}

void MainWindow::OnHelp() {
    if (!Ui().ShowHelp(helpFilePath_)) {
        Tell(Session::HelpNotShown(S(helpFilePath_)));
    }
}

void MainWindow::OnAbort() {
    progress_.RequestAbort();
}

void MainWindow::OnExit() {
    reject();
}
}  // namespace geotal::app
