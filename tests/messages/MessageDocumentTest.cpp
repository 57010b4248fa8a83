#include "messages/MessageDocument.h"

#include "common/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace tidecast::messages
{
namespace
{

std::chrono::system_clock::time_point at(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// A saved document's text as it is on disk: the built text plus the final CR LF.
std::string saved(const MessageDocument& document)
{
    return buildMessageDocument(document, DocumentKind::Saved, at(2026, 3, 4, 5, 6, 7)) + "\r\n";
}

TEST(MessageDocument, WritesEveryLineInOrder)
{
    MessageDocument document;
    document.attachments = {"/tmp/a.pdf", "/tmp/b c.txt", "/tmp/d"};
    document.group = "Customers";
    document.subject = "Spring news";
    document.priority = kLowPriority;
    document.htmlPath = "/tmp/news.html";
    document.body = "Dear !*FIRST_NAME*!,\r\n\r\nHello.";

    EXPECT_EQ(saved(document), "; \r\n"
                               "; Corvane Tidecast Message\r\n"
                               "; Date created: 2026-03-04 05:06:07\r\n"
                               ";\r\n"
                               "ATTACHMENTS: /tmp/a.pdf,/tmp/b c.txt,/tmp/d\r\n"
                               "GROUP: Customers\r\n"
                               "DATE: 2026-03-04 05:06:07\r\n"
                               "SUBJECT: Spring news\r\n"
                               "PRIORITY: 2\r\n"
                               "HTML: /tmp/news.html\r\n"
                               "ALTMESSAGE: Dear !*FIRST_NAME*!,\r\n\r\nHello.\r\n");

    const std::string sent = buildMessageDocument(document, DocumentKind::Sent, at(2026, 3, 4, 5, 6, 7));
    EXPECT_NE(sent.find("\r\n; Date Sent: 2026-03-04 05:06:07\r\n"), std::string::npos);
    EXPECT_EQ(sent.find("Date created"), std::string::npos);
}

TEST(MessageDocument, RoundTripKeepsEverythingAndAddsOneLineEndToTheBody)
{
    struct Case
    {
        const char* name;
        MessageDocument document;
    };
    const Case cases[] = {
        {"no attachments", {{}, "Friends", "Hi", kNormalPriority, "", "Line one\r\nLine two"}},
        {"three attachments", {{"/x/1.txt", "/x/2.txt", "/x/3.txt"}, "G", "S", kHighPriority, "/h.htm", "b"}},
        {"subject key in the body",
         {{}, "G", "Real subject", kLowPriority, "", "SUBJECT: not this one\r\nGROUP: nor this"}},
        {"empty body", {{}, "G", "", kNormalPriority, "", ""}},
        {"UTF-8 text",
         {{},
          "Gr\xc3\xbc\xc3\x9f"
          "e",
          "Caf\xc3\xa9",
          kNormalPriority,
          "",
          "\xe2\x82\xac 5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MessageDocument back = parseMessageText(saved(c.document));
        MessageDocument expected = c.document;
        expected.body += "\r\n";
        EXPECT_EQ(back, expected);
    }
}

TEST(MessageDocument, EmptyGroupIsWrittenAsNotConfiguredAndReadBackAsThatText)
{
    MessageDocument document;
    document.subject = "x";
    const std::string text = saved(document);
    EXPECT_NE(text.find("\r\nGROUP: No Groups Configured.\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nATTACHMENTS: \r\n"), std::string::npos);
    const auto back = parseMessageText(text);
    EXPECT_EQ(back.group, kNoGroupsConfigured);
    EXPECT_TRUE(back.attachments.empty());
}

TEST(MessageDocument, ReadsOlderAndHandEditedDocuments)
{
    // "MESSAGE: " stands in for "ALTMESSAGE: "; empty pieces of the attachment list are skipped;
    // an empty priority leaves none; LF-only line ends are accepted.
    const auto old = parseMessageText("ATTACHMENTS: /a,,/b,\r\nGROUP: G\r\nSUBJECT: S\r\nPRIORITY: \r\n"
                                      "MESSAGE: old body\r\n");
    EXPECT_EQ(old.attachments, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(old.body, "old body\r\n");
    EXPECT_FALSE(old.priority.has_value());

    const auto unix = parseMessageText("GROUP: G\nSUBJECT: S\nPRIORITY: 0\nHTML: /p.html\nALTMESSAGE: a\nb\n");
    EXPECT_EQ(unix.group, "G");
    EXPECT_EQ(unix.subject, "S");
    EXPECT_EQ(unix.priority, kHighPriority);
    EXPECT_EQ(unix.htmlPath, "/p.html");
    EXPECT_EQ(unix.body, "a\nb\n");

    // A key with no line end after it is ignored; no body key means no body.
    const auto cut = parseMessageText("GROUP: G\r\nSUBJECT: dangling");
    EXPECT_EQ(cut.subject, "");
    EXPECT_EQ(cut.body, "");

    // "ALTMESSAGE: " wins over an earlier "MESSAGE: " only because it is searched first.
    EXPECT_EQ(messageBody("HTML: MESSAGE: x\r\nALTMESSAGE: y"), "y");
    EXPECT_EQ(messageBody("nothing here"), "");
}

TEST(MessageDocument, OpensFilesByTheirLastThreeCharacters)
{
    test::TempDir dir;
    const auto document = dir / "note.TcX";
    ASSERT_TRUE(writeWholeFile(document, "GROUP: G\r\nSUBJECT: S\r\nALTMESSAGE: body\r\n"));
    const auto text = dir / "plain.TXT";
    ASSERT_TRUE(writeWholeFile(text, "SUBJECT: looks like a header\r\nbut is text\r\n"));
    const auto latin1 = dir / "old.txt";
    ASSERT_TRUE(writeWholeFile(latin1, "caf\xe9"));

    EXPECT_EQ(loadMessageFile(document).subject, "S");
    EXPECT_EQ(loadMessageFile(document).body, "body\r\n");

    const auto asText = loadMessageFile(text);
    EXPECT_EQ(asText.subject, "");
    EXPECT_TRUE(asText.attachments.empty());
    EXPECT_EQ(asText.body, "SUBJECT: looks like a header\r\nbut is text\r\n");

    EXPECT_EQ(loadMessageFile(latin1).body, "caf\xc3\xa9");
    EXPECT_EQ(readMessageDocument(dir / "missing.tcx"), (MessageDocument{{}, "", "", std::nullopt, "", ""}));
}

TEST(MessageDocument, DatesRoundTripInLocalTime)
{
    const auto when = at(2026, 12, 31, 23, 59, 58);
    EXPECT_EQ(formatDocumentDate(when), "2026-12-31 23:59:58");
    EXPECT_EQ(parseDocumentDate("2026-12-31 23:59:58"), when);
    EXPECT_FALSE(parseDocumentDate("31/12/2026").has_value());
    EXPECT_FALSE(parseDocumentDate("2026-12-31 23:59:58 trailing").has_value());
}

} // namespace
} // namespace tidecast::messages
