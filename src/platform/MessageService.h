// Message boxes as the logic layers see them. The Qt program shows them with
// QMessageBox (caption "Volcatra"), the command-line tool asks on the
// terminal, and tests answer them from a script.
#pragma once

#include <string>

namespace volcatra {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

// Without an explicit icon, OK and OK/Cancel boxes show the exclamation icon
// and Yes/No boxes the question icon; failures use the stop icon.
enum class MessageIcon { Default, Exclamation, Question, Stop, Information };

enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

class IMessageService {
public:
    virtual ~IMessageService() = default;
    // Shows text with the given buttons and returns the button pressed.
    virtual MessageAnswer Show(const std::u16string& text, MessageButtons buttons,
                               MessageIcon icon = MessageIcon::Default) = 0;
};

}  // namespace volcatra
