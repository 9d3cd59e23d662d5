#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"
#include "ui/view_win32.h"
#include "ui/main_model.h"

namespace corvane {

// FMain on screen: draws MainModel's screen and forwards the user's actions to
// it. Panels are child windows stacked in the model's order, so showing or
// hiding one is one call; the big buttons are painted, not controls.
class MainView : private win32::ScreenView {
public:
    MainView(MainModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner);
    ~MainView() override;

    // Creates the window and its panels, laid out for the screen's DPI, and
    // registers its key preview and dialog keys with the pump; the window
    // stays hidden until the model shows it.
    bool Load();

private:
    // The key preview: the window sees every key before the focused control.
    bool PreTranslate(const MSG& message);
    enum Panel { kFrameMain = 1, kFrameLanguages, kFrameButtons, kFrameClock };
    enum Area { kNoArea, kRepairArea, kRestoreArea };

    void Sync(bool repaintNow);
    HFONT Font(double points, bool bold) const;

    const BusyOverlay& Busy() const override;
    void CloseRequest() override;
    void OnCommand(int id, int code) override;
    void PaintPanel(HWND panel, HDC dc) override;
    LRESULT ControlColour(HDC dc, HWND control) override;
    int AreaAt(POINT point) const override;
    void Click(int area) override;
    bool WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    MainModel& model_;
    win32::MessagePump& pump_;
    int previewId_ = 0;
    HWND frameMain_ = nullptr, message_ = nullptr, frameLanguages_ = nullptr, frameButtons_ = nullptr;
    HWND options_[3] = {};
    win32::UniqueFont buttonFont_, optionFont_, messageFont_;
    double messagePoints_ = 0;
    bool messageBold_ = true;
};

}  // namespace corvane
