#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
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

#include <ctime>
#include <utility>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/ExportDialog.h"
#include "app/GeotagApp.h"
#include "app/PhotoListView.h"
#include "app/SetupDialog.h"
#include "app/StretchLayout.h"
#include "app/SyncClockDialog.h"
#include "app/TimeAdjustDialog.h"
#include "app/UiServices.h"
#include "app/WindowProgress.h"
#include "geotag/CameraClocks.h"
#include "geotag/CopyPaste.h"
#include "geotag/NamedZone.h"
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
    calculateButton_ = controls_.As<QPushButton>(kCalculate);
    updateButton_ = controls_.As<QPushButton>(kUpdatePhotoFiles);
    abortButton_ = controls_.As<QPushButton>(kAbort);
    progressBar_ = controls_.As<QProgressBar>(kProgressBar);
    summary_ = controls_.As<QLabel>(kSummaryLine);
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
    // The keyboard chooses a photo as well as the mouse does.
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
    InitDialog();
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

void MainWindow::InitDialog() {
    const QIcon icon = AppIcon();
    setWindowIcon(icon);
    if (app_ != nullptr) {
        app_->SetAcceleratorsEnabled(true);
    }
    SettingsStore::Load(settings_);
    if (settings_.windowWidth > 0 && settings_.windowHeight > 0) {
        resize(settings_.windowWidth, settings_.windowHeight);  // never below the layout's size
    }
    PushToControls();
    helpFilePath_ = Q(HelpFilePath(settings_));
    writer_.SetCopyOptions(settings_.copyFiles, settings_.copyFolder);
    listView_->SetUpColumns();
    // The two buttons wait for their first load and calculation.
    calculateButton_->setEnabled(false);
    updateButton_->setEnabled(false);
    time_ = StartingTimeAdjustment();
    // The zone chosen last time, and whether photos' own offsets count, outlive the run.
    if (settings_.namedZone && IsKnownZone(settings_.zoneName)) {
        time_.zoneName = settings_.zoneName;
    }
    time_.usePhotoZone = settings_.usePhotoZone;
    clockTimer_ = new QTimer(this);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::UpdateClockFields);
    clockTimer_->start(100);
    UpdateClockFields();
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
    // Without a track point there is nothing to place a photo by.
    calculateButton_->setEnabled(!track_.IsEmpty());
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
    // The size the user gave the window, not the screen's when maximised.
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    settings_.windowWidth = normal.width();
    settings_.windowHeight = normal.height();
    SettingsStore::Save(settings_);
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
            abortRequested_ = true;
            exitWhenIdle_ = true;
        }
        return;
    }
    const int unwritten = Photos().UnwrittenCount();
    if (unwritten > 0 &&
        Ui().ShowMessage(
            QStringLiteral("%1 positions are not written yet. Exit anyway?").arg(unwritten),
            kMessageWarning | kMessageYesNo, this) != MessageAnswer::Yes) {
        return;
    }
    QDialog::reject();
}

QString MainWindow::Summary() const {
    return summary_->text();
}

void MainWindow::SetSummary(const QString& text, const QString& details) {
    summary_->setText(text);
    summary_->setToolTip(details);
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
        sync->setEnabled(!busy_ && Photos()[record].captureTime != 0);
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
    if (const QString chosen = Ui().BrowseForFolder(Q(settings_.photoFolder)); !chosen.isEmpty()) {
        settings_.photoFolder = S(chosen);
    }
    PushToControls();
}

void MainWindow::OnBrowseGpsFolder() {
    ReadFromControls();
    if (const QString chosen = Ui().BrowseForFolder(Q(settings_.gpsFolder)); !chosen.isEmpty()) {
        settings_.gpsFolder = S(chosen);
    }
    PushToControls();
}

