#include "engine_objects.h"

#include <oleauto.h>

#include <new>
#include <string>
#include <vector>

#include "engine_calls.h"
#include "engine_config.h"
#include "engine_host.h"

namespace test_engine {
namespace {

constexpr wchar_t kDefaultVersion[] = L"3.6";

// IDispatch without a type library: names looked up without regard to case,
// as automation servers do; positional arguments only.
class DispatchObject : public IDispatch {
public:
    DispatchObject() { HostUserAdded(); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;
    virtual ~DispatchObject() { HostUserReleased(); }

    HRESULT __stdcall QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG __stdcall Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT __stdcall GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return DISP_E_BADINDEX;
    }

    HRESULT __stdcall GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
        for (UINT index = 0; index < count; ++index) ids[index] = DISPID_UNKNOWN;
        ids[0] = Find(names[0] != nullptr ? names[0] : L"");
        // Named arguments are never resolved.
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT __stdcall Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) return E_INVALIDARG;
        if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        if (result != nullptr) VariantInit(result);
        try {
            return Call(id, flags, *params, result, exception, argumentError);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

protected:
    static bool IsPropertyGet(WORD flags) { return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0; }
    static bool IsMethod(WORD flags) { return (flags & DISPATCH_METHOD) != 0; }

    // "<role> <member> <arguments...> <ok|error N>"
    static void Journal(Role role, const char* member, const DISPPARAMS& params, const Outcome& outcome) {
        std::vector<std::string> fields{RoleName(role), member};
        const std::vector<std::string> arguments = JournalTexts(params);
        fields.insert(fields.end(), arguments.begin(), arguments.end());
        fields.push_back(outcome.JournalText());
        JournalLine(fields);
    }

    virtual DISPID Find(const wchar_t* name) = 0;
    virtual HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception,
                         UINT* argumentError) = 0;

private:
    LONG references_ = 1;
};

constexpr DISPID kDbEngine = 1;
constexpr DISPID kVersion = 2;
constexpr DISPID kRepairDatabase = 3;
constexpr DISPID kCompactDatabase = 4;
constexpr DISPID kQuit = 5;
constexpr DISPID kWindow = 6;

class Engine final : public DispatchObject {
public:
    explicit Engine(Role role) : role_(role) {}

protected:
    DISPID Find(const wchar_t* name) override {
        if (SameTextIgnoringCase(name, L"Version")) return kVersion;
        if (SameTextIgnoringCase(name, L"CompactDatabase")) return kCompactDatabase;
        if (SameTextIgnoringCase(name, L"RepairDatabase")) {
            // Engines that no longer offer the method.
            if (RepairUnknown(role_)) return DISPID_UNKNOWN;
            return kRepairDatabase;
        }
        return DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception,
                 UINT* argumentError) override {
        switch (id) {
            case kVersion: return Version(flags, params, result);
            case kRepairDatabase: return RepairDatabase(flags, params, exception, argumentError);
            case kCompactDatabase: return CompactDatabase(flags, params, exception, argumentError);
            default: return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    HRESULT Version(WORD flags, const DISPPARAMS& params, VARIANT* result) {
        if (!IsPropertyGet(flags)) return DISP_E_MEMBERNOTFOUND;
        Outcome outcome = params.cArgs == 0 ? Outcome::Ok() : Outcome::Failed(DISP_E_BADPARAMCOUNT);
        if (outcome.Succeeded() && result != nullptr) {
            // DAO 3.6 by its class id; only the application's engine varies.
            std::wstring version = kDefaultVersion;
            if (role_ == Role::First) {
                const std::wstring configured = Trim(ReadConfig(L"version.txt").value_or(L""));
                if (!configured.empty()) version = configured;
            }
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocStringLen(version.data(), static_cast<UINT>(version.size()));
            if (V_BSTR(result) == nullptr) outcome = Outcome::Failed(E_OUTOFMEMORY);
        }
        Journal(role_, "Version", params, outcome);
        return outcome.result;
    }

    HRESULT RepairDatabase(WORD flags, const DISPPARAMS& params, EXCEPINFO* exception, UINT* argumentError) {
        if (!IsMethod(flags)) return DISP_E_MEMBERNOTFOUND;
        const long long started = NowUnixMs();
        Outcome outcome;
        std::wstring path;
        if (params.cArgs != 1) {
            outcome = Outcome::Failed(DISP_E_BADPARAMCOUNT);
        } else if (const HRESULT read = TextArgument(params, 0, path, argumentError); FAILED(read)) {
            outcome = Outcome::Failed(read);
        } else {
            outcome = Repair(role_, path);
        }
        Journal(role_, "RepairDatabase", params, outcome);
        TimingLine("RepairDatabase", started);
        return Raise(outcome, exception);
    }

    HRESULT CompactDatabase(WORD flags, const DISPPARAMS& params, EXCEPINFO* exception, UINT* argumentError) {
        if (!IsMethod(flags)) return DISP_E_MEMBERNOTFOUND;
        const long long started = NowUnixMs();
        Outcome outcome;
        std::wstring source;
        std::wstring destination;
        if (params.cArgs < 2 || params.cArgs > 5) {
            outcome = Outcome::Failed(DISP_E_BADPARAMCOUNT);
        } else if (const HRESULT read = TextArgument(params, 0, source, argumentError); FAILED(read)) {
            outcome = Outcome::Failed(read);
        } else if (const HRESULT read = TextArgument(params, 1, destination, argumentError); FAILED(read)) {
            outcome = Outcome::Failed(read);
        } else {
            outcome = Compact(role_, source, destination, JournalTexts(params));
        }
        Journal(role_, "CompactDatabase", params, outcome);
        TimingLine("CompactDatabase", started);
        return Raise(outcome, exception);
    }

    Role role_;
};

class Application final : public DispatchObject {
public:
    ~Application() override {
        if (engine_ != nullptr) engine_->Release();
    }

protected:
    DISPID Find(const wchar_t* name) override {
        if (SameTextIgnoringCase(name, L"DBEngine")) return kDbEngine;
        if (SameTextIgnoringCase(name, L"Quit")) return kQuit;
        if (SameTextIgnoringCase(name, L"hWndAccessApp")) return kWindow;
        return DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == kQuit && IsMethod(flags)) return Quit(params);
        if (id == kWindow && IsPropertyGet(flags)) return Window(params, result);
        if (id != kDbEngine || !IsPropertyGet(flags)) return DISP_E_MEMBERNOTFOUND;
        Outcome outcome = params.cArgs == 0 ? Outcome::Ok() : Outcome::Failed(DISP_E_BADPARAMCOUNT);
        if (outcome.Succeeded() && result != nullptr) {
            // One engine for the application's life, as the real one keeps.
            if (engine_ == nullptr) engine_ = new Engine(Role::First);
            engine_->AddRef();
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = engine_;
        }
        Journal(Role::First, "DBEngine", params, outcome);
        return outcome.result;
    }

private:
    HRESULT Window(const DISPPARAMS& params, VARIANT* result) {
        const Outcome outcome = params.cArgs == 0 ? Outcome::Ok() : Outcome::Failed(DISP_E_BADPARAMCOUNT);
        if (outcome.Succeeded() && result != nullptr) {
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(reinterpret_cast<LONG_PTR>(HostWindow()));
        }
        Journal(Role::First, "hWndAccessApp", params, outcome);
        return outcome.result;
    }

    // Quit([Option]): the option (2, save nothing) is only journaled.
    HRESULT Quit(const DISPPARAMS& params) {
        const Outcome outcome = params.cArgs <= 1 ? Outcome::Ok() : Outcome::Failed(DISP_E_BADPARAMCOUNT);
        Journal(Role::First, "Quit", params, outcome);
        if (outcome.Succeeded()) HostQuitRequested();
        return outcome.result;
    }

    Engine* engine_ = nullptr;
};

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ClassKind kind) : kind_(kind) {}

