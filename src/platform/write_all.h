#pragma once
#include <cstddef>
#include <functional>

#include "platform/status.h"

namespace corvane {

// What one write call did: false with its failure, or true with the bytes
// it took (which may be fewer than offered).
struct WriteStep {
    bool ok = true;
    std::size_t taken = 0;
    Status failure;
};

// Offers the bytes to write until every one is taken. A write that reports
// success with nothing taken would take nothing the next time either (a full
// disk that a redirector does not report as one): it fails as a full disk
// instead of looping for ever.
inline Status WriteAll(const char* data, std::size_t size, const std::function<WriteStep(const char*, std::size_t)>& write,
                       const char* where) {
    constexpr unsigned long kDiskFull = 112;
    while (size > 0) {
        const WriteStep step = write(data, size);
        if (!step.ok) return step.failure;
        if (step.taken == 0 || step.taken > size) {
            return Status::Fail(kDiskFull, where, "There is not enough space on the disk.");
        }
        data += step.taken;
        size -= step.taken;
    }
    return Status::Ok();
}

}  // namespace corvane
