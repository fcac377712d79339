#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>

#include <ctime>
#include <utility>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/ExportDialog.h"
#include "app/GeotagApp.h"
#include "app/PhotoListView.h"
#include "app/SetupDialog.h"
#include "app/TimeAdjustDialog.h"
#include "app/UiServices.h"
#include "app/WindowProgress.h"
#include "geotag/CopyPaste.h"
#include "output/Export.h"
#include "output/MapAddress.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoUpdate.h"
#include "res/ControlIds.h"
#include "support/AsciiText.h"
#include "support/TraceLog.h"
#include "track/TrackFolder.h"

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

QString Text(QWidget* control) {
    auto* edit = qobject_cast<QLineEdit*>(control);
    return edit != nullptr ? edit->text() : QString();
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
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app),
      controls_(BuildDialog(res::MainWindowTemplate(), *this)) {
    photoFolderField_ = controls_.As<QLineEdit>(kPhotoFolderField);
    gpsFolderField_ = controls_.As<QLineEdit>(kGpsFolderField);
    calculateButton_ = controls_.As<QPushButton>(kCalculate);
    updateButton_ = controls_.As<QPushButton>(kUpdatePhotoFiles);
    abortButton_ = controls_.As<QPushButton>(kAbort);
    progressBar_ = controls_.As<QProgressBar>(kProgressBar);
    photos_ = new PhotoListModel(this);
    listView_ = new PhotoListView(controls_.As<QTableView>(kPhotoList), photos_);
    progress_ = MakeWindowProgress(*this);

    for (const CommandEntry& entry : kMessageMap) {
        if (auto* button = controls_.As<QPushButton>(entry.id)) {
            connect(button, &QPushButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        }
    }
    connect(listView_, &PhotoListView::recordClicked, this,
            [this](int index) { selectedPhoto_ = index; });
    photoFolderField_->installEventFilter(this);
    gpsFolderField_->installEventFilter(this);
    InitDialog();
}

MainWindow::~MainWindow() = default;

void MainWindow::InitDialog() {
    const QIcon icon = AppIcon();
    setWindowIcon(icon);
    if (app_ != nullptr) {
        app_->SetAcceleratorsEnabled(true);
    }
    SettingsStore::Load(settings_);
    PushToControls();
    helpFilePath_ = Q(HelpFilePath(settings_));
    writer_.SetCopyOptions(settings_.copyFiles, settings_.copyFolder);
    listView_->SetUpColumns();
    // The two buttons wait for their first load and calculation.
    calculateButton_->setEnabled(false);
    updateButton_->setEnabled(false);
    time_ = StartingTimeAdjustment();
    clockTimer_ = new QTimer(this);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::UpdateClockFields);
    clockTimer_->start(100);
    UpdateClockFields();
}

void MainWindow::OnCommand(int id) {
    if (busy_ && id != kAbort) {
        return;  // only Abort reaches a running operation
    }
    for (const CommandEntry& entry : kMessageMap) {
        if (entry.id == id) {
            (this->*entry.handler)();
            return;
        }
    }
}

void MainWindow::OnSysCommand(int command) {
    if ((command & 0xFFF0) == kSysCommandAbout) {
        AboutDialog about(this);
        about.exec();
    }
}

void MainWindow::PushToControls() {
    SetText(photoFolderField_, Q(settings_.photoFolder));
    SetText(gpsFolderField_, Q(settings_.gpsFolder));
    SetText(Control(kStatusLine), statusText_);
    SetText(Control(kPhotoFileCount), QString::number(photoFileCount_));
    SetText(Control(kGpsFileCount), QString::number(gpsFileCount_));
    SetText(Control(kPositionCount), QString::number(positionCount_));
    SetText(Control(kCameraTime), cameraTimeText_);
    SetText(Control(kUtcTime), utcTimeText_);
    SetText(Control(kLocalTime), localTimeText_);
}

void MainWindow::ReadFromControls() {
    settings_.photoFolder = S(Text(photoFolderField_));
    settings_.gpsFolder = S(Text(gpsFolderField_));
    statusText_ = Text(Control(kStatusLine));
    photoFileCount_ = Text(Control(kPhotoFileCount)).toInt();
    gpsFileCount_ = Text(Control(kGpsFileCount)).toInt();
    positionCount_ = Text(Control(kPositionCount)).toInt();
    cameraTimeText_ = Text(Control(kCameraTime));
    utcTimeText_ = Text(Control(kUtcTime));
    localTimeText_ = Text(Control(kLocalTime));
}

