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
std::string Part(const std::string& stamp, std::size_t from, std::size_t count) {
    return from < stamp.size() ? stamp.substr(from, count) : std::string();
}

std::string MonthAbbreviation(const std::string& month) {
    for (int i = 0; i < 12; ++i) {
        if (month == TwoDigits(i + 1)) return kMonths[i];
    }
    return "";
}

bool IsZBackup(const std::string& path) {
    return path.size() >= 5 && UpperCase(path.substr(path.size() - 5)) == "Z.MDB";
}

}  // namespace

std::string BackupStamp(std::string_view fileName) {
    // Characters as Windows counts them, not bytes: a name with an accented
    // letter before its "-" must not be cut inside that letter.
    const std::u16string name = Utf8ToUtf16(fileName);
    const std::size_t dash = name.find(u'-');
    if (dash == std::u16string::npos) return "";
    // A "-" too near the start would put the stamp before the name: it then
    // begins at the name's first character.
    const std::size_t start = dash >= kBeforeDash ? dash - kBeforeDash : 0;
    return Utf16ToUtf8(std::u16string_view(name).substr(start, kStampLength));
}

std::string BackupDisplayText(const std::string& stamp, bool zBackup) {
    return MonthAbbreviation(Part(stamp, 2, 2)) + ". " + Part(stamp, 4, 2) + "/" + Part(stamp, 0, 2) + "   " +
           Part(stamp, 7, 2) + ":" + Part(stamp, 9, 2) + " " + (zBackup ? "(Z)" : "") +
           std::string(kStampPadding, ' ') + stamp;
}

std::vector<CatalogueEntry> Catalogue(const std::vector<FileEntry>& files, std::string_view searchName) {
    std::vector<CatalogueEntry> entries;
    for (const FileEntry& file : files) {
        if (file.name.find(searchName) == std::string::npos) continue;
        std::string stamp = BackupStamp(file.name);
        if (stamp.empty()) continue;
        std::string text = BackupDisplayText(stamp, IsZBackup(file.path));
        entries.push_back({std::move(stamp), std::move(text), file.path});
    }
    // Descending by character code: the newest first within one century.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const CatalogueEntry& a, const CatalogueEntry& b) { return a.stamp > b.stamp; });
    return entries;
}

}  // namespace corvane
