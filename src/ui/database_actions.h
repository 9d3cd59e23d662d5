#pragma once
#include "app/context.h"
#include "ui/main_actions.h"

namespace corvane {

// The main window's two entries, handed to the database work.
class DatabaseActions : public MainActions {
public:
    explicit DatabaseActions(AppContext& context) : context_(context) {}
    void RepairRequest(MainWindowPort& window) override;
    // Until restore is built it only records that it was asked for.
    void RestoreEntry(MainWindowPort& window) override;

private:
    AppContext& context_;
};

}  // namespace corvane
