#include "app/command_line.h"

#include <string_view>

#include "base/text.h"

namespace corvane {

namespace {

// The switch's name in capitals, without its "/" or "-"; empty when it is none.
std::string SwitchName(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return {};
    return UpperCase(argument.substr(1));
}

// "LIMITE:MIN" with MIN a whole number of minutes in bounds; 0 otherwise.
int LimitMinutes(const std::string& name) {
    constexpr std::string_view kPrefix = "LIMITE:";
    if (name.compare(0, kPrefix.size(), kPrefix) != 0) return 0;
    const std::string digits = name.substr(kPrefix.size());
    // Four digits at most: no overflow, and anything longer is out of bounds.
    if (digits.empty() || digits.size() > 4) return 0;
    int minutes = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') return 0;
        minutes = minutes * 10 + (digit - '0');
    }
    return minutes >= kMinLimitMinutes && minutes <= kMaxLimitMinutes ? minutes : 0;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    const CommandLine error{Invocation::UsageError};
    if (arguments.size() > 2) return error;
    const std::string first = SwitchName(arguments.front());
    if (arguments.size() == 1) {
        if (first == "REPARAR") return {Invocation::Repair};
        if (first == "?") return {Invocation::Usage};
        return error;
    }
    const std::string second = SwitchName(arguments.back());
    const std::string& limit = first == "REPARAR" ? second : first;
    if ((first == "REPARAR") == (second == "REPARAR")) return error;
    const int minutes = LimitMinutes(limit);
    if (minutes == 0) return error;
    return {Invocation::Repair, minutes};
}

const std::vector<std::string>& UsageLines() {
    static const std::vector<std::string> lines = {
        "Uso: Corvane.exe [/reparar [/limite:MIN] | /?]",
        "",
        "  (sin argumentos)  abre la ventana principal",
        "  /reparar          repara o compacta todas las bases de datos sin preguntar",
        "                    nada y sin ventana (para el Programador de tareas)",
        "  /limite:MIN       con /reparar: minutos que puede tardar el motor en compactar",
        "                    o reparar una base (1 a 600, 30 si no se da); pasado ese",
        "                    tiempo se cancela, se cierra el motor y se sigue con la",
        "                    siguiente",
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
