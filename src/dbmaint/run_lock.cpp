#include "dbmaint/run_lock.h"

#include <vector>

#include "app/debug_log.h"
#include "base/text.h"
#include "base/utf.h"
#include "dbmaint/shared_logs.h"
#include "platform/clock.h"

namespace corvane {
namespace {

// Windows' longest computer name (a DNS label); longer is no name.
constexpr std::size_t kComputerChars = 63;
constexpr std::size_t kKindChars = 20;
constexpr std::size_t kStampChars = 19;  // "2026-12-05 04:00:00"

constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kLockViolation = 33;

bool IsBinary(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\r' && c != '\n' && c != '\t') || b == 0x7F) return true;
    }
    return false;
}

// CR LF, LF or a lone CR each end a line; an empty line is a line.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] != '\r' && bytes[at] != '\n') continue;
        lines.push_back(bytes.substr(start, at - start));
        if (bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') ++at;
        start = at + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

// The part as it may be shown and recorded, or "" when it is longer than
// what it names can be. Bytes that are not UTF-8 (a lock read only in part
// may end inside a character) become U+FFFD.
std::string Part(std::string_view line, std::size_t maxChars) {
    std::string kept;
    for (const char c : line) {
        if (c == '\t') kept += ' ';
        else if (c != '"') kept += c;
    }
    const std::u16string chars = Utf8ToUtf16(Trim(kept));
    return chars.size() > maxChars ? std::string() : Utf16ToUtf8(chars);
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

std::optional<DateTime> Stamp(const std::string& text) {
    if (text.size() != kStampChars || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':') {
        return std::nullopt;
    }
    DateTime t;
    if (!Digits(text, 0, 4, t.year) || !Digits(text, 5, 2, t.month) || !Digits(text, 8, 2, t.day) ||
        !Digits(text, 11, 2, t.hour) || !Digits(text, 14, 2, t.minute) || !Digits(text, 17, 2, t.second)) {
        return std::nullopt;
    }
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 || t.second > 59) {
        return std::nullopt;
    }
    return t;
}

std::string StampOf(const DateTime& t) {
    return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " + TwoDigits(t.hour) +
           ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// "POS1, DB REPAIR, 2026-12-01 04:00:00": a left-over lock in one field.
std::string Summary(const RunLockOwner& owner) {
    std::string text = owner.computer;
    for (const std::string& part : {owner.kind, owner.started ? StampOf(*owner.started) : std::string()}) {
        if (!part.empty()) text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

}  // namespace

std::string RunLockContent(const RunLockOwner& owner) {
    return owner.computer + "\r\n" + owner.kind + "\r\n" + (owner.started ? StampOf(*owner.started) : "") + "\r\n";
}

RunLockOwner ParseRunLock(std::string_view bytes) {
    bytes = bytes.substr(0, kRunLockReadBytes);
    RunLockOwner owner;
    if (IsBinary(bytes)) return owner;
    const std::vector<std::string_view> lines = Lines(bytes);
    if (lines.size() > 0) owner.computer = Part(lines[0], kComputerChars);
    if (lines.size() > 1) owner.kind = Part(lines[1], kKindChars);
    if (lines.size() > 2) owner.started = Stamp(Part(lines[2], kStampChars));
    return owner;
}

std::string BusyMessage(const RunLockOwner& owner, const DateTime& now) {
    std::string details = owner.kind;
    if (owner.started) {
        const DateTime& s = *owner.started;
        const std::string time = TwoDigits(s.hour) + ":" + TwoDigits(s.minute);
        const bool today = s.year == now.year && s.month == now.month && s.day == now.day;
        const std::string since = today ? "desde las " + time
                                         : "desde el " + TwoDigits(s.day) + "/" + TwoDigits(s.month) + "/" +
                                               std::to_string(s.year) + " a las " + time;
        details += (details.empty() ? "" : ", ") + since;
    }
    return "Corvane ya esta trabajando en estas bases desde " +
           (owner.computer.empty() ? std::string("otro equipo") : owner.computer) +
           (details.empty() ? "" : " (" + details + ")");
}

RunLockTaken TakeRunLock(AppContext& context, const std::string& folder, const std::string& kind) {
    const std::string path = JoinPath(folder, kRunLockName);
    RunLockTaken taken;
    if (const Status held = context.files.Hold(path, taken.lock); !held) {
        if (held.code != kSharingViolation && held.code != kLockViolation) {
            taken.message = "No se Puede Tomar el Bloqueo de las Bases\r" + path + "\r\r" + held.text + " (Error " +
                            std::to_string(held.code) + ")\r\rNo se ha tocado ninguna base de datos.";
            AppendDebugLine(context, "RunLock: " + path + " " + held.where + " " + held.Describe());
            return taken;
        }
        // Its holder lets it be read: who works there is what the user needs.
        RunLockOwner owner;
        std::string bytes;
        std::uint64_t size = 0;
        if (const Status read = context.files.ReadHead(path, kRunLockReadBytes, bytes, size); read) {
            owner = ParseRunLock(bytes);
        } else {
            AppendDebugLine(context, "RunLock: " + path + " " + read.Describe());
        }
        taken.end = RunLockEnd::HeldElsewhere;
        taken.message = BusyMessage(owner, context.clock.Now());
        AppendDebugLine(context, "RunLock: " + taken.message);
        return taken;
    }

    std::string left;
    if (const Status read = taken.lock->Read(kRunLockReadBytes, left); !read) {
        AppendDebugLine(context, "RunLock: " + path + " " + read.Describe());
    } else if (!left.empty()) {
        // Nobody held it: the run that wrote it stopped with its machine (or
        // its file server) before it could let go.
        const std::string who = Summary(ParseRunLock(left));
        SharedLogs(context, path, "RunLock").ToTlFile({path, "Corvane - " + kind, who, kRecordEnd});
        AppendDebugLine(context, "RunLock: " + path + " quedo de una corrida detenida (" + who + "), se toma");
    }
    const RunLockOwner self{context.state.computerName, kind, context.clock.Now()};
    if (const Status written = taken.lock->Rewrite(RunLockContent(self)); !written) {
        // Held all the same: the content only tells other runs who holds it.
        AppendDebugLine(context, "RunLock: " + path + " " + written.where + " " + written.Describe());
    }
    taken.end = RunLockEnd::Held;
    return taken;
}

}  // namespace corvane
