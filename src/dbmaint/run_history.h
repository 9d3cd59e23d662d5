#pragma once
#include <string>
#include <vector>

#include "app/context.h"
#include "app/run_log.h"
#include "base/date_time.h"
#include "dbmaint/progress_port.h"
#include "dbmaint/run_records.h"
#include "platform/status.h"

namespace corvane {

// The history of one run in Corvane.log: what was asked, what the run was
// doing when it said something new, each database's result with its sizes,
// each restore, the warnings and the end. Every record is appended at
// once, so a run that is killed leaves what it had done; a record that
// cannot be written never stops the run (RunLog says why in the debug log).
class RunHistory {
public:
    RunHistory(AppContext& context, RunLog& log) : context_(context), log_(log) {}

    void Start(const std::string& asked);  // "Inicio: DB REPAIR, Corvane v25.0.0"
    void End(const std::string& how);      // "Fin: ...", once after Start

    // A record when the status says something new: a wait's seconds alone
    // are no news, its holders are.
    void Status(const RunStatus& status);
    // A record of what the run decided by itself, such as compacting where
    // the engine cannot repair.
    void Note(const std::string& text);
    // The record of a row, and the warning when the database is near the limit.
    void Row(const RowRecord& row);
    // The record of a restore of the kind named so, with the live
    // database's size afterwards.
    void Restored(const std::string& name, const std::string& backupPath, const std::string& livePath,
                  const RestoreResult& result);

    // The databases past the warning size so far, in the run's order.
    const std::vector<LargeDatabase>& NearLimit() const { return nearLimit_; }

    AppContext& Context() { return context_; }

private:
    void CheckSize(const std::string& name, std::optional<std::uint64_t> size);

    AppContext& context_;
    RunLog& log_;
    bool running_ = false;
    RunStatus lastNews_;
    std::vector<LargeDatabase> nearLimit_;
};

// One database's row as the history times and measures it: made when the
// row comes up, begun when the work starts (after any wait), ended once.
class HistoryRow {
public:
    HistoryRow(RunHistory& history, RunAction action, const std::string& path);

    void Begin();  // the size before and the clock
    // The wait before the row as its status line last showed it: its
    // seconds and who held the database. 0: none was shown.
    void Waited(int seconds, const std::vector<std::string>& holders);
    void Done();
    void Failed(const Status& why);
    void Skipped(const std::string& why);

private:
    void End(RowEnd end, const std::string& reason);

    RunHistory& history_;
    RowRecord row_;
    std::string path_;
    bool begun_ = false;
    DateTime began_;
};

// A screen's progress port that records the run's statuses in its history
// as they go. screen may be null: a run nobody watches.
class RecordedProgress : public ProgressPort {
public:
    RecordedProgress(RunHistory& history, ProgressPort* screen) : history_(history), screen_(screen) {}

    void SetStatus(const RunStatus& status) override;
    void SetCopyProgress(int percent) override;

private:
    RunHistory& history_;
    ProgressPort* screen_;
};


}  // namespace corvane
