#include "ui/main_view_win32.h"

#include <uxtheme.h>

#include "platform/win32/wide.h"
#include "ui/paint_win32.h"

namespace corvane {
namespace {

using win32::ToColorRef;

constexpr wchar_t kWindowClass[] = L"CorvaneFMain";
constexpr wchar_t kPanelClass[] = L"CorvanePanel";
constexpr int kMessageId = 10;
constexpr int kFirstOptionId = 20;  // OBESP, OBPOR, OBENG
constexpr layout::TwipsRect kWhole{0, 0, layout::kWindowWidth, layout::kWindowHeight};

}  // namespace

MainView::MainView(MainModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner)
    : ScreenView(pump, module, owner), model_(model), pump_(pump) {}

MainView::~MainView() {
    model_.SetObserver(nullptr);
    if (previewId_ != 0) pump_.RemovePreview(previewId_);
    DestroyScreen();
}

HFONT MainView::Font(double points, bool bold) const { return win32::CreatePointFont(points, bold, Dpi()); }

bool MainView::Load() {
    buttonFont_.Reset(Font(layout::kButtonCaptionPoints, true));
    optionFont_.Reset(Font(layout::kOptionPoints, true));

    // The outer size is the layout's; centred on the work area.
    if (!CreateScreen(kWindowClass, kPanelClass, layout::kWindowWidth, layout::kWindowHeight)) return false;

    // Bottom of the stack first: each new panel goes on top of the ones before.
    frameMain_ = CreatePanel(kFrameMain, layout::kFrameMain);
    message_ = CreateChild(frameMain_, L"STATIC", L"", SS_CENTER | SS_NOPREFIX, kMessageId, layout::kMessageLabel);
    frameLanguages_ = CreatePanel(kFrameLanguages, layout::kFrameLanguages);
    for (int i = 0; i < 3; ++i) {
        const DWORD group = i == 0 ? WS_GROUP : 0;
        options_[i] = CreateChild(frameLanguages_, L"BUTTON", win32::Widen(layout::kOptionCaptions[i]).c_str(),
                                  BS_AUTORADIOBUTTON | BS_NOTIFY | WS_TABSTOP | group, kFirstOptionId + i,
                                  {layout::kOptionLeft, layout::kOptionTops[i], layout::kOptionWidth,
                                   layout::kOptionHeight});
        // Themed option buttons ignore the text colour each language has.
        ::SetWindowTheme(options_[i], L"", L"");
        ::SendMessageW(options_[i], WM_SETFONT, reinterpret_cast<WPARAM>(optionFont_.Get()), FALSE);
    }
    // The buttons panel and the overlay fill the window; the overlay is on top.
    frameButtons_ = CreatePanel(kFrameButtons, kWhole);
    SetButtonPanel(frameButtons_);
    CreateClockPanel(kFrameClock, kWhole);
    CreateCancelButton(layout::kCancelButton);

    model_.SetObserver([this](bool repaintNow) { Sync(repaintNow); });
    previewId_ = pump_.AddPreview([this](const MSG& message) { return PreTranslate(message); });
    return true;
}

void MainView::Sync(bool repaintNow) {
    const MainScreen& screen = model_.Screen();
    // While the main window is hidden for the restore screen, a panel hidden
    // meanwhile must stay hidden when it comes back.
    const auto show = win32::ShowByFlag;
    show(frameMain_, screen.messageAreaShown);
    show(frameLanguages_, screen.languagesShown);
    show(frameButtons_, screen.buttonsShown);
    SyncClock();

    const MessageLabel& label = screen.message;
    if (label.fontPoints != messagePoints_ || label.bold != messageBold_ || !messageFont_) {
        messageFont_.Reset(Font(label.fontPoints, label.bold));
        messagePoints_ = label.fontPoints;
        messageBold_ = label.bold;
        ::SendMessageW(message_, WM_SETFONT, reinterpret_cast<WPARAM>(messageFont_.Get()), FALSE);
    }
    ::SetWindowTextW(message_, win32::Widen(label.text).c_str());
    show(message_, label.shown);
    ::InvalidateRect(message_, nullptr, TRUE);

    for (int i = 0; i < 3; ++i) {
        const bool checked = static_cast<int>(screen.language) == i + 1;
        ::SendMessageW(options_[i], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    SyncWindow(screen.caption, screen.windowShown, repaintNow);
}

void MainView::PaintPanel(HWND panel, HDC dc) {
    if (panel != frameButtons_) return;
    win32::DrawRoundedButton(dc, {PxRect(layout::kRepairShape), PxRect(layout::kRepairCaption),
                                  ToColorRef(layout::kRepairRed), RGB(255, 255, 255), L"DB REPAIR",
                                  buttonFont_.Get()});
    win32::DrawRoundedButton(dc, {PxRect(layout::kRestoreShape), PxRect(layout::kRestoreCaption),
                                  ToColorRef(layout::kRestorePurple), RGB(255, 255, 255), L"RESTAURAR",
                                  buttonFont_.Get()});
}

int MainView::AreaAt(POINT point) const {
    const RECT repair = PxRect(layout::kRepairShape);
    const RECT restore = PxRect(layout::kRestoreShape);
    if (::PtInRect(&repair, point)) return kRepairArea;
    if (::PtInRect(&restore, point)) return kRestoreArea;
    return kNoArea;
}

void MainView::Click(int area) {
    switch (area) {
        case kRepairArea: model_.ClickRepair(); break;
        case kRestoreArea: model_.ClickRestore(); break;
        default: break;
    }
}

LRESULT MainView::ControlColour(HDC dc, HWND control) {
    ::SetBkColor(dc, RGB(255, 255, 255));
    if (control == message_) {
        ::SetTextColor(dc, ToColorRef(model_.Screen().message.colour));
    } else {
        for (int i = 0; i < 3; ++i) {
            if (control == options_[i]) ::SetTextColor(dc, ToColorRef(layout::kOptionColours[i]));
        }
    }
    return reinterpret_cast<LRESULT>(WhiteBrush());
}

void MainView::OnCommand(int id, int code) {
    if (id == IDCANCEL) {
        model_.Cancel();
    } else if (id == IDOK) {
        model_.ConfirmLanguage();
    } else if (id >= kFirstOptionId && id < kFirstOptionId + 3) {
        const auto option = static_cast<LanguageOption>(id - kFirstOptionId + 1);
        if (code == BN_CLICKED) {
            model_.ChooseLanguage(option);
        } else if (code == BN_DOUBLECLICKED) {
            model_.ChooseLanguage(option);
            model_.ConfirmLanguage();
        }
    }
}

const BusyOverlay& MainView::Busy() const { return model_.Screen().busy; }

void MainView::CloseRequest() { model_.CloseRequest(); }

bool MainView::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) model_.Activated();
            return false;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            result = ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            return true;
        default:
            return false;
    }
}

bool MainView::PreTranslate(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != Window() && !::IsChild(Window(), message.hwnd)) return false;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0 || message.message == WM_SYSKEYDOWN;
    model_.KeyDown(static_cast<int>(message.wParam), shift, ctrl, alt);
    // The key goes on to the focused control, as a key preview lets it.
    return false;
}

}  // namespace corvane
