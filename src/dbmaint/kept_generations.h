#pragma once
#include <string>
#include <vector>

#include "base/date_time.h"
#include "platform/file_system.h"

namespace corvane {

// The folder beside the databases where each database a restore or a
// compaction replaced is kept. Nothing the program scans looks inside it.
constexpr const char* kKeptFolder = "_Reemplazadas";
// Generations kept per database; older ones go once a newer one is named.
constexpr int kKeptGenerations = 3;

// "G:\Shared\_Reemplazadas\<stem> <YYMMDD-HHMMSS><extension>" for the
// database at livePath replaced at moment.
std::string KeptGenerationPath(const std::string& livePath, const DateTime& moment);

// How a generation may be made: a second name of the live file costs
// nothing; a copy costs the database's size. Before a repair in place only
// a copy keeps anything: the repair writes the file every name shares.
enum class KeepBy { LinkOrCopy, LinkOnly, CopyOnly };

// One generation of the database at livePath, made before the swap that
// replaces it. It is made under a passing name, so no earlier generation is
// ever touched until the swap has happened:
//
//   Make() before the swap; then Name() when the swap went through, or
//   Drop() when it failed.
class KeptGeneration {
public:
    KeptGeneration(FileSystem& files, std::string livePath, const DateTime& moment);

    // A hard link to the live database under the passing name, else (when
    // allowed) a copy flushed to the disk. A failure leaves nothing behind.
    Status Make(KeepBy how);
    // The dated name, after the swap.
    Status Name();
    // The swap failed: the passing file goes, every earlier one stays.
    Status Drop();

    const std::string& Dated() const { return dated_; }
    const std::string& Passing() const { return passing_; }

private:
    Status ChooseFreeNames();

    FileSystem& files_;
    std::string livePath_;
    DateTime moment_;
    std::string dated_;
    std::string passing_;
};

std::string KeptFolderOf(const std::string& livePath);

// One generation in a kept folder, of whichever database.
struct KeptFile {
    std::string path;
    std::string database;  // its database's file name, upper case
    DateTime stamped;      // the stamp read with the century of now
};

// Every generation in keptFolder, oldest first. A two-digit year more than
// one year ahead of now's belongs to the century before: 991231 is 1999.
Status ListKeptFolder(FileSystem& files, const std::string& keptFolder, const DateTime& now,
                      std::vector<KeptFile>& kept);

// The generations of the database at livePath, newest first (by the date
// of the stamp in their names). Files that are no generation of it are not
// listed.
Status ListKeptGenerations(FileSystem& files, const std::string& livePath, const DateTime& now,
                           std::vector<std::string>& paths);

// Removes all but the newest kKeptGenerations. Each removal is tried; the
// first failure is answered.
Status PruneKeptGenerations(FileSystem& files, const std::string& livePath, const DateTime& now);

// A generation left under its passing name by a run killed between keeping
// it and its swap: named as its generation, or removed when a generation of
// the same bytes is there already. One record per leftover in records.
Status SettleLeftovers(FileSystem& files, const std::string& livePath, const DateTime& now,
                       std::vector<std::string>& records);

}  // namespace corvane
