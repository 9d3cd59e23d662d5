// The engine when the application runs in a process of its own: a server
// that dies, the quit at the program's end, a close request during a call.
#include <gtest/gtest.h>

#include "platform/win32/db_engine_win32.h"
#include "platform/win32/fake_dispatch.h"

namespace corvane::win32 {
namespace {

using namespace dispatch_fakes;

// A server that died: its proxies are let go, and the next call starts a new
// application; Version, which changes nothing, tries once more at once.
TEST(Win32DbEngine, ADeadServerIsLetGoAndStartedAgain) {
    Installed installed;
    Win32DbEngine db(installed.Creator());
    installed.engine->Answer(L"CompactDatabase", {.result = static_cast<HRESULT>(0x800706BE)});
    EXPECT_EQ(db.CompactDatabase("a.mdb", "b.mdb", "").fault, EngineFault::ServerGone);
    EXPECT_EQ(installed.application->references, 1u) << "let go";
    EXPECT_EQ(installed.engine->references, 1u) << "let go";

    installed.engine->Answer(L"CompactDatabase");
    EXPECT_TRUE(db.CompactDatabase("a.mdb", "b.mdb", ""));
    EXPECT_EQ(installed.Created(kApplicationClsid), 2);

    // Gone since the last run: once more at once, then as it answers.
    int versions = 0;
    installed.engine->Answer(L"Version", {.result = static_cast<HRESULT>(0x800706BA), .during = [&] { ++versions; }});
    std::string version;
    EXPECT_EQ(db.Version(version).fault, EngineFault::ServerGone);
    EXPECT_EQ(versions, 2);
    EXPECT_EQ(installed.Created(kApplicationClsid), 3) << "the objects it had, then one new application";
}

TEST(Win32DbEngine, QuitAsksTheApplicationToSaveNothingAndLetsItGo) {
    Installed installed;
    installed.application->Answer(L"Quit");
    Win32DbEngine db(installed.Creator());
    EXPECT_TRUE(db.Quit()) << "nothing created yet";
    EXPECT_EQ(installed.Created(kApplicationClsid), 0);

    std::string version;
    ASSERT_TRUE(db.Version(version));
    EXPECT_TRUE(db.Quit());
    EXPECT_EQ(installed.application->calls, (Calls{L"get DBEngine", L"Quit(2)"}));
    EXPECT_EQ(installed.application->references, 1u);
    EXPECT_EQ(installed.engine->references, 1u);
    EXPECT_TRUE(db.Quit()) << "once is enough";
    EXPECT_EQ(installed.application->calls.size(), 2u);

    ASSERT_TRUE(db.Version(version));
    EXPECT_EQ(installed.Created(kApplicationClsid), 2) << "a run after the quit starts it again";
}

// A close request let through during a call: the server takes one call at a
// time, so no Quit is asked then.
TEST(Win32DbEngine, NoQuitIsAskedWhileACallIsUnderWay) {
    Installed installed;
    installed.application->Answer(L"Quit");
    Win32DbEngine db(installed.Creator());
    EngineStatus during;
    installed.engine->Answer(L"CompactDatabase", {.during = [&] { during = db.Quit(); }});
    EXPECT_TRUE(db.CompactDatabase("a.mdb", "b.mdb", ""));
    EXPECT_EQ(during.status.code, static_cast<unsigned long>(E_PENDING));
    EXPECT_EQ(installed.application->calls, Calls{L"get DBEngine"});
}

// A proxy's EXCEPINFO may carry the server's fill-in address, which would be
// called at random in this process: it is left alone, and the failure is
// still a failure.
TEST(Win32DbEngine, AProxysFillInIsNeverCalled) {
    Installed installed;
    installed.engine->proxy = true;
    installed.engine->Answer(L"CompactDatabase", Raises(3204, 0, L"Database already exists.", true));
    Win32DbEngine db(installed.Creator());
    const EngineStatus status = db.CompactDatabase("a.mdb", "b.mdb", "");
    EXPECT_EQ(status.fault, EngineFault::Failed);
    EXPECT_EQ(status.status.code, static_cast<unsigned long>(DISP_E_EXCEPTION)) << "nothing filled in";
}

}  // namespace
}  // namespace corvane::win32
