// Every input goes through every check: file names, MainMachine.ord texts and
// text files all come from what a technician typed or a disk held, so any
// bytes may reach any of these functions.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_machine.h"
#include "base/text_file.h"
#include "base/utf.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/db_password.h"

namespace corvane {
namespace {

// A trap rather than assert(): a broken property must reach libFuzzer as a
// crash, and so be saved, whether or not the build defines NDEBUG.
void Require(bool property) {
    if (!property) __builtin_trap();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Written apart from base/utf.cpp so that the two can disagree: the ranges of
// well-formed sequences, byte by byte.
bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
        const auto tail = [&](std::size_t k, std::uint8_t low, std::uint8_t high) {
            return i + k < text.size() && b(k) >= low && b(k) <= high;
        };
        const std::uint8_t lead = b(0);
        std::size_t length = 0;
        if (lead <= 0x7F) length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF) length = tail(1, 0x80, 0xBF) ? 2 : 0;
        else if (lead == 0xE0) length = tail(1, 0xA0, 0xBF) && tail(2, 0x80, 0xBF) ? 3 : 0;
        else if (lead == 0xED) length = tail(1, 0x80, 0x9F) && tail(2, 0x80, 0xBF) ? 3 : 0;
        else if (lead >= 0xE1 && lead <= 0xEF) length = tail(1, 0x80, 0xBF) && tail(2, 0x80, 0xBF) ? 3 : 0;
        else if (lead == 0xF0) length = tail(1, 0x90, 0xBF) && tail(2, 0x80, 0xBF) && tail(3, 0x80, 0xBF) ? 4 : 0;
        else if (lead == 0xF4) length = tail(1, 0x80, 0x8F) && tail(2, 0x80, 0xBF) && tail(3, 0x80, 0xBF) ? 4 : 0;
        else if (lead >= 0xF1 && lead <= 0xF3) length = tail(1, 0x80, 0xBF) && tail(2, 0x80, 0xBF) && tail(3, 0x80, 0xBF) ? 4 : 0;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool IsWellFormedUtf16(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0xDC00 && text[i] <= 0xDFFF) return false;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

std::u16string UnitsOf(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

void CheckUtf(std::string_view bytes) {
    const std::u16string wide = Utf8ToUtf16(bytes);
    const std::string back = Utf16ToUtf8(wide);
    Require(IsWellFormedUtf16(wide));
    Require(IsValidUtf8(back));
    if (IsValidUtf8(bytes)) Require(back == bytes);

    // The same bytes read as UTF-16, as a name handed back by a wide API.
    const std::u16string units = UnitsOf(bytes, false);
    const std::string narrow = Utf16ToUtf8(units);
    Require(IsValidUtf8(narrow));
    if (IsWellFormedUtf16(units)) Require(Utf8ToUtf16(narrow) == units);
}

void CheckKinds(std::string_view name) {
    // Counted in bytes or in UTF-16 units, ten digits read the same.
    Require(ReadsAsNumber(name) == ReadsAsNumber(Utf8ToUtf16(name)));

    std::optional<DbKind> first;
    for (const KindInfo& info : kKinds) {
        if (!MatchesStrictName(name, info)) continue;
        if (!first) first = info.kind;
        // Whatever the three free characters hold, the last fourteen are the
        // number and ".mdb", all ASCII, and the password is read from that number.
        Require(name.size() >= 14 && name.substr(0, std::string_view(info.prefix).size()) == info.prefix);
        const std::string_view number = name.substr(name.size() - 14, 10);
        Require(ReadsAsNumber(number));
        Require(PasswordNumberField(name) == std::optional<std::string>(number));
    }
    Require(KindOfFile(name) == first);
}

void CheckPassword(std::string_view bytes) {
    if (auto field = PasswordNumberField(bytes)) Require(IsValidUtf8(*field));

    // The key comes from the input too: one fixed key would leave most
    // negative and zero differences out of reach.
    std::string key = "1234567890";
    std::string_view field = bytes;
    if (bytes.size() >= 10) {
        for (std::size_t i = 0; i < 10; ++i) key[i] = static_cast<char>('0' + static_cast<std::uint8_t>(bytes[i]) % 10);
        field = bytes.substr(10);
    }
    constexpr char kMarker = 'Q';
    const std::string password = PasswordFromNumberField(field, key, kMarker);

    bool number = field.size() >= 10;
    for (std::size_t i = 0; number && i < 10; ++i) number = IsDigit(field[i]);
    Require((password == kFallbackPassword) == !number);
    if (!number) return;

    const auto value = [](std::string_view digits) {
        std::int64_t v = 0;
        for (const char c : digits) v = v * 10 + (c - '0');
        return v;
    };
    const std::int64_t differenceValue = value(key) - value(field.substr(0, 10));
    const std::string difference = std::to_string(differenceValue);
    Require(password.compare(0, difference.size(), difference) == 0);
    Require(password.size() > difference.size() && password[difference.size()] == kMarker);
    // At most two of the difference's digits follow the marker: thirteen
    // characters, fourteen when a minus sign leads.
    const std::string_view after = std::string_view(password).substr(difference.size() + 1);
    Require(after.size() <= 2);
    for (const char c : after) Require(IsDigit(c));
    Require(password.size() <= (differenceValue < 0 ? 14u : 13u));
}

void CheckOrd(const std::string& text) {
    for (const std::string& item : ParseOrdItems(text)) {
        Require(item.find('\r') == std::string::npos && item.find('\n') == std::string::npos);
        DecipherOrdItem(item);
    }
    DecipherOrdItem(text);
}

std::string TaggedAnsi(const std::string& bytes) { return "ansi:" + bytes; }

void CheckTextFile(const std::string& bytes) {
    const std::string text = DecodeTextFile(bytes, TaggedAnsi);
    const std::string_view view = bytes;
    if (view.substr(0, 3) == "\xEF\xBB\xBF") {
        Require(IsValidUtf8(text));
        if (IsValidUtf8(view.substr(3))) Require(text == view.substr(3));
    } else if (view.substr(0, 2) == "\xFF\xFE" || view.substr(0, 2) == "\xFE\xFF") {
        Require(IsValidUtf8(text));
        const std::string_view body = view.substr(2);
        const std::u16string units = UnitsOf(body, view[0] == '\xFE');
        if (body.size() % 2 != 0) {
            // Half a unit at the end is a character lost, not a stray byte.
            Require(text.size() >= 3 && text.compare(text.size() - 3, 3, "\xEF\xBF\xBD") == 0);
        } else if (IsWellFormedUtf16(units)) {
            Require(Utf8ToUtf16(text) == units);
        }
    } else {
        Require(text == TaggedAnsi(bytes));
    }
}

}  // namespace
}  // namespace corvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    corvane::CheckUtf(bytes);
    corvane::CheckKinds(bytes);
    corvane::CheckPassword(bytes);
    corvane::CheckTextFile(bytes);
    corvane::CheckOrd(bytes);
    return 0;
}
