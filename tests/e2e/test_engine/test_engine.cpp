// A database engine of the project's own for the end-to-end tests: an
// in-process COM server registered under the two class ids Corvane creates,
// so the product's real late-bound COM code runs under Wine, where no real
// engine can be installed.
//
//   {73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}  the database application object;
//                                           its DBEngine property is the
//                                           "first" engine
//   {00000100-0000-0010-8000-00AA006D2EA4}  a DBEngine of its own, the
//                                           "second" engine
//
// An engine offers Version, RepairDatabase(path) and CompactDatabase(SrcName,
// DstName, [DstLocale], [Options], [SrcLocale]). Compaction copies the bytes
// (runs of zeros as holes, so a sparse database stays sparse);
// the failures the product must handle are the real engine's: the destination
// exists (3204), the source is held open by another program (3045), the
// source is missing (3024). They are raised as the real engine raises them:
// DISP_E_EXCEPTION, scode 0x800A0000 | number, and the description only
// through pfnDeferredFillIn, so a client that skips the fill-in sees no text.
//
// Each scenario chooses the behaviour with text files beside the DLL, read at
// every call (a test changes them between two steps of one run):
//   version.txt          the first engine's version (default "3.6")
//   fail.txt             "<file name>|<number>|<description>" lines: a call of
//                        the first engine on that source file raises that
//   repair.txt           the first engine's RepairDatabase, as a newer
//                        engine that has none answers: "ok" (default),
//                        "unknown" (no such name), "3251", or
//                        "<number>|<description>"; fail.txt applies after
//   second_repair.txt    the same for the second engine's RepairDatabase
//   refuse_start.txt     present: the application object will not start
//   compact_delay_ms.txt a compaction writes half the destination, flushes
//                        it, journals "<engine> CompactDatabase.started
//                        <arguments...>" and waits this many milliseconds
//                        before the rest, so a test can end the program in
//                        the middle of it
// and it appends what it was asked to journal.txt there (UTF-8, CR LF, TAB
// between fields): "<first|second> <member> <arguments...> <ok|error N>",
// plus "create application", "create second" and "refuse application" when a
// class factory is asked for an object. An argument is written as the text it
// holds, "<missing>" when left out, else "<vt N>". Failures that are not the
// engine's own (a wrong argument count or type) show as "error 0x8002000E".
// Every repair and compaction also appends "<member> <start ms> <end ms>" on
// the host's realtime clock to timings.txt, for the compaction benchmark.

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/handles.h"

