#include "ui/unattended_run.h"

#include <cctype>

#include "dbmaint/repair_request.h"

namespace corvane {
namespace {

// "Esperando Keystone: 23 s, en uso en POS1" says nothing new at 24 s: the
// seconds are left out of the comparison.
std::string WithoutSeconds(const std::string& line) {
    const std::size_t colon = line.find(": ");
    if (line.rfind("Esperando ", 0) != 0 || colon == std::string::npos) return line;
    std::size_t end = colon + 2;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
    return line.substr(0, colon + 2) + line.substr(end);
}

class LoggedProgress : public ProgressPort {
public:
    explicit LoggedProgress(RunLog& log) : log_(log) {}

    void SetStatus(const std::string& line) override {
        const std::string news = WithoutSeconds(line);
        if (line.empty() || news == last_) return;
        last_ = news;
        log_.Record(line);
    }
    void SetCopyProgress(int) override {}

private:
    RunLog& log_;
    std::string last_;
};

}  // namespace

int RunUnattendedRepair(AppContext& context, DbEngine& engine, Waiter& waiter, RunLog& log) {
    NoMainWindow window;
    LoggedProgress progress(log);
    DatabaseRun run{context, engine, waiter, window, progress, kRunUnattended};
    return ExitCodeOf(LBLDBREPAIRFG_Click(run));
}

}  // namespace corvane
