#pragma once
#include "platform/waiter.h"
#include "platform/win32/message_pump.h"

namespace corvane::win32 {

// The second passes in the program's one message pump, so the windows keep
// painting and answering, and a close request ends the wait at once.
class Win32Waiter : public Waiter {
public:
    // betweenSteps: StillRunning() drains the queue (the run nobody watches,
    // whose close request arrives while the engine works); otherwise it only
    // says yes, and windows answer in the waits as they always have.
    explicit Win32Waiter(MessagePump& pump, bool betweenSteps = false) : pump_(pump), betweenSteps_(betweenSteps) {}

    bool WaitOneSecond() override;
    bool StillRunning() override;

private:
    MessagePump& pump_;
    bool betweenSteps_;
};

}  // namespace corvane::win32
