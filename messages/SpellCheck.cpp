#include "messages/SpellCheck.h"

namespace tidecast::messages
{

bool checkSpellingOf(std::string& text, ComposerField field, SpellChecker& checker, SpellingDialog& dialog,
                     ChangeAllList& changeAll, Prompter& prompter)
{
    std::size_t from = 0;
    while (const auto span = checker.nextMisspelling(text, from)) {
        const std::string word = text.substr(span->start, span->length);
        if (const auto known = changeAll.find(word); known != changeAll.end()) {
            text.replace(span->start, span->length, known->second);
            from = span->start + known->second.size();
            continue;
        }
        const SpellQuery query{kSpellingCaption, field, text, *span, word, checker.suggestions(word)};
        const SpellAction action = dialog.askAbout(query);
        from = span->start + span->length;
        switch (action.kind) {
        case SpellActionKind::Cancel:
            return false;
        case SpellActionKind::Ignore:
            break;
        case SpellActionKind::IgnoreAll:
            checker.ignoreAll(word);
            break;
        case SpellActionKind::ChangeAll:
            changeAll[word] = action.replacement;
            [[fallthrough]];
        case SpellActionKind::Change:
            text.replace(span->start, span->length, action.replacement);
            from = span->start + action.replacement.size();
            break;
        case SpellActionKind::Add:
            if (auto added = checker.addWord(word); !added) {
                prompter.message(added.error().detail, Icon::Critical);
            }
            break;
        }
    }
    return true;
}

void checkMessageSpelling(std::string& subject, std::string& body, int& state, SpellChecker& checker,
                          SpellingDialog& dialog, Prompter& prompter)
{
    ChangeAllList changeAll;
    if (state != kCheckBeforeSending) {
        state = kCheckingSubject;
    }
    if (!checkSpellingOf(subject, ComposerField::Subject, checker, dialog, changeAll, prompter)) {
        state = kCheckCancelled;
        return;
    }
    dialog.showChecked(ComposerField::Subject, subject);
    if (state != kCheckBeforeSending) {
        state = kCheckingBody;
    }
    if (!checkSpellingOf(body, ComposerField::Body, checker, dialog, changeAll, prompter)) {
        state = kCheckCancelled;
        return;
    }
    dialog.showChecked(ComposerField::Body, body);
    if (state == kCheckingBody) {
        prompter.message("Spell Checking has completed", Icon::Information);
    }
}

bool checkSpellingBeforeSending(std::string& subject, std::string& body, SpellChecker& checker, SpellingDialog& dialog,
                                Prompter& prompter)
{
    int state = kCheckBeforeSending;
    checkMessageSpelling(subject, body, state, checker, dialog, prompter);
    if (state != kCheckCancelled) {
        return true;
    }
    return prompter.ask("The spell check on this message has been cancelled. Do you want to continue sending?",
                        Buttons::YesNo, Icon::Critical, Answer::No) == Answer::Yes;
}

} // namespace tidecast::messages