void MainWindow::ApplySettings(const Settings& settings) {
    settings_ = settings;
    writer_.SetCopyOptions(settings_.copyFiles, settings_.copyFolder);
    PushToControls();
    photos_->SetCoordinateFormat(settings_.coordinateFormat);
}

PhotoList& MainWindow::Photos() {
    return photos_->Photos();
}

const PhotoList& MainWindow::Photos() const {
    return std::as_const(*photos_).Photos();
}

void MainWindow::FillPhotoList() {
    photos_->SetCoordinateFormat(settings_.coordinateFormat);
    photos_->RecordsChanged();
}

void MainWindow::BeginProgress(const QString& text, int maximum) {
    statusText_ = text;
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
    statusText_.clear();
    abortButton_->hide();
    PushToControls();
}

void MainWindow::PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void MainWindow::UpdateClockFields() {
    const std::time_t now = std::time(nullptr);
    localTimeText_ = Q(LocalClockText(now));
    utcTimeText_ = Q(UtcClockText(now));
    cameraTimeText_ = Q(CameraClockText(now, time_));
    SetText(Control(kLocalTime), localTimeText_);
    SetText(Control(kUtcTime), utcTimeText_);
    SetText(Control(kCameraTime), cameraTimeText_);
}

void MainWindow::SetCanCalculate() {
    calculateButton_->setEnabled(true);
}

void MainWindow::SetCanUpdate(bool can) {
    updateButton_->setEnabled(can);
}

int MainWindow::ChosenRecord() const {
    return selectedPhoto_ >= 0 && selectedPhoto_ < Photos().Count() ? selectedPhoto_ : -1;
}

