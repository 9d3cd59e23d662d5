#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/context.h"
#include "dbmaint/database_size.h"
#include "dbmaint/kept_generations.h"
#include "platform/file_system.h"

namespace corvane {

// What a swap leaves free on the volume for the suite's own programs: a
// till that cannot write its day's sales is worse than a night without a
// compaction.
constexpr std::uint64_t kRoomReserveBytes = 100 * kMegabyte;

// What the room is for, as the message names it.
enum class SwapAction { Compact, Restore, KeepCopy };

// What the swaps of one run share: the generations the run made (never
// removed to make room: the night's own copies are the ones a technician
// asks for), and where a removal or a settled leftover is recorded besides
// the debug log.
struct SwapRun {
    std::vector<std::string> madeThisRun;
    std::function<void(const std::string&)> record;
};

// A temporary file an earlier run left behind, removed before the engine or
// a copy writes that name. A folder of that name is not ours to remove.
Status RemoveStaleTemp(FileSystem& files, const std::string& temp);

// One replacement of the live database by temp, or (temp empty) one kept
// copy, in this order:
//
//   Room() for each file about to be written; Keep(); the caller writes
//   temp; Swap() (flush, one rename); Settle() (name, prune).
//
// Any failure before the rename ends in Abandon(): temp and the passing
// name go, the live database and every kept one stay as they were.
class SafeSwap {
public:
    SafeSwap(AppContext& context, SwapRun& run, std::string livePath, std::string temp, std::string label);
    SafeSwap(const SafeSwap&) = delete;
    SafeSwap& operator=(const SafeSwap&) = delete;

    // Free space for bytes more, beside what earlier checks of this swap
    // still wait for, plus the reserve. Old generations of any database in
    // _Reemplazadas go first, oldest first; the failure's text says how
    // many MB were needed and how many are free.
    Status Room(std::uint64_t bytes, SwapAction action);
    // The live database as a new generation under its passing name. A copy
    // checks its room first.
    Status Keep(KeepBy how);
    Status Swap();
    // After the swap: the generation's dated name, then the pruning. other
    // receives the path the failure concerns.
    Status Settle(std::string& other);
    void Abandon();

    const KeptGeneration& Kept() const { return kept_; }

private:
    Status Pruned(std::uint64_t need, std::uint64_t& free);
    void Note(const std::string& text);  // the debug log and the run's history
    void Debug(const std::string& text);

    AppContext& context_;
    FileSystem& files_;
    SwapRun& run_;
    std::string livePath_;
    std::string temp_;
    std::string label_;
    KeptGeneration kept_;
    bool keeping_ = false;
    bool settled_ = false;
    std::uint64_t pending_ = 0;
};

}  // namespace corvane