void MainWindow::OnLoadDataFiles() {
    const QScopedValueRollback<bool> busy(busy_, true);
    ReadFromControls();  // Enter in a folder field loads what it shows
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Trace("****  START LOAD");
    const TrackFolderCounts counts = LoadTrackFolder(settings_.gpsFolder, track_, *progress_);
    gpsFileCount_ = counts.gpsFileCount;
    positionCount_ = counts.positionCount;
    // Read apart and taken in one step: an aborted reading leaves the old rows, each still
    // naming its own photo.
    PhotoList loaded;
    const bool read = ReadPhotoFolder(settings_.photoFolder, loaded, *progress_, SidecarChoices());
    if (read) {
        listView_->Replace(std::move(loaded));
        FindSelfSetCameras(Photos(), time_);
        selectedPhoto_ = -1;
        // What a calculation made ready to write belonged to the photos just replaced.
        SetCanUpdate(false);
    }
    QApplication::restoreOverrideCursor();
    photoFileCount_ = Photos().Count();
    PushToControls();
    SetCanCalculate();
    // A track file that gave nothing is named: a logger's own layout is the usual cause.
    QStringList empty;
    QStringList reasons;
    for (const TrackFileReport& file : counts.files) {
        if (file.positions == 0) {
            const QString name = QFileInfo(Q(file.path)).fileName();
            empty << name;
            reasons << name + QStringLiteral(": ") + Q(DescribeTrackFile(file));
        }
    }
    const QString emptyFiles =
        empty.isEmpty() ? QString()
                        : QStringLiteral("; no points in %1 (hold the mouse here to see why)")
                              .arg(empty.join(QStringLiteral(", ")));
    const QString trackFiles = counts.gpsFileCount == 1
                                   ? QStringLiteral("1 track file")
                                   : QStringLiteral("%1 track files").arg(counts.gpsFileCount);
    SetSummary(read ? QStringLiteral("%1 photos, %2, %3 positions%4")
                          .arg(Photos().Count())
                          .arg(trackFiles)
                          .arg(counts.positionCount)
                          .arg(emptyFiles)
                    : QStringLiteral("Loading stopped: the list still shows the photos it "
                                     "showed before; %1, %2 positions loaded%3")
                          .arg(trackFiles)
                          .arg(counts.positionCount)
                          .arg(emptyFiles),
               reasons.join(QLatin1Char('\n')));
    if (!exitWhenIdle_) {
        ReportLoadProblems(counts, read);
    }
}

