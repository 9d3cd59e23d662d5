#include "app/run_log.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

TEST(RunLog, EachRecordIsOneStampedLineOfItsBox) {
    struct Case {
        const char* what;
        DateTime now;
        const char* computer;  // "" before the start-up named it
        std::string text;
        const char* line;
    } const cases[] = {
        {"one line", {2026, 12, 7, 4, 0, 5}, "MONITOR", "Inicio: /reparar",
         "2026-12-07 04:00:05 MONITOR Inicio: /reparar"},
        {"a box's lines, blank ones dropped, each trimmed", {2026, 12, 7, 4, 0, 5}, "MONITOR",
         "Keystone OK!\r\r  Ledgers OK!  \r\n\nFin\r", "2026-12-07 04:00:05 MONITOR Keystone OK! | Ledgers OK! | Fin"},
        {"two-digit fields padded", {2027, 1, 2, 3, 4, 5}, "POS1", "x", "2027-01-02 03:04:05 POS1 x"},
        {"before the start-up, the system's name in capitals", {2026, 12, 7, 23, 59, 59}, "", "Inicio",
         "2026-12-07 23:59:59 POS3 Inicio"},
    };
    for (const Case& c : cases) {
        testing::Harness h;
        h.clock.now = c.now;
        h.state.computerName = c.computer;
        RunLog log(h.context);
        log.Record(c.text);
        log.Record("next");
        const std::string written = h.drives.ReadFile("E:\\Corvane\\Corvane.log");
        EXPECT_EQ(written.substr(0, written.find("\r\n") + 2), std::string(c.line) + "\r\n") << c.what;
        EXPECT_EQ(written.find("\r\n", written.find("\r\n") + 2), written.size() - 2) << c.what << ": appended";
    }
}

}  // namespace
}  // namespace corvane
