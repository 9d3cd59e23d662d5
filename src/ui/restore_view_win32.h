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
class RestoreView : private win32::ScreenView {
public:
    RestoreView(RestoreModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner);
    ~RestoreView() override;

    // Creates the window and its controls, laid out for the screen's DPI, and
    // registers its dialog keys with the pump; the window stays hidden until
    // the model shows it.
    bool Load();

private:
    enum Panel { kFrameRestore = 1, kFrameClock };
    enum Area { kNoArea, kRestoreArea, kBackArea };

    void CreateBackupList();
    void Sync(bool repaintNow);
    void SyncChoices(const RestoreScreen& screen);
    void SyncRows(const RestoreScreen& screen);
    LRESULT DrawRow(NMLVCUSTOMDRAW* draw) const;

    const BusyOverlay& Busy() const override;
    void CloseRequest() override;
    void OnCommand(int id, int code) override;
    void PaintPanel(HWND panel, HDC dc) override;
    LRESULT ControlColour(HDC dc, HWND control) override;
    int AreaAt(POINT point) const override;
    void Click(int area) override;
    LRESULT OnNotify(HWND panel, WPARAM wParam, LPARAM lParam) override;

    RestoreModel& model_;
    HWND frameRestore_ = nullptr, title_ = nullptr, list_ = nullptr;
    std::array<HWND, layout::restore::kChoiceCount> choices_{};
    win32::UniqueFont titleFont_, choiceFont_, listFont_, restoreFont_, backFont_;
    win32::UniqueBrush titleBack_;

    // What the controls show now, so a sync touches only what changed.
    std::array<std::string, layout::restore::kChoiceCount> captionsShown_;
    std::vector<BackupListRow> rowsShown_;
    int selectedShown_ = -1;
    bool restoreButtonShown_ = false;
};

}  // namespace corvane
