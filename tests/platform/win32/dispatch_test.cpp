#include "platform/win32/dispatch.h"

#include <gtest/gtest.h>

#include "platform/win32/system_error.h"
#include "platform/win32/fake_dispatch.h"

namespace corvane::win32 {
namespace {

using testing::FakeAnswer;
using testing::FakeDispatch;

// A DAO error number as DAO raises it: 0x800A0000 | number.
constexpr SCODE DaoScode(unsigned number) {
    return static_cast<SCODE>(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number));
}

// What Invoke must see: texts as BSTR, left-out arguments marked, last first.
struct Expected {
    VARTYPE type;
    std::wstring text;
};

TEST(InvokeMember, PassesArgumentsLastFirstWithLeftOutOnesMarked) {
    const auto text = DispatchArg::Text;
    const DispatchArg missing = DispatchArg::Missing();
    struct Case {
        const char* name;
        std::vector<DispatchArg> args;
        std::vector<Expected> seen;
    } const cases[] = {
        {"None", {}, {}},
        {"OneNonAscii", {text("C:\\Datos\\Año.mdb")}, {{VT_BSTR, L"C:\\Datos\\A\u00F1o.mdb"}}},
        {"EmptyTextIsNotLeftOut", {text("")}, {{VT_BSTR, L""}}},
        {"CompactShape",
         {text("a.mdb"), text("b.mdb"), missing, missing, text(";pwd=x")},
         {{VT_BSTR, L";pwd=x"}, {VT_ERROR, L""}, {VT_ERROR, L""}, {VT_BSTR, L"b.mdb"}, {VT_BSTR, L"a.mdb"}}},
        {"LeftOutFirst", {missing, text("x")}, {{VT_BSTR, L"x"}, {VT_ERROR, L""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<FakeDispatch> object = FakeDispatch::Make();
        object->Answer(L"CompactDatabase", {});

        ASSERT_TRUE(InvokeMember(object.Get(), "CompactDatabase", DispatchKind::Method, c.args));

        ASSERT_EQ(object->Calls().size(), 1u);
        const testing::SeenCall& call = object->Calls()[0];
        EXPECT_EQ(call.flags, DISPATCH_METHOD);
        EXPECT_EQ(call.namedArgs, 0u);
        EXPECT_TRUE(call.excepInfoGiven);
        ASSERT_EQ(call.args.size(), c.seen.size());
        for (std::size_t i = 0; i < c.seen.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(call.args[i].type, c.seen[i].type);
            EXPECT_EQ(call.args[i].text, c.seen[i].text);
            if (c.seen[i].type == VT_ERROR) {
                EXPECT_EQ(call.args[i].scode, DISP_E_PARAMNOTFOUND);
            }
        }
    }
}

TEST(InvokeMember, ReadsAPropertyWithPropertyGet) {
    ComPtr<FakeDispatch> object = FakeDispatch::Make();
    object->Answer(L"Version", FakeAnswer::Returns(L"3.6"));
    UniqueVariant value;

    ASSERT_TRUE(InvokeMember(object.Get(), "Version", DispatchKind::PropertyGet, {}, &value));

    EXPECT_EQ(object->Calls().at(0).flags, DISPATCH_PROPERTYGET);
    ASSERT_EQ(value.Get().vt, VT_BSTR);
    EXPECT_STREQ(value.Get().bstrVal, L"3.6");
}

// Nobody asked for the object, yet it must not stay referenced.
TEST(InvokeMember, ReleasesAnAnswerNobodyAskedFor) {
    ComPtr<FakeDispatch> answer = FakeDispatch::Make();
    ComPtr<FakeDispatch> object = FakeDispatch::Make();
    object->Answer(L"OpenDatabase", FakeAnswer::ReturnsObject(answer.Get()));

    ASSERT_TRUE(InvokeMember(object.Get(), "OpenDatabase", DispatchKind::Method, {DispatchArg::Text("a.mdb")}));

    EXPECT_EQ(answer->References(), 1u);
}

TEST(InvokeMember, FailuresCarryTheEngineNumberAndText) {
    const std::wstring kLocked = L"You attempted to open a database that is already opened by user 'Admin' on machine "
                                 L"'POS1'.";
    const std::string kLockedUtf8 = "You attempted to open a database that is already opened by user 'Admin' on "
                                    "machine 'POS1'.";
    struct Case {
        const char* name;
        FakeAnswer answer;
        EngineFault fault;
        unsigned long code;
        std::string text;  // empty: the system's text for code
        int fillIns;
    } const cases[] = {
        {"NumberInWCode", FakeAnswer::Raises(3204, 0, L"Database already exists."), EngineFault::Failed, 3204,
         "Database already exists.", 0},
        {"NumberInScode", FakeAnswer::Raises(0, DaoScode(3204), L"Database already exists."), EngineFault::Failed, 3204,
         "Database already exists.", 0},
        {"TextTrimmed", FakeAnswer::Raises(0, DaoScode(3356), L"  " + kLocked + L"\r\n"), EngineFault::Failed, 3356,
         kLockedUtf8, 0},
        {"Deferred", FakeAnswer::Raises(0, DaoScode(3356), kLocked, true), EngineFault::Failed, 3356, kLockedUtf8, 1},
        {"NotSupportedInScode", FakeAnswer::Raises(0, DaoScode(3251), L"Operation is not supported."),
         EngineFault::Unsupported, 3251, "Operation is not supported.", 0},
        {"NotSupportedInWCodeDeferred", FakeAnswer::Raises(3251, 0, L"Operation is not supported.", true),
         EngineFault::Unsupported, 3251, "Operation is not supported.", 1},
        {"OtherFacilityKeepsTheScode", FakeAnswer::Raises(0, E_ACCESSDENIED, L"Denied."), EngineFault::Failed,
         static_cast<unsigned long>(E_ACCESSDENIED), "Denied.", 0},
        {"NoDescription", FakeAnswer::Raises(0, E_ACCESSDENIED, L""), EngineFault::Failed,
         static_cast<unsigned long>(E_ACCESSDENIED), "", 0},
        {"MemberNotFound", FakeAnswer::Fails(DISP_E_MEMBERNOTFOUND), EngineFault::Unsupported,
         static_cast<unsigned long>(DISP_E_MEMBERNOTFOUND), "", 0},
        {"ServerDied", FakeAnswer::Fails(RPC_E_SERVER_DIED), EngineFault::Failed,
         static_cast<unsigned long>(RPC_E_SERVER_DIED), "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<FakeDispatch> object = FakeDispatch::Make();
        object->Answer(L"CompactDatabase", c.answer);
        const int fillInsBefore = FakeDispatch::FillIns();

        const EngineStatus status = InvokeMember(object.Get(), "CompactDatabase", DispatchKind::Method,
                                                 {DispatchArg::Text("a.mdb"), DispatchArg::Text("b.mdb")});

        EXPECT_EQ(status.fault, c.fault);
        EXPECT_FALSE(status.status.ok);
        EXPECT_EQ(status.status.code, c.code);
        EXPECT_EQ(status.status.where, "CompactDatabase");
        EXPECT_EQ(status.status.text, c.text.empty() ? SystemErrorText(c.code) : c.text);
        EXPECT_EQ(FakeDispatch::FillIns() - fillInsBefore, c.fillIns);
    }
}

// The engine of a newer application has no RepairDatabase at all.
TEST(InvokeMember, AnUnknownNameIsUnsupportedAndNothingIsCalled) {
    ComPtr<FakeDispatch> object = FakeDispatch::Make();
    object->Answer(L"CompactDatabase", {});

    const EngineStatus status =
        InvokeMember(object.Get(), "RepairDatabase", DispatchKind::Method, {DispatchArg::Text("a.mdb")});

    EXPECT_EQ(status.fault, EngineFault::Unsupported);
    EXPECT_EQ(status.status.code, static_cast<unsigned long>(DISP_E_UNKNOWNNAME));
    EXPECT_EQ(status.status.where, "RepairDatabase");
    EXPECT_TRUE(object->Calls().empty());
}

}  // namespace
}  // namespace corvane::win32
