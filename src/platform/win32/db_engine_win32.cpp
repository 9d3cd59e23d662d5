#include "platform/win32/db_engine_win32.h"

#include "platform/win32/system_error.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

// Quit's option acQuitSaveNone: nothing of the application's own is saved.
constexpr long kQuitSaveNone = 2;

EngineStatus Missing(HRESULT result, const char* where) {
    const auto code = static_cast<unsigned long>(result);
    return EngineStatus::Fail(EngineFault::Missing, code, where, SystemErrorText(code));
}

// How long an ended process is waited for.
constexpr DWORD kEndWaitMs = 30 * 1000;

// One outgoing call held to its deadline: the engine marked busy, the filter
// registered, bound and woken every second for the call's life, whichever
// way it ends.
class BoundCall {
public:
    BoundCall(bool& calling, CallMessageFilter& filter, CallDeadline& deadline, long long limitMs, long long busyMs,
              std::function<void()> atDeadline = {})
        : calling_(calling), filter_(filter), deadline_(deadline), registered_(filter) {
        calling_ = true;
        deadline_.Start(TickNow(), limitMs, busyMs);
        filter_.Bound(deadline_, ticker_.Window(), std::move(atDeadline));
    }
    BoundCall(const BoundCall&) = delete;
    BoundCall& operator=(const BoundCall&) = delete;
    ~BoundCall() {
        filter_.Unbound();
        deadline_.Stop();
        calling_ = false;
    }

private:
    bool& calling_;
    CallMessageFilter& filter_;
    CallDeadline& deadline_;
    CallTicker ticker_;
    ScopedMessageFilter registered_;
};

std::string Hex(unsigned long value) {
    char text[16];
    ::wsprintfA(text, "0x%08lX", value);
    return text;
}

}  // namespace

HRESULT CreateDispatchObject(const CLSID& clsid, IDispatch** object) {
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(object));
}

Win32DbEngine::Win32DbEngine(DispatchCreator creator) : creator_(std::move(creator)) {}

Win32DbEngine::~Win32DbEngine() { static_cast<void>(Quit()); }

EngineStatus Win32DbEngine::Call(EngineCallKind bound, IDispatch* object, const char* member, DispatchKind kind,
                                 const std::vector<DispatchArg>& args, UniqueVariant* result) {
    const long long limit = deadlines_.For(bound);
    EngineStatus status;
    {
        const BoundCall call(calling_, filter_, deadline_, limit, deadlines_.busyMs, [this] { Terminate(); });
        status = InvokeMember(object, member, kind, args, result);
    }
    // A server that answers late is still an answer; only a call that did
    // not come back is the engine not answering.
    if (!status && (deadline_.ExpiredSeen() || deadline_.BusyGaveUp() ||
                    status.status.code == static_cast<unsigned long>(RPC_E_CALL_CANCELED))) {
        // Cancelled at the deadline, the call answers RPC_E_CALL_CANCELED on
        // Windows; under Wine 8 it answers RPC_S_CALL_FAILED once the server
        // has been ended: the row reads the same either way.
        const bool busy = deadline_.BusyGaveUp() && !deadline_.ExpiredSeen();
        const auto code = busy ? status.status.code : static_cast<unsigned long>(RPC_E_CALL_CANCELED);
        status = NoAnswer(code, member, limit, busy);
        EndProcess(status);
    } else if (status.fault == EngineFault::ServerGone) {
        // Its proxies only answer that the server is gone; releasing them is safe.
        engine_.Reset();
        application_.Reset();
        process_.Reset();
    }
    return status;
}

EngineStatus Win32DbEngine::Create(const CLSID& clsid, ComPtr<IDispatch>& object) {
    const long long started = TickNow();
    HRESULT created = S_OK;
    {
        // A local server may take many seconds to start.
        const BoundCall call(calling_, filter_, deadline_, deadlines_.controlMs, deadlines_.busyMs);
        created = creator_(clsid, object.Receive());
    }
    if (FAILED(created)) {
        object.Reset();
        // Whatever the activation answers once the bound has passed, the
        // engine did not start in time.
        if (deadline_.ExpiredSeen() || TickNow() - started >= deadlines_.controlMs) {
            return NoAnswer(static_cast<unsigned long>(created), "CoCreateInstance", deadlines_.controlMs, false);
        }
        return Missing(created, "CoCreateInstance");
    }
    if (!object) return Missing(E_POINTER, "CoCreateInstance");
    return EngineStatus::Ok();
}

