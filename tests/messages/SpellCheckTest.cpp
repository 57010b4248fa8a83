#include "messages/SpellCheck.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>

namespace tidecast::messages
{
namespace
{

// Answers the spelling dialog from a queue (Cancel once it runs dry) and records each word asked.
class ScriptedSpellingDialog final : public SpellingDialog
{
public:
    SpellAction askAbout(const SpellQuery& query) override
    {
        asked.push_back(query.word);
        fields.push_back(query.field);
        EXPECT_EQ(query.text.substr(query.span.start, query.span.length), query.word);
        EXPECT_EQ(query.caption, "Spell Checking subject ...");
        lastSuggestions = query.suggestions;
        if (actions.empty()) {
            return {SpellActionKind::Cancel, {}};
        }
        auto action = actions.front();
        actions.pop_front();
        return action;
    }

    std::deque<SpellAction> actions;
    std::vector<std::string> asked;
    std::vector<ComposerField> fields;
    std::vector<std::string> lastSuggestions;
};

class SpellCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto opened = SpellChecker::open(resolveDictionary(""), dir / "custom.dct", SpellingOptions{});
        ASSERT_TRUE(opened) << opened.error().detail;
        checker = std::move(opened.value());
    }

    test::TempDir dir;
    std::unique_ptr<SpellChecker> checker;
    ScriptedSpellingDialog dialog;
    ScriptedPrompter prompter;
};

TEST(SpellWords, SplitsWordsAndSkipsMacrosAddressesAndLinks)
{
    const std::string text = "Dear !*FIRST_NAME*!, don't mail bob@example.test or www.example.test; "
                             "see https://x.test/a caf\xc3\xa9\xe2\x80\x94ok.";
    std::vector<std::string> words;
    std::size_t from = 0;
    while (const auto span = nextWord(text, from)) {
        words.push_back(text.substr(span->start, span->length));
        from = span->start + span->length;
    }
    EXPECT_EQ(words, (std::vector<std::string>{"Dear", "don't", "mail", "or", "see", "caf\xc3\xa9", "ok"}));
}

TEST(SpellWords, SkipOptions)
{
    struct Case
    {
        const char* word;
        SpellingOptions options;
        bool skipped;
    };
    const Case cases[] = {
        {"abc123", {false, false, true}, true}, {"abc123", {false, false, false}, false},
        {"NASA", {true, false, false}, true},   {"NASA", {false, false, false}, false},
        {"iPhone", {false, true, false}, true}, {"McDonald", {false, true, false}, true},
        {"Hello", {true, true, false}, false},  {"hello", {true, true, true}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isSkippedWord(c.word, c.options), c.skipped) << c.word;
    }
}

TEST(SpellWords, DictionarySettingNamesBothFiles)
{
    EXPECT_EQ(resolveDictionary("").affix, "/usr/share/hunspell/en_US.aff");
    EXPECT_EQ(resolveDictionary("/d/de_DE.dic").affix, "/d/de_DE.aff");
    EXPECT_EQ(resolveDictionary("/d/de_DE.AFF").words, "/d/de_DE.dic");
    EXPECT_EQ(resolveDictionary("/d/fr").words, "/d/fr.dic");

    test::TempDir dir;
    const auto missing = SpellChecker::open(resolveDictionary((dir / "none").string()), dir / "custom.dct", {});
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::FileNotFound);
}

TEST_F(SpellCheckTest, FindsMisspeltWordsAndAddPutsThemInTheUserDictionary)
{
    EXPECT_TRUE(checker->isCorrect("house"));
    EXPECT_FALSE(checker->isCorrect("housse"));

    std::string subject = "Tidecastz news";
    std::string body = "A quick bruwn fox.";
    dialog.actions = {{SpellActionKind::Add, {}}, {SpellActionKind::Change, "brown"}};
    int state = kCheckingSubject;
    checkMessageSpelling(subject, body, state, *checker, dialog, prompter);

    EXPECT_EQ(dialog.asked, (std::vector<std::string>{"Tidecastz", "bruwn"}));
    EXPECT_EQ(dialog.fields, (std::vector<ComposerField>{ComposerField::Subject, ComposerField::Body}));
    EXPECT_NE(std::find(dialog.lastSuggestions.begin(), dialog.lastSuggestions.end(), "brown"),
              dialog.lastSuggestions.end());
    EXPECT_EQ(body, "A quick brown fox.");
    EXPECT_EQ(state, kCheckingBody);
    EXPECT_EQ(prompter.log(),
              (std::vector<ScriptedPrompter::Entry>{{"Spell Checking has completed", Icon::Information, false}}));
    EXPECT_EQ(readWholeFile(dir / "custom.dct"), "Tidecastz\r\n");

    // A new checker reads the user's words back.
    auto again = SpellChecker::open(resolveDictionary(""), dir / "custom.dct", {});
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.value()->isCorrect("Tidecastz"));
}

TEST_F(SpellCheckTest, CancellingTheSubjectSkipsTheBody)
{
    std::string subject = "Helo";
    std::string body = "Wrld";
    int state = kCheckingSubject;
    checkMessageSpelling(subject, body, state, *checker, dialog, prompter); // no actions queued: Cancel
    EXPECT_EQ(state, kCheckCancelled);
    EXPECT_EQ(dialog.asked, (std::vector<std::string>{"Helo"}));
    EXPECT_TRUE(prompter.log().empty());
}

TEST_F(SpellCheckTest, ChangeAllAndIgnoreAllCoverLaterOccurrences)
{
    std::string subject = "teh plan";
    std::string body = "teh end, zorp and teh zorp";
    dialog.actions = {{SpellActionKind::ChangeAll, "the"}, {SpellActionKind::IgnoreAll, {}}};
    int state = kCheckBeforeSending;
    checkMessageSpelling(subject, body, state, *checker, dialog, prompter);
    EXPECT_EQ(subject, "the plan");
    EXPECT_EQ(body, "the end, zorp and the zorp");
    EXPECT_EQ(dialog.asked, (std::vector<std::string>{"teh", "zorp"}));
    EXPECT_EQ(state, kCheckBeforeSending);
    EXPECT_TRUE(prompter.log().empty()); // no completion message before sending
}

TEST_F(SpellCheckTest, CancelledCheckBeforeSendingAsksWhetherToSend)
{
    std::string subject = "fine";
    std::string body = "Wrld";
    prompter.queue(Answer::No);
    EXPECT_FALSE(checkSpellingBeforeSending(subject, body, *checker, dialog, prompter));
    prompter.queue(Answer::Yes);
    EXPECT_TRUE(checkSpellingBeforeSending(subject, body, *checker, dialog, prompter));
    ASSERT_EQ(prompter.log().size(), 2u);
    EXPECT_EQ(
        prompter.log()[0],
        (ScriptedPrompter::Entry{"The spell check on this message has been cancelled. Do you want to continue sending?",
                                 Icon::Critical, true}));

    // A clean message goes through without a question.
    body = "World";
    prompter.clear();
    EXPECT_TRUE(checkSpellingBeforeSending(subject, body, *checker, dialog, prompter));
    EXPECT_TRUE(prompter.log().empty());
}

} // namespace
} // namespace tidecast::messages
