#pragma once
#include "app/context.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"
#include "ui/main_actions.h"
#include "ui/restore_model.h"

namespace corvane {

// The main window's two entries, handed to the database work.
class DatabaseActions : public MainActions {
public:
    DatabaseActions(AppContext& context, DbEngine& engine, Waiter& waiter, RestoreModel& restore)
        : context_(context), engine_(engine), waiter_(waiter), restore_(restore) {}
    void RepairRequest(MainWindowPort& window, ProgressPort& progress) override;
    // The restore screen in the main window's place.
    void RestoreEntry(MainWindowUi& window) override;

private:
    AppContext& context_;
    DbEngine& engine_;
    Waiter& waiter_;
    RestoreModel& restore_;
};

}  // namespace corvane
