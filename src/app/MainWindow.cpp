#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <ctime>

#include <QSplitter>
#include "app/AppIcon.h"
#include "app/GeotagApp.h"
#include "app/MapPane.h"
#include "app/PhotoListModel.h"
#include "app/PhotoListView.h"
#include "app/ProgressDisplay.h"
#include "app/QtText.h"
#include "app/ScreenFit.h"
#include "app/StretchLayout.h"
#include "app/SummaryLine.h"
#include "app/UiServices.h"
#include "app/WindowMenus.h"
#include "res/ControlIds.h"

namespace geotal::app {
namespace {

using namespace res::main_window;

void SetText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control); edit != nullptr && edit->text() != text) {
        edit->setText(text);
    }
}

// The layout's font, or a smaller one where the layout at its own would not fit the screen.
int PointSizeForScreen(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen != nullptr ? FittingPointSize(res::MainWindowTemplate(), window.font(),
                                                screen->availableGeometry())
                             : 0;
}

}  // namespace

MainWindow::MainWindow(GeotagApp* app)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowCloseButtonHint),
      app_(app),
      controls_(BuildDialog(res::MainWindowTemplate(), *this, PointSizeForScreen(*this))) {
    Settings settings;
    SettingsStore::Load(settings);
    photoFolderField_ = controls_.As<QLineEdit>(kPhotoFolderField);
    gpsFolderField_ = controls_.As<QLineEdit>(kGpsFolderField);
    summary_ = new SummaryLine(*controls_.As<QLabel>(kSummaryLine));
    photos_ = new PhotoListModel(this, &session_.Photos());
    auto* table = controls_.As<QTableView>(kPhotoList);
    listView_ = new PhotoListView(table, photos_);
    tableBaseWidth_ = table->width();
    map_ = std::make_unique<MapPane>(
        *table, *listView_, session_, settings,
        [this](const QString& text) {
            if (!busy_) {
                SetText(Control(kStatusLine), text);
            }
        },
        [this](const std::vector<int>& records, double latitude, double longitude) {
            if (!busy_) {
                session_.PlaceByHand(records, latitude, longitude);
                ShowSession();
            }
        });

    ConnectCommandButtons();
    // The keyboard chooses a photo as well as the mouse does.
    connect(listView_, &PhotoListView::recordClicked, this,
            [this](int index) { selectedPhoto_ = index; });
    connect(listView_, &PhotoListView::currentRecordChanged, this,
            [this](int index) { selectedPhoto_ = index; });
    connect(controls_.As<QComboBox>(kShowFilter), &QComboBox::currentIndexChanged, this,
            [this](int index) { listView_->SetFilter(static_cast<PhotoFilter>(index)); });
    photoFolderField_->installEventFilter(this);
    gpsFolderField_->installEventFilter(this);
    table->installEventFilter(this);
    // Enter in a folder field loads it; it must never end the window.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setDefault(false);
    }
    controls_.As<QPushButton>(kLoadDataFiles)->setDefault(true);
    AddMenuBar(*this,
               {[this] { OnCommand(kCommandUndo); }, [this] { return session_.CanUndo(); },
                [this] { OnCommand(kCommandCopy); }, [this] { OnCommand(kCommandPaste); },
                [this] {
                    if (!busy_) {
                        OnRemovePositions(listView_->SelectedRecords());
                    }
                },
                [this] { OnCommand(kHelp); }, [this] { OnSysCommand(kSysCommandAbout); },
                [this](bool shown) { map_->SetShown(shown); }, [this] { map_->ClearCache(); },
                settings.mapShown, [this](bool shown) { listView_->ShowThumbnails(shown); },
                settings.thumbnailsShown, [this] { OnCommand(kCommandRestore); }});
    stretch_ = std::make_unique<StretchLayout>(*this, map_->Area());
    progressShown_ = std::make_unique<ProgressDisplay>(*controls_.As<QLineEdit>(kStatusLine),
                                                       *controls_.As<QProgressBar>(kProgressBar),
                                                       *controls_.As<QPushButton>(kAbort));

    setWindowIcon(AppIcon());
    if (app_ != nullptr) {
        app_->SetAcceleratorsEnabled(true);
    }
    QSize wanted = size();
    if (settings.windowWidth > 0 && settings.windowHeight > 0) {
        wanted = QSize(settings.windowWidth, settings.windowHeight);
    } else if (settings.mapShown) {
        wanted.rwidth() += map_->FirstWidth();  // room for the map beside the list
    }
    // Never below the layout's size, and never beyond the screen, whatever size was saved on
    // another one.
    if (const QScreen* screen = this->screen()) {
        resize(SizeWithin(wanted, minimumSize(), screen->availableGeometry()));
    } else {
        resize(wanted);
    }
    stretch_->Apply();
    map_->FitBesideList();
    session_.Start(settings);
    helpFilePath_ = Q(HelpFilePath(settings));
    listView_->ShowThumbnails(settings.thumbnailsShown);
    listView_->SetUpColumns();
    ShowSession();
    progressTimer_ = new QTimer(this);
    connect(progressTimer_, &QTimer::timeout, this, &MainWindow::ShowProgress);
    clockTimer_ = new QTimer(this);
    connect(clockTimer_, &QTimer::timeout, this, &MainWindow::UpdateClockFields);
    clockTimer_->start(100);
    UpdateClockFields();
}

