#include "dbmaint/db_repair.h"

#include "app/debug_log.h"
#include "app/program.h"
#include "dbmaint/db_compact.h"
#include "dbmaint/run_frame.h"
#include "dbmaint/run_history.h"
#include "dbmaint/shared_drive.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace corvane {
namespace {

struct DuplicateTexts {
    const char* lead;     // before the number
    const char* heading;  // after it, up to the line end
    const char* rule;
    const char* repeated;
    const char* title;
};

constexpr DuplicateTexts kSpanish{"Hay ", " Bases de Datos Repetidas en ",
                                  "Hay Que Rodar el Programa con UNA Base de Datos de Cada Tipo SOLA.", "Repetidas:",
                                  "ATENCION!!!"};
constexpr DuplicateTexts kPortuguese{"Ha ", " Bases de Dados Repetidas em ",
                                     "Tem Que Rodar o Programa com UMA Base de Dados de Cada Tipo SO.", "Repetidas:",
                                     "ATENÇÃO!!!"};
constexpr DuplicateTexts kEnglish{"There are ", " DataBases Repeated in ",
                                  "This Program Runs with ONLY ONE DataBase of each Type.", "Repeated:",
                                  "ATENTION!!!"};

std::string Heading(const DuplicateTexts& texts, int total) {
    return texts.lead + std::to_string(total) + texts.heading;
}

std::string Head(const DuplicateTexts& texts, int total, const std::string& folder) {
    return Heading(texts, total) + "\r" + folder + "\\\r\r" + texts.rule + "\r\r\r" + texts.repeated;
}

void ShowEngineMissing(AppContext& context, const Status& failure) {
    Tell(context.dialogs, "ATENCION!!!",
         "No se Puede Usar el Motor de Bases de Datos!!!\r\r"
         "Microsoft Access (con su motor DAO 3.6) no esta instalado en este equipo, o no arranca.\r"
         "Hay Que Instalarlo, o Rodar el Programa en la Maquina que lo Tiene.\r\r" +
             EngineErrorText(failure) + "\r\rNo se ha tocado ninguna base de datos.",
         Icon::Stop);
    AppendDebugLine(context, "DBRepair: motor " + failure.where + " " + failure.Describe());
}

}  // namespace

DuplicateMessage DuplicateMessageFor(const std::string& languageCode, const std::string& folder,
                                     const Duplicates& duplicates) {
    DuplicateMessage message;
    if (languageCode == "1" || languageCode == "2" || languageCode == "3") {
        const DuplicateTexts& texts =
            languageCode == "1" ? kSpanish : languageCode == "2" ? kPortuguese : kEnglish;
        message.title = texts.title;
        message.text = Head(texts, duplicates.total, folder);
    } else {
        // No language chosen yet: every reader finds their own.
        const DuplicateTexts* all[] = {&kSpanish, &kPortuguese, &kEnglish};
        for (const DuplicateTexts* texts : all) message.text += Heading(*texts, duplicates.total) + "\r";
        message.text += folder + "\\\r\r";
        for (const DuplicateTexts* texts : all) message.text += std::string(texts->rule) + "\r";
        message.text += "\r\r";
        message.text += std::string(kSpanish.repeated) + "\r" + kPortuguese.repeated + "\r" + kEnglish.repeated;
        message.title = std::string(kSpanish.title) + "  -  " + kPortuguese.title + "  -  " + kEnglish.title;
    }
    message.text += "\r\r" + duplicates.repeatedFiles;
    return message;
}

RepairOutcome DBRepair(DatabaseRun& run) {
    AppContext& context = run.context;
    const std::string& folder = context.state.sharedDataFolderPath;

    std::vector<FileEntry> files;
    if (const Status listed = context.files.ListFiles(folder, files); !listed) {
        // The root found earlier may have gone away since (the main machine
        // switched off, the share removed): say so and let the user try again.
        Tell(context.dialogs, "ATENCION!!!", UnreadableFolderText(folder, listed), Icon::Stop);
        AppendDebugLine(context, "DBRepair: " + folder + " " + listed.Describe());
        return RepairOutcome::FolderUnreadable;
    }

    const FolderScan scan = ScanFiles(files);
    if (const Duplicates duplicates = FindDuplicates(scan); duplicates.total > 0) {
        const DuplicateMessage message = DuplicateMessageFor(context.state.uiLanguageCode, folder, duplicates);
        Tell(context.dialogs, message.title, message.text, Icon::Stop);
        context.process.End(0);
        return RepairOutcome::Duplicates;
    }

    // Held by the run's frame for the rows, and let go before their result boxes.
    const RunLockTaken taken = run.frame.TakeLock(folder, run.kind);
    if (taken.end != RunLockEnd::Held) {
        Tell(context.dialogs, "ATENCION!!!", taken.message, Icon::Stop);
        return taken.end == RunLockEnd::HeldElsewhere ? RepairOutcome::AnotherRunning
                                                      : RepairOutcome::RunLockFailed;
    }

    int found = 0;
    for (const std::string& path : scan.paths) found += path.empty() ? 0 : 1;
    AppendDebugLine(context, "DBRepair: " + std::to_string(found) + " bases de datos en " + folder);

    // Asked before any database is touched: without the engine nothing can
    // be done, and nothing must be half done.
    std::string version;
    // The first call starts the database application when it is not running.
    run.progress.SetStatus({RunAction::StartingEngine});
    if (const EngineStatus started = run.engine.Version(version); !started) {
        run.frame.ReleaseLock();
        ShowEngineMissing(context, started.status);
        return RepairOutcome::EngineMissing;
    }
    AppendDebugLine(context, "DBRepair: motor " + version + ", " + folder);
    RunResult result = version == "3.6" ? DBCOMPACT40(run, folder, scan) : RepairSequence(run, scan);
    if (result.repairUnsupported) {
        // Engines newer than DAO 3.6 answer another version and have no
        // repair; their compaction repairs as well, so the run is not lost.
        const std::string why = "El motor " + version + " no repara bases de datos (" +
                                EngineErrorText(*result.repairUnsupported) + "): se compactan";
        AppendDebugLine(context, "DBRepair: " + why);
        run.history.Note(why);
        result = DBCOMPACT40(run, folder, scan, CompactionRows::WithRepairedOnly);
    }
    run.frame.ReleaseLock();
    for (const std::string& box : result.closingBoxes) Tell(context.dialogs, kAppTitle, box);
    if (result.programEnding) return RepairOutcome::ProgramEnding;
    if (result.failed > 0) return RepairOutcome::SomeFailed;
    return result.done > 0 ? RepairOutcome::AllDone : RepairOutcome::NothingFound;
}

}  // namespace corvane
