#include "dbmaint/repair_request.h"

#include "app/state.h"
#include "dbmaint/db_repair.h"
#include "dbmaint/shared_drive.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace corvane {
namespace {

Answer Ask(AppContext& context, const std::string& title, const std::string& text, int defaultButton) {
    MessageBoxRequest request;
    request.title = title;
    request.text = text;
    request.buttons = Buttons::YesNo;
    request.icon = Icon::Question;
    request.defaultButton = defaultButton;
    request.foreground = true;
    return context.dialogs.Show(request);
}

}  // namespace

void LBLDBREPAIRFG_Click(DatabaseRun& run) {
    AppContext& context = run.context;
    ProgramState& state = context.state;
    run.window.ShowBusy();
    for (;;) {
        FindSharedDrive(context);
        if (!state.sharedDriveRoot.empty()) {
            DBRepair(run);
            break;
        }
        const Answer retry = Ask(context, "ATENCION!!!",
                                 "NO Hay Conexion con la Maquina '" + state.mainMachineName + "'!!!\r" +
                                     "Intentamos de Nuevo?",
                                 2);
        if (retry == Answer::Yes) continue;
        // The name, not the developer flag: a developer who chose to act as
        // "Monitor" at start-up is no longer offered a local run.
        if (NameHasDevMarker(state)) {
            if (Ask(context, ":)", "Rodamos en Modo 'LOCAL'?", 1) != Answer::Yes) {
                context.process.End(0);
                return;
            }
            state.sharedDriveRoot = "D:";
            DBRepair(run);
        }
        break;
    }
    run.window.HideBusy();
}

}  // namespace corvane
