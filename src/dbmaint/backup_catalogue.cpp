#include "dbmaint/backup_catalogue.h"

#include <algorithm>

#include "base/text.h"
#include "base/utf.h"

namespace corvane {
namespace {

constexpr std::size_t kStampLength = 11;
constexpr std::size_t kBeforeDash = 6;
constexpr std::size_t kStampPadding = 30;

constexpr const char* kMonths[12] = {"Ene", "Feb", "Mar", "Abr", "May", "Jun",
                                     "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"};

// Characters from..from+count of the stamp; those beyond a short stamp's end
// are simply not there.
std::string_view Part(std::string_view stamp, std::size_t from, std::size_t count) {
    return from < stamp.size() ? stamp.substr(from, count) : std::string_view();
}

const char* MonthAbbreviation(std::string_view month) {
    for (int i = 0; i < 12; ++i) {
        if (month == TwoDigits(i + 1)) return kMonths[i];
    }
    return "";
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Where the stamp lies in a name, counted in the name's own characters. A
// "-" too near the start would put the stamp before the name: it then
// begins at the name's first character.
template <typename View>
View StampIn(View name) {
    const std::size_t dash = name.find(typename View::value_type('-'));
    if (dash == View::npos) return {};
    const std::size_t start = dash >= kBeforeDash ? dash - kBeforeDash : 0;
    return name.substr(start, kStampLength);
}

bool IsZBackup(const std::string& name) {
    return name.size() >= 5 && UpperCase(name.substr(name.size() - 5)) == "Z.MDB";
}

}  // namespace

std::string BackupStamp(std::string_view fileName) {
    // Characters as Windows counts them, not bytes: a name with an accented
    // letter before its "-" must not be cut inside that letter. In an ASCII
    // name, as nearly every backup's is, bytes are characters.
    if (IsAscii(fileName)) return std::string(StampIn(fileName));
    const std::u16string name = Utf8ToUtf16(fileName);
    return Utf16ToUtf8(StampIn(std::u16string_view(name)));
}

std::string BackupDisplayText(const std::string& stamp, bool zBackup) {
    // Built in place: a folder of years of backups makes thousands of rows.
    std::string text;
    text.reserve(24 + kStampPadding + stamp.size());
    text.append(MonthAbbreviation(Part(stamp, 2, 2))).append(". ").append(Part(stamp, 4, 2)).append("/");
    text.append(Part(stamp, 0, 2)).append("   ").append(Part(stamp, 7, 2)).append(":").append(Part(stamp, 9, 2));
    text.append(zBackup ? " (Z)" : " ").append(kStampPadding, ' ').append(stamp);
    return text;
}

std::vector<CatalogueEntry> Catalogue(const std::string& folder, const std::vector<std::string>& names,
                                      std::string_view searchName) {
    std::vector<CatalogueEntry> entries;
    for (const std::string& name : names) {
        if (name.find(searchName) == std::string::npos) continue;
        std::string stamp = BackupStamp(name);
        if (stamp.empty()) continue;
        std::string text = BackupDisplayText(stamp, IsZBackup(name));
        entries.push_back({std::move(stamp), std::move(text), JoinPath(folder, name)});
    }
    // Descending by character code: the newest first within one century.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const CatalogueEntry& a, const CatalogueEntry& b) { return a.stamp > b.stamp; });
    return entries;
}

Status ListCatalogue(FileSystem& files, const std::string& folder, std::string_view searchName,
                     std::vector<CatalogueEntry>& entries) {
    entries.clear();
    std::vector<std::string> names;
    const Status listed = files.ListFileNames(folder, names);
    if (listed) entries = Catalogue(folder, names, searchName);
    return listed;
}

}  // namespace corvane
