#include "ui/restore_view_win32.h"

#include <uxtheme.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "ui/paint_win32.h"

namespace corvane {
namespace {

namespace look = layout::restore;
using win32::ToColorRef;

constexpr wchar_t kWindowClass[] = L"CorvaneFrmNetwork";
constexpr wchar_t kPanelClass[] = L"CorvaneNetworkPanel";
constexpr int kTitleId = 10;
constexpr int kListId = 11;
constexpr int kFirstChoiceId = 100;  // OBDB(0) to OBDB(11)

static_assert(look::kChoiceCount == kKindChoices);

bool SameRows(const std::vector<BackupListRow>& a, const std::vector<BackupListRow>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const BackupListRow& x, const BackupListRow& y) {
        return x.stamp == y.stamp && x.text == y.text && x.backupPath == y.backupPath && x.livePath == y.livePath;
    });
}

// An arrow key moving the focus onto an option button chooses it, as in any
// group of option buttons; focus that comes by Tab or a click chooses nothing
// by itself (a click chooses through BN_CLICKED).
bool ArrowKeyDown() {
    for (const int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) {
        if (::GetKeyState(key) < 0) return true;
    }
    return false;
}

}  // namespace

RestoreView::RestoreView(RestoreModel& model, win32::MessagePump& pump, HINSTANCE module, HWND owner)
    : ScreenView(pump, module, owner), model_(model) {}

RestoreView::~RestoreView() {
    model_.SetObserver(nullptr);
    DestroyScreen();
}

bool RestoreView::Load() {
    const int dpi = Dpi();
    titleBack_.Reset(::CreateSolidBrush(ToColorRef(look::kTitleBack)));
    titleFont_.Reset(win32::CreatePointFont(look::kTitlePoints, true, dpi, win32::Widen(look::kTitleFace).c_str()));
    choiceFont_.Reset(win32::CreatePointFont(look::kChoicePoints, true, dpi));
    listFont_.Reset(win32::CreatePointFont(look::kListPoints, true, dpi));
    restoreFont_.Reset(win32::CreatePointFont(look::kRestorePoints, true, dpi));
    backFont_.Reset(win32::CreatePointFont(look::kBackPoints, true, dpi));

    // The outer size is the layout's; centred on the work area. Classes of
    // its own: the main window's panels route to the main view.
    if (!CreateScreen(kWindowClass, kPanelClass, look::kWindowWidth, look::kWindowHeight)) return false;

    // Creation order is the tab order: the options, then the list.
    frameRestore_ = CreatePanel(kFrameRestore, look::kFrameRestore);
    SetButtonPanel(frameRestore_);
    ::ShowWindow(frameRestore_, SW_SHOWNA);
    title_ = CreateChild(frameRestore_, L"STATIC", win32::Widen(look::kTitleText).c_str(),
                         SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, kTitleId, look::kTitle);
    ::SendMessageW(title_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);
    for (int i = 0; i < kKindChoices; ++i) {
        // Not automatic: the model checks the option it accepts.
        const DWORD group = i == 0 ? WS_GROUP : 0;
        choices_[i] = CreateChild(frameRestore_, L"BUTTON", L"", BS_RADIOBUTTON | BS_NOTIFY | group,
                                  kFirstChoiceId + i, look::ChoiceAt(i));
        // Themed option buttons ignore the text colour.
        ::SetWindowTheme(choices_[i], L"", L"");
        ::SendMessageW(choices_[i], WM_SETFONT, reinterpret_cast<WPARAM>(choiceFont_.Get()), FALSE);
    }
    CreateBackupList();
    // Over the restore panel, hidden until the model shows it.
    CreateClockPanel(kFrameClock, look::kFrameClock);
    CreateCancelButton(look::kCancelButton);

    model_.SetObserver([this](bool repaintNow) { Sync(repaintNow); });
    Sync(false);
    return true;
}

void RestoreView::CreateBackupList() {
    const RECT r = PxRect(look::kBackupList);
    // No LVS_SHOWSELALWAYS: the control's own selection is never shown.
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_NOCOLUMNHEADER |
                                  LVS_SINGLESEL,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, frameRestore_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), Module(), nullptr);
    // A whole row answers a click: the text column starts at the left edge
    // (the stamp's column has no width) and goes on past the right one.
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.Get()), FALSE);
    ListView_SetBkColor(list_, ToColorRef(look::kRowBack));
    for (int column = 0; column < look::kListColumns; ++column) {
        LVCOLUMNW format{};
        format.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        format.fmt = LVCFMT_LEFT;
        format.cx = layout::ToPixels(look::kListColumnWidths[column], Dpi());
        format.iSubItem = column;
        ListView_InsertColumn(list_, column, &format);
    }
}

void RestoreView::Sync(bool repaintNow) {
    const RestoreScreen& screen = model_.Screen();
    SyncChoices(screen);
    SyncRows(screen);

    if (screen.restoreButtonShown != restoreButtonShown_) {
        restoreButtonShown_ = screen.restoreButtonShown;
        const RECT shape = PxRect(look::kRestoreShape);
        ::InvalidateRect(frameRestore_, &shape, TRUE);
    }

    SyncClock();
    SyncWindow(screen.caption, screen.windowShown, repaintNow);
}

