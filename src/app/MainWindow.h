// The main window: owns all run-time state and routes every command to a short handler.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "app/DialogBuilder.h"
#include "geotag/TimeAdjustment.h"
#include "photo/PhotoList.h"
#include "photo/PhotoWriter.h"
#include "settings/SettingsStore.h"
#include "support/Progress.h"
#include "track/TrackStore.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace geotal::app {

class GeotagApp;
class PhotoListView;

// Command ids that are not controls of the window.
constexpr int kCommandPaste = 32771;
constexpr int kCommandCopy = 32772;
constexpr int kCommandHelp = 57670;
constexpr int kSysCommandAbout = 0x10;

class MainWindow : public QDialog {
    Q_OBJECT

public:
    // app may be null (no accelerators to switch, as in some tests).
    explicit MainWindow(GeotagApp* app);
    ~MainWindow() override;

    // Runs the handler of a control id or command, as a click or accelerator does.
    void OnCommand(int id);
    void OnSysCommand(int command);

    // Data exchange between fields and controls.
    void PushToControls();
    void ReadFromControls();

    void FillPhotoList();
    void ReadMarksFromList();

    void BeginProgress(const QString& text, int maximum);
    void EndProgress();
    void PumpMessages();

    QWidget* Control(int id) const { return controls_.Control(id); }
    PhotoListView& PhotoListControl() const { return *listView_; }

    // Run-time state, public for the commands of other files and for tests to inspect.
    Settings settings;
    QString helpFilePath;
    TimeAdjustment time;
    bool canUpdate = false;
    bool canCalculate = false;
    TrackStore track;
    PhotoWriter writer;
    int selectedPhoto = -1;
    PhotoList photos;
    double copiedLatitude = -999.0;
    double copiedLongitude = -999.0;
    bool abortRequested = false;
    QString statusText;
    int photoFileCount = 0;
    int gpsFileCount = 0;
    int positionCount = 0;
    QString cameraTimeText;
    QString utcTimeText;
    QString localTimeText;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void done(int result) override;

private:
    void InitDialog();
    void UpdateClockFields();

    void OnBrowsePhotoFolder();
    void OnBrowseGpsFolder();
    void OnLoadDataFiles();
    void OnUpdatePhotoFiles();
    void OnMarkAll();
    void OnMarkSelected();
    void OnUnmarkAll();
    void OnUnmarkSelected();
    void OnHelp();
    void OnAbort();
    void OnExit();

    struct CommandEntry {
        int id;
        void (MainWindow::*handler)();
    };
    static const CommandEntry kMessageMap[];

    // True while a long operation runs; the message pump would otherwise start a second load
    // or an update inside the first one, on the same photo list.
    bool busy_ = false;

    GeotagApp* app_;
    BuiltDialog controls_;
    PhotoListView* listView_ = nullptr;
    QLineEdit* photoFolderField_ = nullptr;
    QLineEdit* gpsFolderField_ = nullptr;
    QPushButton* calculateButton_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    QPushButton* abortButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    std::unique_ptr<ProgressSink> progress_;
};

}  // namespace geotal::app
