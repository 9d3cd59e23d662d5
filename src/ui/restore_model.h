#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/context.h"
#include "dbmaint/progress_port.h"
#include "dbmaint/restore_discovery.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"
#include "ui/busy_overlay.h"
#include "ui/main_actions.h"

namespace corvane {

constexpr int kKindChoices = 12;  // OBDB 0 to 11; the last is never shown

// One row of the backup list HFGDBBU: the stamp (the sort key, hidden), the
// text shown, the backup's path and the live database's path (both hidden).
struct BackupListRow {
    std::string stamp;
    std::string text;
    std::string backupPath;
    std::string livePath;
};

// What frmNETWORK shows. The view draws exactly this.
struct RestoreScreen {
    bool windowShown = false;
    std::string caption;
    BusyOverlay busy;  // FrameCLOCK
    std::array<std::string, kKindChoices> choiceCaptions;
    std::array<bool, kKindChoices> choiceShown{};
    int checkedChoice = -1;  // -1: none
    std::vector<BackupListRow> rows;
    int selectedRow = -1;  // -1: none; drawn white on blue, the others black on white
    bool restoreButtonShown = false;
};

// frmNETWORK, the restore screen, free of any window system: the view
// forwards every user action here and redraws from Screen().
//
// While the screen is busy (listing, waiting, copying) clicks and Esc are
// ignored; a close request then ends the program, as the main window's does.
class RestoreModel : public ProgressPort {
public:
    // The engine is the run's, though a restore never calls it.
    RestoreModel(AppContext& context, DbEngine& engine, Waiter& waiter);

    const RestoreScreen& Screen() const { return screen_; }
    // Called after every change; repaintNow asks the view to draw before it
    // returns, for changes made right before a long piece of work.
    void SetObserver(std::function<void(bool repaintNow)> observer) { observer_ = std::move(observer); }

    // The main window's LBLRESTOREFG_Click: the screen shown busy in the main
    // window's place, the shared data folder found and scanned, the choices
    // set, the main window hidden.
    void Open(MainWindowUi& mainWindow);

    void ChooseKind(int element);  // a click on OBDB(element)
    void ClickRow(int row);        // a click on a row of HFGDBBU
    void ClickRestore();           // the screen's LBLRESTOREFG_Click
    void Back();                   // LBLBACKFG, and Esc
    void CloseRequest();           // the window's close box

    // The progress port of the restore's busy overlay.
    void SetStatus(const RunStatus& status) override;
    void SetCopyProgress(int percent) override;

private:
    void Close();  // the closing step
    void Busy(bool busy);
    void ClearSelection();
    void Changed(bool repaintNow = false);

    AppContext& context_;
    DbEngine& engine_;
    Waiter& waiter_;
    MainWindowUi* mainWindow_ = nullptr;
    RestoreScreen screen_;
    LiveDatabases live_;
    std::string searchName_;  // kept with LBLRESTORE's tag
    int listedKind_ = -1;     // the choice whose backups the list shows
    std::function<void(bool)> observer_;
};

}  // namespace corvane
