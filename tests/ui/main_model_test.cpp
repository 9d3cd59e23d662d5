#include "ui/main_model.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace corvane {
namespace {

constexpr int kD = 68, kR = 82;

class CountingActions : public MainActions {
public:
    void RepairRequest(MainWindowPort& window, ProgressPort& progress) override {
        ++repairs;
        port = &window;
        progressPort = &progress;
        if (during) during();
    }
    void RestoreEntry(MainWindowPort& window) override {
        ++restores;
        port = &window;
        if (during) during();
    }
    MainWindowPort* port = nullptr;
    ProgressPort* progressPort = nullptr;
    int repairs = 0, restores = 0;
    std::function<void()> during;
};

class FMain : public ::testing::Test {
protected:
    FMain() : model(h.context, actions) {
        h.state.uiLanguageCode = "1";
        h.state.versionTitle = "(v25.0.0)(Win1x)";
        model.SetObserver([this](bool) { ++redraws; });
    }
    void OpenOnLanguagePanel() {
        h.state.uiLanguageCode = "";
        model.Open();
    }
    testing::Harness h;
    CountingActions actions;
    MainModel model;
    int redraws = 0;
};

TEST_F(FMain, OpensInTheHomeStateWhenALanguageIsStored) {
    model.Open();
    const MainScreen& s = model.Screen();
    EXPECT_TRUE(s.windowShown && s.buttonsShown && s.messageAreaShown);
    EXPECT_FALSE(s.languagesShown || s.clockShown || s.message.shown || s.hourglass);
    EXPECT_EQ(s.language, LanguageOption::None);
    EXPECT_GT(redraws, 0);
}

TEST_F(FMain, OpensOnTheLanguagePanelWhileNoLanguageIsStored) {
    OpenOnLanguagePanel();
    EXPECT_TRUE(model.Screen().languagesShown);
    EXPECT_FALSE(model.Screen().buttonsShown);
}

TEST_F(FMain, CaptionIsProgramNameAndVersionTitleOnEveryActivation) {
    model.Open();
    EXPECT_EQ(model.Screen().caption, "Corvane (v25.0.0)(Win1x)");
    h.state.versionTitle = "(v25.0.0)(WinNT4)";
    model.Activated();
    EXPECT_EQ(model.Screen().caption, "Corvane (v25.0.0)(WinNT4)");
    h.state.versionTitle = "(v25.0.0)(Win1x)";
    model.Activated();
    EXPECT_EQ(model.Screen().caption, "Corvane (v25.0.0)(Win1x)");
    h.state.versionTitle = "(v25.0.0)(WinXP)";
    model.Activated();
    EXPECT_EQ(model.Screen().caption, "Corvane (v25.0.0)(WinXP)");
}

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
        {"Ctrl+Alt+Shift+R", kR, true, true, true, 0, 0},
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
    EXPECT_TRUE(h.dialogs.shown.empty()) << "the home state never asks";
}

TEST_F(FMain, LanguagePanelAsksInTheSelectedLanguageWithNoPreselected) {
    struct Case {
        LanguageOption option;
        int key;
        const char* title;
        const char* text;
    } const cases[] = {
        {LanguageOption::None, kD, "ATENCION!", "Reparamos las Bases de Datos?"},
        {LanguageOption::Spanish, kR, "ATENCION!", "Restauramos las Bases de Datos?"},
        {LanguageOption::English, kD, "ATTENTION!", "Repair Data Bases?"},
        {LanguageOption::English, kR, "ATTENTION!", "Restore Data Bases?"},
        {LanguageOption::Portuguese, kD, "ATENÇÃO!", "Reparamos as Bases de Dados?"},
        {LanguageOption::Portuguese, kR, "ATENÇÃO!", "Restoramos as Bases de Dados?"},
    };
    OpenOnLanguagePanel();
    for (const Case& c : cases) {
        h.dialogs.shown.clear();
        model.ChooseLanguage(c.option);
        model.KeyDown(c.key, true, false, false);  // answered No
        ASSERT_EQ(h.dialogs.shown.size(), 1u);
        const MessageBoxRequest& box = h.dialogs.shown[0];
        EXPECT_EQ(box.title, c.title);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.buttons, Buttons::YesNo);
        EXPECT_EQ(box.icon, Icon::Question);
        EXPECT_EQ(box.defaultButton, 2);
        EXPECT_TRUE(box.foreground);
    }
    EXPECT_EQ(actions.repairs + actions.restores, 0);
}

TEST_F(FMain, OnlyYesToTheQuestionStartsTheAction) {
    OpenOnLanguagePanel();
    h.dialogs.answers = {Answer::Yes, Answer::Cancel, Answer::Yes};
    model.KeyDown(kD, true, false, false);
    model.KeyDown(kD, true, false, false);
    model.KeyDown(kR, true, false, false);
    EXPECT_EQ(actions.repairs, 1);
    EXPECT_EQ(actions.restores, 1);
}

TEST_F(FMain, EscClearsTheChoiceSoTheNextQuestionIsSpanish) {
    OpenOnLanguagePanel();
    model.ChooseLanguage(LanguageOption::English);
    model.Cancel();
    EXPECT_EQ(model.Screen().language, LanguageOption::None);
    model.KeyDown(kR, true, false, false);
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].title, "ATENCION!");
    EXPECT_EQ(h.state.uiLanguageCode, "") << "choosing or clearing stores nothing";
}

