#pragma once

#include <string>
#include <string_view>

namespace tidecast
{

enum class Icon
{
    Information,
    Exclamation,
    Critical,
    Question,
};

enum class Buttons
{
    Ok,
    YesNo,
    YesNoCancel,
    OkCancel,
};

enum class Answer
{
    Ok,
    Cancel,
    Yes,
    No,
};

// The only way the core talks to a person: every message box goes through here with its exact
// text. The desktop shows a message box captioned with the application title, the command line
// prints to stderr, tests record and answer from a script.
class Prompter
{
public:
    virtual ~Prompter() = default;

    virtual void message(std::string_view text, Icon icon) = 0;
    virtual Answer ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) = 0;
};

// The answer a person would give by pressing Escape: No where there is a No, else Cancel.
inline Answer dismissAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::No;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::Ok:
        return Answer::Ok;
    }
    return Answer::Cancel;
}

} // namespace tidecast
