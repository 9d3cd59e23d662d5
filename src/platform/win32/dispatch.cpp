#include "platform/win32/dispatch.h"

#include <string>

#include "base/text.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

// DAO's "Operation is not supported for this type of object": what DAO 3.6
// answers for RepairDatabase, which it no longer carries out.
constexpr unsigned long kDaoNotSupported = 3251;

// The argument array IDispatch::Invoke reads, cleared element by element
// whatever way the call ends.
class VariantArray {
public:
    explicit VariantArray(std::size_t count) : items_(count) {
        for (VARIANTARG& item : items_) ::VariantInit(&item);
    }
    VariantArray(const VariantArray&) = delete;
    VariantArray& operator=(const VariantArray&) = delete;
    ~VariantArray() {
        for (VARIANTARG& item : items_) ::VariantClear(&item);
    }

    VARIANTARG& operator[](std::size_t index) { return items_[index]; }
    VARIANTARG* Data() { return items_.empty() ? nullptr : items_.data(); }
    UINT Count() const { return static_cast<UINT>(items_.size()); }

private:
    std::vector<VARIANTARG> items_;
};

std::string FromBstr(BSTR text) {
    if (text == nullptr) return {};
    return Narrow(std::wstring(text, ::SysStringLen(text)));
}

// RPC's own errors as a call's HRESULT (HRESULT_FROM_WIN32).
constexpr HRESULT kCallFailed = static_cast<HRESULT>(0x800706BE);
constexpr HRESULT kCallFailedDidNotExecute = static_cast<HRESULT>(0x800706BF);
constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);

// What a call answers when the server's process ended during it, or before
// it on an object that outlived it: the server itself (RPC_S_*), COM's
// channel to it (RPC_E_*), a proxy whose stub is gone.
bool ServerGone(HRESULT result) {
    switch (result) {
        case kCallFailed:
        case kCallFailedDidNotExecute:
        case kServerUnavailable:
        case RPC_E_DISCONNECTED:
        case RPC_E_SERVERFAULT:
        case RPC_E_SERVER_DIED:
        case RPC_E_SERVER_DIED_DNE:
        case CO_E_OBJNOTCONNECTED:
            return true;
        default:
            return false;
    }
}

EngineFault FaultOf(HRESULT result) {
    if (result == DISP_E_UNKNOWNNAME || result == DISP_E_MEMBERNOTFOUND) return EngineFault::Unsupported;
    return ServerGone(result) ? EngineFault::ServerGone : EngineFault::Failed;
}

// The fill-in of an EXCEPINFO may be called only where it was made: a
// server in another process hands over the raw address of its function
// (Wine does), which may even fall inside this program's own image, both
// being loaded at the same base. Only a standard proxy answers IMultiQI, and
// only an address inside a module of this process can be code at all.
bool MayCallFillIn(IDispatch* object, void* fillIn) {
    IMultiQI* proxy = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_IMultiQI, reinterpret_cast<void**>(&proxy)))) {
        proxy->Release();
        return false;
    }
    HMODULE module = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                static_cast<LPCWSTR>(fillIn), &module) != 0;
}

// DAO's number for an operation its engine does not offer is a fault of
// its own; every other number is a plain failure.
EngineFault FaultOfNumber(unsigned long number) {
    return number == kDaoNotSupported ? EngineFault::Unsupported : EngineFault::Failed;
}

EngineStatus FromHresult(HRESULT result, const char* member) {
    const auto code = static_cast<unsigned long>(result);
    if (HRESULT_FACILITY(result) == FACILITY_CONTROL) {
        // A DAO error Invoke answers itself, with no EXCEPINFO: read by its number.
        const unsigned long number = HRESULT_CODE(result);
        return EngineStatus::Fail(FaultOfNumber(number), number, member, "Error " + std::to_string(number) + " del motor");
    }
    return EngineStatus::Fail(FaultOf(result), code, member, SystemErrorText(code));
}

// The engine's own error number: the 16-bit code when it gives one; DAO's
// numbers otherwise travel as 0x800A0xxx (FACILITY_CONTROL), whose low word is
// the number its documentation lists; any other SCODE stands as it is.
unsigned long ExceptionNumber(const EXCEPINFO& exception) {
    if (exception.wCode != 0) return exception.wCode;
    if (HRESULT_FACILITY(exception.scode) == FACILITY_CONTROL) return HRESULT_CODE(exception.scode);
    // A server that names no error at all must still not read as success.
    if (exception.scode == S_OK) return static_cast<unsigned long>(DISP_E_EXCEPTION);
    return static_cast<unsigned long>(exception.scode);
}

EngineStatus FromException(EXCEPINFO& exception, const char* member) {
    const unsigned long number = ExceptionNumber(exception);
    std::string text = TrimLines(FromBstr(exception.bstrDescription));
    if (text.empty()) {
        // No description: the SCODE says more than the bare DISP_E_EXCEPTION.
        const HRESULT known = FAILED(exception.scode) ? exception.scode : DISP_E_EXCEPTION;
        text = SystemErrorText(static_cast<unsigned long>(known));
    }
    return EngineStatus::Fail(FaultOfNumber(number), number, member, std::move(text));
}

}  // namespace

EngineStatus InvokeMember(IDispatch* object, const char* member, DispatchKind kind,
                          const std::vector<DispatchArg>& args, UniqueVariant* result) {
    std::wstring name = Widen(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT lookup = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(lookup)) return FromHresult(lookup, member);

    // Invoke reads its arguments last to first.
    VariantArray packed(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        VARIANTARG& slot = packed[args.size() - 1 - i];
        if (args[i].number) {
            slot.vt = VT_I4;
            slot.lVal = *args[i].number;
            continue;
        }
        if (!args[i].text) {
            slot.vt = VT_ERROR;
            slot.scode = DISP_E_PARAMNOTFOUND;
            continue;
        }
        const std::wstring text = Widen(*args[i].text);
        // Straight into the array, which frees it: the slot is typed only once it holds one.
        slot.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (slot.bstrVal == nullptr) return FromHresult(E_OUTOFMEMORY, member);
        slot.vt = VT_BSTR;
    }
    DISPPARAMS params{packed.Data(), nullptr, packed.Count(), 0};

    // Some servers write a result even when none is asked for.
    UniqueVariant ignored;
    UniqueVariant& answer = result != nullptr ? *result : ignored;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const WORD flags = kind == DispatchKind::PropertyGet ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    const HRESULT invoked = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, answer.Receive(),
                                           &exception, &badArgument);

    if (invoked == DISP_E_EXCEPTION && exception.pfnDeferredFillIn != nullptr &&
        MayCallFillIn(object, reinterpret_cast<void*>(exception.pfnDeferredFillIn))) {
        exception.pfnDeferredFillIn(&exception);
    }
    // Ours to free whichever way the call ended; null when the server left them.
    const UniqueBstr source(exception.bstrSource);
    const UniqueBstr description(exception.bstrDescription);
    const UniqueBstr helpFile(exception.bstrHelpFile);

    if (invoked == DISP_E_EXCEPTION) return FromException(exception, member);
    if (FAILED(invoked)) return FromHresult(invoked, member);
    return EngineStatus::Ok();
}

}  // namespace corvane::win32
