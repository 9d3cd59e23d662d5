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
class MainView {
public:
    MainView(MainModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner);
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;
    ~MainView();

    // Creates the window and its panels, laid out for the screen's DPI, and
    // registers its key preview and dialog keys with the pump; the window
    // stays hidden until the model shows it.
    bool Load();
    HWND Window() const { return window_; }

private:
    // The key preview: the window sees every key before the focused control.
    bool PreTranslate(const MSG& message);
    enum Panel { kFrameMain = 1, kFrameLanguages, kFrameButtons, kFrameClock };
    enum Area { kNoArea, kRepairArea, kRestoreArea };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleWindow(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePanel(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

    HWND CreatePanel(Panel id, const layout::TwipsRect& place);
    HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                     const layout::TwipsRect& place);
    void Sync(bool repaintNow);
    void PaintPanel(HWND panel, HDC dc);
    void OnCommand(int id, int code);
    LRESULT ControlColour(HDC dc, HWND control);
    Area AreaAt(POINT point) const;
    int Px(int twips) const { return layout::ToPixels(twips, dpi_); }
    RECT PxRect(const layout::TwipsRect& place) const;
    HFONT Font(double points, bool bold) const;

    MainModel& model_;
    win32::MessagePump& pump_;
    int previewId_ = 0;
    HINSTANCE module_;
    HWND owner_;
    int dpi_ = 96;
    HWND window_ = nullptr;
    HWND frameMain_ = nullptr, message_ = nullptr, frameLanguages_ = nullptr, frameButtons_ = nullptr,
         frameClock_ = nullptr, cancel_ = nullptr;
    HWND options_[3] = {};
    win32::UniqueFont buttonFont_, optionFont_, messageFont_, statusFont_;
    std::string statusDrawn_;  // the status line as last painted
    double messagePoints_ = 0;
    bool messageBold_ = true;
    win32::UniqueBrush white_;
    win32::UniqueBitmap sandClock_;
    win32::PaintedButtons buttons_;
};

}  // namespace corvane
