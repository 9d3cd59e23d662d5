#include "engine_calls.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "engine_config.h"
#include "engine_host.h"
#include "platform/win32/handles.h"

namespace test_engine {
namespace {

using corvane::win32::UniqueFile;

constexpr wchar_t kErrorSource[] = L"DAO.DBEngine";
constexpr DWORD kCopyChunk = 64 * 1024;

// The deferred part of the engine's EXCEPINFO: the description waits in
// pvReserved until the client asks for it. Calling it twice is harmless.
HRESULT __stdcall FillInDescription(EXCEPINFO* info) {
    if (info == nullptr) return E_POINTER;
    if (info->pvReserved != nullptr) {
        SysFreeString(info->bstrDescription);
        info->bstrDescription = static_cast<BSTR>(info->pvReserved);
        info->pvReserved = nullptr;
    }
    return S_OK;
}

// The real engine's answer to a file it could not open.
Outcome OpenFailure(DWORD error, const std::wstring& path) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return Outcome::Dao(3024, L"Could not find file '" + path + L"'.");
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return Outcome::Dao(3044, L"'" + FolderPart(path) + L"' is not a valid path.  Make sure that the path "
                                      L"name is spelled correctly and that you are connected to the server on "
                                      L"which the file resides.");
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Outcome::Dao(3045, L"Could not use '" + path + L"'; file already in use.");
        default:
            return Outcome::Dao(3051, L"Cannot open the file '" + path + L"'.  It is already opened exclusively "
                                      L"by another user, or you need permission to view its data.");
    }
}

Outcome DiskFailure(DWORD error) {
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
        return Outcome::Dao(3026, L"Not enough space on disk.");
    }
    return Outcome::Dao(3043, L"Disk or network error.");
}

// fail.txt's "<file name>|<number>|<description>" rule for this source file.
std::optional<Outcome> ConfiguredFailure(const std::wstring& sourcePath) {
    const std::optional<std::wstring> text = ReadConfig(L"fail.txt");
    if (!text) return std::nullopt;
    const std::wstring fileName = FileNamePart(sourcePath);
    for (const std::wstring& line : Lines(*text)) {
        const size_t first = line.find(L'|');
        if (first == std::wstring::npos) continue;
        const size_t second = line.find(L'|', first + 1);
        if (second == std::wstring::npos) continue;
        if (!SameTextIgnoringCase(Trim(line.substr(0, first)), fileName)) continue;
        const std::optional<long> number = ParseNumber(Trim(line.substr(first + 1, second - first - 1)));
        if (!number || *number == 0) continue;
        return Outcome::Dao(*number, Trim(line.substr(second + 1)));
    }
    return std::nullopt;
}

struct RepairBehaviour {
    enum class Kind { Ok, Unknown, Raise, Unreadable } kind = Kind::Ok;
    Outcome raised;
};

// repair.txt (the first engine, as a newer engine that has no repair
// answers) or second_repair.txt, by the engine asked: "ok" (default),
// "unknown", "3251" or "<number>|<description>".
RepairBehaviour RepairBehaviourOf(Role role) {
    const wchar_t* file = role == Role::First ? L"repair.txt" : L"second_repair.txt";
    const std::wstring text = Trim(ReadConfig(file).value_or(L""));
    if (text.empty() || SameTextIgnoringCase(text, L"ok")) return {};
    if (SameTextIgnoringCase(text, L"unknown")) return {RepairBehaviour::Kind::Unknown, {}};
    const size_t bar = text.find(L'|');
    const std::optional<long> number = ParseNumber(Trim(text.substr(0, bar)));
    if (!number || *number == 0) return {RepairBehaviour::Kind::Unreadable, Outcome::Failed(E_UNEXPECTED)};
    std::wstring description;
    if (bar != std::wstring::npos) description = Trim(text.substr(bar + 1));
    else if (*number == 3251) description = L"Operation is not supported for this type of object.";
    else description = L"Error " + std::to_wstring(*number) + L".";
    return {RepairBehaviour::Kind::Raise, Outcome::Dao(*number, description)};
}

// The real engine opens the source for reading and lets others read only: a
// program that has it open for writing, or without sharing, makes it fail.
Outcome OpenSource(const std::wstring& path, UniqueFile& file) {
    file.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return OpenFailure(GetLastError(), path);
    return Outcome::Ok();
}

