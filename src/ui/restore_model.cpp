#include "ui/restore_model.h"

#include "app/debug_log.h"
#include "base/text.h"
#include "dbmaint/backup_catalogue.h"
#include "dbmaint/repair_request.h"
#include "dbmaint/run_frame.h"
#include "dbmaint/shared_drive.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace corvane {
namespace {

// Every message of the restore screen is titled so and brought forward.
void Say(AppContext& context, const std::string& text, Icon icon) {
    Tell(context.dialogs, "ATENCION!!!", text, icon, true);
}

}  // namespace

RestoreModel::RestoreModel(AppContext& context, DbEngine& engine, Waiter& waiter)
    : context_(context), engine_(engine), waiter_(waiter) {}

void RestoreModel::Open(MainWindowUi& mainWindow) {
    mainWindow_ = &mainWindow;
    // Everything of an earlier opening was discarded when it closed.
    screen_ = RestoreScreen{};
    live_.fill("");
    searchName_.clear();
    listedKind_ = -1;
    screen_.caption = context_.programName + " " + context_.state.versionTitle;
    screen_.windowShown = true;
    Busy(true);

    if (!RestoreConnection(context_)) return;  // the program is ending
    if (const Status scanned = RestoreScan(context_, live_); !scanned) {
        // The root found earlier may have gone away since: say why and give
        // the main window back.
        const std::string folder = context_.state.sharedDataFolderPath;
        Say(context_, UnreadableFolderText(folder, scanned), Icon::Stop);
        AppendDebugLine(context_, "RestoreDiscovery: " + folder + " " + scanned.Describe());
        Busy(false);
        Close();
        return;
    }
    for (int i = 0; i < kRestorableCount; ++i) {
        screen_.choiceCaptions[i] = RestorableKinds()[i].caption;
        screen_.choiceShown[i] = true;
    }
    mainWindow.HideForRestore();
    Busy(false);
}

void RestoreModel::ChooseKind(int element) {
    if (screen_.busy.shown || element < 0 || element >= kRestorableCount) return;
    screen_.checkedChoice = element;
    Busy(true);
    // As the screen has always done: a second for the overlay to be seen.
    if (!waiter_.WaitOneSecond()) return;

    screen_.rows.clear();
    screen_.selectedRow = -1;
    const RestorableKind& kind = RestorableKinds()[element];
    searchName_ = kind.searchName;
    listedKind_ = element;
    const std::string& livePath = live_[element];

    std::vector<CatalogueEntry> entries;
    const std::string folder = JoinPath(context_.state.sharedDataFolderPath, "_BackUps");
    // A missing backup folder lists nothing, as an empty one does.
    if (const Status listed = ListCatalogue(context_.files, folder, searchName_, entries); !listed) {
        AppendDebugLine(context_, "Catalogo: " + folder + " " + listed.Describe());
    }
    for (CatalogueEntry& entry : entries) {
        screen_.rows.push_back({std::move(entry.stamp), std::move(entry.text), std::move(entry.backupPath), livePath});
    }
    screen_.restoreButtonShown = !screen_.rows.empty();
    if (screen_.rows.empty()) {
        screen_.rows.push_back({"", "NO HAY BackUps", "", ""});
        screen_.rows.push_back({"", ":(", "", ""});
    }
    Busy(false);
}

void RestoreModel::ClickRow(int row) {
    if (screen_.busy.shown || screen_.rows.empty()) return;
    if (row < 0 || row >= static_cast<int>(screen_.rows.size())) return;
    screen_.selectedRow = row;
    Changed();
}

void RestoreModel::ClickRestore() {
    if (screen_.busy.shown || !screen_.restoreButtonShown) return;
    if (screen_.selectedRow < 0) {
        Say(context_, "Hay Que Elegir una Fecha!!!", Icon::Stop);
        return;
    }
    const BackupListRow row = screen_.rows[screen_.selectedRow];
    if (row.livePath.empty()) {
        // Copying a backup to no particular place would restore nothing.
        Say(context_,
             "No Hay una Base '" + searchName_ + "' en\r" + context_.state.sharedDataFolderPath +
                 "\r\rSolo se Puede Restaurar una Base que Existe.",
             Icon::Stop);
        return;
    }
    if (Ask(context_.dialogs, "ATENCION!!!", "Restauramos la Base '" + searchName_ + "'?", 2) != Answer::Yes) {
        ClearSelection();
        return;
    }

    Busy(true);
    RunFrame frame(context_, this);
    DatabaseRun run = RunIn(frame, engine_, waiter_, *mainWindow_, kRunRestore);
    const RestoreResult result = RestoreRequest(run, {listedKind_, searchName_, row.backupPath, row.livePath});
    if (result.end == RestoreEnd::ProgramEnding) return;
    Busy(false);
    ClearSelection();
    if (result.end == RestoreEnd::Restored) {
        const std::string note = result.message.empty() ? "" : "\r\r" + result.message;
        Say(context_, "La Base fue Actualizada Exitosamente!" + note, Icon::None);
    } else {
        Say(context_, result.message, Icon::Stop);
    }
    frame.TellNearLimit();
}

void RestoreModel::Back() {
    if (screen_.busy.shown) return;
    Close();
}

void RestoreModel::CloseRequest() {
    // Work under way cannot be left half done behind a closed window.
    if (screen_.busy.shown) {
        context_.process.End(0);
        return;
    }
    Close();
}

void RestoreModel::SetStatus(const RunStatus& status) {
    if (screen_.busy.SetStatus(status)) Changed(true);
}

void RestoreModel::SetCopyProgress(int percent) {
    if (screen_.busy.SetCopyProgress(percent)) Changed(true);
}

void RestoreModel::Close() {
    screen_ = RestoreScreen{};
    live_.fill("");
    searchName_.clear();
    listedKind_ = -1;
    Changed();
    if (mainWindow_ != nullptr) mainWindow_->ShowAfterRestore();
}

void RestoreModel::Busy(bool busy) {
    if (busy) {
        screen_.busy.Show();
    } else {
        screen_.busy.Hide();
    }
    Changed(busy);
}

void RestoreModel::ClearSelection() {
    screen_.selectedRow = -1;
    Changed();
}

void RestoreModel::Changed(bool repaintNow) {
    if (observer_) observer_(repaintNow);
}

}  // namespace corvane
