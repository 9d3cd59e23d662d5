#pragma once
#include <string>

#include "app/context.h"

namespace corvane {

constexpr const char* kLanguageFile = "Corvane.lng";

// The persisted UI language code: "1", "2" or "3" from Corvane.lng beside the
// program; "" when the file is missing or holds anything else.
std::string LoadUiLanguageCode(const AppContext& context);
bool SaveUiLanguageCode(const AppContext& context, const std::string& code);

}  // namespace corvane
