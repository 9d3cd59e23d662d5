#pragma once
#include <string>

#include "platform/status.h"

namespace corvane {

// How an engine call failed, as far as the run must tell the cases apart.
enum class EngineFault {
    None,
    // The engine's class is not registered or would not start: nothing can
    // be repaired or compacted on this machine.
    Missing,
    // The engine is there but does not offer the method (unknown name, not
    // a member, or DAO's "operation not supported", 3251).
    Unsupported,
    // The call ran and failed: the database is open elsewhere, the
    // destination exists, the file is damaged beyond repair...
    Failed,
    // The engine's process ended or lost its connection during the call (it
    // runs out of process on a venue's machine): what the call did is
    // unknown, and the next call starts a new application object.
    ServerGone,
    // The engine gave no answer within the call's bound, or stayed busy past
    // the busy bound: the call was cancelled and the engine's process ended
    // where it could be; the run treats it as a lost server.
    TimedOut,
};

// A failure carries the engine's own error number (DAO's, such as 3356, or
// the HRESULT when the engine gave none) and its description.
struct EngineStatus {
    EngineFault fault = EngineFault::None;
    Status status;
    // What the engine's end left to say beside the failure (a process that
    // could not be found or ended): for the history and the debug log.
    std::string note;

    static EngineStatus Ok() { return {}; }
    static EngineStatus Fail(EngineFault fault, unsigned long code, std::string where, std::string text) {
        return {fault, Status::Fail(code, std::move(where), std::move(text))};
    }
    explicit operator bool() const { return fault == EngineFault::None; }
};

// The installed database engine: the DBEngine of the database application
// object, created on first use and kept for the run, and a separate DAO 3.6
// DBEngine (the second engine), created when first needed and kept too.
class DbEngine {
public:
    virtual ~DbEngine() = default;

    // Creates the application object if need be and reads its engine's
    // version ("3.6" for the engine whose databases are compacted).
    virtual EngineStatus Version(std::string& version) = 0;
    virtual EngineStatus RepairDatabase(const std::string& path) = 0;
    // Destination locale and options are left out; sourceLocale is the
    // connect text ("MS Access;pwd=...").
    virtual EngineStatus CompactDatabase(const std::string& source, const std::string& destination,
                                         const std::string& sourceLocale) = 0;
    // RepairDatabase on the second engine.
    virtual EngineStatus SecondRepairDatabase(const std::string& path) = 0;
    // Asks the application object to quit, saving nothing, and lets it go,
    // so that no engine process outlives the program; nothing to do when none
    // was created. A call under way (a close request while the engine works)
    // cannot be interrupted: then nothing is asked and the failure says so.
    virtual EngineStatus Quit() = 0;
};

}  // namespace corvane
