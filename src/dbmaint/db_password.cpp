#include "dbmaint/db_password.h"

#include <cstdint>
#include <iterator>

#include "app/build_config.h"
#include "base/text.h"
#include "base/utf.h"
#include "dbmaint/database_kinds.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace corvane {
namespace {

// The prefix search's order: "Pantry Backlog " before "Pantry ", so a backlog
// is never taken for a pantry. KeystoneSolo is searched last, after the
// sweeper's names.
constexpr DbKind kSearched[] = {
    DbKind::Keystone, DbKind::Staffroll, DbKind::Overwatch, DbKind::Playfield, DbKind::Tollgate, DbKind::Festive,
    DbKind::Cuebay,   DbKind::Backlog,   DbKind::Pantry,    DbKind::Chronicle, DbKind::Patrons,  DbKind::Ledgers,
};
constexpr DbKind kSearchedLast = DbKind::KeystoneSolo;

// Every kind once, and none after a kind whose prefix its own contains,
// which would find it first.
constexpr bool SearchCoversEveryKindFirstMatchRight() {
    for (const KindInfo& info : kKinds) {
        int seen = info.kind == kSearchedLast ? 1 : 0;
        for (const DbKind kind : kSearched) seen += kind == info.kind ? 1 : 0;
        if (seen != 1) return false;
    }
    for (std::size_t later = 0; later < std::size(kSearched); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            if (ContainsText(InfoOf(kSearched[later]).prefix, InfoOf(kSearched[earlier]).prefix)) return false;
        }
    }
    return true;
}
static_assert(SearchCoversEveryKindFirstMatchRight(), "the prefix search misses a kind or finds one too early");

// Up to ten characters from a 0-based position; fewer at the end of the name.
std::u16string FieldAt(std::u16string_view name, std::size_t position) {
    if (position >= name.size()) return {};
    return std::u16string(name.substr(position, 10));
}

// The field after a prefix: three free characters and a space past it.
std::optional<std::u16string> FieldAfter(std::u16string_view name, std::u16string_view upperName,
                                         std::string_view prefix) {
    const std::size_t found = upperName.find(Utf8ToUtf16(UpperCase(prefix)));
    if (found == std::u16string_view::npos) return std::nullopt;
    return FieldAt(name, found + prefix.size() + 4);
}

bool EndsWith(std::u16string_view text, std::u16string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Positions count in UTF-16 units, as Windows counts a name's characters.
std::optional<std::u16string> NumberField(std::u16string_view name) {
    if (ReadsAsNumber(name)) return std::u16string(name);
    std::u16string upperName(name);
    for (char16_t& c : upperName) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    for (const DbKind kind : kSearched) {
        if (auto field = FieldAfter(name, upperName, InfoOf(kind).prefix)) return field;
    }
    if (EndsWith(name, u" Sweeper.mdb")) return FieldAt(name, 0);
    if (upperName.find(u" SWEEPER") != std::u16string::npos) return FieldAt(name, 17);
    if (auto field = FieldAfter(name, upperName, InfoOf(kSearchedLast).prefix)) return field;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> PasswordNumberField(std::string_view name) {
    const std::optional<std::u16string> field = NumberField(Utf8ToUtf16(name));
    if (!field) return std::nullopt;
    return Utf16ToUtf8(*field);
}

std::string PasswordFromNumberField(std::string_view field, std::string_view key, char marker) {
    // Ten digits overflow 32 bits (a long on Windows): 64-bit throughout.
    // Only a field of ten digits is ASCII, so its byte count is its length.
    if (field.size() < 10 || !ReadsAsNumber(field.substr(0, 10)) || !ReadsAsNumber(key)) return kFallbackPassword;
    const auto number = [](std::string_view digits) {
        std::int64_t value = 0;
        for (const char c : digits) value = value * 10 + (c - '0');
        return value;
    };
    const std::string difference = std::to_string(number(key) - number(field.substr(0, 10)));
    std::string password = difference + marker;
    if (difference.size() >= 10) password += difference[9];
    if (difference.size() >= 9) password += difference[8];
    return password;
}

std::optional<std::string> DBPassword(AppContext& context, const std::string& name) {
    const std::optional<std::string> field = PasswordNumberField(name);
    if (!field) {
        Tell(context.dialogs, "ATENCION!!!", "Bases de Datos NO Compatible!!!\r:(", Icon::Stop);
        context.process.End(0);
        return std::nullopt;
    }
    return PasswordFromNumberField(*field, build::kDbKey, build::kDbMarker);
}

}  // namespace corvane
