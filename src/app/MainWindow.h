// The main window: owns all run-time state and routes every command to a short handler.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "app/DialogBuilder.h"
#include "app/PhotoListModel.h"
#include "geotag/PositionCalculation.h"
#include "geotag/TimeAdjustment.h"
#include "photo/PhotoWriter.h"
#include "photo/Sidecar.h"
#include "settings/SettingsStore.h"
#include "support/Progress.h"
#include "track/TrackFolder.h"
#include "track/TrackStore.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace geotal::app {

class GeotagApp;
class PhotoListView;
class StretchLayout;

class MainWindow : public QDialog {
    Q_OBJECT

public:
    // app may be null (no accelerators to switch, as in some tests).
    explicit MainWindow(GeotagApp* app);
    ~MainWindow() override;

    // Runs the handler of a control id or command, as a click or accelerator does.
    void OnCommand(int id);
    void OnSysCommand(int command);
    // The photo context menu's "Synchronise camera clock with this photo…" for a record.
    void OnSyncClock(int record);
    // Takes the photo out of its camera's sync photos.
    void OnRemoveSyncPoint(int record);
    // Whether the photo is one its camera's clock is synchronised with.
    bool IsSyncPhoto(int record) const;

    // Data exchange between fields and controls.
    void PushToControls();
    void ReadFromControls();

    // Redraws every row from the records.
    void FillPhotoList();

    // The progress display of long operations: status line, bar and Abort button.
    void BeginProgress(const QString& text, int maximum);
    void EndProgress();
    void PumpMessages();
    bool AbortRequested() const { return abortRequested_; }
    void ClearAbort() { abortRequested_ = false; }

    // The settings as the window holds them; applying new ones shows them at once and hands
    // the copy options to the writer.
    const Settings& CurrentSettings() const { return settings_; }
    void ApplySettings(const Settings& settings);

    // Records changed through Photos() are shown after FillPhotoList.
    PhotoList& Photos();
    const PhotoList& Photos() const;
    const TimeAdjustment& Adjustment() const { return time_; }

    QWidget* Control(int id) const { return controls_.Control(id); }
    PhotoListView& PhotoListControl() const { return *listView_; }

    // What the last command did, as the line under the list says it.
    QString Summary() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void done(int result) override;
    // Escape, Exit and the close box: asks first when positions would be lost or a run would
    // be cut short.
    void reject() override;

private:
    void InitDialog();
    void AddMenuBar();
    // The line under the list, and what hovering over it tells.
    void SetSummary(const QString& text, const QString& details = {});
    // Says what is wrong with the folders a load just read, if anything.
    void ReportLoadProblems(const TrackFolderCounts& counts, bool photosRead);
    void UpdateClockFields();
    void SaveSettings();
    void SetCanCalculate();
    void SetCanUpdate(bool can);
    // Where Setup sends positions: read back from there too.
    SidecarOptions SidecarChoices() const;
    // The record Show on Map and copy act on, -1 for none.
    int ChosenRecord() const;

    void OnBrowsePhotoFolder();
    void OnBrowseGpsFolder();
    void OnLoadDataFiles();
    void OnCalculatePositions();
    void OnTimeSetup();
    void OnShowOnMap();
    void OnExport();
    void OnSetup();
    void OnCopyCoordinates();
    void OnPasteCoordinates();
    void OnUpdatePhotoFiles();
    void OnMarkAll();
    void OnMarkSelected();
    void OnUnmarkAll();
    void OnUnmarkSelected();
    void OnMarkUnplaced();
    void OnHelp();
    void OnAbort();
    void OnExit();

    struct CommandEntry {
        int id;
        void (MainWindow::*handler)();
    };
    static const CommandEntry kMessageMap[];

    Settings settings_;
    QString helpFilePath_;
    TimeAdjustment time_;
    TrackStore track_;
    PhotoWriter writer_;
    PhotoListModel* photos_ = nullptr;
    // The record of the row clicked last, -1 until a row is clicked or after a new load; Show
    // on Map and copy act on it, and it stays when the selection moves with the keyboard.
    int selectedPhoto_ = -1;
    // The position taken by the last copy; none until a copy.
    MaybePosition copiedPosition_;
    bool abortRequested_ = false;
    QString statusText_;
    int photoFileCount_ = 0;
    int gpsFileCount_ = 0;
    int positionCount_ = 0;
    QString cameraTimeText_;
    QString utcTimeText_;
    QString localTimeText_;

    // True while a long operation runs; the message pump would otherwise start a second load
    // or an update inside the first one, on the same photo list.
    bool busy_ = false;
    // The user chose to leave during a run: the window closes once the run has stopped.
    bool exitWhenIdle_ = false;

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
    QLabel* summary_ = nullptr;
    std::unique_ptr<StretchLayout> stretch_;
    std::unique_ptr<ProgressSink> progress_;
};

}  // namespace geotal::app
