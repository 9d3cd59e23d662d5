#pragma once
#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/com.h"

namespace corvane::win32::testing {

// One argument as the callee received it (last argument first, as Invoke reads them).
struct SeenArg {
    VARTYPE type = VT_EMPTY;
    std::wstring text;  // VT_BSTR
    SCODE scode = 0;    // VT_ERROR
};

struct SeenCall {
    std::wstring member;
    WORD flags = 0;
    UINT namedArgs = 0;
    bool excepInfoGiven = false;
    std::vector<SeenArg> args;
};

// How a member answers: a value, an exception (at once or through the
// deferred fill-in), or a failing HRESULT.
struct FakeAnswer {
    HRESULT result = S_OK;
    std::wstring text;             // answered as VT_BSTR when set
    IDispatch* object = nullptr;   // answered as VT_DISPATCH when set
    WORD wCode = 0;
    SCODE scode = 0;
    std::wstring description;
    bool deferred = false;

    static FakeAnswer Returns(std::wstring text) { return {S_OK, std::move(text)}; }
    static FakeAnswer ReturnsObject(IDispatch* object) { return {S_OK, {}, object}; }
    static FakeAnswer Fails(HRESULT result) { return {result}; }
    static FakeAnswer Raises(WORD wCode, SCODE scode, std::wstring description, bool deferred = false) {
        return {DISP_E_EXCEPTION, {}, nullptr, wCode, scode, std::move(description), deferred};
    }
};

// An in-process IDispatch that knows the members it was given answers for and
// records every call it receives.
class FakeDispatch final : public IDispatch {
public:
    static ComPtr<FakeDispatch> Make() { return ComPtr<FakeDispatch>(new FakeDispatch); }

    void Answer(std::wstring member, FakeAnswer answer) { members_.emplace_back(std::move(member), answer); }
    const std::vector<SeenCall>& Calls() const { return calls_; }
    ULONG References() const { return references_; }
    // How often any fake's deferred fill-in has run.
    static int& FillIns() {
        static int count = 0;
        return count;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (std::size_t i = 0; count == 1 && i < members_.size(); ++i) {
            if (members_[i].first == names[0]) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
        const auto& [member, answer] = members_[static_cast<std::size_t>(id) - 1];
        SeenCall call{member, flags, params->cNamedArgs, exception != nullptr, {}};
        for (UINT i = 0; i < params->cArgs; ++i) {
            const VARIANTARG& arg = params->rgvarg[i];
            call.args.push_back({arg.vt, arg.vt == VT_BSTR ? std::wstring(arg.bstrVal, ::SysStringLen(arg.bstrVal)) : L"",
                                 arg.vt == VT_ERROR ? arg.scode : 0});
        }
        calls_.push_back(std::move(call));

        if (answer.result == DISP_E_EXCEPTION) {
            if (answer.deferred) {
                Pending() = answer;
                exception->pfnDeferredFillIn = FillIn;
            } else {
                Describe(answer, *exception);
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

    static FakeAnswer& Pending() {
        static FakeAnswer pending;
        return pending;
    }
    static void Describe(const FakeAnswer& answer, EXCEPINFO& exception) {
        exception.wCode = answer.wCode;
        exception.scode = answer.scode;
        exception.bstrSource = ::SysAllocString(L"DAO.DBEngine");
        exception.bstrDescription = ::SysAllocString(answer.description.c_str());
        exception.bstrHelpFile = ::SysAllocString(L"jeterr40.chm");
    }
    static HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* exception) {
        ++FillIns();
        Describe(Pending(), *exception);
        exception->pfnDeferredFillIn = nullptr;
        return S_OK;
    }

    ULONG references_ = 1;
    std::vector<std::pair<std::wstring, FakeAnswer>> members_;
    std::vector<SeenCall> calls_;
};

}  // namespace corvane::win32::testing
