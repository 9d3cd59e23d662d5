#include "dbmaint/run_records.h"

#include "dbmaint/database_size.h"

namespace corvane {
namespace {

struct Verbs {
    const char* done;
    const char* failed;
    const char* skipped;
};

const Verbs& VerbsOf(RunAction action) {
    static const Verbs kCompaction{"compactada", "ERROR al compactar", "sin compactar"};
    static const Verbs kRepair{"reparada", "ERROR al reparar", "sin reparar"};
    return action == RunAction::Repairing ? kRepair : kCompaction;
}

std::string WaitText(const RunStatus& wait) {
    if (wait.action != RunAction::Waiting) return {};
    std::string text = ", tras esperar " + std::to_string(wait.secondsWaited) + " s";
    for (std::size_t i = 0; i < wait.holders.size(); ++i) text += (i == 0 ? " (en uso en " : ", ") + wait.holders[i];
    if (!wait.holders.empty()) text += ")";
    return text;
}

// A reason may be a message box's text: the log keeps one record a line.
std::string WithReason(const std::string& reason) {
    std::string line;
    for (const char c : reason) {
        if (c != '\r' && c != '\n') {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line.empty() ? std::string() : ": " + line;
}

}  // namespace

std::string RowRecordText(const RowRecord& row) {
    const Verbs& verbs = VerbsOf(row.action);
    const std::string seconds = std::to_string(row.seconds) + " s";
    switch (row.end) {
        case RowEnd::Done: {
            std::string text = row.name + ": " + verbs.done + ", " + MegabytesText(row.before) + " -> " +
                               MegabytesText(row.after);
            if (row.before && row.after) {
                if (const std::string change = ChangeText(*row.before, *row.after); !change.empty()) {
                    text += " (" + change + ")";
                }
            }
            return text + ", " + seconds + WaitText(row.wait);
        }
        case RowEnd::Failed:
            return row.name + ": " + verbs.failed + ", " + MegabytesText(row.after) + ", " + seconds +
                   WaitText(row.wait) + WithReason(row.reason);
        case RowEnd::Skipped:
            return row.name + ": " + verbs.skipped + ", " + MegabytesText(row.after) + WaitText(row.wait) +
                   WithReason(row.reason);
    }
    return row.name;
}

std::string RestoreRecordText(const RestoreRecord& record) {
    const std::string head = record.name + ": ";
    switch (record.end) {
        case RestoreEnd::Restored:
            return head + "restaurada la copia " + record.backupPath + " sobre " + record.livePath + ", " +
                   MegabytesText(record.size) + "; la anterior " +
                   (record.keptPath.empty() ? "no se pudo guardar" : "quedo guardada como " + record.keptPath);
        case RestoreEnd::Refused:
            return head + "copia rechazada " + record.backupPath + WithReason(record.reason);
        case RestoreEnd::Failed:
            return head + "ERROR al restaurar la copia " + record.backupPath + " sobre " + record.livePath +
                   WithReason(record.reason);
        case RestoreEnd::ProgramEnding:
            return head + "sin restaurar la copia " + record.backupPath + ": el programa se cerro durante la espera";
    }
    return head;
}

std::string LimitRecordText(const LargeDatabase& database) {
    return "AVISO " + database.name + ": " + MegabytesText(database.size) +
           ", pasa de las tres cuartas partes del limite de 2 GB de Access";
}

std::string LimitBoxText(const std::vector<LargeDatabase>& databases) {
    std::string text = "Estas Bases de Datos se Acercan al Limite de 2 GB de Access:\r\r";
    for (const LargeDatabase& database : databases) {
        text += database.name + ": " + MegabytesText(database.size) + "\r";
    }
    return text +
           "\rAccess no deja que una base pase de 2 GB: al llegar, el motor rechaza las escrituras "
           "y la compactacion falla.\r\r"
           "Hay que achicarla pronto: archivar o borrar los datos viejos desde el programa de gestion "
           "y volver a compactar. Si no baja, avisar al soporte antes de que llegue al limite.\r\r"
           "Queda anotado en Corvane.log.";
}

}  // namespace corvane