void MainWindow::ReportLoadProblems(const TrackFolderCounts& counts, bool photosRead) {
    const auto folderProblem = [](const std::string& folder, const QString& what) {
        const QFileInfo info(Q(folder));
        if (folder.empty() || !info.exists()) {
            return QStringLiteral(
                       "The %1 \"%2\" does not exist. Type the folder, or choose it "
                       "with the ... button beside the field.")
                .arg(what, Q(folder));
        }
        if (!info.isDir()) {
            return QStringLiteral(
                       "\"%1\" is a file, not a folder. Give the %2 that holds it: "
                       "%3")
                .arg(Q(folder), what, info.absolutePath());
        }
        return QString();
    };
    // Only a folder's own files are read: one holding nothing but folders says so.
    const auto subfolders = [](const std::string& folder) {
        return QDir(Q(folder)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty()
                   ? QString()
                   : QStringLiteral(" Its subfolders are not read.");
    };
    QStringList problems;
    QString photos = folderProblem(settings_.photoFolder, QStringLiteral("photo folder"));
    if (photos.isEmpty() && photosRead && Photos().Count() == 0) {
        photos = QStringLiteral(
                     "The photo folder \"%1\" holds no photos (JPEG, RAW, HEIC, PNG, TIFF or "
                     "WebP files).%2 Choose the folder your camera's photos are in.")
                     .arg(Q(settings_.photoFolder), subfolders(settings_.photoFolder));
    }
    QString tracks = folderProblem(settings_.gpsFolder, QStringLiteral("GPS folder"));
    if (tracks.isEmpty() && counts.gpsFileCount == 0) {
        tracks = QStringLiteral(
                     "The GPS folder \"%1\" holds no track files Geotal reads (GPX, CSV, NMEA, "
                     "KML, KMZ, TCX, FIT, IGC, GeoJSON or Google location history).%2 Choose the "
                     "folder your GPS logger's files are in.")
                     .arg(Q(settings_.gpsFolder), subfolders(settings_.gpsFolder));
    } else if (tracks.isEmpty() && counts.positionCount == 0) {
        tracks = QStringLiteral(
                     "The %1 track files in \"%2\" hold no usable points (a "
                     "position with a time). Check that they are the logger's "
                     "tracks.")
                     .arg(counts.gpsFileCount)
                     .arg(Q(settings_.gpsFolder));
    }
    for (const QString& problem : {photos, tracks}) {
        if (!problem.isEmpty()) {
            problems << problem;
        }
    }
    if (!problems.isEmpty()) {
        Ui().ShowMessage(problems.join(QStringLiteral("\n\n")), kMessageWarning, this);
    }
}

void MainWindow::OnCalculatePositions() {
    ReadFromControls();
    if (track_.IsEmpty()) {
        Ui().ShowMessage(QStringLiteral("No track points are loaded, so no photo can be placed. "
                                        "Choose the folder with your track files (GPX, CSV, "
                                        "NMEA, KML, TCX, FIT, IGC and others) and press Load "
                                        "data files."),
                         kMessageWarning, this);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<PositionResult> results =
        CalculatePositions(Photos(), track_, time_, *progress_);
    SetCanUpdate(true);
    FillPhotoList();
    QApplication::restoreOverrideCursor();
    QString summary = Q(DescribeCalculation(results));
    // The calculation leaves them unchecked; after the time is set right they are tried again.
    if (const std::size_t unplaced = Photos().Unplaced().size(); unplaced > 0) {
        summary += QStringLiteral(
                       ". %1 with a capture time left unplaced: to try again after "
                       "correcting the time, press Mark Unplaced, then Calculate "
                       "coordinates")
                       .arg(unplaced);
    }
    SetSummary(summary);
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
    // With sidecars only, no photo file is touched: the warning says what is.
    const MessageAnswer answer = Ui().ShowMessage(
        settings_.sidecarOnly
            ? QStringLiteral("This command will write the positions to the XMP sidecar files "
                             "beside your photos; no photo file is changed.\n\nAre you sure you "
                             "want to continue?")
            : QStringLiteral("This command will update your photo files. You should not do "
                             "this unless you have a backup of the files\n\nAre you sure you "
                             "want to continue?"),
        kMessageWarning | kMessageYesNo, this);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    UpdateCallbacks callbacks;
    int failed = 0;
    callbacks.changed = [this](int index) { photos_->RecordChanged(index); };
    callbacks.showMessage = [this, &failed](const std::string& message) {
        ++failed;
        if (!exitWhenIdle_) {
            Ui().ShowMessage(Q(message), kMessageOk, this);
        }
    };
    QStringList backupsTaken;
    callbacks.backupTaken = [this, &failed, &backupsTaken](int index, const std::string&) {
        ++failed;
        backupsTaken << Q(Photos()[index].fileName);
    };
    const UpdateCounts counts =
        WriteMarkedPhotos(Photos(), writer_, *progress_, callbacks, SidecarChoices());
    const int updated = counts.photos + counts.sidecars;
    SetSummary(failed == 0 ? QStringLiteral("%1 photos written").arg(updated)
                           : QStringLiteral("%1 photos written, %2 not (hold the mouse over a "
                                            "checked row to see why)")
                                 .arg(updated)
                                 .arg(failed));
    if (exitWhenIdle_) {
        return;  // leaving: no box to answer after the window is gone
    }
    if (!backupsTaken.isEmpty()) {
        // One box for all of them: a second card's IMG_0001 meets the first card's copy for
        // every photo at once.
        const int shown = 10;
        QString names = backupsTaken.mid(0, shown).join(QStringLiteral(", "));
        if (backupsTaken.size() > shown) {
            names += QStringLiteral(" and %1 more").arg(backupsTaken.size() - shown);
        }
        Ui().ShowMessage(QStringLiteral("%1 photos were not written: the copy folder %2 already "
                                        "holds other photos or sidecars of the same names (%3). A "
                                        "copy there "
                                        "is never replaced. Choose another copy folder in Setup, "
                                        "or move those files away, and press Update photo files "
                                        "again.")
                             .arg(backupsTaken.size())
                             .arg(Q(settings_.copyFolder), names),
                         kMessageWarning, this);
    }
    Ui().ShowMessage(Q(UpdatedFilesText(counts)), kMessageInformation, this);
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
    listView_->Model().SetMarks(Photos().Unplaced(), true);
}

void MainWindow::OnTimeSetup() {
    if (RunTimeAdjustDialog(this, time_, settings_.zoneName, CamerasOf(Photos()))) {
        settings_.namedZone = !time_.zoneName.empty();
        if (settings_.namedZone) {
            settings_.zoneName = time_.zoneName;  // kept to be offered again
        }
    }
    UpdateClockFields();
}

SidecarOptions MainWindow::SidecarChoices() const {
    return {settings_.sidecarNameExt ? SidecarNaming::NameExt : SidecarNaming::Name,
            settings_.sidecarOnly};
}

void MainWindow::OnSyncClock(int record) {
    if (busy_ || record < 0 || record >= Photos().Count() || Photos()[record].captureTime == 0) {
        return;
    }
    const PhotoRecord& photo = Photos()[record];
    const std::optional<ClockSyncPoint> point = RunSyncClockDialog(this, photo, time_);
    if (!point) {
        return;
    }
    CameraClock& clock = time_.cameras[photo.camera];
    bool add = false;
    if (!clock.syncPoints.empty()) {
        const QString before = clock.syncPoints.size() == 1
                                   ? QStringLiteral("another photo")
                                   : QStringLiteral("%1 other photos").arg(clock.syncPoints.size());
        add = Ui().ShowMessage(QStringLiteral("The camera clock is already synchronised with %1. "
                                              "Add this photo, so that the clock error follows "
                                              "the camera's drift between them?\n\nNo: this "
                                              "photo alone sets the clock error.")
                                   .arg(before),
                               kMessageYesNo | kMessageQuestion, this) == MessageAnswer::Yes;
    }
    if (!add) {
        clock.syncPoints.clear();
    }
    AddSyncPoint(clock.syncPoints, *point);
    clock.clockError.reset();
    if (const std::string drift = ImplausibleDrift(clock.syncPoints); !drift.empty()) {
        Ui().ShowMessage(Q(drift), kMessageOk | kMessageWarning, this);
    }
    UpdateClockFields();
}

void MainWindow::OnRemoveSyncPoint(int record) {
    if (busy_ || record < 0 || record >= Photos().Count()) {
        return;
    }
    const PhotoRecord& photo = Photos()[record];
    const auto clock = time_.cameras.find(photo.camera);
    if (clock == time_.cameras.end()) {
        return;
    }
    std::erase_if(clock->second.syncPoints, [&photo](const ClockSyncPoint& point) {
        return point.cameraTime == photo.captureTime;
    });
    UpdateClockFields();
}

bool MainWindow::IsSyncPhoto(int record) const {
    if (record < 0 || record >= Photos().Count()) {
        return false;
    }
    const PhotoRecord& photo = Photos()[record];
    const auto clock = time_.cameras.find(photo.camera);
    return clock != time_.cameras.end() &&
           std::any_of(clock->second.syncPoints.begin(), clock->second.syncPoints.end(),
                       [&photo](const ClockSyncPoint& point) {
                           return point.cameraTime == photo.captureTime;
                       });
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
    const QString address = Q(MapAddress(MapServiceFromNumber(settings_.mapService), *position));
    if (!Ui().OpenWebAddress(address)) {
        Ui().ShowMessage(QStringLiteral("No web browser could be started to show the map. Open "
                                        "this address in one yourself:\n%1")
                             .arg(address),
                         kMessageWarning, this);
    }
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
    SetSummary(QStringLiteral("%1 positions exported to %2")
                   .arg(outcome.count)
                   .arg(Q(settings_.exportFileName)));
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
    settings.usePhotoZone = choices.usePhotoZone;
    settings.sidecarNameExt = choices.sidecarNameExt;
    settings.sidecarOnly = choices.sidecarOnly;
    time_.usePhotoZone = choices.usePhotoZone;
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
    SetSummary(QStringLiteral("Position pasted onto %1 photos").arg(targets.size()));
    // A pasted position is there to be written, as a calculated one is.
    SetCanUpdate(true);
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
    abortRequested_ = true;
}

void MainWindow::OnExit() {
    reject();
}

}  // namespace geotal::app