void MainWindow::SaveSettings() {
    // A folder typed into a field that still has the focus counts: take the fields first.
    ReadFromControls();
    SettingsStore::Save(settings_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveSettings();
    QDialog::closeEvent(event);
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
    QAction* about = menu.addAction(QStringLiteral("&About Geotal..."));
    if (menu.exec(event->globalPos()) == about) {
        OnSysCommand(kSysCommandAbout);
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
    settings_.photoFolder = S(Ui().BrowseForFolder(Q(settings_.photoFolder)));
    PushToControls();
}

void MainWindow::OnBrowseGpsFolder() {
    settings_.gpsFolder = S(Ui().BrowseForFolder(Q(settings_.gpsFolder)));
    PushToControls();
}

void MainWindow::OnLoadDataFiles() {
    const QScopedValueRollback<bool> busy(busy_, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Trace("****  START LOAD");
    const TrackFolderCounts counts = LoadTrackFolder(settings_.gpsFolder, track_, *progress_);
    gpsFileCount_ = counts.gpsFileCount;
    positionCount_ = counts.positionCount;
    // Read apart and taken in one step: an aborted reading leaves the old rows, each still
    // naming its own photo.
    PhotoList loaded;
    if (ReadPhotoFolder(settings_.photoFolder, loaded, *progress_)) {
        listView_->Replace(std::move(loaded));
        selectedPhoto_ = -1;
        // What a calculation made ready to write belonged to the photos just replaced.
        SetCanUpdate(false);
    }
    QApplication::restoreOverrideCursor();
    photoFileCount_ = Photos().Count();
    PushToControls();
    SetCanCalculate();
}

void MainWindow::OnCalculatePositions() {
    ReadFromControls();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CalculatePositions(Photos(), track_, time_, *progress_);
    SetCanUpdate(true);
    FillPhotoList();
    QApplication::restoreOverrideCursor();
}

void MainWindow::OnUpdatePhotoFiles() {
    ReadFromControls();
    // The positions belong to the photos that were loaded; files of the same names elsewhere
    // (camera names repeat from card to card) are other photos.
    const std::string& loaded = Photos().folder;
    if (Photos().Count() > 0 && WithoutTrailingSlashes(settings_.photoFolder) != loaded &&
        !IsSameFolder(settings_.photoFolder, loaded)) {
        Ui().ShowMessage(QStringLiteral("The list shows the photos of %1, but the photo folder is "
                                        "now %2. Nothing was written: load the new folder first, "
                                        "or set the folder back.")
                             .arg(Q(loaded), Q(settings_.photoFolder)),
                         kMessageWarning, this);
        return;
    }
    // Checked once, before anything is asked or written: a backup that cannot be made must
    // not be discovered one photo at a time.
    // A copy in the photo folder itself would be the photo: no backup at all.
    if (settings_.copyFiles && (!IsUsableCopyFolder(settings_.copyFolder) ||
                                IsSameFolder(settings_.copyFolder, settings_.photoFolder))) {
        Ui().ShowMessage(QStringLiteral("Please choose an existing folder for the copies of image "
                                        "files in Setup, or switch copying off."),
                         kMessageWarning, this);
        return;
    }
    const MessageAnswer answer = Ui().ShowMessage(
        QStringLiteral("This command will update your photo files. You should not do this unless "
                       "you have a backup of the files\n\nAre you sure you want to continue?"),
        kMessageWarning | kMessageYesNo, this);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    UpdateCallbacks callbacks;
    callbacks.changed = [this](int index) { photos_->RecordChanged(index); };
    callbacks.showMessage = [this](const std::string& message) {
        Ui().ShowMessage(Q(message), kMessageOk, this);
    };
    const int updated = WriteMarkedPhotos(Photos(), writer_, *progress_, callbacks);
    Ui().ShowMessage(QStringLiteral("%1 image files were successfully updated.").arg(updated),
                     kMessageInformation, this);
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

void MainWindow::OnTimeSetup() {
    RunTimeAdjustDialog(this, time_);
    UpdateClockFields();
}

void MainWindow::OnShowOnMap() {
    const int chosen = ChosenRecord();
    if (chosen < 0) {
        return;
    }
    const MaybePosition& position = Photos()[chosen].position;
    if (!IsShowableOnMap(position)) {
        Ui().ShowMessage(
            QStringLiteral("No coordinates have been caclulated for this photo. Cannot "
                           "show on map."),
            kMessageWarning, this);
        return;
    }
    Ui().OpenWebAddress(Q(MapAddress(MapServiceFromNumber(settings_.mapService), *position)));
}

void MainWindow::OnExport() {
    ExportChoices choices{settings_.exportFormat, settings_.exportFileName, settings_.csvSeparator};
    if (!RunExportDialog(this, choices)) {
        return;
    }
    settings_.exportFormat = choices.format;
    settings_.exportFileName = choices.fileName;
    settings_.csvSeparator = choices.separatorIndex;
    const ExportOutcome outcome =
        ExportPositions(settings_.exportFileName, static_cast<ExportFormat>(settings_.exportFormat),
                        settings_.csvSeparator, Photos());
    if (!outcome.written) {
        Ui().ShowMessage(Q(outcome.error), kMessageError, this);
        return;
    }
    Ui().ShowMessage(QStringLiteral("%1 positions were successfully exported to %2")
                         .arg(outcome.count)
                         .arg(Q(settings_.exportFileName)),
                     kMessageInformation, this);
}

void MainWindow::OnSetup() {
    SetupChoices choices = SetupChoicesFrom(settings_);
    if (!RunSetupDialog(this, choices)) {
        return;
    }
    Settings settings = settings_;
    settings.coordinateFormat = choices.format;
    settings.mapService = choices.mapService;
    settings.copyFiles = choices.copyFiles;
    settings.copyFolder = choices.copyFolder;
    // Hands the copy options to the writer and redraws the list in the new format; the check
    // marks stay as the user left them.
    ApplySettings(settings);
    if (choices.trace) {
        EnableTrace(S(Ui().GetDocumentsFolder()) + "/Geotal.trace");
    } else {
        DisableTrace();
    }
}

void MainWindow::OnCopyCoordinates() {
    // A row without a position has nothing to give, whichever row it is.
    const int chosen = ChosenRecord();
    const MaybePosition copied = chosen >= 0 ? CopiedFrom(Photos()[chosen]) : std::nullopt;
    if (!copied) {
        Ui().ShowMessage(QStringLiteral("Please choose a picture to copy coordinates from"),
                         kMessageWarning, this);
        return;
    }
    copiedPosition_ = copied;
}

void MainWindow::OnPasteCoordinates() {
    const std::vector<int> targets = listView_->SelectedRecords();
    if (targets.empty()) {
        Ui().ShowMessage(QStringLiteral("Please choose picture(s) to paste coordinates to"),
                         kMessageWarning, this);
        return;
    }
    // Before any copy there is no position to give; an invented one would look real.
    if (!copiedPosition_) {
        Ui().ShowMessage(QStringLiteral("Please choose a picture to copy coordinates from"),
                         kMessageWarning, this);
        return;
    }
    PastePosition(Photos(), targets, *copiedPosition_);
    FillPhotoList();
    // A pasted position is there to be written, as a calculated one is.
    SetCanUpdate(true);
}

void MainWindow::OnHelp() {
    Ui().ShowHelp(helpFilePath_);
}

void MainWindow::OnAbort() {
    abortRequested_ = true;
}

void MainWindow::OnExit() {
    reject();
}

}  // namespace geotal::app
