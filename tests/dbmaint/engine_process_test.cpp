// The database application as a process of its own: it takes time to start,
// it can die in the middle of a row, and it must be told to quit when the
// program ends.
#include "dbmaint/engine_end.h"

#include <gtest/gtest.h>

#include "dbmaint/db_repair.h"
#include "platform/engine_deadline.h"
#include "support/fakes.h"

namespace corvane {
namespace {

EngineStatus Died() {
    return EngineStatus::Fail(EngineFault::ServerGone, 0x800706BE, "CompactDatabase", "The remote procedure call failed.");
}
EngineStatus NotRestarted() {
    return EngineStatus::Fail(EngineFault::Missing, 0x80040154, "CoCreateInstance", "Class not registered");
}
EngineStatus InUse() { return EngineStatus::Fail(EngineFault::Failed, 3045, "CompactDatabase", "In use."); }
// A compaction cancelled at its 30 minutes, its process ended or not.
EngineStatus Hung(const std::string& note = "se termino el proceso 4242 del motor") {
    EngineStatus hung = NoAnswer(0x80010002, "CompactDatabase", 30 * 60 * 1000, false);
    hung.note = note;
    return hung;
}
constexpr const char* kHungLine = " el motor no respondio en 30 minutos";

struct Venue : testing::RunHarness {
    explicit Venue(const std::vector<std::string>& kinds) {
        AtTheMainMachine();
        state.uiLanguageCode = "1";
        state.debugLogPath = "E:\\Corvane\\debug.deb";
        for (const std::string& kind : kinds) drives.WriteFile(Live(kind), kind + " data");
    }
    std::string Content(const std::string& kind) const { return drives.ReadFile(Live(kind)); }
    std::vector<std::string> Compacted() const {
        std::vector<std::string> rows;
        for (const std::string& call : engine.calls) {
            if (call.rfind("Compact ", 0) == 0) rows.push_back(call.substr(18, call.find(' ', 18) - 18));
        }
        return rows;
    }
};

// Rows of Keystone, Staffroll and Pantry (the compaction's order) whose
// compactions answer so. A hang counts as a death.
TEST(EngineProcess, ARowWhoseEngineDiesOrHangsFailsAndASecondInARowStopsTheRun) {
    const std::string hungKeystone = std::string("Error Keystone :(") + kHungLine + "\r";
    struct Case {
        const char* name;
        std::map<std::string, EngineStatus> answers;
        std::vector<std::string> compacted;  // asked of the engine
        bool stopped;
        std::string errors;  // the error summary
        std::string keystoneError;  // its record in Errors.txt
        std::string note;  // in the history and the debug log
    } const cases[] = {
        {"one death", {{"Keystone", Died()}}, {"Keystone", "Staffroll", "Pantry"}, false, "Error Keystone :(\r",
         "Error: 2147944126 | The remote procedure", ""},
        {"two deaths in a row",
         {{"Keystone", Died()}, {"Staffroll", Died()}},
         {"Keystone", "Staffroll"},
         true,
         "Error Keystone :(\rError Staffroll :(\r", "Error: 2147944126 | The remote procedure", ""},
        {"a death, then no new start",
         {{"Keystone", Died()}, {"Staffroll", NotRestarted()}},
         {"Keystone", "Staffroll"},
         true,
         "Error Keystone :(\rError Staffroll :(\r", "Error: 2147944126 | The remote procedure", ""},
        {"a working engine between two deaths",
         {{"Keystone", Died()}, {"Staffroll", InUse()}, {"Pantry", Died()}},
         {"Keystone", "Staffroll", "Pantry"},
         false,
         "Error Keystone :(\rError Staffroll :(\rError Pantry :(\r", "Error: 2147944126 | The remote procedure", ""},
        {"a hang, then a good row", {{"Keystone", Hung()}}, {"Keystone", "Staffroll", "Pantry"}, false, hungKeystone,
         "Error: 2147549186 | el motor no respondio en 30 minutos", "se termino el proceso 4242 del motor"},
        {"two hangs in a row",
         {{"Keystone", Hung()}, {"Staffroll", Hung()}},
         {"Keystone", "Staffroll"},
         true,
         hungKeystone + "Error Staffroll :(" + kHungLine + "\r", "Error: 2147549186 | el motor no respondio", ""},
        {"a hang, then a death",
         {{"Keystone", Hung()}, {"Staffroll", Died()}},
         {"Keystone", "Staffroll"},
         true,
         hungKeystone + "Error Staffroll :(\r", "Error: 2147549186 | el motor no respondio", ""},
        {"a hang whose process was never found",
         {{"Keystone", Hung("el motor no respondio y su proceso no se pudo terminar: hWndAccessApp sin respuesta")}},
         {"Keystone", "Staffroll", "Pantry"},
         false,
         hungKeystone,
         "Error: 2147549186 | el motor no respondio",
         "el motor no respondio y su proceso no se pudo terminar: hWndAccessApp sin respuesta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Venue venue({"Keystone", "Staffroll", "Pantry"});
        for (const auto& [kind, answer] : c.answers) venue.engine.failures[venue.LiveName(kind)] = answer;
        int underTheLock = 0;
        venue.dialogs.onShow = [&](auto&) { underTheLock += venue.Has("G:\\Shared\\Corvane.run"); };

        EXPECT_EQ(DBRepair(venue.run), RepairOutcome::SomeFailed) << "the unattended run exits with 1";
        EXPECT_EQ(underTheLock, 0) << "the stop and the summaries let the other runs in";

        EXPECT_EQ(venue.Compacted(), c.compacted);
        const std::vector<std::string> texts = venue.dialogs.Texts();
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back(), c.errors);
        const bool stopMessage = venue.dialogs.shown.front().title == "ATENCION!!!";
        EXPECT_EQ(stopMessage, c.stopped);
        if (c.stopped) {
            EXPECT_NE(texts.front().find("Dos Veces Seguidas"), std::string::npos) << texts.front();
            EXPECT_EQ(venue.dialogs.shown.front().icon, Icon::Stop);
            EXPECT_EQ(venue.Content("Pantry"), "Pantry data") << "not reached";
        } else if (c.answers.count("Pantry") == 0) {
            EXPECT_NE(venue.Content("Pantry"), "Pantry data") << "the run went on";
        }
        for (const auto& [kind, answer] : c.answers) {
            EXPECT_EQ(venue.Content(kind), kind + " data") << kind << " whole under its own name";
            EXPECT_FALSE(venue.Has("G:\\Shared\\" + kind + "C.mdb")) << "half-made copy of " << kind;
        }
        const std::string errors = venue.drives.ReadFile("G:\\Shared\\Errors.txt");
        EXPECT_NE(errors.find("\"Corvane - DBCOMPACT40 Keystone 2\",\"" + c.keystoneError), std::string::npos)
            << errors;
        if (!c.note.empty()) {
            EXPECT_NE(venue.drives.ReadFile("E:\\Corvane\\Corvane.log").find(c.note), std::string::npos)
                << "in the history";
            EXPECT_NE(venue.drives.ReadFile(venue.state.debugLogPath).find(c.note), std::string::npos)
                << "in the debug log";
        }
    }
}

TEST(EngineProcess, TheRepairSequenceStopsAtAHangAndADeathInARowToo) {
    Venue venue({"Keystone", "Staffroll", "Pantry"});
    venue.engine.version = "3.5";
    venue.engine.failures[venue.LiveName("Keystone")] = Hung();
    venue.engine.failures[venue.LiveName("Staffroll")] = Died();

    EXPECT_EQ(DBRepair(venue.run), RepairOutcome::SomeFailed);

    const std::vector<std::string> texts = venue.dialogs.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], std::string("ERROR en Keystone") + kHungLine);
    EXPECT_EQ(texts[1], "ERROR en Staffroll");
    EXPECT_NE(texts[2].find("Dos Veces Seguidas"), std::string::npos);
    ASSERT_FALSE(venue.engine.calls.empty());
    EXPECT_EQ(venue.engine.calls.back(), "Repair " + venue.Live("Staffroll"));
}

TEST(EngineProcess, EveryEndThroughTheProcessQuitsTheEngineFirst) {
    struct Case {
        const char* name;
        EngineStatus quit;
        bool recorded;
    } const cases[] = {
        {"quit", EngineStatus::Ok(), false},
        {"a call under way", EngineStatus::Fail(EngineFault::Failed, 0x8000000A, "Quit", "en curso"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Venue venue({});
        venue.engine.quit = c.quit;
        EngineEndingProcess ending(venue.engine, venue.process);
        ending.RecordTo(venue.context);

        ending.End(0);

        EXPECT_EQ(venue.engine.calls, std::vector<std::string>{"Quit"});
        EXPECT_EQ(venue.process.endedWith, 0) << "the end goes on whatever the quit answered";
        const bool hasLog = venue.Has(venue.state.debugLogPath);
        EXPECT_EQ(hasLog && venue.drives.ReadFile(venue.state.debugLogPath).find("\"Quit: Quit 0x8000000A | en curso\"") !=
                                std::string::npos,
                  c.recorded);
    }
}

}  // namespace
}  // namespace corvane