// Copies up to `limit` bytes (all that is left when limit is negative).
// A chunk of zeros is skipped over rather than written, so a sparse source
// (the tests' database near the 2 GB limit) makes a sparse copy: gigabytes
// of nothing cost neither the disk nor the time.
Outcome CopyBytes(HANDLE source, HANDLE destination, long long limit) {
    std::vector<char> buffer(kCopyChunk);
    bool skipped = false;
    while (limit != 0) {
        const DWORD want = limit < 0 || limit > kCopyChunk ? kCopyChunk : static_cast<DWORD>(limit);
        DWORD read = 0;
        if (!ReadFile(source, buffer.data(), want, &read, nullptr)) return DiskFailure(GetLastError());
        if (read == 0) break;
        if (limit > 0) limit -= read;
        skipped = std::all_of(buffer.begin(), buffer.begin() + read, [](char c) { return c == 0; });
        if (skipped) {
            LARGE_INTEGER ahead{};
            ahead.QuadPart = read;
            if (!SetFilePointerEx(destination, ahead, nullptr, FILE_CURRENT)) return DiskFailure(GetLastError());
            continue;
        }
        DWORD written = 0;
        if (!WriteFile(destination, buffer.data(), read, &written, nullptr) || written != read) {
            return DiskFailure(GetLastError());
        }
    }
    // Zeros skipped at the end still count in the copy's length.
    if (skipped && !SetEndOfFile(destination)) return DiskFailure(GetLastError());
    return Outcome::Ok();
}

// Half the copy written and flushed, then the pause or the end a scenario
// asked for: a slow compaction (compact_delay_ms.txt) or a local server that
// dies in the middle of this source's compaction (die_in_compact.txt).
void MiddleOfCompaction(Role role, const std::wstring& sourcePath, const std::vector<std::string>& arguments) {
    const std::optional<DWORD> delay = ConfigMilliseconds(L"compact_delay_ms.txt");
    const bool server = HostIsServer() && role == Role::First;
    const bool die = server && ConfigNamesFile(L"die_in_compact.txt", sourcePath);
    const bool hang = server && ConfigNamesFile(L"hang_in_compact.txt", sourcePath);
    std::vector<std::string> fields{
        RoleName(role), die ? "CompactDatabase.dying" : hang ? "CompactDatabase.hanging" : "CompactDatabase.started"};
    fields.insert(fields.end(), arguments.begin(), arguments.end());
    JournalLine(fields);
    // As a crash: no reply, no clean-up, the half-written copy stays.
    if (die) TerminateProcess(GetCurrentProcess(), 3);
    // As a hang that still answers the system: the call never returns, and
    // the process can be ended.
    while (hang) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    if (delay) Sleep(*delay);
}

const VARIANT& Argument(const DISPPARAMS& params, UINT index) { return params.rgvarg[params.cArgs - 1 - index]; }

// A client may pass a VARIANT by reference (a Variant variable of a script).
const VARIANT& Referenced(const VARIANT& value) {
    if (V_VT(&value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&value) != nullptr) return *V_VARIANTREF(&value);
    return value;
}

bool IsMissing(const VARIANT& argument) {
    const VARIANT& value = Referenced(argument);
    return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

std::string JournalText(const VARIANT& argument) {
    const VARIANT& value = Referenced(argument);
    if (IsMissing(value)) return "<missing>";
    if (V_VT(&value) == VT_BSTR) return Utf8({V_BSTR(&value), SysStringLen(V_BSTR(&value))});
    if (V_VT(&value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&value) != nullptr) {
        return Utf8({*V_BSTRREF(&value), SysStringLen(*V_BSTRREF(&value))});
    }
    if (V_VT(&value) == VT_I4) return std::to_string(V_I4(&value));
    if (V_VT(&value) == VT_I2) return std::to_string(V_I2(&value));
    return "<vt " + std::to_string(V_VT(&value)) + ">";
}

}  // namespace

const char* RoleName(Role role) { return role == Role::First ? "first" : "second"; }

std::string Outcome::JournalText() const {
    if (Succeeded()) return "ok";
    if (daoNumber != 0) return "error " + std::to_string(daoNumber);
    char text[32];
    std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(result));
    return text;
}

HRESULT Raise(const Outcome& outcome, EXCEPINFO* info) {
    if (outcome.daoNumber == 0) return outcome.result;
    const HRESULT code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, outcome.daoNumber);
    if (info == nullptr) return code;
    *info = EXCEPINFO{};
    info->scode = code;
    info->bstrSource = SysAllocString(kErrorSource);
    BSTR description = SysAllocStringLen(outcome.description.data(), static_cast<UINT>(outcome.description.size()));
    // defer_fill_in.txt: a server that leaves the text to the fill-in all the
    // same, as a careless one would; what reaches its clients is Wine's to say.
    if (HostIsServer() && !ConfigExists(L"defer_fill_in.txt")) {
        info->bstrDescription = description;
        return DISP_E_EXCEPTION;
    }
    info->pvReserved = description;
    info->pfnDeferredFillIn = FillInDescription;
    return DISP_E_EXCEPTION;
}

