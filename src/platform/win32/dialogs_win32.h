#pragma once
#include "platform/dialogs.h"

namespace corvane::win32 {

class Win32Dialogs : public Dialogs {
public:
    Answer Show(const MessageBoxRequest& request) override;
};

}  // namespace corvane::win32
