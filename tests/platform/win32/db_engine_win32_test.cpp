#include "platform/win32/db_engine_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/fake_dispatch.h"

namespace corvane::win32 {
namespace {

using testing::FakeAnswer;
using testing::FakeDispatch;

std::vector<std::wstring> Members(const ComPtr<FakeDispatch>& object) {
    std::vector<std::wstring> members;
    for (const testing::SeenCall& call : object->Calls()) members.push_back(call.member);
    return members;
}

// The application, its engine and the second engine as fakes, and every
// creation the engine asked for.
struct Installed {
    ComPtr<FakeDispatch> application = FakeDispatch::Make();
    ComPtr<FakeDispatch> engine = FakeDispatch::Make();
    ComPtr<FakeDispatch> second = FakeDispatch::Make();
    HRESULT applicationResult = S_OK;
    HRESULT secondResult = S_OK;
    std::vector<CLSID> created;

    Installed() {
        application->Answer(L"DBEngine", FakeAnswer::ReturnsObject(engine.Get()));
        engine->Answer(L"Version", FakeAnswer::Returns(L"3.6"));
        engine->Answer(L"RepairDatabase", {});
        engine->Answer(L"CompactDatabase", {});
        second->Answer(L"RepairDatabase", {});
    }

    DispatchCreator Creator() {
        return [this](const CLSID& clsid, IDispatch** object) {
            created.push_back(clsid);
            const bool isApplication = IsEqualCLSID(clsid, kApplicationClsid);
            const HRESULT result = isApplication ? applicationResult : secondResult;
            if (SUCCEEDED(result)) {
                FakeDispatch* fake = isApplication ? application.Get() : second.Get();
                fake->AddRef();
                *object = fake;
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

TEST(Win32DbEngine, CreatesTheApplicationOnceAndKeepsItsEngine) {
    Installed installed;
    {
        Win32DbEngine db(installed.Creator());
        std::string version;
        ASSERT_TRUE(db.Version(version));
        EXPECT_EQ(version, "3.6");
        EXPECT_TRUE(db.RepairDatabase("E:\\Shared\\Keystone.mdb"));
        EXPECT_TRUE(db.CompactDatabase("E:\\Shared\\Keystone.mdb", "E:\\Shared\\KeystoneC.mdb", ";pwd=1"));
        EXPECT_TRUE(db.Version(version));

        EXPECT_EQ(installed.Created(kApplicationClsid), 1);
        EXPECT_EQ(installed.Created(kSecondEngineClsid), 0);
        EXPECT_EQ(Members(installed.application), std::vector<std::wstring>{L"DBEngine"});
        EXPECT_EQ(installed.application->Calls()[0].flags, DISPATCH_PROPERTYGET);
        EXPECT_EQ(Members(installed.engine),
                  (std::vector<std::wstring>{L"Version", L"RepairDatabase", L"CompactDatabase", L"Version"}));
        EXPECT_EQ(installed.engine->Calls()[0].flags, DISPATCH_PROPERTYGET);
        EXPECT_EQ(installed.engine->Calls()[1].args.at(0).text, L"E:\\Shared\\Keystone.mdb");
    }
    // Every reference the engine took is given back.
    EXPECT_EQ(installed.application->References(), 1u);
    EXPECT_EQ(installed.engine->References(), 1u);
}

// CompactDatabase(SrcName, DstName, DstLocale, Options, SrcLocale), as Invoke reads it.
TEST(Win32DbEngine, CompactPutsTheConnectTextInTheSourceLocale) {
    Installed installed;
    Win32DbEngine db(installed.Creator());

    ASSERT_TRUE(db.CompactDatabase("src.mdb", "dst.mdb", "MS Access;pwd=123"));

    const std::vector<testing::SeenArg>& args = installed.engine->Calls().at(0).args;
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[0].text, L"MS Access;pwd=123");
    EXPECT_EQ(args[1].scode, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(args[2].scode, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(args[3].text, L"dst.mdb");
    EXPECT_EQ(args[4].text, L"src.mdb");
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
    ASSERT_EQ(Members(installed.second), (std::vector<std::wstring>{L"RepairDatabase", L"RepairDatabase"}));
    EXPECT_EQ(installed.second->Calls()[0].args.at(0).text, L"E:\\Shared\\KeystoneSolo.mdb");
    EXPECT_EQ(Members(installed.engine), std::vector<std::wstring>{L"Version"});
}

TEST(Win32DbEngine, AnApplicationThatCannotGiveItsEngineIsMissing) {
    struct Case {
        const char* name;
        HRESULT created;
        std::vector<std::pair<std::wstring, FakeAnswer>> application;  // empty: the usual DBEngine
        unsigned long code;
    } const cases[] = {
        {"ClassNotRegistered", REGDB_E_CLASSNOTREG, {}, static_cast<unsigned long>(REGDB_E_CLASSNOTREG)},
        {"ServerWouldNotStart", CO_E_SERVER_EXEC_FAILURE, {}, static_cast<unsigned long>(CO_E_SERVER_EXEC_FAILURE)},
        {"NoDBEngine", S_OK, {{L"Visible", {}}}, static_cast<unsigned long>(DISP_E_UNKNOWNNAME)},
        {"DBEngineFails", S_OK, {{L"DBEngine", FakeAnswer::Fails(E_UNEXPECTED)}},
         static_cast<unsigned long>(E_UNEXPECTED)},
        {"DBEngineIsNoObject", S_OK, {{L"DBEngine", FakeAnswer::Returns(L"DAO")}},
         static_cast<unsigned long>(DISP_E_TYPEMISMATCH)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installed installed;
        installed.applicationResult = c.created;
        if (!c.application.empty()) {
            installed.application = FakeDispatch::Make();
            for (const auto& [member, answer] : c.application) installed.application->Answer(member, answer);
        }
        Win32DbEngine db(installed.Creator());
        std::string version;

        for (const EngineStatus& status : {db.Version(version), db.RepairDatabase("a.mdb"),
                                           db.CompactDatabase("a.mdb", "b.mdb", ";pwd=1")}) {
            EXPECT_EQ(status.fault, EngineFault::Missing);
            EXPECT_EQ(status.status.code, c.code);
            EXPECT_FALSE(status.status.text.empty());
        }
        EXPECT_TRUE(installed.engine->Calls().empty());
        // The second engine does not depend on the application.
        EXPECT_TRUE(db.SecondRepairDatabase("a.mdb"));
    }
}

TEST(Win32DbEngine, ASecondEngineThatCannotStartIsMissing) {
    Installed installed;
    installed.secondResult = REGDB_E_CLASSNOTREG;
    Win32DbEngine db(installed.Creator());

    const EngineStatus status = db.SecondRepairDatabase("a.mdb");

    EXPECT_EQ(status.fault, EngineFault::Missing);
    EXPECT_EQ(status.status.code, static_cast<unsigned long>(REGDB_E_CLASSNOTREG));
    EXPECT_TRUE(db.RepairDatabase("a.mdb"));
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

TEST(Win32DbEngine, TheEnginesOwnFailuresReachTheCaller) {
    Installed installed;
    installed.engine = FakeDispatch::Make();
    installed.engine->Answer(L"CompactDatabase",
                             FakeAnswer::Raises(0, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 3356), L"Locked by POS1."));
    installed.application = FakeDispatch::Make();
    installed.application->Answer(L"DBEngine", FakeAnswer::ReturnsObject(installed.engine.Get()));
    installed.second = FakeDispatch::Make();
    installed.second->Answer(L"RepairDatabase", FakeAnswer::Raises(3251, 0, L"Not supported."));
    Win32DbEngine db(installed.Creator());

    const EngineStatus compact = db.CompactDatabase("a.mdb", "b.mdb", ";pwd=1");
    EXPECT_EQ(compact.fault, EngineFault::Failed);
    EXPECT_EQ(compact.status.code, 3356u);
    EXPECT_EQ(compact.status.where, "CompactDatabase");
    EXPECT_EQ(compact.status.text, "Locked by POS1.");

    // The engine without RepairDatabase at all, and the second one refusing it.
    EXPECT_EQ(db.RepairDatabase("a.mdb").fault, EngineFault::Unsupported);
    const EngineStatus second = db.SecondRepairDatabase("a.mdb");
    EXPECT_EQ(second.fault, EngineFault::Unsupported);
    EXPECT_EQ(second.status.code, 3251u);
}

}  // namespace
}  // namespace corvane::win32
