#include "messages/PrintLayout.h"

#include <gtest/gtest.h>

namespace tidecast::messages
{
namespace
{

TEST(PrintLayout, HeaderLinesWrappedBodyAndAttachments)
{
    MessageDocument document;
    document.group = "Club";
    document.subject = "Fixtures";
    // 20 words of 5 letters and a blank make 120 characters: the blank after the 105th character
    // ends the first printed line.
    std::string longLine;
    for (int i = 0; i < 20; ++i) {
        longLine += "abcde ";
    }
    document.body = longLine + "\r\n\r\nsecond\nthird";
    document.attachments = {"/x/a.pdf", "/x/b.pdf"};

    const auto lines = printMessageLines(document);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "To Group: Club");
    EXPECT_EQ(lines[1], "Subject: Fixtures");
    EXPECT_EQ(lines[2], longLine.substr(0, 108)); // 18 words: the blank at count 105 breaks after it
    EXPECT_EQ(lines[3], longLine.substr(108));
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "second");
    EXPECT_EQ(lines[6], "third");
    EXPECT_EQ(lines[7], "Attachments: /x/a.pdf, /x/b.pdf");

    document.attachments.clear();
    document.body.clear();
    EXPECT_EQ(printMessageLines(document), (std::vector<std::string>{"To Group: Club", "Subject: Fixtures"}));
}

TEST(PrintLayout, FooterCutsLongTitles)
{
    const std::string version = versionText();
    EXPECT_EQ(printFooter("", 3), "Corvane Tidecast " + version + " -:- Page 3");
    EXPECT_EQ(printFooter("Short", 1), "Short -:- Corvane Tidecast " + version + " -:- Page 1");

    const std::string exactly90(90, 't');
    EXPECT_EQ(printFooter(exactly90, 2), exactly90 + " -:- Corvane Tidecast " + version + " -:- Page 2");
    const std::string title95 = std::string(85, 'a') + "bbbbbbbbbb";
    EXPECT_EQ(printFooter(title95, 2), std::string(85, 'a') + ".... -:- Corvane Tidecast " + version + " -:- Page 2");
}

} // namespace
} // namespace tidecast::messages
