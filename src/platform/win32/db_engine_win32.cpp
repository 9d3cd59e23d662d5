#include "platform/win32/db_engine_win32.h"

#include "platform/win32/dispatch.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

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

EngineStatus Win32DbEngine::Engine() {
    if (engine_) return EngineStatus::Ok();
    if (!application_) {
        if (EngineStatus created = Create(creator_, kApplicationClsid, application_); !created) return created;
    }
    UniqueVariant value;
    EngineStatus read = InvokeMember(application_.Get(), "DBEngine", DispatchKind::PropertyGet, {}, &value);
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
        read.fault = EngineFault::Missing;
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
    if (EngineStatus ready = Engine(); !ready) return ready;
    UniqueVariant value;
    if (EngineStatus read = InvokeMember(engine_.Get(), "Version", DispatchKind::PropertyGet, {}, &value); !read) {
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
    return InvokeMember(engine_.Get(), "RepairDatabase", DispatchKind::Method, {DispatchArg::Text(path)});
}

EngineStatus Win32DbEngine::CompactDatabase(const std::string& source, const std::string& destination,
                                            const std::string& sourceLocale) {
    if (EngineStatus ready = Engine(); !ready) return ready;
    // CompactDatabase(SrcName, DstName, DstLocale, Options, SrcLocale): the
    // destination keeps the source's locale and the engine's default format.
    return InvokeMember(engine_.Get(), "CompactDatabase", DispatchKind::Method,
                        {DispatchArg::Text(source), DispatchArg::Text(destination), DispatchArg::Missing(),
                         DispatchArg::Missing(), DispatchArg::Text(sourceLocale)});
}

EngineStatus Win32DbEngine::SecondRepairDatabase(const std::string& path) {
    if (EngineStatus ready = SecondEngine(); !ready) return ready;
    return InvokeMember(secondEngine_.Get(), "RepairDatabase", DispatchKind::Method, {DispatchArg::Text(path)});
}

}  // namespace corvane::win32
