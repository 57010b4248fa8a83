#pragma once

#include "common/Prompter.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tidecast
{

// A prompter for tests: records every message and question with its icon, and answers questions
// from a queue (or with a fallback when the queue is empty).
class ScriptedPrompter final : public Prompter
{
public:
    struct Entry
    {
        std::string text;
        Icon icon;
        bool question;

        bool operator==(const Entry&) const = default;
    };

    void message(std::string_view text, Icon icon) override
    {
        m_log.push_back({std::string(text), icon, false});
        if (onMessage) {
            onMessage(text);
        }
    }

    Answer ask(std::string_view text, Buttons, Icon icon, Answer) override
    {
        m_log.push_back({std::string(text), icon, true});
        if (m_answers.empty()) {
            return m_fallback;
        }
        Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    void queue(Answer answer) { m_answers.push_back(answer); }
    void setFallback(Answer answer) { m_fallback = answer; }

    const std::vector<Entry>& log() const { return m_log; }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& entry : m_log) {
            out.push_back(entry.text);
        }
        return out;
    }
    bool answersUsedUp() const { return m_answers.empty(); }
    void clear() { m_log.clear(); }

    // Runs while a message is up, to look at what the person sees at that moment.
    std::function<void(std::string_view)> onMessage;

private:
    std::vector<Entry> m_log;
    std::deque<Answer> m_answers;
    Answer m_fallback = Answer::No;
};

} // namespace tidecast
