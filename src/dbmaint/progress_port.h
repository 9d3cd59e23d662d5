#pragma once
#include <string>

namespace corvane {

// The busy overlay of whichever screen is showing (the main window during a
// repair run, the restore screen during a restore): one status line under the
// sand clock, so a long compaction or a wait on a lock file is seen as work,
// not as a hang. The screen's model implements it; tests pass a recording fake.
class ProgressPort {
public:
    virtual ~ProgressPort() = default;

    // "Compactando Keystone (3 de 9)", "Esperando Keystone: 23 s, en uso en POS1".
    virtual void SetStatus(const std::string& line) = 0;
    // 0 to 100, of the file copy that is running.
    virtual void SetCopyProgress(int percent) = 0;
    // The database application is being started: the first start of the
    // real one can take ten seconds and more, behind a sand clock alone.
    virtual void EngineStarting() { SetStatus("Iniciando el motor de bases de datos..."); }
};

}  // namespace corvane
