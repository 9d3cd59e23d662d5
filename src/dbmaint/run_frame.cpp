#include "dbmaint/run_frame.h"

#include "platform/dialogs.h"

namespace corvane {

RunFrame::RunFrame(const AppContext& context, ProgressPort* screen, std::string endedText)
    : context_(context.With(end_)),
      log_(context_),
      history_(context_, log_),
      progress_(history_, screen),
      end_(*this, context.process),
      screen_(screen),
      endedText_(std::move(endedText)) {}

void RunFrame::Start(const std::string& asked) { history_.Start(asked); }

RunLockTaken RunFrame::TakeLock(const std::string& folder, const char* kind) {
    RunLockTaken taken = TakeRunLock(context_, folder, kind);
    lock_ = std::move(taken.lock);
    return taken;
}

void RunFrame::End(const std::string& how) {
    ReleaseLock();
    history_.End(how);
}

void RunFrame::TellNearLimit() {
    if (screen_ == nullptr || history_.NearLimit().empty()) return;
    Tell(context_.dialogs, "ATENCION!!!", LimitBoxText(history_.NearLimit()), Icon::Warning, true);
}

void RunFrame::RecordedEnd::End(int exitCode) {
    if (frame_.beforeEnd_) frame_.beforeEnd_();
    frame_.End(frame_.endedText_);
    real_.End(exitCode);
}

DatabaseRun RunIn(RunFrame& frame, DbEngine& engine, Waiter& waiter, MainWindowPort& window, const char* kind,
                  int waitLimitSeconds) {
    RunHistory& history = frame.History();
    DatabaseRun run{frame.Context(), engine, waiter, window, frame.Progress(), history, frame, waitLimitSeconds, kind};
    // The swaps' removals and settled leftovers go in the run's history.
    run.swaps.record = [&history](const std::string& text) { history.Note(text); };
    return run;
}

}  // namespace corvane
