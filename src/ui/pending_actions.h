#pragma once
#include "app/context.h"
#include "ui/main_model.h"

namespace corvane {

// The two entries as they stand until the database modules take them over:
// each records in the debug log that it was asked for, and does nothing else.
class PendingActions : public MainActions {
public:
    explicit PendingActions(const AppContext& context) : context_(context) {}
    void RepairRequest() override;
    void RestoreEntry() override;

private:
    const AppContext& context_;
};

}  // namespace corvane
