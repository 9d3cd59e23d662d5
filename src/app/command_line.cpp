#include "app/command_line.h"

#include "base/text.h"

namespace corvane {

Invocation ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return Invocation::Window;
    if (arguments.size() > 1) return Invocation::UsageError;
    const std::string& argument = arguments.front();
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return Invocation::UsageError;
    const std::string name = UpperCase(argument.substr(1));
    if (name == "REPARAR") return Invocation::Repair;
    if (name == "?") return Invocation::Usage;
    return Invocation::UsageError;
}

const std::vector<std::string>& UsageLines() {
    static const std::vector<std::string> lines = {
        "Uso: Corvane.exe [/reparar | /?]",
        "",
        "  (sin argumentos)  abre la ventana principal",
        "  /reparar          repara o compacta todas las bases de datos sin preguntar",
        "                    nada y sin ventana (para el Programador de tareas)",
        "  /?                muestra este texto",
        "",
        "Codigos de salida: 0 todo bien, 1 alguna base fallo, 2 no se hizo nada,",
        "3 otra ejecucion trabaja en las bases, 4 interrumpido (se pidio cerrar",
        "el programa), 64 uso incorrecto.",
        "El registro de cada ejecucion queda en Corvane.log, junto al programa.",
    };
    return lines;
}

}  // namespace corvane