TEST_F(FMain, ConfirmingALanguageStoresItAndGoesHome) {
    OpenOnLanguagePanel();
    model.ConfirmLanguage();  // Enter with nothing chosen: stays, stores nothing, asks nothing
    EXPECT_TRUE(model.Screen().languagesShown);
    EXPECT_TRUE(h.dialogs.shown.empty());
    EXPECT_FALSE(h.drives.files.Exists("E:\\Corvane\\Corvane.lng"));
    model.ChooseLanguage(LanguageOption::English);
    model.ConfirmLanguage();
    EXPECT_EQ(h.drives.ReadFile("E:\\Corvane\\Corvane.lng"), "3\r\n");
    EXPECT_EQ(h.state.uiLanguageCode, "3");
    EXPECT_FALSE(model.Screen().languagesShown);
    EXPECT_TRUE(model.Screen().buttonsShown);
}

TEST_F(FMain, LanguageThatCannotBeStoredIsReportedAndThePanelStays) {
    OpenOnLanguagePanel();
    std::filesystem::remove_all(h.drives.Local("E:\\Corvane"));
    model.ChooseLanguage(LanguageOption::Portuguese);
    model.ConfirmLanguage();
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_NE(h.dialogs.shown[0].text.find("Corvane.lng"), std::string::npos);
    EXPECT_TRUE(model.Screen().languagesShown);
    EXPECT_EQ(h.state.uiLanguageCode, "");
}

TEST_F(FMain, ResetShowsTheButtonsAndHidesTheMessageAndLanguages) {
    OpenOnLanguagePanel();
    model.ShowBusy();
    model.Reset();
    const MainScreen& s = model.Screen();
    EXPECT_TRUE(s.buttonsShown);
    EXPECT_FALSE(s.languagesShown || s.message.shown);
    EXPECT_EQ(s.message.fontPoints, 12);
    EXPECT_TRUE(s.message.colour == layout::kBlack);
    EXPECT_TRUE(s.clockShown) << "the overlay belongs to the running repair";
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
}

TEST_F(FMain, NoActionStartsFromInsideTheHotKeyQuestion) {
    // The box's own message loop still delivers clicks to the window.
    struct ClickingDialogs : Dialogs {
        MainModel* model = nullptr;
        Answer Show(const MessageBoxRequest&) override {
            model->ClickRepair();
            return Answer::No;
        }
    } clicking;
    AppContext context{h.state, h.drives.files, clicking, h.system, h.clock, h.instance, h.process,
                       "E:\\Corvane", "Corvane"};
    MainModel asking(context, actions);
    clicking.model = &asking;
    h.state.uiLanguageCode = "";
    asking.Open();
    asking.KeyDown(kD, true, false, false);
    EXPECT_EQ(actions.repairs, 0);
}

TEST_F(FMain, BusyShowsTheOverlayAndHourglassAndRepaintsAtOnce) {
    model.Open();
    bool repaintedNow = false;
    model.SetObserver([&](bool now) { repaintedNow = now; });
    model.ShowBusy();
    EXPECT_TRUE(model.Screen().clockShown && model.Screen().hourglass);
    EXPECT_TRUE(repaintedNow);
    model.HideBusy();
    EXPECT_FALSE(model.Screen().clockShown || model.Screen().hourglass);
}

TEST_F(FMain, ActionsReachTheWindowThroughItsModel) {
    model.Open();
    actions.during = [this] {
        actions.port->ShowBusy();
        EXPECT_TRUE(model.Screen().clockShown && model.Screen().hourglass);
        EXPECT_FALSE(actions.port->MessageVisible()) << "LBLMSG is hidden in the home state";
        actions.port->ShowMessageText("\rG:\\Shared\\x.mdb", 12);
        actions.port->HideBusy();
    };
    model.ClickRepair();
    ASSERT_EQ(actions.port, &model);
    EXPECT_EQ(model.Screen().message.text, "\rG:\\Shared\\x.mdb");
    EXPECT_FALSE(model.Screen().clockShown || model.Screen().hourglass);
}

TEST_F(FMain, TheRunsStatusLineIsPaintedBeforeTheWorkGoesOnAndGoesWithTheOverlay) {
    model.Open();
    std::vector<bool> repaints;
    model.SetObserver([&](bool now) { repaints.push_back(now); });
    actions.during = [&] {
        actions.port->ShowBusy();
        repaints.clear();
        actions.progressPort->SetStatus("Compactando Keystone (1 de 2)");
        EXPECT_EQ(StatusText(model.Screen()), "Compactando Keystone (1 de 2)");
        actions.progressPort->SetStatus("Compactando Keystone (1 de 2)");
        EXPECT_EQ(repaints, std::vector<bool>{true}) << "painted at once, and only when it changed";
        actions.progressPort->SetCopyProgress(42);
        EXPECT_EQ(StatusText(model.Screen()), "Compactando Keystone (1 de 2)  42 %");
        actions.port->HideBusy();
    };
    model.ClickRepair();
    ASSERT_EQ(actions.progressPort, &model);
    EXPECT_EQ(StatusText(model.Screen()), "") << "the next run starts with an empty line";
}

TEST_F(FMain, CloseRequestEndsTheProgramAtOnce) {
    model.Open();
    model.CloseRequest();
    EXPECT_EQ(h.process.endedWith, 0);
    EXPECT_TRUE(h.dialogs.shown.empty());
}

}  // namespace
}  // namespace corvane
