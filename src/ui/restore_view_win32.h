#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"
#include "ui/view_win32.h"
#include "ui/restore_layout.h"
#include "ui/restore_model.h"

namespace corvane {

// frmNETWORK on screen: draws RestoreModel's screen and forwards the user's
// actions to it; it decides nothing itself. The restore panel and the busy
// overlay are child windows over the same rectangle, so showing the overlay is
// one call; the two big buttons are painted, not controls.
class RestoreView {
public:
    RestoreView(RestoreModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner);
    RestoreView(const RestoreView&) = delete;
    RestoreView& operator=(const RestoreView&) = delete;
    ~RestoreView();

    // Creates the window and its controls, laid out for the screen's DPI, and
    // registers its dialog keys with the pump; the window stays hidden until
    // the model shows it.
    bool Load();
    HWND Window() const { return window_; }

private:
    enum Panel { kFrameRestore = 1, kFrameClock };
    enum Area { kNoArea, kRestoreArea, kBackArea };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleWindow(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePanel(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

    HWND CreatePanel(Panel id, const layout::TwipsRect& place);
    HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                     const layout::TwipsRect& place);
    void CreateBackupList();
    void Sync(bool repaintNow);
    void SyncChoices(const RestoreScreen& screen);
    void SyncRows(const RestoreScreen& screen);
    void PaintPanel(HWND panel, HDC dc);
    void OnCommand(int id, int code);
    LRESULT OnNotify(NMHDR* header);
    LRESULT DrawRow(NMLVCUSTOMDRAW* draw) const;
    LRESULT ControlColour(HDC dc, HWND control);
    Area AreaAt(POINT point) const;
    RECT PxRect(const layout::TwipsRect& place) const;

    RestoreModel& model_;
    win32::MessagePump& pump_;
    HINSTANCE module_;
    HWND owner_;
    int dpi_ = 96;
    HWND window_ = nullptr;
    HWND frameRestore_ = nullptr, frameClock_ = nullptr, title_ = nullptr, list_ = nullptr, cancel_ = nullptr;
    std::array<HWND, layout::restore::kChoiceCount> choices_{};
    win32::UniqueFont titleFont_, choiceFont_, listFont_, restoreFont_, backFont_, statusFont_;
    win32::UniqueBrush white_, titleBack_;
    win32::UniqueBitmap sandClock_;
    win32::PaintedButtons buttons_;

    // What the controls show now, so a sync touches only what changed.
    std::array<std::string, layout::restore::kChoiceCount> captionsShown_;
    std::vector<BackupListRow> rowsShown_;
    int selectedShown_ = -1;
    bool restoreButtonShown_ = false;
    std::string statusShown_;
};

}  // namespace corvane
