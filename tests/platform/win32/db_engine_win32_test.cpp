// The engine through COM late binding, and with it the one invoke helper it
// calls the engine with, against an IDispatch of the test's own.
#include "platform/win32/db_engine_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/fake_dispatch.h"
#include "platform/win32/system_error.h"

namespace corvane::win32 {
namespace {

using namespace dispatch_fakes;

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
        // A server in another process: its fill-in is not called, and what it
        // left out is still no success.
        {"ForeignFillIn", {.result = DISP_E_EXCEPTION, .foreignFillIn = true}, EngineFault::Failed, DISP_E_EXCEPTION,
         ""},
        {"CallFailed", {.result = static_cast<HRESULT>(0x800706BE)}, EngineFault::ServerGone, static_cast<HRESULT>(0x800706BE), ""},
        {"ServerUnavailable", {.result = static_cast<HRESULT>(0x800706BA)}, EngineFault::ServerGone, static_cast<HRESULT>(0x800706BA), ""},
        {"Disconnected", {.result = RPC_E_DISCONNECTED}, EngineFault::ServerGone, RPC_E_DISCONNECTED, ""},
        {"ServerDied", {.result = RPC_E_SERVER_DIED}, EngineFault::ServerGone, RPC_E_SERVER_DIED, ""},
        // A DAO error Invoke answers itself, with no EXCEPINFO: read by its number.
        {"NotSupportedAsTheResult", {.result = DaoScode(3251)}, EngineFault::Unsupported, 3251,
         "Error 3251 del motor"},
        {"DaoErrorAsTheResult", {.result = DaoScode(3356)}, EngineFault::Failed, 3356, "Error 3356 del motor"},
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
