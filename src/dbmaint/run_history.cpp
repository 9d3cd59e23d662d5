#include "dbmaint/run_history.h"

#include "app/program.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/database_size.h"
#include "platform/clock.h"

namespace corvane {

void RunHistory::Start(const std::string& asked) {
    running_ = true;
    lastNews_ = {};
    nearLimit_.clear();
    log_.Record("Inicio: " + asked + ", " + ProgramVersion());
}

void RunHistory::End(const std::string& how) {
    // The program's end may have closed it already.
    if (!running_) return;
    running_ = false;
    log_.Record("Fin: " + how);
}

void RunHistory::Status(const RunStatus& status) {
    RunStatus news = status;
    news.secondsWaited = 0;
    if (status.action == RunAction::None || news == lastNews_) return;
    lastNews_ = std::move(news);
    log_.Record(StatusLine(status));
}

void RunHistory::Note(const std::string& text) { log_.Record(text); }

void RunHistory::Row(const RowRecord& row) {
    log_.Record(RowRecordText(row));
    CheckSize(row.name, row.after);
}

void RunHistory::Restored(const std::string& name, const std::string& backupPath, const std::string& livePath,
                          const RestoreResult& result) {
    for (const std::string& note : result.notes) log_.Record(note);
    RestoreRecord record{name, backupPath, livePath, result.keptPath, result.end, {}, result.message};
    record.size = DatabaseSize(context_.files, livePath);
    log_.Record(RestoreRecordText(record));
    if (record.end == RestoreEnd::Restored) CheckSize(record.name, record.size);
}

void RunHistory::CheckSize(const std::string& name, std::optional<std::uint64_t> size) {
    if (!size || !NearSizeLimit(*size)) return;
    nearLimit_.push_back({name, *size});
    log_.Record(LimitRecordText(nearLimit_.back()));
}

HistoryRow::HistoryRow(RunHistory& history, RunAction action, const std::string& path)
    : history_(history), path_(path), began_(history.Context().clock.Now()) {
    row_.action = action;
    row_.name = NameInRun(path);
}

void HistoryRow::Begin() {
    begun_ = true;
    row_.before = DatabaseSize(history_.Context().files, path_);
    began_ = history_.Context().clock.Now();
}

void HistoryRow::Waited(int seconds, const std::vector<std::string>& holders) {
    if (seconds > 0) row_.wait = {RunAction::Waiting, row_.name, 0, 0, seconds, holders};
}

void HistoryRow::Done() { End(RowEnd::Done, {}); }
void HistoryRow::Failed(const Status& why) { End(RowEnd::Failed, why.Describe()); }
void HistoryRow::Skipped(const std::string& why) { End(RowEnd::Skipped, why); }

void HistoryRow::End(RowEnd end, const std::string& reason) {
    AppContext& context = history_.Context();
    row_.end = end;
    row_.reason = reason;
    row_.after = DatabaseSize(context.files, path_);
    const long long seconds = begun_ ? SecondsBetween(began_, context.clock.Now()) : 0;
    row_.seconds = seconds > 0 ? static_cast<int>(seconds) : 0;
    history_.Row(row_);
}

void RecordedProgress::SetStatus(const RunStatus& status) {
    if (screen_ != nullptr) screen_->SetStatus(status);
    history_.Status(status);
}

void RecordedProgress::SetCopyProgress(int percent) {
    if (screen_ != nullptr) screen_->SetCopyProgress(percent);
}

}  // namespace corvane
