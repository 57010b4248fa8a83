#pragma once

#include "common/Prompter.h"
#include "messages/ComposerRules.h"
#include "messages/SpellChecker.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::messages
{

// Where a spelling check is: checking the subject, checking the body, the check before sending
// (which shows no completion message), or cancelled by the person.
enum SpellCheckState : int
{
    kCheckingSubject = 0,
    kCheckingBody = 1,
    kCheckBeforeSending = 2,
    kCheckCancelled = 9,
};

inline constexpr std::string_view kSpellingCaption = "Spell Checking subject ...";

// One unknown word put to the person.
struct SpellQuery
{
    std::string_view caption;
    ComposerField field;
    std::string_view text; // the whole text being checked, as it is now
    WordSpan span;         // the word's place in it
    std::string word;
    std::vector<std::string> suggestions;
};

enum class SpellActionKind
{
    Ignore,
    IgnoreAll,
    Change,
    ChangeAll,
    Add,
    Cancel,
};

struct SpellAction
{
    SpellActionKind kind = SpellActionKind::Ignore;
    std::string replacement; // Change and Change All
};

// The spelling dialog: the desktop shows one, tests answer from a script.
class SpellingDialog
{
public:
    virtual ~SpellingDialog() = default;
    virtual SpellAction askAbout(const SpellQuery& query) = 0;
    // A field is done: shows its text with every correction before the check goes on or ends.
    virtual void showChecked(ComposerField /*field*/, std::string_view /*text*/) {}
};

// Words changed with Change All during one check, and what they became.
using ChangeAllList = std::map<std::string, std::string, std::less<>>;

// Walks one text from the start, changing it in place. False when the person cancelled.
bool checkSpellingOf(std::string& text, ComposerField field, SpellChecker& checker, SpellingDialog& dialog,
                     ChangeAllList& changeAll, Prompter& prompter);

// The spelling check of a message: the subject, then (unless cancelled) the body. `state` comes
// in as 0 from the spelling command or 2 from the send command and goes out as 9 when the person
// cancelled. The spelling command's check ends with "Spell Checking has completed".
void checkMessageSpelling(std::string& subject, std::string& body, int& state, SpellChecker& checker,
                          SpellingDialog& dialog, Prompter& prompter);

// The check before sending: false when the person cancelled it and then chose not to send.
bool checkSpellingBeforeSending(std::string& subject, std::string& body, SpellChecker& checker, SpellingDialog& dialog,
                                Prompter& prompter);

} // namespace tidecast::messages
