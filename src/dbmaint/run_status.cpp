#include "dbmaint/run_status.h"

namespace corvane {
namespace {

std::string Doing(const char* verb, const RunStatus& status) {
    std::string line = std::string(verb) + " " + status.kind;
    if (status.total > 0) line += " (" + std::to_string(status.place) + " de " + std::to_string(status.total) + ")";
    return line;
}

}  // namespace

std::string StatusLine(const RunStatus& status) {
    switch (status.action) {
        case RunAction::None: return {};
        case RunAction::Compacting: return Doing("Compactando", status);
        case RunAction::Repairing: return Doing("Reparando", status);
        case RunAction::Restoring: return Doing("Restaurando", status);
        case RunAction::StartingEngine: return "Iniciando el motor de bases de datos...";
        case RunAction::Waiting: {
            std::string line = "Esperando " + status.kind + ": " + std::to_string(status.secondsWaited) + " s";
            for (std::size_t i = 0; i < status.holders.size(); ++i) {
                line += (i == 0 ? ", en uso en " : ", ") + status.holders[i];
            }
            return line;
        }
    }
    return {};
}

}  // namespace corvane
