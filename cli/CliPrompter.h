#pragma once

#include "common/Prompter.h"

#include <istream>
#include <ostream>

namespace tidecast::cli
{

// Writes every message to stderr, one line per message line, prefixed by its kind ("error: ",
// "warning: ", "info: "). Questions are answered Yes with --yes, else read from stdin when it is
// a terminal, else answered No (Cancel where there is no No).
class CliPrompter final : public Prompter
{
public:
    CliPrompter(std::ostream& err, std::istream& in, bool assumeYes, bool interactive);

    void message(std::string_view text, Icon icon) override;
    Answer ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) override;

    // The last thing said was a question answered No or Cancel: a command refused right after it
    // was stopped by that answer.
    bool lastQuestionDeclined() const { return m_lastDeclined; }

private:
    Answer answer(std::string_view text, Buttons buttons, Icon icon);
    void writeLines(std::string_view text, std::string_view prefix);

    std::ostream& m_err;
    std::istream& m_in;
    bool m_assumeYes;
    bool m_interactive;
    bool m_lastDeclined = false;
};

} // namespace tidecast::cli
