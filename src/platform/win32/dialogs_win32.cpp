#include "platform/win32/dialogs_win32.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

UINT StyleOf(const MessageBoxRequest& request) {
    UINT style = request.foreground ? MB_SETFOREGROUND : 0;
    switch (request.buttons) {
        case Buttons::Ok: style |= MB_OK; break;
        case Buttons::YesNo: style |= MB_YESNO; break;
        case Buttons::YesNoCancel: style |= MB_YESNOCANCEL; break;
    }
    switch (request.icon) {
        case Icon::None: break;
        case Icon::Question: style |= MB_ICONQUESTION; break;
        case Icon::Stop: style |= MB_ICONSTOP; break;
        case Icon::Warning: style |= MB_ICONEXCLAMATION; break;
    }
    switch (request.defaultButton) {
        case 2: style |= MB_DEFBUTTON2; break;
        case 3: style |= MB_DEFBUTTON3; break;
        default: style |= MB_DEFBUTTON1; break;
    }
    return style;
}

}  // namespace

Answer Win32Dialogs::Show(const MessageBoxRequest& request) {
    // Owned by the active window of this thread, so the box is modal to it.
    const int result = ::MessageBoxW(::GetActiveWindow(), Widen(request.text).c_str(),
                                     Widen(request.title).c_str(), StyleOf(request));
    switch (result) {
        case IDYES: return Answer::Yes;
        case IDNO: return Answer::No;
        case IDCANCEL: return Answer::Cancel;
        default: return Answer::Ok;
    }
}

}  // namespace corvane::win32
