#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <ctime>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/ExportDialog.h"
#include "app/GeotagApp.h"
#include "app/OffThread.h"
#include "app/PhotoListModel.h"
#include "app/PhotoListView.h"
#include "app/SetupDialog.h"
#include "app/StretchLayout.h"
#include "app/SyncClockDialog.h"
#include "app/TimeAdjustDialog.h"
#include "app/UiServices.h"
#include "res/ControlIds.h"
#include "support/TraceLog.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string S(const QString& text) {
    return text.toStdString();
}

void SetText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control); edit != nullptr && edit->text() != text) {
        edit->setText(text);
    }
}

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
    {kHelp, &MainWindow::OnHelp},
    {kAbort, &MainWindow::OnAbort},
    {kExit, &MainWindow::OnExit},
};

MainWindow::MainWindow(GeotagApp* app)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowCloseButtonHint),
      app_(app),
      controls_(BuildDialog(res::MainWindowTemplate(), *this)) {
    photoFolderField_ = controls_.As<QLineEdit>(kPhotoFolderField);
    gpsFolderField_ = controls_.As<QLineEdit>(kGpsFolderField);
    summary_ = controls_.As<QLabel>(kSummaryLine);
    photos_ = new PhotoListModel(this, &session_.Photos());
    listView_ = new PhotoListView(controls_.As<QTableView>(kPhotoList), photos_);

    for (const CommandEntry& entry : kMessageMap) {
        if (auto* button = controls_.As<QPushButton>(entry.id)) {
            connect(button, &QPushButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        }
    }
    // The keyboard chooses a photo as well as the mouse does.
    connect(listView_, &PhotoListView::recordClicked, this,
            [this](int index) { selectedPhoto_ = index; });
    connect(listView_, &PhotoListView::currentRecordChanged, this,
            [this](int index) { selectedPhoto_ = index; });
    photoFolderField_->installEventFilter(this);
    gpsFolderField_->installEventFilter(this);
    // Enter in a folder field loads it; it must never end the window.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setDefault(false);
    }
    controls_.As<QPushButton>(kLoadDataFiles)->setDefault(true);
    AddMenuBar();

    setWindowIcon(AppIcon());
    if (app_ != nullptr) {
        app_->SetAcceleratorsEnabled(true);
    }
    Settings settings;
    SettingsStore::Load(settings);
    if (settings.windowWidth > 0 && settings.windowHeight > 0) {
        resize(settings.windowWidth, settings.windowHeight);  // never below the layout's size
    }
    session_.Start(settings);
    helpFilePath_ = Q(HelpFilePath(settings));
    listView_->SetUpColumns();
    photos_->SetCoordinateFormat(settings.coordinateFormat);
    PushToControls();
    SetButtons();
    progressTimer_ = new QTimer(this);
    connect(progressTimer_, &QTimer::timeout, this, &MainWindow::ShowProgress);
    clockTimer_ = new QTimer(this);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::UpdateClockFields);
    clockTimer_->start(100);
    UpdateClockFields();
}

void MainWindow::AddMenuBar() {
    auto* bar = new QMenuBar(this);
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    QAction* contents = help->addAction(QStringLiteral("Geotal &Help"));
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::WidgetShortcut);  // F1 itself is the window's accelerator
    connect(contents, &QAction::triggered, this, [this] { OnCommand(kHelp); });
    connect(help->addAction(QStringLiteral("&About Geotal...")), &QAction::triggered, this,
            [this] { OnSysCommand(kSysCommandAbout); });
    // The layout's controls move down under the bar; the window grows by its height.
    const int height = bar->sizeHint().height();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != bar && !child->isWindow()) {
            child->move(child->x(), child->y() + height);
        }
    }
    const QSize size(width(), this->height() + height);
    setMinimumSize(size);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(size);
    bar->setGeometry(0, 0, width(), height);
    stretch_ = std::make_unique<StretchLayout>(*this, *Control(kPhotoList));
}

MainWindow::~MainWindow() = default;

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

