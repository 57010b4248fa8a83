#include "cli/CliPrompter.h"

#include "common/Text.h"

#include <string>

namespace tidecast::cli
{

namespace
{

std::string_view prefixFor(Icon icon)
{
    switch (icon) {
    case Icon::Critical:
        return "error: ";
    case Icon::Exclamation:
        return "warning: ";
    case Icon::Information:
    case Icon::Question:
        break;
    }
    return "info: ";
}

Answer firstButton(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        break;
    }
    return Answer::Yes;
}

} // namespace

CliPrompter::CliPrompter(std::ostream& err, std::istream& in, bool assumeYes, bool interactive)
    : m_err(err)
    , m_in(in)
    , m_assumeYes(assumeYes)
    , m_interactive(interactive)
{}

void CliPrompter::writeLines(std::string_view text, std::string_view prefix)
{
    const auto lines = splitLines(text);
    if (lines.empty()) {
        m_err << prefix << '\n';
    }
    for (const auto& line : lines) {
        m_err << prefix << line << '\n';
    }
    m_err.flush();
}

void CliPrompter::message(std::string_view text, Icon icon)
{
    m_lastDeclined = false;
    writeLines(text, prefixFor(icon));
}

Answer CliPrompter::ask(std::string_view text, Buttons buttons, Icon icon, Answer)
{
    const Answer given = answer(text, buttons, icon);
    m_lastDeclined = given == Answer::No || given == Answer::Cancel;
    return given;
}

Answer CliPrompter::answer(std::string_view text, Buttons buttons, Icon icon)
{
    if (m_assumeYes) {
        return firstButton(buttons);
    }
    writeLines(text, prefixFor(icon));
    if (!m_interactive) {
        return dismissAnswer(buttons);
    }
    const bool hasCancel = buttons == Buttons::YesNoCancel || buttons == Buttons::OkCancel;
    const bool okStyle = buttons == Buttons::Ok || buttons == Buttons::OkCancel;
    while (true) {
        m_err << (okStyle ? (hasCancel ? "[o]k/[c]ancel? " : "[o]k? ")
                          : (hasCancel ? "[y]es/[n]o/[c]ancel? " : "[y]es/[n]o? "));
        m_err.flush();
        std::string reply;
        if (!std::getline(m_in, reply)) {
            return dismissAnswer(buttons);
        }
        const auto word = toLowerAscii(trimWhitespace(reply));
        if (okStyle && (word == "o" || word == "ok")) {
            return Answer::Ok;
        }
        if (!okStyle && (word == "y" || word == "yes")) {
            return Answer::Yes;
        }
        if (!okStyle && (word == "n" || word == "no")) {
            return Answer::No;
        }
        if (hasCancel && (word == "c" || word == "cancel")) {
            return Answer::Cancel;
        }
    }
}

} // namespace tidecast::cli
