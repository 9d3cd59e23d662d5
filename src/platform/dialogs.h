#pragma once
#include <string>

namespace corvane {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Question, Stop };
enum class Answer { Ok, Yes, No, Cancel };

struct MessageBoxRequest {
    std::string text;  // line breaks are a single "\r"
    std::string title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    int defaultButton = 1;  // 1-based
    bool foreground = false;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer Show(const MessageBoxRequest& request) = 0;
};

}  // namespace corvane