void MainWindow::PushToControls() {
    SetText(photoFolderField_, Q(session_.CurrentSettings().photoFolder));
    SetText(gpsFolderField_, Q(session_.CurrentSettings().gpsFolder));
    SetText(Control(kPhotoFileCount), QString::number(session_.PhotoFileCount()));
    SetText(Control(kGpsFileCount), QString::number(session_.GpsFileCount()));
    SetText(Control(kPositionCount), QString::number(session_.PositionCount()));
}

void MainWindow::ReadFromControls() {
    session_.SetFolders(S(photoFolderField_->text()), S(gpsFolderField_->text()));
}

void MainWindow::ApplySettings(const Settings& settings) {
    session_.ApplySettings(settings);
    PushToControls();
    photos_->SetCoordinateFormat(settings.coordinateFormat);
}

void MainWindow::FillPhotoList() {
    photos_->SetCoordinateFormat(session_.CurrentSettings().coordinateFormat);
    photos_->RecordsChanged();
}

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

void MainWindow::ShowProgress() {
    const RunProgress::State state = progress_.Snapshot();
    if (state.version == progressShown_) {
        return;
    }
    progressShown_ = state.version;
    auto* bar = controls_.As<QProgressBar>(kProgressBar);
    SetText(Control(kStatusLine), Q(state.text));
    bar->setVisible(state.shown);
    controls_.As<QPushButton>(kAbort)->setVisible(state.shown);
    // The bar takes 16-bit limits: a maximum of -1 (an empty folder) becomes 65535.
    bar->setRange(0, static_cast<int>(static_cast<unsigned>(state.maximum) & 0xFFFFu));
    bar->setValue(std::clamp(state.position, bar->minimum(), bar->maximum()));
}

MessageAnswer MainWindow::Tell(const Notice& notice) {
    return Ui().ShowMessage(Q(notice.text), notice.typeWord, this);
}

void MainWindow::ShowSummary() {
    summary_->setText(Q(session_.Summary()));
    summary_->setToolTip(Q(session_.SummaryDetails()));
}

QString MainWindow::Summary() const {
    return summary_->text();
}

void MainWindow::UpdateClockFields() {
    const std::time_t now = std::time(nullptr);
    SetText(Control(kLocalTime), Q(LocalClockText(now)));
    SetText(Control(kUtcTime), Q(UtcClockText(now)));
    SetText(Control(kCameraTime), Q(CameraClockText(now, session_.Time())));
}

void MainWindow::SetButtons() {
    controls_.As<QPushButton>(kCalculate)->setEnabled(session_.CanCalculate());
    controls_.As<QPushButton>(kUpdatePhotoFiles)->setEnabled(session_.CanUpdate());
}

int MainWindow::ChosenRecord() const {
    return selectedPhoto_ >= 0 && selectedPhoto_ < Photos().Count() ? selectedPhoto_ : -1;
}

void MainWindow::SaveSettings() {
    // A folder typed into a field that still has the focus counts: take the fields first.
    ReadFromControls();
    Settings settings = session_.CurrentSettings();
    // The size the user gave the window, not the screen's when maximised.
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    settings.windowWidth = normal.width();
    settings.windowHeight = normal.height();
    session_.ApplySettings(settings);
    SettingsStore::Save(settings);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveSettings();
    QDialog::closeEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (stretch_) {
        stretch_->Apply();
        listView_->WidenNames(width() - minimumWidth());
    }
}

void MainWindow::reject() {
    if (busy_) {
        const MessageAnswer answer = Ui().ShowMessage(
            QStringLiteral("Geotal is still working. Stop after the current photo and exit?"),
            kMessageQuestion | kMessageYesNo, this);
        if (answer == MessageAnswer::Yes) {
            progress_.RequestAbort();
            exitWhenIdle_ = true;
        }
        return;
    }
    if (const auto question = session_.ExitQuestion();
        question && Tell(*question) != MessageAnswer::Yes) {
        return;
    }
    QDialog::reject();
}