void RestoreView::SyncChoices(const RestoreScreen& screen) {
    int tabStop = -1;
    for (int i = 0; i < kKindChoices; ++i) {
        if (captionsShown_[i] != screen.choiceCaptions[i]) {
            captionsShown_[i] = screen.choiceCaptions[i];
            ::SetWindowTextW(choices_[i], win32::Widen(captionsShown_[i]).c_str());
        }
        win32::ShowByFlag(choices_[i], screen.choiceShown[i]);
        const bool checked = screen.checkedChoice == i;
        if ((::SendMessageW(choices_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) {
            ::SendMessageW(choices_[i], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        if (screen.choiceShown[i] && (checked || tabStop < 0)) tabStop = i;
    }
    // One tab stop for the group, as option buttons have: Tab lands on the
    // checked option (the first shown while none is) and arrows move on.
    for (int i = 0; i < kKindChoices; ++i) {
        const LONG_PTR style = ::GetWindowLongPtrW(choices_[i], GWL_STYLE);
        const LONG_PTR wanted = i == tabStop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
        if (wanted != style) ::SetWindowLongPtrW(choices_[i], GWL_STYLE, wanted);
    }
}

void RestoreView::SyncRows(const RestoreScreen& screen) {
    const bool rowsChanged = !SameRows(screen.rows, rowsShown_);
    if (!rowsChanged && screen.selectedRow == selectedShown_) return;
    // Rows replaced or recoloured all at once, never one by one on screen.
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    if (rowsChanged) {
        ListView_DeleteAllItems(list_);
        for (size_t row = 0; row < screen.rows.size(); ++row) {
            const BackupListRow& source = screen.rows[row];
            std::wstring cells[look::kListColumns] = {win32::Widen(source.stamp), win32::Widen(source.text),
                                                      win32::Widen(source.backupPath), win32::Widen(source.livePath)};
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = cells[0].data();
            const int index = ListView_InsertItem(list_, &item);
            for (int column = 1; column < look::kListColumns; ++column) {
                ListView_SetItemText(list_, index, column, cells[column].data());
            }
        }
        rowsShown_ = screen.rows;
    }
    selectedShown_ = screen.selectedRow;
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void RestoreView::PaintPanel(HWND panel, HDC dc) {
    if (panel != frameRestore_) return;
    const RECT backShape = PxRect(look::kBackShape);
    win32::DrawRoundedButton(dc, {backShape, backShape, ToColorRef(look::kBackFill),
                                  ToColorRef(look::kBackCaptionColour), win32::Widen(look::kBackText).c_str(),
                                  backFont_.Get(), true});
    if (restoreButtonShown_) {
        win32::DrawRoundedButton(dc, {PxRect(look::kRestoreShape), PxRect(look::kRestoreCaption),
                                      ToColorRef(look::kRestoreFill), ToColorRef(look::kRestoreCaptionColour),
                                      win32::Widen(look::kRestoreText).c_str(), restoreFont_.Get()});
    }
}

int RestoreView::AreaAt(POINT point) const {
    const RECT restore = PxRect(look::kRestoreShape);
    const RECT back = PxRect(look::kBackShape);
    if (restoreButtonShown_ && ::PtInRect(&restore, point)) return kRestoreArea;
    if (::PtInRect(&back, point)) return kBackArea;
    return kNoArea;
}

void RestoreView::Click(int area) {
    switch (area) {
        case kRestoreArea: model_.ClickRestore(); break;
        case kBackArea: model_.Back(); break;
        default: break;
    }
}

LRESULT RestoreView::ControlColour(HDC dc, HWND control) {
    if (control == title_) {
        ::SetTextColor(dc, ToColorRef(look::kWhite));
        ::SetBkColor(dc, ToColorRef(look::kTitleBack));
        return reinterpret_cast<LRESULT>(titleBack_.Get());
    }
    ::SetTextColor(dc, ToColorRef(look::kChoiceText));
    ::SetBkColor(dc, ToColorRef(look::kWhite));
    return reinterpret_cast<LRESULT>(WhiteBrush());
}

void RestoreView::OnCommand(int id, int code) {
    if (id == IDCANCEL) {
        model_.Back();
        return;
    }
    if (id < kFirstChoiceId || id >= kFirstChoiceId + kKindChoices) return;
    const int element = id - kFirstChoiceId;
    if (code == BN_CLICKED) {
        model_.ChooseKind(element);
    } else if (code == BN_SETFOCUS && ArrowKeyDown() &&
               ::SendMessageW(choices_[element], BM_GETCHECK, 0, 0) != BST_CHECKED) {
        model_.ChooseKind(element);
    }
}

LRESULT RestoreView::OnNotify(HWND, WPARAM, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom != list_) return 0;
    switch (header->code) {
        case NM_CUSTOMDRAW:
            return DrawRow(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        case LVN_ITEMCHANGING: {
            // The control never holds a selection of its own: the model's
            // selected row is the only one, in the model's colours.
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            const bool selecting = (change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0;
            return selecting ? TRUE : FALSE;
        }
        case NM_CLICK: {
            const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
            LVHITTESTINFO hit{};
            hit.pt = click->ptAction;
            const int row = ListView_SubItemHitTest(list_, &hit);
            if (row >= 0 && (hit.flags & LVHT_ONITEM) != 0) model_.ClickRow(row);
            return 0;
        }
        default:
            return 0;
    }
}

LRESULT RestoreView::DrawRow(NMLVCUSTOMDRAW* draw) const {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const bool selected = static_cast<int>(draw->nmcd.dwItemSpec) == selectedShown_;
            draw->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            draw->clrText = ToColorRef(selected ? look::kSelectedText : look::kRowText);
            draw->clrTextBk = ToColorRef(selected ? look::kSelectedBack : look::kRowBack);
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

const BusyOverlay& RestoreView::Busy() const { return model_.Screen().busy; }

void RestoreView::CloseRequest() { model_.CloseRequest(); }

}  // namespace corvane