EngineStatus Win32DbEngine::FindProcess() {
    process_.Reset();
    processId_ = 0;
    processUnknown_ = "hWndAccessApp sin respuesta";
    UniqueVariant value;
    const EngineStatus read =
        Call(EngineCallKind::Control, application_.Get(), "hWndAccessApp", DispatchKind::PropertyGet, {}, &value);
    if (!read) {
        processUnknown_ = "hWndAccessApp " + read.status.Describe();
        return read;
    }
    HRESULT changed = ::VariantChangeType(&value.Get(), &value.Get(), 0, VT_I8);
    if (FAILED(changed)) {
        processUnknown_ = "hWndAccessApp " + Hex(static_cast<unsigned long>(changed));
        return EngineStatus::Ok();
    }
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(value.Get().llVal));
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    if (id == 0) {
        processUnknown_ = "la ventana del motor (hWndAccessApp) no existe";
        return EngineStatus::Ok();
    }
    if (id == ::GetCurrentProcessId()) {
        processUnknown_ = "el motor corre dentro de este programa";
        return EngineStatus::Ok();
    }
    UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) {
        processUnknown_ = "OpenProcess " + std::to_string(id) + " error " + std::to_string(::GetLastError());
        return EngineStatus::Ok();
    }
    // The window still there, still its: the handle is that process's and
    // no other's, whatever becomes of the id.
    DWORD again = 0;
    ::GetWindowThreadProcessId(window, &again);
    if (again != id) {
        processUnknown_ = "la ventana del motor cambio de proceso";
        return EngineStatus::Ok();
    }
    process_ = std::move(process);
    processId_ = id;
    processUnknown_.clear();
    return EngineStatus::Ok();
}

void Win32DbEngine::Terminate() {
    if (!process_ || terminated_) return;
    terminated_ = true;
    // Access denied also answers a process that is already ending.
    if (!::TerminateProcess(process_.Get(), 1) && ::GetLastError() != ERROR_ACCESS_DENIED) {
        terminateError_ = ::GetLastError();
    }
}

void Win32DbEngine::EndProcess(EngineStatus& status) {
    bool ended = false;
    Terminate();
    terminated_ = false;
    if (!process_) {
        status.note = "el motor no respondio y su proceso no se pudo terminar: " + processUnknown_;
    } else if (terminateError_ != 0) {
        status.note = "TerminateProcess " + std::to_string(processId_) + " error " + std::to_string(terminateError_);
        terminateError_ = 0;
    } else if (::WaitForSingleObject(process_.Get(), kEndWaitMs) != WAIT_OBJECT_0) {
        status.note = "el proceso " + std::to_string(processId_) + " del motor no termino en " +
                      std::to_string(kEndWaitMs / 1000) + " s";
    } else {
        ended = true;
        status.note = "se termino el proceso " + std::to_string(processId_) + " del motor";
    }
    process_.Reset();
    if (ended) {
        engine_.Reset();
        application_.Reset();
        return;
    }
    // A server still there would hold a release as it held the call.
    engine_.Abandon();
    application_.Abandon();
}

EngineStatus Win32DbEngine::Engine() {
    if (engine_) return EngineStatus::Ok();
    if (!application_) {
        if (EngineStatus created = Create(kApplicationClsid, application_); !created) return created;
        // Right after the creation: the only process this program may end.
        // A server that does not answer this, or is gone, is of no use.
        if (EngineStatus found = FindProcess(); !application_) return found;
    }
    UniqueVariant value;
    EngineStatus read =
        Call(EngineCallKind::Control, application_.Get(), "DBEngine", DispatchKind::PropertyGet, {}, &value);
    if (read) {
        // VT_UNKNOWN is asked for IDispatch; anything else is no engine.
        const HRESULT changed = ::VariantChangeType(&value.Get(), &value.Get(), 0, VT_DISPATCH);
        if (FAILED(changed)) {
            read = Missing(changed, "DBEngine");
        } else if (value.Get().pdispVal == nullptr) {
            read = Missing(E_POINTER, "DBEngine");
        }
    }
    if (!read) {
        // An application that cannot give its engine is of no use; the next
        // attempt starts from a new one (the old server may have died).
        application_.Reset();
        if (read.fault != EngineFault::ServerGone && read.fault != EngineFault::TimedOut) {
            read.fault = EngineFault::Missing;
        }
        return read;
    }
    engine_ = ComPtr<IDispatch>::Share(value.Get().pdispVal);
    return EngineStatus::Ok();
}