void MainWindow::done(int result) {
    // However the dialog ends (Exit, Escape, close box) the settings are stored.
    SaveSettings();
    clockTimer_->stop();
    QDialog::done(result);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // Linux window managers own the system menu, so the About item lives here.
    QMenu menu(this);
    const int record = listView_->RecordAt(event->globalPos());
    QAction* sync = nullptr;
    QAction* unsync = nullptr;
    if (record >= 0) {
        sync = menu.addAction(QStringLiteral("Synchronise camera clock with this photo\u2026"));
        sync->setEnabled(!busy_ && session_.CanSync(record));
        if (IsSyncPhoto(record)) {
            unsync = menu.addAction(QStringLiteral("Remove the clock sync with this photo"));
            unsync->setEnabled(!busy_);
        }
    }
    QAction* about = menu.addAction(QStringLiteral("&About Geotal..."));
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == about) {
        OnSysCommand(kSysCommandAbout);
    } else if (chosen != nullptr && chosen == sync) {
        OnSyncClock(record);
    } else if (chosen != nullptr && chosen == unsync) {
        OnRemoveSyncPoint(record);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // While a folder field has the focus, Ctrl+C and Ctrl+V belong to its text.
    if (watched == photoFolderField_ || watched == gpsFolderField_) {
        if (event->type() == QEvent::FocusIn && app_ != nullptr) {
            app_->SetAcceleratorsEnabled(false);
        } else if (event->type() == QEvent::FocusOut) {
            ReadFromControls();
            if (app_ != nullptr) {
                app_->SetAcceleratorsEnabled(true);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::OnBrowsePhotoFolder() {
    ReadFromControls();
    // A cancelled picker keeps what was typed.
    const Settings& settings = session_.CurrentSettings();
    if (const QString chosen = Ui().BrowseForFolder(Q(settings.photoFolder)); !chosen.isEmpty()) {
        session_.SetFolders(S(chosen), settings.gpsFolder);
    }
    PushToControls();
}

void MainWindow::OnBrowseGpsFolder() {
    ReadFromControls();
    const Settings& settings = session_.CurrentSettings();
    if (const QString chosen = Ui().BrowseForFolder(Q(settings.gpsFolder)); !chosen.isEmpty()) {
        session_.SetFolders(settings.photoFolder, S(chosen));
    }
    PushToControls();
}

void MainWindow::OnLoadDataFiles() {
    ReadFromControls();  // Enter in a folder field loads what it shows
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
    PushToControls();
    SetButtons();
    ShowSummary();
    for (const Notice& problem : problems) {
        if (!exitWhenIdle_) {
            Tell(problem);
        }
    }
}

void MainWindow::OnCalculatePositions() {
    ReadFromControls();
    if (const auto refusal = session_.CalculateRefusal()) {
        Tell(*refusal);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    session_.TakeCalculation(RunInBackground([this] { return session_.Calculate(progress_); }));
    FillPhotoList();
    SetButtons();
    QApplication::restoreOverrideCursor();
    ShowSummary();
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
    FillPhotoList();
    ShowSummary();
    for (const Notice& notice : notices) {
        Tell(notice);
    }
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
    const Session::MapRequest request = session_.ShowOnMap(ChosenRecord());
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
    session_.SetExportChoices(choices.format, choices.fileName, choices.separatorIndex);
    const ExportOutcome outcome = RunInBackground([this] { return session_.Export(); });
    const Notice notice = session_.TakeExport(outcome);
    ShowSummary();
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
    if (const auto refusal = session_.Copy(ChosenRecord())) {
        Tell(*refusal);
    }
}

void MainWindow::OnPasteCoordinates() {
    if (const auto refusal = session_.Paste(listView_->SelectedRecords())) {
        Tell(*refusal);
        return;
    }
    FillPhotoList();
    ShowSummary();
    SetButtons();
}

void MainWindow::OnHelp() {
    if (!Ui().ShowHelp(helpFilePath_)) {
        Ui().ShowMessage(QFileInfo::exists(helpFilePath_)
                             ? QStringLiteral("No program could be started to show the help page "
                                              "%1. Open it in your web browser.")
                                   .arg(helpFilePath_)
                             : QStringLiteral("The help page %1 is missing. Installing Geotal "
                                              "again puts it back.")
                                   .arg(helpFilePath_),
                         kMessageWarning, this);
    }
}

void MainWindow::OnAbort() {
    progress_.RequestAbort();
}

void MainWindow::OnExit() {
    reject();
}

}  // namespace geotal::app
