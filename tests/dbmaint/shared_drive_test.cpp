#include "dbmaint/shared_drive.h"

#include <gtest/gtest.h>

#include "dbmaint/repair_request.h"
#include "dbmaint/restore_discovery.h"
#include "support/fakes.h"

namespace corvane {
namespace {

// The connection check of both entries: the repair request stays in the
// program when the retry is declined, the restore entry ends it; a computer
// whose name holds the developer marker is offered a local run after.
TEST(ReachSharedDrive, AsksUntilFoundThenOffersALocalRunAndEndsTheProgramOnlyForTheRestore) {
    const std::string retry = "NO Hay Conexion con la Maquina 'Monitor'!!!\rIntentamos de Nuevo?";
    const std::string local = "Rodamos en Modo 'LOCAL'?";
    struct Case {
        const char* what;
        const char* computer;
        const char* devFlag;
        bool repairRequest;  // else the restore entry
        std::deque<Answer> answers;
        bool goesOn;
        std::optional<int> ended;
        std::vector<std::string> boxes;
        int shareBackAt = 0;  // the question during which the main machine's share comes back
    } const cases[] = {
        {"the repair request declined", "POS1", "", true, {Answer::No}, false, std::nullopt, {retry}},
        {"the restore entry declined", "POS1", "", false, {Answer::No}, false, 0, {retry}},
        {"Yes until the share is back", "POS1", "", true, {Answer::Yes, Answer::Yes}, true, std::nullopt,
         {retry, retry}, 2},
        {"a developer's local run", "DEV-K305", "YES", false, {Answer::No, Answer::Yes}, true, std::nullopt,
         {retry, local}},
        {"a developer's local run declined", "DEV-K305", "YES", false, {Answer::No, Answer::No}, false, 0,
         {retry, local}},
        {"a developer acting as Monitor is offered none", "Monitor", "YES", true, {Answer::No}, false, std::nullopt,
         {retry}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::RunHarness h;
        h.state.mainMachineName = "Monitor";
        h.state.devMachineMarker = "K305";
        h.state.computerName = c.computer;
        h.state.devMachineFlag = c.devFlag;
        h.state.sharedDataFolderPath = SharedFolder(h.state);
        h.dialogs.answers = c.answers;
        h.dialogs.onShow = [&](const MessageBoxRequest&) {
            EXPECT_EQ(h.window.busy, c.repairRequest) << "the overlay stays up during the question";
            if (h.dialogs.shown.size() == static_cast<std::size_t>(c.shareBackAt)) {
                std::filesystem::create_directories(h.drives.root / "unc" / "monitor" / "g" / "Shared");
            }
        };
        if (c.repairRequest) {
            const RepairOutcome outcome = LBLDBREPAIRFG_Click(h.run);
            EXPECT_EQ(outcome != RepairOutcome::NoConnection, c.goesOn);
            EXPECT_EQ(h.window.events, (std::vector<std::string>{"busy", "idle"}));
        } else {
            EXPECT_EQ(RestoreConnection(h.context), c.goesOn);
        }
        EXPECT_EQ(h.process.endedWith, c.ended);
        EXPECT_EQ(h.state.sharedFolderFound, c.goesOn);
        EXPECT_EQ(h.dialogs.Texts(), c.boxes);
        for (const MessageBoxRequest& box : h.dialogs.shown) {
            EXPECT_EQ(box.title, box.text == local ? ":)" : "ATENCION!!!");
            EXPECT_EQ(box.defaultButton, box.text == local ? 1 : 2);
            EXPECT_EQ(box.buttons, Buttons::YesNo);
            EXPECT_EQ(box.icon, Icon::Question);
            EXPECT_TRUE(box.foreground);
        }
    }
}

}  // namespace
}  // namespace corvane
