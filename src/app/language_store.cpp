#include "app/language_store.h"

#include "base/text.h"
#include "base/text_file.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

bool IsLanguageCode(const std::string& code) { return code == "1" || code == "2" || code == "3"; }

}  // namespace

std::string LoadUiLanguageCode(const AppContext& context) {
    std::string text;
    if (!context.files.ReadText(JoinPath(context.programFolder, kLanguageFile), kHandWrittenFileBytes, text)) {
        return "";
    }
    // Notepad may add a line end or blanks around the digit.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    const std::string code = Trim(text);
    return IsLanguageCode(code) ? code : "";
}

bool SaveUiLanguageCode(const AppContext& context, const std::string& code) {
    if (!IsLanguageCode(code)) return false;
    return static_cast<bool>(context.files.WriteText(JoinPath(context.programFolder, kLanguageFile), code + "\r\n"));
}

}  // namespace corvane