MainWindow::~MainWindow() = default;

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

void MainWindow::ShowProgress() {
    progressShown_->Show(progress_.Snapshot());
}

MessageAnswer MainWindow::Tell(const Notice& notice) {
    return Ui().ShowMessage(Q(notice.text), notice.typeWord, this);
}

void MainWindow::TellAll(const std::vector<Notice>& notices) {
    for (const Notice& notice : notices) {
        if (!exitWhenIdle_) {  // no box to answer after the window is gone
            Tell(notice);
        }
    }
}

void MainWindow::ShowSession(bool loaded) {
    PushToControls();
    FillPhotoList();
    map_->ShowSession(loaded);
    controls_.As<QPushButton>(kCalculate)->setEnabled(session_.CanCalculate());
    controls_.As<QPushButton>(kUpdatePhotoFiles)->setEnabled(session_.CanUpdate());
    summary_->Show(Q(session_.Summary()), Q(session_.SummaryDetails()));
}

QString MainWindow::Summary() const {
    return summary_->Text();
}

void MainWindow::UpdateClockFields() {
    const std::time_t now = std::time(nullptr);
    SetText(Control(kLocalTime), Q(LocalClockText(now)));
    SetText(Control(kUtcTime), Q(UtcClockText(now)));
    SetText(Control(kCameraTime), Q(CameraClockText(now, session_.Time())));
}

int MainWindow::ChosenRecord() const {
    if (selectedPhoto_ >= 0 && selectedPhoto_ < Photos().Count()) {
        return selectedPhoto_;
    }
    // Rows selected without a click (Ctrl+A, a rectangle on the map): the first of them.
    const std::vector<int> selected = listView_->SelectedRecords();
    return selected.empty() ? -1 : selected.front();
}

void MainWindow::SaveSettings() {
    // A folder typed into a field that still has the focus counts: take the fields first.
    ReadFromControls();
    Settings settings = session_.CurrentSettings();
    // The size the user gave the window, not the screen's when maximised.
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    settings.windowWidth = normal.width();
    settings.windowHeight = normal.height();
    map_->KeepIn(settings);
    settings.thumbnailsShown = listView_->ThumbnailsShown();
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
    const int record = listView_->RecordAt(event->globalPos());
    const bool onPhoto = record >= 0;
    const std::vector<int> removed = RemovalTargets(record);
    const bool canRemove = std::any_of(removed.begin(), removed.end(), [this](int i) {
        return Photos()[i].position || Photos()[i].stored;
    });
    const PhotoMenuOffer offer{onPhoto,
                               onPhoto && Photos()[record].HasPosition(),
                               session_.HasCopiedPosition(),
                               session_.CanSync(record),
                               IsSyncPhoto(record),
                               canRemove,
                               busy_};
    switch (RunPhotoMenu(this, event->globalPos(), offer)) {
        case PhotoMenuChoice::About:
            OnSysCommand(kSysCommandAbout);
            break;
        case PhotoMenuChoice::Copy:
            CopyFrom(record);
            break;
        case PhotoMenuChoice::Paste:
            OnPasteCoordinates();
            break;
        case PhotoMenuChoice::ShowOnMap:
            ShowOnMapOf(record);
            break;
        case PhotoMenuChoice::Sync:
            OnSyncClock(record);
            break;
        case PhotoMenuChoice::RemoveSync:
            OnRemoveSyncPoint(record);
            break;
        case PhotoMenuChoice::RemovePosition:
            OnRemovePositions(removed);
            break;
        case PhotoMenuChoice::None:
            break;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The names take the room the list has grown by, however the map leaves it.
    if (watched == Control(kPhotoList) && event->type() == QEvent::Resize) {
        listView_->WidenNames(Control(kPhotoList)->width() - tableBaseWidth_);
    }
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

}  // namespace geotal::app
