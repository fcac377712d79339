// The main window: a view of the session. It turns clicks into the session's commands, runs the
// long ones on a worker thread, and shows what the session answers.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <type_traits>

#include "app/DialogBuilder.h"
#include "session/RunProgress.h"
#include "session/Session.h"

class QLabel;
class QLineEdit;
class QTimer;

namespace geotal {
enum class MessageAnswer;
}

namespace geotal::app {

class GeotagApp;
class PhotoListModel;
class MapPane;
class PhotoListView;
class ProgressDisplay;
class StretchLayout;
class SummaryLine;

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
    bool IsSyncPhoto(int record) const { return session_.IsSyncPhoto(record); }

    // The folder fields and the counters from the session, and the typed folders back to it.
    void PushToControls();
    void ReadFromControls();

    // Redraws every row from the records.
    void FillPhotoList();

    bool AbortRequested() const { return progress_.AbortRequested(); }

    // The settings as the session holds them; new ones show at once.
    const Settings& CurrentSettings() const { return session_.CurrentSettings(); }
    void ApplySettings(const Settings& settings);

    // Records changed through Photos() are shown after FillPhotoList.
    PhotoList& Photos() { return session_.Photos(); }
    const PhotoList& Photos() const { return session_.Photos(); }
    const TimeAdjustment& Adjustment() const { return session_.Time(); }

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
    // Runs work off the window's thread; meanwhile the window shows its progress and only
    // Abort and Exit reach it.
    template <class Work>
    std::invoke_result_t<Work&> RunInBackground(Work work);
    void ShowProgress();
    MessageAnswer Tell(const Notice& notice);
    // Boxes one after another, none once the user chose to leave.
    void TellAll(const std::vector<Notice>& notices);
    // The counters, the rows, the buttons and the summary as the session has them now.
    // loaded: the map then fits the new tracks and photos.
    void ShowSession(bool loaded = false);
    void UpdateClockFields();
    void SaveSettings();
    // The record Show on Map and copy act on: the row clicked last, else the first selected
    // row; -1 for none.
    int ChosenRecord() const;

    void OnBrowsePhotoFolder();
    void OnBrowseGpsFolder();
    void BrowseFolder(QLineEdit& field);
    // A click on a command's button runs it.
    void ConnectCommandButtons();
    void OnLoadDataFiles();
    void OnCalculatePositions();
    void OnTimeSetup();
    void OnShowOnMap();
    void ShowOnMapOf(int record);
    void OnExport();
    void OnSetup();
    void OnCopyCoordinates();
    void CopyFrom(int record);
    void OnPasteCoordinates();
    void OnUndo();
    // Remove Position acts on the selected rows, or on the row clicked when it is not among them.
    std::vector<int> RemovalTargets(int clicked) const;
    void OnRemovePositions(const std::vector<int>& records);
    void OnUpdatePhotoFiles();
    void OnRestoreFromCopies();  // in RestoreCommand.cpp
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

    Session session_;
    RunProgress progress_;
    QString helpFilePath_;
    PhotoListModel* photos_ = nullptr;
    // The record of the row clicked last, -1 until a row is clicked or after a new load; Show
    // on Map and copy act on it, and it stays when the selection moves with the keyboard.
    int selectedPhoto_ = -1;

    // True while a long operation runs: a second load or an update must not start on the same
    // photo list.
    bool busy_ = false;
    // The user chose to leave during a run: the window closes once the run has stopped.
    bool exitWhenIdle_ = false;

    GeotagApp* app_;
    BuiltDialog controls_;
    PhotoListView* listView_ = nullptr;
    QLineEdit* photoFolderField_ = nullptr;
    QLineEdit* gpsFolderField_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    SummaryLine* summary_ = nullptr;  // owned by its label
    std::unique_ptr<StretchLayout> stretch_;
    std::unique_ptr<ProgressDisplay> progressShown_;
    std::unique_ptr<MapPane> map_;
    int tableBaseWidth_ = 0;  // the list's width at the layout's size
};

}  // namespace geotal::app
