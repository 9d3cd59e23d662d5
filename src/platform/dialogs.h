#pragma once
#include <string>

namespace corvane {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Question, Stop, Warning };
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

// A box with the OK button alone: a message, not a question.
inline void Tell(Dialogs& dialogs, const std::string& title, const std::string& text, Icon icon = Icon::None,
                 bool foreground = false) {
    MessageBoxRequest request;
    request.title = title;
    request.text = text;
    request.icon = icon;
    request.foreground = foreground;
    dialogs.Show(request);
}

// A question, in front of every window: Yes and No (with Cancel when asked
// for), the question icon, and the 1-based default button.
inline Answer Ask(Dialogs& dialogs, const std::string& title, const std::string& text, int defaultButton,
                  Buttons buttons = Buttons::YesNo) {
    MessageBoxRequest request;
    request.title = title;
    request.text = text;
    request.buttons = buttons;
    request.icon = Icon::Question;
    request.defaultButton = defaultButton;
    request.foreground = true;
    return dialogs.Show(request);
}

}  // namespace corvane
