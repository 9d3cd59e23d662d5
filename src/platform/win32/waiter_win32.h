#pragma once
#include "platform/waiter.h"
#include "platform/win32/message_pump.h"

namespace corvane::win32 {

// The second passes in the program's one message pump, so the windows keep
// painting and answering, and a close request ends the wait at once.
class Win32Waiter : public Waiter {
public:
    explicit Win32Waiter(MessagePump& pump) : pump_(pump) {}

    bool WaitOneSecond() override;

private:
    MessagePump& pump_;
};

}  // namespace corvane::win32
