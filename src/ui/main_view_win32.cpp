#include "ui/main_view_win32.h"

#include <uxtheme.h>

#include "platform/win32/wide.h"
#include "ui/paint_win32.h"

namespace corvane {
namespace {

using win32::ToColorRef;

constexpr wchar_t kWindowClass[] = L"CorvaneFMain";
constexpr wchar_t kPanelClass[] = L"CorvanePanel";
constexpr int kIconResource = 1;
constexpr int kSandClockResource = 101;
constexpr int kMessageId = 10;
constexpr int kFirstOptionId = 20;  // OBESP, OBPOR, OBENG
constexpr layout::TwipsRect kWhole{0, 0, layout::kWindowWidth, layout::kWindowHeight};

}  // namespace

MainView::MainView(MainModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner)
    : model_(model), pump_(pump), module_(module), owner_(owner), dpi_(win32::ScreenDpi()) {}

MainView::~MainView() {
    model_.SetObserver(nullptr);
    if (previewId_ != 0) pump_.RemovePreview(previewId_);
    pump_.RemoveDialogWindow(window_);
    if (window_ != nullptr) ::DestroyWindow(window_);
}

RECT MainView::PxRect(const layout::TwipsRect& place) const { return win32::PixelRect(place, dpi_); }

HFONT MainView::Font(double points, bool bold) const { return win32::CreatePointFont(points, bold, dpi_); }

bool MainView::Load() {
    win32::RegisterViewClasses(module_, kWindowClass, WindowProc, kPanelClass, PanelProc, kIconResource);

    white_.Reset(::CreateSolidBrush(RGB(255, 255, 255)));
    buttonFont_.Reset(Font(layout::kButtonCaptionPoints, true));
    optionFont_.Reset(Font(layout::kOptionPoints, true));
    statusFont_.Reset(Font(layout::kStatusPoints, true));
    sandClock_.Reset(static_cast<HBITMAP>(
        ::LoadImageW(module_, MAKEINTRESOURCEW(kSandClockResource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));

    // The outer size is the layout's, height then width; centred on the work area.
    window_ = win32::CreateScreenWindow(module_, kWindowClass, Px(layout::kWindowWidth), Px(layout::kWindowHeight),
                                        owner_, this);
    if (window_ == nullptr) return false;

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
    frameClock_ = CreatePanel(kFrameClock, kWhole);
    // CBCancel stands outside the window: only Esc reaches it.
    cancel_ = CreateChild(window_, L"BUTTON", L"Cancel", BS_PUSHBUTTON, IDCANCEL, layout::kCancelButton);
    ::ShowWindow(cancel_, SW_SHOWNA);

    model_.SetObserver([this](bool repaintNow) { Sync(repaintNow); });
    previewId_ = pump_.AddPreview([this](const MSG& message) { return PreTranslate(message); });
    // Tab and arrows among the language options, Enter and Esc as a dialog's
    // default and cancel buttons.
    pump_.AddDialogWindow(window_);
    return true;
}

HWND MainView::CreatePanel(Panel id, const layout::TwipsRect& place) {
    const RECT r = PxRect(place);
    HWND panel = ::CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   r.left, r.top, r.right - r.left, r.bottom - r.top, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, this);
    ::SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return panel;
}

HWND MainView::CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                           const layout::TwipsRect& place) {
    const RECT r = PxRect(place);
    return ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_,
                             nullptr);
}

