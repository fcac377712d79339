#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableWidget>
#include <QTimer>

#include <ctime>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/GeotagApp.h"
#include "app/PhotoListView.h"
#include "app/UiServices.h"
#include "app/WindowProgress.h"
#include "photo/PhotoFolder.h"
#include "photo/PhotoUpdate.h"
#include "support/TraceLog.h"
#include "track/TrackFolder.h"

namespace geotal::app {
namespace {

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
    {1001, &MainWindow::OnBrowsePhotoFolder},
    {1005, &MainWindow::OnBrowseGpsFolder},
    {1013, &MainWindow::OnUpdatePhotoFiles},
    {1009, &MainWindow::OnLoadDataFiles},
    {3, &MainWindow::OnMarkAll},
    {5, &MainWindow::OnUnmarkAll},
    {4, &MainWindow::OnMarkSelected},
    {6, &MainWindow::OnUnmarkSelected},
    {kCommandHelp, &MainWindow::OnHelp},
    {1047, &MainWindow::OnAbort},
    {2, &MainWindow::OnExit},
};

MainWindow::MainWindow(GeotagApp* app)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app),
      controls_(BuildDialog(res::MainWindowTemplate(), *this)) {
    photoFolderField_ = controls_.As<QLineEdit>(1000);
    gpsFolderField_ = controls_.As<QLineEdit>(1004);
    calculateButton_ = controls_.As<QPushButton>(1008);
    updateButton_ = controls_.As<QPushButton>(1013);
    abortButton_ = controls_.As<QPushButton>(1047);
    progressBar_ = controls_.As<QProgressBar>(1022);
    listView_ = new PhotoListView(controls_.As<QTableWidget>(1003));
    progress_ = MakeWindowProgress(*this);

    for (const CommandEntry& entry : kMessageMap) {
        if (auto* button = controls_.As<QPushButton>(entry.id)) {
            connect(button, &QPushButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        }
    }
    connect(listView_, &PhotoListView::rowClicked, this,
            [this](int itemValue) { selectedPhoto = itemValue; });
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
    SettingsStore::Load(settings);
    PushToControls();
    helpFilePath = Q(HelpFilePath(settings));
    writer.SetCopyOptions(settings.copyFiles, settings.copyFolder);
    listView_->SetUpColumns();
    time.timeZoneOffset = LocalUtcOffsetHours();
    time.computerUtcOffset = LocalUtcOffsetHours();
    clockTimer_ = new QTimer(this);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::UpdateClockFields);
    clockTimer_->start(100);
    UpdateClockFields();
}

void MainWindow::OnCommand(int id) {
    if (busy_ && id != 1047) {
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
    SetText(photoFolderField_, Q(settings.photoFolder));
    SetText(gpsFolderField_, Q(settings.gpsFolder));
    SetText(Control(1023), statusText);
    SetText(Control(1024), QString::number(photoFileCount));
    SetText(Control(1025), QString::number(gpsFileCount));
    SetText(Control(1026), QString::number(positionCount));
    SetText(Control(1030), cameraTimeText);
    SetText(Control(1027), utcTimeText);
    SetText(Control(1029), localTimeText);
}

void MainWindow::ReadFromControls() {
    settings.photoFolder = S(Text(photoFolderField_));
    settings.gpsFolder = S(Text(gpsFolderField_));
    statusText = Text(Control(1023));
    photoFileCount = Text(Control(1024)).toInt();
    gpsFileCount = Text(Control(1025)).toInt();
    positionCount = Text(Control(1026)).toInt();
    cameraTimeText = Text(Control(1030));
    utcTimeText = Text(Control(1027));
    localTimeText = Text(Control(1029));
}

void MainWindow::FillPhotoList() {
    listView_->FillPhotoList(photos, settings.coordinateFormat);
}

void MainWindow::ReadMarksFromList() {
    listView_->ReadMarksFromList(photos);
}

void MainWindow::UpdateClockFields() {
    const std::time_t now = std::time(nullptr);
    localTimeText = Q(LocalClockText(now));
    utcTimeText = Q(UtcClockText(now));
    cameraTimeText = Q(CameraClockText(now, time));
    SetText(Control(1029), localTimeText);
    SetText(Control(1027), utcTimeText);
    SetText(Control(1030), cameraTimeText);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    // The two buttons follow their flags at every paint, as the window has always done.
    calculateButton_->setEnabled(canCalculate);
    updateButton_->setEnabled(canUpdate);
    QDialog::paintEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SettingsStore::Save(settings);
    QDialog::closeEvent(event);
}

void MainWindow::done(int result) {
    // However the dialog ends (Exit, Escape, close box) the settings are stored.
    SettingsStore::Save(settings);
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
    settings.photoFolder = S(Ui().BrowseForFolder(Q(settings.photoFolder)));
    PushToControls();
}

void MainWindow::OnBrowseGpsFolder() {
    settings.gpsFolder = S(Ui().BrowseForFolder(Q(settings.gpsFolder)));
    PushToControls();
}

void MainWindow::OnLoadDataFiles() {
    const QScopedValueRollback<bool> busy(busy_, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    photos.Clear();
    Trace("****  START LOAD");
    const TrackFolderCounts counts = LoadTrackFolder(settings.gpsFolder, track, *progress_);
    gpsFileCount = counts.gpsFileCount;
    positionCount = counts.positionCount;
    if (ReadPhotoFolder(settings.photoFolder, photos, *progress_)) {
        FillPhotoList();
    }
    QApplication::restoreOverrideCursor();
    photoFileCount = photos.Count();
    PushToControls();
    canCalculate = true;
    update();
}

void MainWindow::OnUpdatePhotoFiles() {
    ReadMarksFromList();
    // Checked once, before anything is asked or written: a backup that cannot be made must
    // not be discovered one photo at a time.
    if (settings.copyFiles && !IsUsableCopyFolder(settings.copyFolder)) {
        Ui().ShowMessage(QStringLiteral("Please choose an existing folder for the copies of image "
                                        "files in Setup, or switch copying off."),
                         0x30, this);
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
    callbacks.isChecked = [this](int index) {
        const int row = photos[index].listItem;
        return row >= 0 && listView_->IsChecked(row);
    };
    callbacks.uncheck = [this](int index) { listView_->SetChecked(photos[index].listItem, false); };
    callbacks.showMessage = [this](const std::string& message) {
        Ui().ShowMessage(Q(message), 0, this);
    };
    const int updated =
        WriteMarkedPhotos(settings.photoFolder, photos, writer, *progress_, callbacks);
    Ui().ShowMessage(QStringLiteral("%1 image files were successfully updated.").arg(updated), 0x40,
                     this);
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

void MainWindow::OnHelp() {
    Ui().ShowHelp(helpFilePath);
}

void MainWindow::OnAbort() {
    abortRequested = true;
}

void MainWindow::OnExit() {
    reject();
}

}  // namespace geotal::app
