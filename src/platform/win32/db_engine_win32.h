#pragma once
#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/db_engine.h"
#include "platform/engine_deadline.h"
#include "platform/win32/com.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/handles.h"
#include "platform/win32/message_filter.h"

namespace corvane::win32 {

// The database application object, whose DBEngine compacts the databases.
inline constexpr CLSID kApplicationClsid = {
    0x73A4C9C1, 0xD68D, 0x11D0, {0x98, 0xBF, 0x00, 0xA0, 0xC9, 0x0D, 0xC8, 0xD9}};
// DAO 3.6's DBEngine, asked for the extra repair of one kind of database.
inline constexpr CLSID kSecondEngineClsid = {
    0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

// Creates a COM object and hands out its IDispatch.
using DispatchCreator = std::function<HRESULT(const CLSID& clsid, IDispatch** object)>;

// CoCreateInstance in any context (Access runs out of process, DAO in process).
HRESULT CreateDispatchObject(const CLSID& clsid, IDispatch** object);

// The engine through COM late binding, so the program runs with whichever
// version is installed. COM must be initialised on the calling thread (single-
// threaded apartment), and every call made from that thread. A call may take
// minutes on a large database; the caller shows why first.
//
// The application object runs in a process of its own on a venue's machine:
// when a call finds that process gone, the objects are let go and the next
// call creates the application anew (Version, which changes nothing, tries
// once more at once).
//
// Every call to it has a deadline (EngineDeadlines): past it the call is
// cancelled through the message filter and the application's process ended,
// the one whose id its window gave right after it was created, through a
// handle opened at once, so that no other process can ever be hit. DAO 3.6
// runs in this process: its calls cannot be cancelled.
class Win32DbEngine : public DbEngine {
public:
    explicit Win32DbEngine(DispatchCreator creator = CreateDispatchObject);
    Win32DbEngine(const Win32DbEngine&) = delete;
    Win32DbEngine& operator=(const Win32DbEngine&) = delete;
    // The last chance to let no engine process outlive the program; the
    // program's ends call Quit themselves and record a failure.
    ~Win32DbEngine() override;

    EngineStatus Version(std::string& version) override;
    EngineStatus RepairDatabase(const std::string& path) override;
    EngineStatus CompactDatabase(const std::string& source, const std::string& destination,
                                 const std::string& sourceLocale) override;
    EngineStatus SecondRepairDatabase(const std::string& path) override;
    EngineStatus Quit() override;

    void SetDeadlines(const EngineDeadlines& deadlines) { deadlines_ = deadlines; }

private:
    EngineStatus Engine();
    EngineStatus SecondEngine();
    EngineStatus ReadVersion(std::string& version);
    // Every outgoing call goes through here: it may run the message filter's
    // loop, where a close request can end the program.
    EngineStatus Call(EngineCallKind bound, IDispatch* object, const char* member, DispatchKind kind,
                      const std::vector<DispatchArg>& args = {}, UniqueVariant* result = nullptr);
    EngineStatus Create(const CLSID& clsid, ComPtr<IDispatch>& object);
    // The application's process, read from its window once it exists; why
    // not, when it cannot be, is kept for the note of a cancelled call.
    EngineStatus FindProcess();
    // At a call's deadline, from inside the call: the process is ended
    // (its end is what brings the call back under Wine).
    void Terminate();
    // After a cancelled call: the process ended, waited for, and its objects
    // let go.
    void EndProcess(EngineStatus& status);

    DispatchCreator creator_;
    EngineDeadlines deadlines_;
    CallMessageFilter filter_;
    CallDeadline deadline_;
    // The application's process, or why it is not known.
    UniqueHandle process_;
    // Read from the window, not the handle: the handle is opened with the
    // rights to end and wait only.
    DWORD processId_ = 0;
    std::string processUnknown_;
    bool terminated_ = false;
    DWORD terminateError_ = 0;
    bool calling_ = false;
    ComPtr<IDispatch> application_;
    ComPtr<IDispatch> engine_;
    ComPtr<IDispatch> secondEngine_;
};

}  // namespace corvane::win32