void MainView::Sync(bool repaintNow) {
    const MainScreen& screen = model_.Screen();
    // While the main window is hidden for the restore screen, a panel hidden
    // meanwhile must stay hidden when it comes back.
    const auto show = win32::ShowByFlag;
    show(frameMain_, screen.messageAreaShown);
    show(frameLanguages_, screen.languagesShown);
    show(frameButtons_, screen.buttonsShown);
    show(frameClock_, screen.clockShown);
    const std::string status = StatusText(screen);
    if (status != statusDrawn_) {
        statusDrawn_ = status;
        const RECT line = win32::BusyStatusLine(kWhole, dpi_);
        ::InvalidateRect(frameClock_, &line, TRUE);
    }

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

    const std::wstring caption = win32::Widen(screen.caption);
    wchar_t current[256] = {};
    ::GetWindowTextW(window_, current, 256);
    if (caption != current) ::SetWindowTextW(window_, caption.c_str());

    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (::WindowFromPoint(cursor) == window_ || ::IsChild(window_, ::WindowFromPoint(cursor))) {
        ::SetCursor(::LoadCursorW(nullptr, screen.hourglass ? IDC_WAIT : IDC_ARROW));
    }

    if (screen.windowShown != (::IsWindowVisible(window_) != FALSE)) {
        ::ShowWindow(window_, screen.windowShown ? SW_SHOW : SW_HIDE);
    }
    if (repaintNow) ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainView::PaintPanel(HWND panel, HDC dc) {
    RECT client{};
    ::GetClientRect(panel, &client);
    ::FillRect(dc, &client, white_.Get());

    if (panel == frameButtons_) {
        win32::DrawRoundedButton(dc, {PxRect(layout::kRepairShape), PxRect(layout::kRepairCaption),
                                      ToColorRef(layout::kRepairRed), RGB(255, 255, 255), L"DB REPAIR",
                                      buttonFont_.Get()});
        win32::DrawRoundedButton(dc, {PxRect(layout::kRestoreShape), PxRect(layout::kRestoreCaption),
                                      ToColorRef(layout::kRestorePurple), RGB(255, 255, 255), L"RESTAURAR",
                                      buttonFont_.Get()});
    } else if (panel == frameClock_) {
        win32::DrawBusyOverlay(dc, {kWhole, dpi_, sandClock_.Get(), win32::Widen(statusDrawn_), statusFont_.Get()});
    }
}

MainView::Area MainView::AreaAt(POINT point) const {
    const RECT repair = PxRect(layout::kRepairShape);
    const RECT restore = PxRect(layout::kRestoreShape);
    if (::PtInRect(&repair, point)) return kRepairArea;
    if (::PtInRect(&restore, point)) return kRestoreArea;
    return kNoArea;
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
    return reinterpret_cast<LRESULT>(white_.Get());
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

LRESULT CALLBACK MainView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainView* view = win32::ViewOf<MainView>(window, message, lParam);
    if (view == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) view->window_ = window;
    return view->HandleWindow(message, wParam, lParam);
}

LRESULT CALLBACK MainView::PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    MainView* view = win32::ViewOf<MainView>(panel, message, lParam);
    return view != nullptr ? view->HandlePanel(panel, message, wParam, lParam)
                           : ::DefWindowProcW(panel, message, wParam, lParam);
}

LRESULT MainView::HandleWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) model_.Activated();
            break;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SETCURSOR:
            if (model_.Screen().hourglass) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CLOSE:
            model_.CloseRequest();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT MainView::HandlePanel(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            win32::PaintDc paint(panel);
            PaintPanel(panel, paint.Get());
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintPanel(panel, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_LBUTTONDOWN:
            if (panel == frameButtons_) buttons_.Press(panel, AreaAt(win32::PointOf(lParam)));
            return 0;
        case WM_LBUTTONUP:
            if (panel != frameButtons_) return 0;
            switch (buttons_.Release(AreaAt(win32::PointOf(lParam)))) {
                case kRepairArea: model_.ClickRepair(); break;
                case kRestoreArea: model_.ClickRestore(); break;
                default: break;
            }
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(panel, message, wParam, lParam);
}

bool MainView::PreTranslate(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != window_ && !::IsChild(window_, message.hwnd)) return false;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0 || message.message == WM_SYSKEYDOWN;
    model_.KeyDown(static_cast<int>(message.wParam), shift, ctrl, alt);
    // The key goes on to the focused control, as a key preview lets it.
    return false;
}

}  // namespace corvane
