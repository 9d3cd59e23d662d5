#include "platform/win32/db_engine_win32.h"

#include "platform/win32/system_error.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

// Quit's option acQuitSaveNone: nothing of the application's own is saved.
constexpr long kQuitSaveNone = 2;

// Marks the engine busy for one outgoing call, whichever way it ends.
class CallUnderWay {
public:
    explicit CallUnderWay(bool& flag) : flag_(flag) { flag_ = true; }
    CallUnderWay(const CallUnderWay&) = delete;
    CallUnderWay& operator=(const CallUnderWay&) = delete;
    ~CallUnderWay() { flag_ = false; }

private:
    bool& flag_;
};

EngineStatus Missing(HRESULT result, const char* where) {
    const auto code = static_cast<unsigned long>(result);
    return EngineStatus::Fail(EngineFault::Missing, code, where, SystemErrorText(code));
}

// A creator that reports success must also have handed out an object.
EngineStatus Create(const DispatchCreator& creator, const CLSID& clsid, ComPtr<IDispatch>& object) {
    const HRESULT created = creator(clsid, object.Receive());
    if (FAILED(created)) {
        object.Reset();
        return Missing(created, "CoCreateInstance");
    }
    if (!object) return Missing(E_POINTER, "CoCreateInstance");
    return EngineStatus::Ok();
}

}  // namespace

HRESULT CreateDispatchObject(const CLSID& clsid, IDispatch** object) {
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(object));
}

Win32DbEngine::Win32DbEngine(DispatchCreator creator) : creator_(std::move(creator)) {}

Win32DbEngine::~Win32DbEngine() { static_cast<void>(Quit()); }

EngineStatus Win32DbEngine::Call(IDispatch* object, const char* member, DispatchKind kind,
                                 const std::vector<DispatchArg>& args, UniqueVariant* result) {
    EngineStatus status;
    {
        const CallUnderWay underWay(calling_);
        status = InvokeMember(object, member, kind, args, result);
    }
    if (status.fault == EngineFault::ServerGone) {
        // Its proxies only answer that the server is gone; releasing them is safe.
        engine_.Reset();
        application_.Reset();
    }
    return status;
}

EngineStatus Win32DbEngine::Engine() {
    if (engine_) return EngineStatus::Ok();
    if (!application_) {
        // A local server may take many seconds to start.
        const CallUnderWay underWay(calling_);
        if (EngineStatus created = Create(creator_, kApplicationClsid, application_); !created) return created;
    }
    UniqueVariant value;
    EngineStatus read = Call(application_.Get(), "DBEngine", DispatchKind::PropertyGet, {}, &value);
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
        if (read.fault != EngineFault::ServerGone) read.fault = EngineFault::Missing;
        return read;
    }
    engine_ = ComPtr<IDispatch>::Share(value.Get().pdispVal);
    return EngineStatus::Ok();
}

EngineStatus Win32DbEngine::SecondEngine() {
    if (secondEngine_) return EngineStatus::Ok();
    return Create(creator_, kSecondEngineClsid, secondEngine_);
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
    if (EngineStatus read = Call(engine_.Get(), "Version", DispatchKind::PropertyGet, {}, &value); !read) {
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
    return Call(engine_.Get(), "RepairDatabase", DispatchKind::Method, {DispatchArg::Text(path)});
}

EngineStatus Win32DbEngine::CompactDatabase(const std::string& source, const std::string& destination,
                                            const std::string& sourceLocale) {
    if (EngineStatus ready = Engine(); !ready) return ready;
    // CompactDatabase(SrcName, DstName, DstLocale, Options, SrcLocale): the
    // destination keeps the source's locale and the engine's default format.
    return Call(engine_.Get(), "CompactDatabase", DispatchKind::Method,
                        {DispatchArg::Text(source), DispatchArg::Text(destination), DispatchArg::Missing(),
                         DispatchArg::Missing(), DispatchArg::Text(sourceLocale)});
}

EngineStatus Win32DbEngine::SecondRepairDatabase(const std::string& path) {
    if (EngineStatus ready = SecondEngine(); !ready) return ready;
    return Call(secondEngine_.Get(), "RepairDatabase", DispatchKind::Method, {DispatchArg::Text(path)});
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
    // Let go of whatever way the call ends: a later call starts a new one.
    const ComPtr<IDispatch> application = std::move(application_);
    return Call(application.Get(), "Quit", DispatchKind::Method, {DispatchArg::Number(kQuitSaveNone)});
}

}  // namespace corvane::win32
