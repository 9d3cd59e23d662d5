#include "app/unattended.h"

#include "app/command_line.h"

namespace corvane {

Answer UnattendedDialogs::Show(const MessageBoxRequest& request) {
    const bool question = request.buttons != Buttons::Ok;
    const Answer answer = question ? Answer::No : Answer::Ok;
    log_.Record((question ? "Pregunta \"" : "Mensaje \"") + request.title + "\": " + request.text +
                (question ? "\r-> No" : ""));
    return answer;
}

void UnattendedProcess::End(int) {
    log_.Record(EndRecord(kExitNothingDone));
    real_.End(kExitNothingDone);
}

std::string EndRecord(int exitCode) {
    const char* meaning = "";
    switch (exitCode) {
        case kExitDone: meaning = "todas las bases reparadas o compactadas"; break;
        case kExitSomeFailed: meaning = "alguna base fallo"; break;
        case kExitNothingDone: meaning = "no se hizo nada"; break;
        case kExitAnotherRunning: meaning = "ya hay otra copia en marcha"; break;
        case kExitInterrupted: meaning = "interrumpido"; break;
        case kExitUsage: meaning = "uso incorrecto"; break;
        default: break;
    }
    return "Fin: " + std::string(meaning) + " (codigo de salida " + std::to_string(exitCode) + ")";
}

}  // namespace corvane
