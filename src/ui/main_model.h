#pragma once
#include <functional>
#include <string>

#include "app/context.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "ui/busy_overlay.h"
#include "ui/main_actions.h"
#include "ui/main_layout.h"

namespace corvane {

// The three option buttons of the language panel, in their order on screen.
enum class LanguageOption { None, Spanish, Portuguese, English };

// LBLMSG: the message label of the message area.
struct MessageLabel {
    std::string text;
    layout::Rgb colour = layout::kBlack;
    double fontPoints = 12;
    bool bold = true;
    bool shown = false;
};

// What FMain shows. The view draws exactly this.
struct MainScreen {
    BusyOverlay busy;              // FrameCLOCK
    bool buttonsShown = true;      // FrameBUTTONS
    bool languagesShown = false;   // FrameIDIOMAS
    bool messageAreaShown = true;  // FrameMAIN
    MessageLabel message;
    LanguageOption language = LanguageOption::None;
    bool windowShown = false;  // false while the restore screen stands in its place
    std::string caption;
};

// FMain's behaviour, free of any window system: every user action and
// notification of the window arrives here, and the view redraws from Screen().
class MainModel : public MainWindowUi, public ProgressPort {
public:
    MainModel(AppContext& context, MainActions& actions);

    const MainScreen& Screen() const { return screen_; }
    // Called after every change; repaintNow asks the view to draw before it
    // returns, for changes made right before a long piece of work.
    void SetObserver(std::function<void(bool repaintNow)> observer) { observer_ = std::move(observer); }

    // The window opens in its home state, or on the language panel while no
    // UI language has been chosen on this installation.
    void Open();
    void Reset();  // FMAINRESET
    void Activated();

    void ClickRepair();   // LBLDBREPAIRFG_Click
    void ClickRestore();  // LBLRESTOREFG_Click
    void KeyDown(int keyCode, bool shift, bool ctrl, bool alt);
    void ChooseLanguage(LanguageOption option);
    // Enter or a double click on an option: the choice is stored for good.
    void ConfirmLanguage();
    void Cancel();  // Esc, through CBCancel
    void CloseRequest();

    // The port the actions reach the window through.
    void ShowBusy() override;
    void HideBusy() override;
    bool MessageVisible() const override;
    void ShowMessageText(const std::string& text, double fontPoints) override;
    void HideForRestore() override;
    void ShowAfterRestore() override;
    // The run's status line, through the progress port.
    void SetStatus(const RunStatus& status) override;
    void SetCopyProgress(int percent) override;

private:
    bool ActionUnderWay() const;
    enum class Entry { Repair, Restore };
    void Run(Entry entry);
    void Changed(bool repaintNow = false);

    AppContext& context_;
    MainActions& actions_;
    MainScreen screen_;
    bool inAction_ = false;
    std::function<void(bool)> observer_;
};

}  // namespace corvane
