// The engine through COM late binding, and with it the one invoke helper it
// calls the engine with, against an IDispatch of the test's own.
#include "platform/win32/db_engine_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/system_error.h"

namespace corvane::win32 {
namespace {

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

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch);
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
        if (answer.result == DISP_E_EXCEPTION) {
            if (exception == nullptr) {
                ADD_FAILURE() << "no EXCEPINFO: the engine's own number and text would be lost";
                return E_POINTER;
            }
            pending = answer;
            if (answer.deferred) {
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

FakeAnswer Raises(WORD wCode, SCODE scode, std::wstring description, bool deferred = false) {
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

TEST(Win32DbEngine, CreatesTheApplicationOnceAndPassesEachCallOn) {
    Installed installed;
    {
        Win32DbEngine db(installed.Creator());
        std::string version;
        ASSERT_TRUE(db.Version(version));
        EXPECT_EQ(version, "3.6");
        EXPECT_TRUE(db.RepairDatabase("E:\\Datos\\Año.mdb"));
        EXPECT_EQ(installed.stray->references, 1u) << "an answer nobody asked for is released at once";
        EXPECT_TRUE(db.CompactDatabase("src.mdb", "dst.mdb", "MS Access;pwd=123"));
        EXPECT_TRUE(db.CompactDatabase("a.mdb", "b.mdb", ""));
        EXPECT_TRUE(db.Version(version));

        EXPECT_EQ(installed.Created(kApplicationClsid), 1);
        EXPECT_EQ(installed.Created(kSecondEngineClsid), 0);
        EXPECT_EQ(installed.application->calls, Calls{L"get DBEngine"});
        // CompactDatabase(SrcName, DstName, DstLocale, Options, SrcLocale); an
        // empty text is passed, not left out.
        EXPECT_EQ(installed.engine->calls, (Calls{L"get Version", L"RepairDatabase(E:\\Datos\\A\u00F1o.mdb)",
                                                  L"CompactDatabase(src.mdb, dst.mdb, <missing>, <missing>, "
                                                  L"MS Access;pwd=123)",
                                                  L"CompactDatabase(a.mdb, b.mdb, <missing>, <missing>, )",
                                                  L"get Version"}));
    }
    // Every reference taken is given back.
    EXPECT_EQ(installed.application->references, 1u);
    EXPECT_EQ(installed.engine->references, 1u);
}

TEST(Win32DbEngine, CreatesTheSecondEngineOnlyWhenFirstNeeded) {
    Installed installed;
    Win32DbEngine db(installed.Creator());
    std::string version;
    ASSERT_TRUE(db.Version(version));
    EXPECT_EQ(installed.Created(kSecondEngineClsid), 0);

    EXPECT_TRUE(db.SecondRepairDatabase("E:\\Shared\\KeystoneSolo.mdb"));
    EXPECT_TRUE(db.SecondRepairDatabase("E:\\Shared\\KeystoneSolo.mdb"));

    EXPECT_EQ(installed.Created(kSecondEngineClsid), 1);
    EXPECT_EQ(installed.Created(kApplicationClsid), 1);
    EXPECT_EQ(installed.second->calls, Calls(2, L"RepairDatabase(E:\\Shared\\KeystoneSolo.mdb)"));
    EXPECT_EQ(installed.engine->calls, Calls{L"get Version"});
}

TEST(Win32DbEngine, AnApplicationThatCannotGiveItsEngineIsMissing) {
    struct Case {
        const char* name;
        HRESULT created;
        FakeAnswer dbEngine;
        HRESULT code;
    } const cases[] = {
        {"ClassNotRegistered", REGDB_E_CLASSNOTREG, {}, REGDB_E_CLASSNOTREG},
        {"NoDBEngine", S_OK, {.result = DISP_E_UNKNOWNNAME}, DISP_E_UNKNOWNNAME},
        {"DBEngineFails", S_OK, {.result = E_UNEXPECTED}, E_UNEXPECTED},
        {"DBEngineIsNoObject", S_OK, {.text = L"DAO"}, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installed installed;
        installed.applicationResult = c.created;
        installed.application->Answer(L"DBEngine", c.dbEngine);
        Win32DbEngine db(installed.Creator());
        std::string version;

        for (const EngineStatus& status : {db.Version(version), db.RepairDatabase("a.mdb"),
                                           db.CompactDatabase("a.mdb", "b.mdb", ";pwd=1")}) {
            EXPECT_EQ(status.fault, EngineFault::Missing);
            EXPECT_EQ(status.status.code, static_cast<unsigned long>(c.code));
            EXPECT_FALSE(status.status.text.empty());
        }
        EXPECT_TRUE(installed.engine->calls.empty());
        // The server may have died: each attempt starts from a new application.
        EXPECT_EQ(installed.Created(kApplicationClsid), 3);
        // The second engine does not depend on the application.
        EXPECT_TRUE(db.SecondRepairDatabase("a.mdb"));
    }
}

// The real CoCreateInstance, on a class no machine has registered.
TEST(Win32DbEngine, AClassNotRegisteredIsMissing) {
    const ComApartment apartment;
    ASSERT_TRUE(apartment);
    CLSID unknown{};
    ASSERT_EQ(::CoCreateGuid(&unknown), S_OK);
    Win32DbEngine db([&unknown](const CLSID&, IDispatch** object) { return CreateDispatchObject(unknown, object); });
    std::string version;

    for (const EngineStatus& status : {db.Version(version), db.SecondRepairDatabase("a.mdb")}) {
        EXPECT_EQ(status.fault, EngineFault::Missing);
        EXPECT_EQ(status.status.code, static_cast<unsigned long>(REGDB_E_CLASSNOTREG));
        EXPECT_FALSE(status.status.text.empty());
    }
}

// The engine without RepairDatabase at all, and the second one refusing it.
TEST(Win32DbEngine, ARepairTheEngineLacksIsUnsupported) {
    Installed installed;
    installed.engine->Answer(L"RepairDatabase", {.result = DISP_E_UNKNOWNNAME});
    installed.second->Answer(L"RepairDatabase", Raises(3251, 0, L"Not supported."));
    Win32DbEngine db(installed.Creator());

    EXPECT_EQ(db.RepairDatabase("a.mdb").fault, EngineFault::Unsupported);
    EXPECT_EQ(db.SecondRepairDatabase("a.mdb").fault, EngineFault::Unsupported);
}

TEST(Win32DbEngine, FailuresCarryTheEngineNumberAndText) {
    const std::string kLocked = "You attempted to open a database that is already opened by user 'Admin' on machine "
                                "'POS1'.";
    struct Case {
        const char* name;
        FakeAnswer answer;
        EngineFault fault;
        HRESULT code;
        std::string text;  // empty: the system's text for code
    } const cases[] = {
        {"TextTrimmed", Raises(0, DaoScode(3356), L"  " + std::wstring(kLocked.begin(), kLocked.end()) + L"\r\n"),
         EngineFault::Failed, 3356, kLocked},
        {"NotSupportedInScode", Raises(0, DaoScode(3251), L"Operation is not supported."), EngineFault::Unsupported,
         3251, "Operation is not supported."},
        {"NotSupportedInWCodeDeferred", Raises(3251, 0, L"Operation is not supported.", true),
         EngineFault::Unsupported, 3251, "Operation is not supported."},
        // Another facility's SCODE stands as it is, and its text stands in for a missing description.
        {"NoDescription", Raises(0, E_ACCESSDENIED, L""), EngineFault::Failed, E_ACCESSDENIED, ""},
        {"NoErrorNamed", Raises(0, S_OK, L""), EngineFault::Failed, DISP_E_EXCEPTION, ""},
        {"UnknownName", {.result = DISP_E_UNKNOWNNAME}, EngineFault::Unsupported, DISP_E_UNKNOWNNAME, ""},
        {"MemberNotFound", {.result = DISP_E_MEMBERNOTFOUND}, EngineFault::Unsupported, DISP_E_MEMBERNOTFOUND, ""},
        {"ServerDied", {.result = RPC_E_SERVER_DIED}, EngineFault::Failed, RPC_E_SERVER_DIED, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installed installed;
        installed.engine->Answer(L"CompactDatabase", c.answer);
        Win32DbEngine db(installed.Creator());

        const EngineStatus status = db.CompactDatabase("a.mdb", "b.mdb", ";pwd=1");

        const auto code = static_cast<unsigned long>(c.code);
        EXPECT_EQ(status.fault, c.fault);
        EXPECT_FALSE(status.status.ok);
        EXPECT_EQ(status.status.code, code);
        EXPECT_EQ(status.status.where, "CompactDatabase");
        EXPECT_EQ(status.status.text, c.text.empty() ? SystemErrorText(code) : c.text);
    }
}

}  // namespace
}  // namespace corvane::win32