EngineStatus Win32DbEngine::SecondEngine() {
    if (secondEngine_) return EngineStatus::Ok();
    return Create(kSecondEngineClsid, secondEngine_);
}

EngineStatus Win32DbEngine::Version(std::string& version) {
    EngineStatus read = ReadVersion(version);
    // A server that ended since the last run (closed by hand, crashed) is
    // started anew, once: nothing has been asked of it yet.
    if (read.fault == EngineFault::ServerGone) read = ReadVersion(version);
    return read;
}

EngineStatus Win32DbEngine::ReadVersion(std::string& version) {
    if (EngineStatus ready = Engine(); !ready) return ready;
    UniqueVariant value;
    if (EngineStatus read =
            Call(EngineCallKind::Control, engine_.Get(), "Version", DispatchKind::PropertyGet, {}, &value);
        !read) {
        return read;
    }
    // A number would otherwise be written with the user's decimal comma.
    const HRESULT changed = ::VariantChangeTypeEx(&value.Get(), &value.Get(), LOCALE_INVARIANT, 0, VT_BSTR);
    if (FAILED(changed)) {
        const auto code = static_cast<unsigned long>(changed);
        return EngineStatus::Fail(EngineFault::Failed, code, "Version", SystemErrorText(code));
    }
    const BSTR text = value.Get().bstrVal;
    version = text == nullptr ? std::string() : Narrow(std::wstring(text, ::SysStringLen(text)));
    return EngineStatus::Ok();
}

EngineStatus Win32DbEngine::RepairDatabase(const std::string& path) {
    if (EngineStatus ready = Engine(); !ready) return ready;
    return Call(EngineCallKind::Work, engine_.Get(), "RepairDatabase", DispatchKind::Method,
                {DispatchArg::Text(path)});
}

EngineStatus Win32DbEngine::CompactDatabase(const std::string& source, const std::string& destination,
                                            const std::string& sourceLocale) {
    if (EngineStatus ready = Engine(); !ready) return ready;
    // CompactDatabase(SrcName, DstName, DstLocale, Options, SrcLocale): the
    // destination keeps the source's locale and the engine's default format.
    return Call(EngineCallKind::Work, engine_.Get(), "CompactDatabase", DispatchKind::Method,
                        {DispatchArg::Text(source), DispatchArg::Text(destination), DispatchArg::Missing(),
                         DispatchArg::Missing(), DispatchArg::Text(sourceLocale)});
}

EngineStatus Win32DbEngine::SecondRepairDatabase(const std::string& path) {
    if (EngineStatus ready = SecondEngine(); !ready) return ready;
    // In this process: no deadline can end it (the bound only wakes the filter).
    return Call(EngineCallKind::Work, secondEngine_.Get(), "RepairDatabase", DispatchKind::Method,
                {DispatchArg::Text(path)});
}

EngineStatus Win32DbEngine::Quit() {
    if (calling_) {
        // The server answers one call at a time: a Quit now would wait for
        // the call under way, and the program is ending at once.
        return EngineStatus::Fail(EngineFault::Failed, static_cast<unsigned long>(E_PENDING), "Quit",
                                  "una llamada al motor sigue en curso");
    }
    engine_.Reset();
    if (!application_) return EngineStatus::Ok();
    const EngineStatus quit = Call(EngineCallKind::Control, application_.Get(), "Quit", DispatchKind::Method,
                                   {DispatchArg::Number(kQuitSaveNone)});
    // Let go of whatever way the call ends: a later call starts a new one.
    application_.Reset();
    process_.Reset();
    return quit;
}

}  // namespace corvane::win32
