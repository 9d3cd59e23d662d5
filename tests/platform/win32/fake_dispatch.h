// An IDispatch of the tests' own standing in for the database application,
// its engine and the second engine, for the engine's and the invoke helper's
// tests.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/db_engine_win32.h"

namespace corvane::win32::dispatch_fakes {

// How a member answers: a text or an object, a failing HRESULT, or
// DISP_E_EXCEPTION with its EXCEPINFO, given at once or through the deferred
// fill-in. A member answering DISP_E_UNKNOWNNAME is one the object lacks.
struct FakeAnswer {
    HRESULT result = S_OK;
    std::wstring text;
    IDispatch* object = nullptr;
    WORD wCode = 0;
    SCODE scode = 0;
    std::wstring description;
    bool deferred = false;
    // The fill-in's address as a server in another process hands it over.
    bool foreignFillIn = false;
    std::function<void()> during;  // runs inside the call
};

// Records every call as Invoke received it, the arguments in their written
// order: "get Version", "CompactDatabase(a.mdb, <missing>, x)".
class FakeDispatch final : public IDispatch {
public:
    static ComPtr<FakeDispatch> Make() { return ComPtr<FakeDispatch>(new FakeDispatch); }
    void Answer(const std::wstring& member, FakeAnswer answer = {}) {
        for (auto& [name, known] : members_) {
            if (name == member) {
                known = std::move(answer);
                return;
            }
        }
        members_.emplace_back(member, std::move(answer));
    }

    std::vector<std::wstring> calls;
    ULONG references = 1;
    // Answers IMultiQI as COM's proxy for an object in another process does.
    bool proxy = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                           (proxy && IsEqualIID(iid, IID_IMultiQI));
        *object = known ? static_cast<IDispatch*>(this) : nullptr;
        if (known) AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ids[0] = DISPID_UNKNOWN;
        for (std::size_t i = 0; count == 1 && i < members_.size(); ++i) {
            if (members_[i].first == names[0] && members_[i].second.result != DISP_E_UNKNOWNNAME) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
        const auto& [member, answer] = members_[static_cast<std::size_t>(id) - 1];
        EXPECT_EQ(params->cNamedArgs, 0u);
        calls.push_back(CallText(member, flags, *params));
        if (answer.during) answer.during();
        if (answer.result == DISP_E_EXCEPTION) {
            if (exception == nullptr) {
                ADD_FAILURE() << "no EXCEPINFO: the engine's own number and text would be lost";
                return E_POINTER;
            }
            pending = answer;
            if (answer.foreignFillIn) {
                exception->scode = 0;
                exception->pfnDeferredFillIn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(EXCEPINFO*)>(0x10);
            } else if (answer.deferred) {
                exception->pfnDeferredFillIn = FillIn;
            } else {
                FillIn(exception);
            }
        }
        if (FAILED(answer.result) || result == nullptr) return answer.result;
        if (!answer.text.empty()) {
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(answer.text.c_str());
        } else if (answer.object != nullptr) {
            answer.object->AddRef();
            result->vt = VT_DISPATCH;
            result->pdispVal = answer.object;
        }
        return S_OK;
    }

private:
    FakeDispatch() = default;
    ~FakeDispatch() = default;

    static std::wstring CallText(const std::wstring& member, WORD flags, const DISPPARAMS& params) {
        if (flags == DISPATCH_PROPERTYGET) return L"get " + member;
        std::wstring text = member + L"(";
        // rgvarg holds the last argument first.
        for (UINT i = params.cArgs; i-- > 0;) {
            const VARIANTARG& arg = params.rgvarg[i];
            if (i + 1 < params.cArgs) text += L", ";
            if (arg.vt == VT_BSTR) {
                text += std::wstring(arg.bstrVal, ::SysStringLen(arg.bstrVal));
            } else if (arg.vt == VT_I4) {
                text += std::to_wstring(arg.lVal);
            } else if (arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND) {
                text += L"<missing>";
            } else {
                text += L"<vt " + std::to_wstring(arg.vt) + L">";
            }
        }
        return text + L")";
    }
    static HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* exception) {
        exception->wCode = pending.wCode;
        exception->scode = pending.scode;
        exception->bstrSource = ::SysAllocString(L"DAO.DBEngine");
        exception->bstrDescription = ::SysAllocString(pending.description.c_str());
        exception->bstrHelpFile = ::SysAllocString(L"jeterr40.chm");
        exception->pfnDeferredFillIn = nullptr;
        return S_OK;
    }

    static inline FakeAnswer pending;  // what the deferred fill-in describes
    std::vector<std::pair<std::wstring, FakeAnswer>> members_;
};

// A DAO error number as DAO raises it: 0x800A0000 | number.
constexpr SCODE DaoScode(unsigned number) {
    return static_cast<SCODE>(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number));
}

inline FakeAnswer Raises(WORD wCode, SCODE scode, std::wstring description, bool deferred = false) {
    return {DISP_E_EXCEPTION, {}, nullptr, wCode, scode, std::move(description), deferred};
}

// The application, its engine and the second engine as fakes, and every
// creation the engine under test asked for.
struct Installed {
    ComPtr<FakeDispatch> application = FakeDispatch::Make();
    ComPtr<FakeDispatch> engine = FakeDispatch::Make();
    ComPtr<FakeDispatch> second = FakeDispatch::Make();
    ComPtr<FakeDispatch> stray = FakeDispatch::Make();  // an answer nobody asks for
    HRESULT applicationResult = S_OK;
    HRESULT secondResult = S_OK;
    std::vector<CLSID> created;

    Installed() {
        application->Answer(L"DBEngine", {.object = engine.Get()});
        engine->Answer(L"Version", {.text = L"3.6"});
        engine->Answer(L"RepairDatabase", {.object = stray.Get()});
        engine->Answer(L"CompactDatabase");
        second->Answer(L"RepairDatabase");
    }
    DispatchCreator Creator() {
        return [this](const CLSID& clsid, IDispatch** object) {
            created.push_back(clsid);
            const bool isApplication = IsEqualCLSID(clsid, kApplicationClsid);
            const HRESULT result = isApplication ? applicationResult : secondResult;
            if (SUCCEEDED(result)) {
                *object = isApplication ? application.Get() : second.Get();
                (*object)->AddRef();
            }
            return result;
        };
    }
    int Created(const CLSID& clsid) const {
        int count = 0;
        for (const CLSID& each : created) count += IsEqualCLSID(each, clsid) ? 1 : 0;
        return count;
    }
};

using Calls = std::vector<std::wstring>;

}  // namespace corvane::win32::dispatch_fakes
