#include "ui/main_model.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr int kD = 68, kR = 82;

class CountingActions : public MainActions {
public:
    void RepairRequest(MainWindowPort&, ProgressPort&) override {
        ++repairs;
        if (during) during();
    }
    void RestoreEntry(MainWindowUi&) override {
        ++restores;
        if (during) during();
    }
    int repairs = 0, restores = 0;
    std::function<void()> during;
};

class FMain : public ::testing::Test, public testing::Harness {
protected:
    FMain() : model(context, actions) {
        state.uiLanguageCode = "1";
    }
    void OpenOnLanguagePanel() {
        state.uiLanguageCode = "";
        model.Open();
    }
    CountingActions actions;
    MainModel model;
};

TEST_F(FMain, HotKeysNeedShiftAloneAndOnlyDOrR) {
    struct Case {
        const char* name;
        int key;
        bool shift, ctrl, alt;
        int repairs, restores;
    } const cases[] = {
        {"Shift+D", kD, true, false, false, 1, 0},
        {"Shift+R", kR, true, false, false, 0, 1},
        {"D alone", kD, false, false, false, 0, 0},
        {"Ctrl+Shift+D", kD, true, true, false, 0, 0},
        {"Alt+Shift+D", kD, true, false, true, 0, 0},
        {"Shift+E", 69, true, false, false, 0, 0},
        {"Shift+r as a lower-case code", 114, true, false, false, 0, 0},
    };
    model.Open();
    for (const Case& c : cases) {
        actions.repairs = actions.restores = 0;
        model.KeyDown(c.key, c.shift, c.ctrl, c.alt);
        EXPECT_EQ(actions.repairs, c.repairs) << c.name;
        EXPECT_EQ(actions.restores, c.restores) << c.name;
    }
    EXPECT_TRUE(dialogs.shown.empty()) << "the home state never asks";
}

TEST_F(FMain, ConfirmingALanguageStoresItAndGoesHome) {
    OpenOnLanguagePanel();
    model.ConfirmLanguage();  // Enter with nothing chosen: stays, stores nothing, asks nothing
    EXPECT_TRUE(model.Screen().languagesShown);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(drives.files.Exists("E:\\Corvane\\Corvane.lng"));
    const std::pair<LanguageOption, std::string> codes[] = {
        {LanguageOption::Spanish, "1"}, {LanguageOption::Portuguese, "2"}, {LanguageOption::English, "3"}};
    for (const auto& [option, code] : codes) {
        OpenOnLanguagePanel();
        model.ChooseLanguage(option);
        model.ConfirmLanguage();
        EXPECT_EQ(drives.ReadFile("E:\\Corvane\\Corvane.lng"), code + "\r\n");
        EXPECT_EQ(state.uiLanguageCode, code);
        EXPECT_FALSE(model.Screen().languagesShown) << code;
        EXPECT_TRUE(model.Screen().buttonsShown) << code;
    }
}

TEST_F(FMain, NoSecondActionStartsWhileOneIsUnderWay) {
    model.Open();
    // Input that arrives while the first action waits with the window alive.
    actions.during = [this] {
        actions.during = nullptr;
        model.ClickRepair();
        model.ClickRestore();
        model.KeyDown(kR, true, false, false);
    };
    model.ClickRepair();
    EXPECT_EQ(actions.repairs, 1);
    EXPECT_EQ(actions.restores, 0);

    model.ShowBusy();
    model.ClickRestore();
    model.HideBusy();
    model.HideForRestore();
    model.KeyDown(kD, true, false, false);
    EXPECT_EQ(actions.repairs + actions.restores, 1);

    model.ShowAfterRestore();
    model.ClickRestore();
    EXPECT_EQ(actions.restores, 1);

    // The hot-key question's own message loop still delivers clicks to the window.
    OpenOnLanguagePanel();
    dialogs.onShow = [this](const MessageBoxRequest&) { model.ClickRepair(); };
    model.KeyDown(kD, true, false, false);
    EXPECT_EQ(actions.repairs, 1);
}

}  // namespace
}  // namespace corvane
