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

private:
    std::ostream& m_err;
    std::istream& m_in;
    bool m_assumeYes;
    bool m_interactive;
};

} // namespace tidecast::cli
