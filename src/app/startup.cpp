#include "app/startup.h"

#include "app/build_config.h"
#include "app/debug_log.h"
#include "app/language_store.h"
#include "app/main_machine.h"
#include "app/platform_detect.h"
#include "app/program.h"
#include "base/text.h"
#include "base/text_file.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/instance.h"
#include "platform/system_info.h"

namespace corvane {
namespace {

Answer AskDeveloper(AppContext& context, const std::string& text) {
    return Ask(context.dialogs, "Pregunta", text, 1, Buttons::YesNoCancel);
}

}  // namespace

void SetVersionTexts(ProgramState& state, int major, int minor, int revision) {
    state.versionString = VersionString(major, minor, revision);
    state.shortVersion = std::to_string(major);
    state.versionTitle = "(" + state.versionString + ")(" + state.platformLabel + ")";
}

bool AskDeveloperQuestions(AppContext& context) {
    const std::string cr2 = "\r\r";
    switch (AskDeveloper(context, "Usamos el Nombre Original de esta Maquina?" + cr2 + context.state.computerName)) {
        case Answer::Yes: return true;
        case Answer::No: break;
        default: return false;
    }
    switch (AskDeveloper(context, "Usamos la Maquina con el Nombre" + cr2 + "'Monitor'?")) {
        case Answer::Yes: context.state.computerName = "Monitor"; return true;
        case Answer::No: break;
        default: return false;
    }
    if (AskDeveloper(context, "Usamos la Maquina con Otro Nombre?" + cr2 + "'PoS1'") == Answer::Yes) {
        context.state.computerName = "PoS1";
        return true;
    }
    return false;
}

std::string ReadMainMachineName(AppContext& context) {
    const std::string path = JoinPath(context.programFolder, kMainMachineFile);
    if (!context.files.Exists(path)) return kDefaultMainMachine;

    std::string text;
    if (const Status status = context.files.ReadText(path, kHandWrittenFileBytes, text); !status) {
        AppendDebugLine(context, std::string(kMainMachineFile) + ": no se pudo leer (" + status.where + " " +
                                     std::to_string(status.code) + "), se usa " + kDefaultMainMachine);
        return kDefaultMainMachine;
    }
    std::string name;
    for (const std::string& item : ParseOrdItems(text)) name = DecipherOrdItem(item);
    if (name.empty()) {
        AppendDebugLine(context, std::string(kMainMachineFile) + ": sin nombre, se usa " + kDefaultMainMachine);
        return kDefaultMainMachine;
    }
    // The name becomes a path where databases are deleted, renamed and
    // written: "SRV\C$\Windows" or ".." must never get that far.
    if (!IsComputerName(name)) {
        Tell(context.dialogs, "ATENCION!!!",
             "El Archivo\r" + path + "\rNo Tiene un Nombre de Maquina Valido:\r\r'" + ShownName(name) +
                 "'\r\rSe Usa '" + kDefaultMainMachine + "'.",
             Icon::Stop, true);
        AppendDebugLine(context, std::string(kMainMachineFile) + ": nombre no valido, se usa " + kDefaultMainMachine);
        return kDefaultMainMachine;
    }
    return name;
}

bool CheckRunLocation(AppContext& context) {
    const std::string& folder = context.programFolder;
    if (Contains(folder, "\\\\")) {
        Tell(context.dialogs, "ATENCION!", ":(\r\rEsta Aplicacion NO se Debe Rodar desde la Red!!!", Icon::Stop);
        return false;
    }
    if (UpperCase(folder.substr(0, 2)) == "C:" && context.state.platformCode == "6") {
        Tell(context.dialogs, ":)", "En Win1X Hay que rodar desde otro lugar que no sea el 'C:\\'", Icon::Question);
        return false;
    }
    return true;
}

StartupOutcome RunStartup(AppContext& context, StartupMode mode) {
    ProgramState& state = context.state;

    state.uiLanguageCode = LoadUiLanguageCode(context);
    ProbeSystemFolders(context);
    SetVersionTexts(state, build::kVersionMajor, build::kVersionMinor, build::kVersionRevision);
    state.devMachineFlag.clear();
    state.computerName = UpperCase(context.system.ComputerName());
    state.devMachineMarker = kDevMachineMarker;
    StartDebugLog(context);

    // A window left open, or a copy in another session, must not cost the
    // night: the run nobody watches never looks for another copy. One that
    // finds no window to raise (the nightly run has none) goes on as the
    // only one; the run lock keeps its work apart from any other run.
    if (mode == StartupMode::Window && context.instance.AnotherIsRunning()) {
        if (context.instance.ActivatePrevious(kAppTitle)) return StartupOutcome::EndProgram;
        AppendDebugLine(context, "ActivatePrevInstance");
    }

    if (NameHasDevMarker(state)) {
        state.devMachineFlag = "YES";
        if (!AskDeveloperQuestions(context)) return StartupOutcome::EndProgram;
    }

    state.mainMachineName = ReadMainMachineName(context);
    state.sharedDataFolderPath = SharedFolder(state);

    if (state.platformCode.empty()) ClassifyWindowsVersion(context);
    if (!CheckRunLocation(context)) return StartupOutcome::EndProgram;
    return StartupOutcome::ShowMainWindow;
}

}  // namespace corvane