    HRESULT __stdcall QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override {
        HostFactoryReferenced(+1);
        return 2;
    }
    ULONG __stdcall Release() override {
        HostFactoryReferenced(-1);
        return 1;
    }

    HRESULT __stdcall CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (kind_ == ClassKind::Application && ConfigExists(L"refuse_start.txt")) {
            JournalLine({"refuse application"});
            return E_FAIL;
        }
        DispatchObject* created = nullptr;
        try {
            if (kind_ == ClassKind::Application) created = new Application();
            else created = new Engine(Role::Second);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const HRESULT result = created->QueryInterface(iid, object);
        created->Release();
        if (SUCCEEDED(result)) JournalLine({kind_ == ClassKind::Application ? "create application" : "create second"});
        return result;
    }

    HRESULT __stdcall LockServer(BOOL lock) override {
        if (lock) HostUserAdded();
        else HostUserReleased();
        return S_OK;
    }

private:
    ClassKind kind_;
};

ClassFactory gApplicationFactory(ClassKind::Application);
ClassFactory gSecondEngineFactory(ClassKind::SecondEngine);

}  // namespace

IClassFactory* FactoryOf(ClassKind kind) {
    return kind == ClassKind::Application ? &gApplicationFactory : &gSecondEngineFactory;
}

}  // namespace test_engine