std::vector<std::string> JournalTexts(const DISPPARAMS& params) {
    std::vector<std::string> texts;
    for (UINT index = 0; index < params.cArgs; ++index) texts.push_back(JournalText(Argument(params, index)));
    return texts;
}

HRESULT TextArgument(const DISPPARAMS& params, UINT index, std::wstring& text, UINT* argumentError) {
    const VARIANT& value = Referenced(Argument(params, index));
    const auto fail = [&](HRESULT result) {
        if (argumentError != nullptr) *argumentError = params.cArgs - 1 - index;
        return result;
    };
    if (IsMissing(value)) return fail(DISP_E_PARAMNOTFOUND);
    if (V_VT(&value) == VT_BSTR) {
        text.assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
        return S_OK;
    }
    if (V_VT(&value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&value) != nullptr) {
        text.assign(*V_BSTRREF(&value), SysStringLen(*V_BSTRREF(&value)));
        return S_OK;
    }
    VARIANT converted;
    VariantInit(&converted);
    // The header's parameter is not const, though the source is only read.
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
        return fail(DISP_E_TYPEMISMATCH);
    }
    text.assign(V_BSTR(&converted), SysStringLen(V_BSTR(&converted)));
    VariantClear(&converted);
    return S_OK;
}

bool RepairUnknown(Role role) { return RepairBehaviourOf(role).kind == RepairBehaviour::Kind::Unknown; }

Outcome Repair(Role role, const std::wstring& path) {
    // As a crash: no reply, whatever repair.txt would have answered.
    if (HostIsServer() && role == Role::First && ConfigNamesFile(L"die_in_repair.txt", path)) {
        JournalLine({RoleName(role), "RepairDatabase.dying", Utf8(path)});
        TerminateProcess(GetCurrentProcess(), 3);
    }
    const RepairBehaviour behaviour = RepairBehaviourOf(role);
    if (behaviour.kind == RepairBehaviour::Kind::Unknown) return Outcome::Failed(DISP_E_MEMBERNOTFOUND);
    if (behaviour.kind != RepairBehaviour::Kind::Ok) return behaviour.raised;
    if (role == Role::First) {
        if (std::optional<Outcome> failure = ConfiguredFailure(path)) return *failure;
    }
    UniqueFile source;
    if (Outcome opened = OpenSource(path, source); !opened.Succeeded() || role == Role::First) return opened;
    source.Reset();
    // The extra repair writes the database in place, as DAO's does: a test
    // can tell the file from before it from the file after it.
    static constexpr char kMark[] = "|second repair";
    UniqueFile written(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written) return OpenFailure(GetLastError(), path);
    DWORD done = 0;
    if (!WriteFile(written.Get(), kMark, sizeof kMark - 1, &done, nullptr) || !FlushFileBuffers(written.Get())) {
        return DiskFailure(GetLastError());
    }
    return Outcome::Ok();
}

Outcome Compact(Role role, const std::wstring& sourcePath, const std::wstring& destinationPath,
                const std::vector<std::string>& journalArguments) {
    if (role == Role::First) {
        if (std::optional<Outcome> failure = ConfiguredFailure(sourcePath)) return *failure;
    }
    if (GetFileAttributesW(destinationPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return Outcome::Dao(3204, L"Database already exists.");
    }
    UniqueFile source;
    if (Outcome opened = OpenSource(sourcePath, source); !opened.Succeeded()) return opened;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(source.Get(), &size)) return DiskFailure(GetLastError());

    UniqueFile destination(CreateFileW(destinationPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!destination) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            return Outcome::Dao(3204, L"Database already exists.");
        }
        return OpenFailure(error, destinationPath);
    }
    Outcome copied = Outcome::Ok();
    const bool paused = ConfigExists(L"compact_delay_ms.txt") || ConfigExists(L"die_in_compact.txt") ||
                        ConfigExists(L"hang_in_compact.txt");
    if (paused) {
        copied = CopyBytes(source.Get(), destination.Get(), size.QuadPart / 2);
        if (copied.Succeeded()) {
            FlushFileBuffers(destination.Get());
            MiddleOfCompaction(role, sourcePath, journalArguments);
        }
    }
    if (copied.Succeeded()) copied = CopyBytes(source.Get(), destination.Get(), -1);
    if (copied.Succeeded() && !FlushFileBuffers(destination.Get())) copied = DiskFailure(GetLastError());
    if (!copied.Succeeded()) {
        // As the real engine: no half-written destination is left behind.
        destination.Reset();
        DeleteFileW(destinationPath.c_str());
    }
    return copied;
}

}  // namespace test_engine