namespace {

using corvane::win32::UniqueFile;

// {73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}
constexpr CLSID kApplicationClsid = {0x73A4C9C1, 0xD68D, 0x11D0, {0x98, 0xBF, 0x00, 0xA0, 0xC9, 0x0D, 0xC8, 0xD9}};
// {00000100-0000-0010-8000-00AA006D2EA4}
constexpr CLSID kSecondEngineClsid = {0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

constexpr wchar_t kErrorSource[] = L"DAO.DBEngine";
constexpr wchar_t kDefaultVersion[] = L"3.6";
constexpr DWORD kCopyChunk = 64 * 1024;

HMODULE gModule = nullptr;
// Objects alive, class factories held and server locks: the DLL may be
// unloaded only when all are gone.
LONG gModuleUsers = 0;

// ---------------------------------------------------------------- text

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::wstring Trim(std::wstring_view text) {
    const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return std::wstring(text.substr(begin, end - begin));
}

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// A whole decimal number, nothing else.
std::optional<long> ParseNumber(const std::wstring& text) {
    if (text.empty()) return std::nullopt;
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderPart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// ---------------------------------------------------------------- configuration

// The DLL's own folder, with its trailing backslash: each scenario installs
// its own copy, so the configuration travels with it.
std::wstring ConfigFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(gModule, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool ConfigExists(const wchar_t* name) {
    return GetFileAttributesW((ConfigFolder() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file's text (UTF-8, a byte order mark dropped), or nothing when the
// file is not there. Read anew at every call: tests rewrite it mid-run.
std::optional<std::wstring> ReadConfig(const wchar_t* name) {
    UniqueFile file(CreateFileW((ConfigFolder() + name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return Wide(bytes);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(L'\n', start);
        const size_t stop = end == std::wstring::npos ? text.size() : end;
        std::wstring line = text.substr(start, stop - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

// ---------------------------------------------------------------- journal

// One line per write call, flushed at once: a test may read the journal
// while the program runs, or after it was killed.
void JournalLineTo(const wchar_t* fileName, const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty()) line += '\t';
        line += field;
    }
    line += "\r\n";
    UniqueFile file(CreateFileW((ConfigFolder() + fileName).c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    FlushFileBuffers(file.Get());
}

void JournalLine(const std::vector<std::string>& fields) { JournalLineTo(L"journal.txt", fields); }

// The host's realtime clock in milliseconds since 1970, as `date +%s%3N`
// reads it: the compaction benchmark sets the engine's own time apart.
long long NowUnixMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return ticks / 10000 - 11644473600000LL;
}

// timings.txt: "<member> TAB <start ms> TAB <end ms>" for every repair and
// compaction.
void TimingLine(const char* member, long long started) {
    JournalLineTo(L"timings.txt", {member, std::to_string(started), std::to_string(NowUnixMs())});
}

// ---------------------------------------------------------------- outcomes

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

    std::string JournalText() const {
        if (Succeeded()) return "ok";
        if (daoNumber != 0) return "error " + std::to_string(daoNumber);
        char text[32];
        std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(result));
        return text;
    }
};

// The deferred part of the engine's EXCEPINFO: the description waits in
// pvReserved until the client asks for it, as the real engine makes its
// clients ask. Calling it twice is harmless.
HRESULT __stdcall FillInDescription(EXCEPINFO* info) {
    if (info == nullptr) return E_POINTER;
    if (info->pvReserved != nullptr) {
        SysFreeString(info->bstrDescription);
        info->bstrDescription = static_cast<BSTR>(info->pvReserved);
        info->pvReserved = nullptr;
    }
    return S_OK;
}

HRESULT Raise(const Outcome& outcome, EXCEPINFO* info) {
    if (outcome.daoNumber == 0) return outcome.result;
    const HRESULT code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, outcome.daoNumber);
    if (info == nullptr) return code;
    *info = EXCEPINFO{};
    info->wCode = 0;
    info->scode = code;
    info->bstrSource = SysAllocString(kErrorSource);
    info->bstrDescription = nullptr;
    info->pvReserved = SysAllocStringLen(outcome.description.data(), static_cast<UINT>(outcome.description.size()));
    info->pfnDeferredFillIn = FillInDescription;
    return DISP_E_EXCEPTION;
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

// ---------------------------------------------------------------- arguments

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }
    VARIANT* Get() { return &value_; }

private:
    VARIANT value_;
};

// rgvarg holds the arguments last first.
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
    return "<vt " + std::to_string(V_VT(&value)) + ">";
}

std::vector<std::string> JournalTexts(const DISPPARAMS& params) {
    std::vector<std::string> texts;
    for (UINT index = 0; index < params.cArgs; ++index) texts.push_back(JournalText(Argument(params, index)));
    return texts;
}

// A required text argument: a string as it is, anything else as the
// automation conversion makes it (as the real engine takes a number for a name).
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
    Variant converted;
    // The header's parameter is not const, though the source is only read.
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
        return fail(DISP_E_TYPEMISMATCH);
    }
    text.assign(V_BSTR(converted.Get()), SysStringLen(V_BSTR(converted.Get())));
    return S_OK;
}

// ---------------------------------------------------------------- behaviour

enum class Role { First, Second };

const char* RoleName(Role role) { return role == Role::First ? "first" : "second"; }

// fail.txt's rule for this source file, if any.
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

// repair.txt or second_repair.txt, by the engine asked.
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

std::optional<DWORD> CompactDelayMs() {
    const std::optional<std::wstring> text = ReadConfig(L"compact_delay_ms.txt");
    if (!text) return std::nullopt;
    const std::optional<long> number = ParseNumber(Trim(*text));
    if (!number || *number < 0) return std::nullopt;
    return static_cast<DWORD>(*number);
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

Outcome Repair(Role role, const std::wstring& path) {
    RepairBehaviour behaviour = RepairBehaviourOf(role);
    if (behaviour.kind == RepairBehaviour::Kind::Unknown) return Outcome::Failed(DISP_E_MEMBERNOTFOUND);
    if (behaviour.kind != RepairBehaviour::Kind::Ok) return behaviour.raised;
    if (role == Role::First) {
        if (std::optional<Outcome> failure = ConfiguredFailure(path)) return *failure;
    }
    UniqueFile source;
    return OpenSource(path, source);
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
    if (const std::optional<DWORD> delay = CompactDelayMs()) {
        copied = CopyBytes(source.Get(), destination.Get(), size.QuadPart / 2);
        if (copied.Succeeded()) {
            FlushFileBuffers(destination.Get());
            std::vector<std::string> fields{RoleName(role), "CompactDatabase.started"};
            fields.insert(fields.end(), journalArguments.begin(), journalArguments.end());
            JournalLine(fields);
            Sleep(*delay);
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

// ---------------------------------------------------------------- COM objects

// IDispatch without a type library: names looked up without regard to case,
// as automation servers do; positional arguments only.
class DispatchObject : public IDispatch {
public:
    DispatchObject() { InterlockedIncrement(&gModuleUsers); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;
    virtual ~DispatchObject() { InterlockedDecrement(&gModuleUsers); }

    HRESULT __stdcall QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG __stdcall Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT __stdcall GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return DISP_E_BADINDEX;
    }

    HRESULT __stdcall GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
        for (UINT index = 0; index < count; ++index) ids[index] = DISPID_UNKNOWN;
        ids[0] = Find(names[0] != nullptr ? names[0] : L"");
        // Named arguments are never resolved.
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT __stdcall Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) return E_INVALIDARG;
        if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        if (result != nullptr) VariantInit(result);
        try {
            return Call(id, flags, *params, result, exception, argumentError);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

protected:
    static bool IsPropertyGet(WORD flags) { return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0; }
    static bool IsMethod(WORD flags) { return (flags & DISPATCH_METHOD) != 0; }

    virtual DISPID Find(const wchar_t* name) = 0;
    virtual HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception,
                         UINT* argumentError) = 0;

private:
    LONG references_ = 1;
};

constexpr DISPID kDbEngine = 1;
constexpr DISPID kVersion = 2;
constexpr DISPID kRepairDatabase = 3;
constexpr DISPID kCompactDatabase = 4;

class Engine final : public DispatchObject {
public:
    explicit Engine(Role role) : role_(role) {}

protected:
    DISPID Find(const wchar_t* name) override {
        if (SameTextIgnoringCase(name, L"Version")) return kVersion;
        if (SameTextIgnoringCase(name, L"CompactDatabase")) return kCompactDatabase;
        if (SameTextIgnoringCase(name, L"RepairDatabase")) {
            // Engines that no longer offer the method: DAO 3.6 as the second
            // engine, newer ones as the first.
            if (RepairBehaviourOf(role_).kind == RepairBehaviour::Kind::Unknown) return DISPID_UNKNOWN;
            return kRepairDatabase;
        }
        return DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception,
                 UINT* argumentError) override {
        switch (id) {
            case kVersion: return Version(flags, params, result);
            case kRepairDatabase: return RepairDatabase(flags, params, exception, argumentError);
            case kCompactDatabase: return CompactDatabase(flags, params, exception, argumentError);
            default: return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    void Journal(const char* member, const DISPPARAMS& params, const Outcome& outcome) const {
        std::vector<std::string> fields{RoleName(role_), member};
        const std::vector<std::string> arguments = JournalTexts(params);
        fields.insert(fields.end(), arguments.begin(), arguments.end());
        fields.push_back(outcome.JournalText());
        JournalLine(fields);
    }

    HRESULT Version(WORD flags, const DISPPARAMS& params, VARIANT* result) {
        if (!IsPropertyGet(flags)) return DISP_E_MEMBERNOTFOUND;
        Outcome outcome = params.cArgs == 0 ? Outcome::Ok() : Outcome::Failed(DISP_E_BADPARAMCOUNT);
        if (outcome.Succeeded() && result != nullptr) {
            // DAO 3.6 by its class id; only the application's engine varies.
            std::wstring version = kDefaultVersion;
            if (role_ == Role::First) {
                const std::wstring configured = Trim(ReadConfig(L"version.txt").value_or(L""));
                if (!configured.empty()) version = configured;
            }
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocStringLen(version.data(), static_cast<UINT>(version.size()));
            if (V_BSTR(result) == nullptr) outcome = Outcome::Failed(E_OUTOFMEMORY);
        }
        Journal("Version", params, outcome);
        return outcome.result;
    }

    HRESULT RepairDatabase(WORD flags, const DISPPARAMS& params, EXCEPINFO* exception, UINT* argumentError) {
        if (!IsMethod(flags)) return DISP_E_MEMBERNOTFOUND;
        const long long started = NowUnixMs();
        Outcome outcome;
        std::wstring path;
        if (params.cArgs != 1) {
            outcome = Outcome::Failed(DISP_E_BADPARAMCOUNT);
        } else if (const HRESULT read = TextArgument(params, 0, path, argumentError); FAILED(read)) {
            outcome = Outcome::Failed(read);
        } else {
            outcome = Repair(role_, path);
        }
        Journal("RepairDatabase", params, outcome);
        TimingLine("RepairDatabase", started);
        return Raise(outcome, exception);
    }

    HRESULT CompactDatabase(WORD flags, const DISPPARAMS& params, EXCEPINFO* exception, UINT* argumentError) {
        if (!IsMethod(flags)) return DISP_E_MEMBERNOTFOUND;
        const long long started = NowUnixMs();
        Outcome outcome;
        std::wstring source;
        std::wstring destination;
        if (params.cArgs < 2 || params.cArgs > 5) {
            outcome = Outcome::Failed(DISP_E_BADPARAMCOUNT);
        } else if (const HRESULT read = TextArgument(params, 0, source, argumentError); FAILED(read)) {
            outcome = Outcome::Failed(read);
        } else if (const HRESULT read = TextArgument(params, 1, destination, argumentError); FAILED(read)) {
            outcome = Outcome::Failed(read);
        } else {
            outcome = Compact(role_, source, destination, JournalTexts(params));
        }
        Journal("CompactDatabase", params, outcome);
        TimingLine("CompactDatabase", started);
        return Raise(outcome, exception);
    }

    Role role_;
};

class Application final : public DispatchObject {
public:
    ~Application() override {
        if (engine_ != nullptr) engine_->Release();
    }

protected:
    DISPID Find(const wchar_t* name) override {
        return SameTextIgnoringCase(name, L"DBEngine") ? kDbEngine : DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != kDbEngine || !IsPropertyGet(flags)) return DISP_E_MEMBERNOTFOUND;
        Outcome outcome = params.cArgs == 0 ? Outcome::Ok() : Outcome::Failed(DISP_E_BADPARAMCOUNT);
        if (outcome.Succeeded() && result != nullptr) {
            // One engine for the application's life, as the real one keeps.
            if (engine_ == nullptr) engine_ = new Engine(Role::First);
            engine_->AddRef();
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = engine_;
        }
        std::vector<std::string> fields{RoleName(Role::First), "DBEngine"};
        const std::vector<std::string> arguments = JournalTexts(params);
        fields.insert(fields.end(), arguments.begin(), arguments.end());
        fields.push_back(outcome.JournalText());
        JournalLine(fields);
        return outcome.result;
    }

private:
    Engine* engine_ = nullptr;
};

enum class ClassKind { Application, SecondEngine };

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ClassKind kind) : kind_(kind) {}

    HRESULT __stdcall QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factories are static: a reference only keeps the DLL loaded.
    ULONG __stdcall AddRef() override {
        InterlockedIncrement(&gModuleUsers);
        return 2;
    }
    ULONG __stdcall Release() override {
        InterlockedDecrement(&gModuleUsers);
        return 1;
    }

    HRESULT __stdcall CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (kind_ == ClassKind::Application && ConfigExists(L"refuse_start.txt")) {
            JournalLine({"refuse application"});
            return E_FAIL;
        }
        DispatchObject* created = nullptr;
        try {
            if (kind_ == ClassKind::Application) created = new Application();
            else created = new Engine(Role::Second);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const HRESULT result = created->QueryInterface(iid, object);
        created->Release();
        if (SUCCEEDED(result)) JournalLine({kind_ == ClassKind::Application ? "create application" : "create second"});
        return result;
    }

    HRESULT __stdcall LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&gModuleUsers);
        else InterlockedDecrement(&gModuleUsers);
        return S_OK;
    }

private:
    ClassKind kind_;
};

ClassFactory gApplicationFactory(ClassKind::Application);
ClassFactory gSecondEngineFactory(ClassKind::SecondEngine);

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualCLSID(clsid, kApplicationClsid)) return gApplicationFactory.QueryInterface(iid, object);
    if (IsEqualCLSID(clsid, kSecondEngineClsid)) return gSecondEngineFactory.QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return gModuleUsers == 0 ? S_OK : S_FALSE; }
