#pragma once
#include <string>

namespace corvane {

// What the database work asks of the main window, and nothing more: the main
// window's model implements it, tests pass a recording fake.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    // FrameCLOCK over the buttons, painted before this returns (the work that
    // follows may keep the window from painting), and the hourglass.
    virtual void ShowBusy() = 0;
    virtual void HideBusy() = 0;  // and the default pointer

    // LBLMSG, the message label.
    virtual bool MessageVisible() const = 0;
    virtual void ShowMessageText(const std::string& text, double fontPoints) = 0;  // painted at once
};

// The main window of a run that has none (a scheduled task, a benchmark):
// nothing is shown, so LBLMSG is never visible.
class NoMainWindow : public MainWindowPort {
public:
    void ShowBusy() override {}
    void HideBusy() override {}
    bool MessageVisible() const override { return false; }
    void ShowMessageText(const std::string&, double) override {}
};

}  // namespace corvane
