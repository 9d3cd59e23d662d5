// What the test engine's calls do, apart from COM's plumbing: the outcome of
// a repair or a compaction, raised as the real engine raises its errors, and
// the arguments read as the real engine reads them.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace test_engine {

enum class Role { First, Second };
const char* RoleName(Role role);

// How a call ended: ok, a DAO error raised as an exception, or a plain
// failing HRESULT (wrong arguments, which the real engine reports the same way).
struct Outcome {
    HRESULT result = S_OK;
    long daoNumber = 0;
    std::wstring description;

    static Outcome Ok() { return {}; }
    static Outcome Dao(long number, std::wstring text) { return {DISP_E_EXCEPTION, number, std::move(text)}; }
    static Outcome Failed(HRESULT result) { return {result, 0, {}}; }
    bool Succeeded() const { return result == S_OK; }
    std::string JournalText() const;
};

// DISP_E_EXCEPTION with scode 0x800A0000 | number and the description only
// through pfnDeferredFillIn, as the real engine raises it in process. A local
// server fills the description in at once: its fill-in function would mean
// nothing in the client's address space.
HRESULT Raise(const Outcome& outcome, EXCEPINFO* info);

// The arguments, last first in rgvarg, as the journal writes them: the text
// each holds, "<missing>" when left out, a whole number as it is, else "<vt N>".
std::vector<std::string> JournalTexts(const DISPPARAMS& params);
// A required text argument: a string as it is, anything else as the
// automation conversion makes it (as the real engine takes a number for a name).
HRESULT TextArgument(const DISPPARAMS& params, UINT index, std::wstring& text, UINT* argumentError);

Outcome Repair(Role role, const std::wstring& path);
// Copies the source into a new destination; journalArguments go into the
// "CompactDatabase.started" line of a slowed-down compaction.
Outcome Compact(Role role, const std::wstring& sourcePath, const std::wstring& destinationPath,
                const std::vector<std::string>& journalArguments);
// That engine's RepairDatabase is looked up as unknown: DAO 3.6 as the
// second engine, newer engines as the first.
bool RepairUnknown(Role role);

}  // namespace test_engine
