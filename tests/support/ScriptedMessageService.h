// A message service for tests: answers from a script and records every text
// it was shown.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/MessageService.h"

namespace volcatra::test {

class ScriptedMessageService : public IMessageService {
public:
    struct Shown {
        std::u16string text;
        MessageButtons buttons;
        MessageIcon icon;
    };

    // Queues the answers for the next boxes, in order.
    void Answer(std::initializer_list<MessageAnswer> answers) { m_answers.insert(m_answers.end(), answers); }

    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) override {
        m_shown.push_back({text, buttons, icon});
        if (m_answers.empty()) {
            // An OK box needs no scripted answer; anything else is a test fault.
            if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
            throw std::logic_error("unexpected message box");
        }
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    const std::vector<Shown>& ShownBoxes() const { return m_shown; }
    std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> texts;
        for (const Shown& s : m_shown) texts.push_back(s.text);
        return texts;
    }
    bool AllAnswersUsed() const { return m_answers.empty(); }

private:
    std::deque<MessageAnswer> m_answers;
    std::vector<Shown> m_shown;
};

}  // namespace volcatra::test
