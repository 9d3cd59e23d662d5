#pragma once
#include "app/context.h"
#include "platform/db_engine.h"
#include "platform/waiter.h"
#include "ui/main_actions.h"

namespace corvane {

// The main window's two entries, handed to the database work.
class DatabaseActions : public MainActions {
public:
    DatabaseActions(AppContext& context, DbEngine& engine, Waiter& waiter)
        : context_(context), engine_(engine), waiter_(waiter) {}
    void RepairRequest(MainWindowPort& window, ProgressPort& progress) override;
    // Until restore is built it only records that it was asked for.
    void RestoreEntry(MainWindowPort& window) override;

private:
    AppContext& context_;
    DbEngine& engine_;
    Waiter& waiter_;
};

}  // namespace corvane
