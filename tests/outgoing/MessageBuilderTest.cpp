#include "outgoing/MessageBuilder.h"

#include "common/Base64.h"
#include "common/Text.h"
#include "settings/SetupForms.h"
#include "support/MailTestSupport.h"
#include "support/ParsedMail.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

using namespace tidecast;
using namespace tidecast::outgoing;
using tidecast::test::ParsedMail;
using tidecast::test::TempDir;

namespace
{

std::string binaryData(std::size_t size)
{
    std::string data(size, '\0');
    unsigned state = 12345;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return data;
}

store::RecipientRecord jane()
{
    store::RecipientRecord record;
    record.set(store::RecipientField::EmailAddress, "jane.doe@example.com");
    record.set(store::RecipientField::FirstName, "Jane");
    record.set(store::RecipientField::LastName, "Doe");
    record.set(store::RecipientField::City, "Zürich");
    return record;
}

class MessageBuilderTest : public ::testing::Test
{
protected:
    MessageBuilderTest()
    {
        message.identity.name = "Tidecast News";
        message.identity.address = "news@sender.example";
        message.subject = "Hello";
        message.body = "Line one\r\nLine two\r\n";
    }

    std::string write(const std::string& name, const std::string& content)
    {
        return test::writeTestFile(dir.path(), name, content);
    }

    Result<MessageBuilder> builder() { return MessageBuilder::create(message, settings, clock, ids); }

    std::string build(const store::RecipientRecord& recipient = jane())
    {
        auto made = builder();
        EXPECT_TRUE(made) << (made ? "" : made.error().detail);
        if (!made) {
            return {};
        }
        auto text = made->buildMessage(recipient, progress);
        EXPECT_TRUE(text) << (text ? "" : text.error().detail);
        return text ? *text : std::string();
    }

    // Parses and checks what every message must satisfy.
    ParsedMail parse(const std::string& text)
    {
        ParsedMail mail = ParsedMail::parse(text);
        EXPECT_TRUE(mail.ok()) << text;
        EXPECT_EQ(mail["bare_line_breaks"], "0");
        EXPECT_LE(std::stoi(mail["max_line"]), 998);
        EXPECT_EQ(mail["defects"], "");
        return mail;
    }

    TempDir dir;
    settings::Settings settings;
    FixedClock clock{test::kMailDate};
    SequenceIdSource ids;
    NullProgress progress;
    OutgoingMessage message;
};

} // namespace

TEST_F(MessageBuilderTest, PlainTextAloneIsOneTextPartWhateverTheEncoding)
{
    settings.encoding = "base64";
    settings.wrapWidth = 20;
    message.priority = Priority::High;
    message.subject = "News for !*FIRST_NAME*!";
    message.body = "Dear !*FIRST_NAME*! from !*CITY*!, this line is long enough to wrap.\r\n.\r\nBye";
    const std::string text = build();
    const ParsedMail mail = parse(text);

    EXPECT_EQ(mail["p.type"], "text/plain");
    EXPECT_EQ(mail["p.children"], "0");
    EXPECT_EQ(mail["p.charset"], "iso-8859-1");
    EXPECT_EQ(mail["p.cte"], "8bit"); // the city's "ü" is an 8-bit byte after conversion
    EXPECT_EQ(mail.body("p"), "Dear Jane from Z\xFCrich, \r\nthis line is long enough \r\nto wrap.\r\n\r\nBye\r\n");
    EXPECT_EQ(mail["header.Subject"], "News for Jane");
    EXPECT_EQ(mail["to.display"], "Jane Doe");
    EXPECT_EQ(mail["to.address"], "jane.doe@example.com");
    EXPECT_EQ(mail["header.Date"], "Sun, 06 Dec 2026 14:12:13 +0000");
    EXPECT_EQ(mail["header.Message-ID"], "<id1@sender.example>");
    EXPECT_EQ(mail["header.MIME-Version"], "1.0");
    EXPECT_EQ(mail["header.X-Priority"], "1 (Highest)");
    EXPECT_EQ(text.find("This is a Multipart MIME message."), std::string::npos);
}

TEST_F(MessageBuilderTest, InlineImagesNestAlternativeInsideRelated)
{
    write("pic.gif", test::kOnePixelGif);
    write("back.jpg", "JPEGDATA");
    message.htmlPath = write("page.html", "<html><body background=\"back.jpg\"><p>Hi !*FIRST_NAME*!</p>\n"
                                          "<img src=\"pic.gif\"><IMG SRC=\"file:///" +
                                              (dir / "pic.gif").string().substr(1) +
                                              "\"><img src=\"gone.gif\"><img src=\"http://x.example/a.gif\">"
                                              "<img src=pic.gif></body></html>");
    const std::string text = build();
    const ParsedMail mail = parse(text);

    EXPECT_EQ(mail["p.type"], "multipart/related");
    EXPECT_EQ(mail["p.children"], "3");
    EXPECT_EQ(mail["p.0.type"], "multipart/alternative");
    EXPECT_EQ(mail["p.0.children"], "2");
    EXPECT_EQ(mail["p.0.0.type"], "text/plain");
    EXPECT_EQ(mail["p.0.0.cte"], "quoted-printable");
    EXPECT_EQ(mail.body("p.0.0"), "Line one\r\nLine two\r\n");
    EXPECT_EQ(mail["p.0.1.type"], "text/html");
    EXPECT_EQ(mail["p.0.1.charset"], "iso-8859-1");
    EXPECT_EQ(mail["p.1.type"], "image/jpeg"); // the background is found first
    EXPECT_EQ(mail.body("p.1"), "JPEGDATA");
    EXPECT_EQ(mail["p.2.type"], "image/gif");
    EXPECT_EQ(mail["p.2.filename"], "pic.gif");
    EXPECT_EQ(mail.body("p.2"), test::kOnePixelGif);
    // The two references to one picture share its one part; every reference resolves.
    EXPECT_EQ(mail["cid_refs"], "3");
    EXPECT_EQ(mail["cid_unresolved"], "0");
    const std::string html = mail.body("p.0.1");
    const std::string cid = mail["p.2.content_id"].substr(1, mail["p.2.content_id"].size() - 2);
    EXPECT_EQ(cid, "51133.1003@pic.gif"); // seconds since midnight, ticks, file name
    EXPECT_NE(html.find("<img src=\"cid:" + cid + "\"><IMG SRC=\"cid:" + cid + "\">"), std::string::npos) << html;
    EXPECT_NE(html.find("Hi Jane</p>\r\n"), std::string::npos);
    EXPECT_NE(html.find("src=\"gone.gif\""), std::string::npos);
    EXPECT_NE(html.find("src=\"http://x.example/a.gif\""), std::string::npos);
    EXPECT_NE(html.find("src=pic.gif>"), std::string::npos);

    // Related boundary outside, alternative boundary inside, both from the same suffix.
    const std::string related = "Content-Type: multipart/related;\r\n\tboundary=\"----=_NextPart_001_002__1000_51133\"";
    const std::string alternative =
        "--" + std::string("----=_NextPart_001_002__1000_51133") +
        "\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"----=_NextPart_000_001__1000_51133\"";
    EXPECT_NE(text.find(related + "\r\n\r\nThis is a Multipart MIME message.\r\n"), std::string::npos);
    EXPECT_NE(text.find(alternative), std::string::npos);
    EXPECT_NE(text.find("------=_NextPart_000_001__1000_51133--\r\n"), std::string::npos);
}

TEST_F(MessageBuilderTest, HtmlWithoutImagesIsAlternative)
{
    settings.htmlEncoding = "base64";
    message.htmlPath = write("page.html", "<p>caf\xC3\xA9</p>");
    const ParsedMail mail = parse(build());
    EXPECT_EQ(mail["p.type"], "multipart/alternative");
    EXPECT_EQ(mail["p.children"], "2");
    EXPECT_EQ(mail["p.1.cte"], "base64");
    EXPECT_EQ(mail.body("p.1"), "<p>caf\xE9</p>");
}

TEST_F(MessageBuilderTest, FilesFollowTheBodyOnceEachWithTheirNames)
{
    const std::string report = binaryData(100000);
    message.htmlPath = write("page.html", "<p>Hello</p>");
    const std::string pdf = write("report.pdf", report);
    const std::string notes = write("Gr\xC3\xBC\xC3\x9F"
                                    "e.txt",
                                    "Gr\xC3\xBC\xC3\x9F"
                                    "e\r\n");
    message.attachments = {pdf, "", "  " + notes + " ", pdf, (dir / "missing.doc").string()};
    std::vector<std::string> activity;
    auto made = builder();
    ASSERT_TRUE(made);
    auto text = made->buildMessage(jane(), progress, [&](std::string_view line) { activity.emplace_back(line); });
    ASSERT_TRUE(text);
    const ParsedMail mail = parse(*text);

    EXPECT_EQ(mail["p.type"], "multipart/mixed");
    EXPECT_EQ(mail["p.children"], "3");
    EXPECT_EQ(mail["p.0.type"], "multipart/alternative");
    EXPECT_EQ(mail["p.1.type"], "application/octet-stream");
    EXPECT_EQ(mail["p.1.cte"], "base64");
    EXPECT_EQ(mail["p.1.disposition"], "attachment");
    EXPECT_EQ(mail["p.1.filename"], "report.pdf");
    EXPECT_EQ(mail["p.1.size"], "100000");
    EXPECT_EQ(mail.body("p.1"), report);
    EXPECT_EQ(mail["p.2.type"], "text/plain");
    EXPECT_EQ(mail["p.2.charset"], "utf-8");
    EXPECT_EQ(mail["p.2.filename"], "Gr\xC3\xBC\xC3\x9F"
                                    "e.txt");
    EXPECT_EQ(mail.body("p.2"), "Gr\xC3\xBC\xC3\x9F"
                                "e\r\n");
    ASSERT_EQ(activity.size(), 3u);
    EXPECT_EQ(activity[0], "Building Message");
    EXPECT_EQ(activity[1], "Appending Attachments");
    EXPECT_TRUE(activity[2].starts_with("MIME Error:")) << activity[2];
    EXPECT_NE(activity[2].find("missing.doc"), std::string::npos);
}

TEST_F(MessageBuilderTest, FromAndToForms)
{
    struct Case
    {
        std::string name;
        std::string from;    // the raw header value
        std::string display; // as a mail reader shows it
    };
    const Case cases[] = {
        {"Tidecast News", "\"Tidecast News\" <news@sender.example>", "Tidecast News"},
        {"\"Both\"", "\"Both\" <news@sender.example>", "Both"},
        {"\"Left", "\"Left\" <news@sender.example>", "Left"},
        {"Right\"", "\"Right\" <news@sender.example>", "Right"},
        {"  ", "\"news@sender.example\" <news@sender.example>", "news@sender.example"},
        {"Ann \"Boss\" Lee", "\"Ann \\\"Boss\\\" Lee\" <news@sender.example>", "Ann \"Boss\" Lee"},
        // Encoded words stand outside quotes, with a phrase's specials encoded as well.
        {"Jos\xC3\xA9", "=?iso-8859-1?Q?Jos=E9?= <news@sender.example>", "Jos\xC3\xA9"},
        {"Jos\xC3\xA9 N., Jr. (Sales)", "=?iso-8859-1?Q?Jos=E9_N=2E=2C_Jr=2E_=28Sales=29?= <news@sender.example>",
         "Jos\xC3\xA9 N., Jr. (Sales)"},
    };
    for (const Case& c : cases) {
        message.identity.name = c.name;
        const std::string text = build();
        EXPECT_NE(text.find("From: " + c.from + "\r\n"), std::string::npos) << c.name << "\n" << text;
        const ParsedMail mail = parse(text);
        EXPECT_EQ(mail["from.display"], c.display) << c.name;
        EXPECT_EQ(mail["from.address"], "news@sender.example");
    }

    store::RecipientRecord nameless;
    nameless.set(store::RecipientField::EmailAddress, "anon@example.com");
    EXPECT_NE(build(nameless).find("To: \"anon@example.com\" <anon@example.com>\r\n"), std::string::npos);

    message.mode = SendMode::Bulk;
    message.bulkToText = "";
    EXPECT_NE(build().find("To: \"news@sender.example\" <news@sender.example>\r\n"), std::string::npos);
    message.bulkToText = "Friends of Z\xC3\xBCrich";
    const std::string bulk = build();
    EXPECT_NE(bulk.find("To: =?iso-8859-1?Q?Friends_of_Z=FCrich?= <news@sender.example>\r\n"), std::string::npos)
        << bulk;
    EXPECT_EQ(parse(bulk)["to.display"], "Friends of Z\xC3\xBCrich");
}

TEST_F(MessageBuilderTest, BulkMessagesAreNeverMerged)
{
    message.mode = SendMode::Bulk;
    message.subject = "For !*FIRST_NAME*!";
    message.body = "Dear !*FIRST_NAME*!";
    const ParsedMail mail = parse(build());
    EXPECT_EQ(mail["header.Subject"], "For !*FIRST_NAME*!");
    EXPECT_EQ(mail.body("p"), "Dear !*FIRST_NAME*!\r\n");
}

TEST_F(MessageBuilderTest, HeaderValuesCannotAddHeaderLines)
{
    message.subject = "Hi !*FIRST_NAME*!\r\nBcc: victim@example.com";
    message.identity.organisation = "Org\nX-Evil: 1";
    message.identity.replyTo = "reply@sender.example\r\nBcc: other@example.com";
    store::RecipientRecord eve = jane();
    eve.set(store::RecipientField::FirstName, "Eve\r\nBcc: x@example.com");
    const std::string text = build(eve);
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos) << text;
    EXPECT_EQ(text.find("\r\nX-Evil:"), std::string::npos) << text;
    // The blanked Reply-To is no valid address any more, so the parser may complain about it.
    const ParsedMail mail = ParsedMail::parse(text);
    EXPECT_EQ(mail["header.Subject"], "Hi Eve  Bcc: x@example.com  Bcc: victim@example.com");
    EXPECT_EQ(mail["header.Organization"], "Org X-Evil: 1");
}

TEST_F(MessageBuilderTest, CharacterSets)
{
    settings.characterSet = "utf-8";
    message.subject = "Gr\xC3\xBC\xC3\x9F"
                      "e \xE2\x82\xAC";
    message.body = "5 \xE2\x82\xAC in !*CITY*!";
    ParsedMail mail = parse(build());
    EXPECT_EQ(mail["header.Subject"], message.subject);
    EXPECT_EQ(mail["p.charset"], "utf-8");
    EXPECT_EQ(mail.body("p"), "5 \xE2\x82\xAC in Z\xC3\xBCrich\r\n");

    settings.characterSet = "iso-8859-2";
    message.subject = "\xC5\x81\xC3\xB3"
                      "d\xC5\xBA"; // Polish city name
    message.body = "x";
    mail = parse(build());
    EXPECT_EQ(mail["header.Subject"], message.subject);

    settings.characterSet = "iso-8859-1";
    auto refused = builder();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ErrorCode::Encoding);
    EXPECT_EQ(refused.error().detail, "The character \"\xC5\x81\" (U+0141) in the subject cannot be sent in the "
                                      "character set \"iso-8859-1\". Choose \"UTF-8\" as the character set in the "
                                      "message setup to send it.");

    // A recipient's value is checked when it is merged.
    message.subject = "Hello !*CITY*!";
    store::RecipientRecord euro = jane();
    euro.set(store::RecipientField::City, "\xE2\x82\xAC-town");
    auto made = builder();
    ASSERT_TRUE(made);
    auto failed = made->buildMessage(euro, progress);
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.error().detail.find("U+20AC"), std::string::npos);

    EXPECT_FALSE(MessageBuilder::create(
        message,
        [] {
            settings::Settings unknown;
            unknown.characterSet = "no-such-charset";
            return unknown;
        }(),
        clock, ids));
}

TEST_F(MessageBuilderTest, EveryOfferedCharacterSetMails)
{
    for (const auto& choice : settings::characterSetChoices()) {
        settings.characterSet = choice.stored;
        message.subject = "Hello";
        message.body = "x";
        const auto made = builder();
        EXPECT_TRUE(made) << choice.shown << ": " << (made ? "" : made.error().detail);
    }
    // The two Cyrillic sets are stored under their old spelling and sent under their registered names.
    for (const auto& [stored, sent, text, bytes] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"ko18-r", "koi8-r", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xF0\xD2\xC9\xD7\xC5\xD4"},
             {"KO18-U", "koi8-u", "\xD0\x87\xD0\xB6\xD0\xB0\xD0\xBA", "\xB7\xD6\xC1\xCB"}}) {
        settings.characterSet = stored;
        message.subject = text;
        message.body = text;
        ParsedMail mail = parse(build());
        EXPECT_EQ(mail["p.charset"], sent);
        EXPECT_EQ(mail["header.Subject"], text);
        EXPECT_EQ(mail.body("p"), bytes + "\r\n"); // the body's bytes, in the set
    }
}

TEST_F(MessageBuilderTest, LongLinesStayWithinTheProtocolLimit)
{
    settings.encoding = "none";
    message.wrap = false;
    std::string longLine;
    for (int i = 0; i < 400; ++i) {
        longLine += "word" + std::to_string(i) + (i % 50 == 49 ? "" : " ");
    }
    longLine += std::string(1500, 'x');
    message.body = longLine;
    message.subject.clear();
    for (int i = 0; i < 120; ++i) {
        message.subject += "\xC3\xA9t\xC3\xA9 ";
    }
    const ParsedMail mail = parse(build()); // checks max_line
    EXPECT_EQ(mail["p.cte"], "quoted-printable");
    EXPECT_EQ(mail.body("p"), longLine + "\r\n");
    EXPECT_EQ(mail["header.Subject"], message.subject);
}

TEST_F(MessageBuilderTest, NulBytesInTheBodyAreEncodedNeverSentRaw)
{
    settings.encoding = "none";
    message.wrap = false;
    message.body = std::string("before\0after\r\nsecond line", 25);
    const auto text = build();
    EXPECT_EQ(text.find('\0'), std::string::npos);
    const ParsedMail mail = parse(text);
    EXPECT_EQ(mail["p.cte"], "quoted-printable");
    EXPECT_EQ(mail.body("p"), message.body + "\r\n");
}

TEST_F(MessageBuilderTest, SessionWorkIsDoneOnce)
{
    const std::string attachment = write("data.bin", binaryData(3000));
    message.attachments = {attachment};
    auto made = builder();
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->cache().encodedText.has_value());
    EXPECT_TRUE(made->cache().subject.has_value());
    EXPECT_EQ(made->cache().textEncoding, "quoted-printable");
    auto first = made->buildMessage(jane(), progress);
    ASSERT_TRUE(first);
    // The file is read once per session: a change on disk does not reach later messages.
    write("data.bin", "changed");
    auto second = made->buildMessage(jane(), progress);
    ASSERT_TRUE(second);
    EXPECT_EQ(parse(*second).body("p.1"), binaryData(3000));

    message.body = "Hi !*FIRST_NAME*!";
    message.subject = "For !*LAST_NAME*!";
    auto merged = builder();
    ASSERT_TRUE(merged);
    EXPECT_TRUE(merged->cache().textHasMacros);
    EXPECT_TRUE(merged->cache().subjectHasMacros);
    EXPECT_FALSE(merged->cache().encodedText.has_value());
    EXPECT_FALSE(merged->cache().subject.has_value());
    store::RecipientRecord other = jane();
    other.set(store::RecipientField::FirstName, "Ann");
    other.set(store::RecipientField::LastName, "Lee");
    auto text = merged->buildMessage(other, progress);
    ASSERT_TRUE(text);
    const ParsedMail mail = parse(*text);
    EXPECT_EQ(mail.body("p.0"), "Hi Ann");
    EXPECT_EQ(mail["header.Subject"], "For Lee");
}

TEST_F(MessageBuilderTest, LargeFilesAreEncodedFromDiskInBlocksAndSharedByEveryMessage)
{
    // Sizes around the encoder's read block (1,024 lines of 57 bytes): the encoding read in
    // blocks must be exactly the encoding of the whole file.
    constexpr std::size_t kBlock = 57 * 1024;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock + 2}) {
        SCOPED_TRACE(size);
        const std::string data = binaryData(size);
        const auto encoded = mime::encodeFile(write("block.bin", data), "utf-8");
        ASSERT_TRUE(encoded.isReadable());
        EXPECT_EQ(encoded.size, size);
        EXPECT_EQ(*encoded.base64, base64Encode(data));
    }
    // A UTF-8 character cut by the end of a block is still one character; a broken one is not.
    const std::string before(kBlock - 1, 'a');
    const auto whole = mime::encodeFile(write("cut.txt", before + "\xC3\xBC rest"), "iso-8859-1");
    EXPECT_TRUE(whole.isText8bit);
    EXPECT_TRUE(whole.isUtf8);
    const auto broken = mime::encodeFile(write("broken.txt", before + "\xC3 rest"), "iso-8859-1");
    EXPECT_TRUE(broken.isText8bit);
    EXPECT_FALSE(broken.isUtf8);

    // Every message of the mailing refers to the one encoding instead of copying it.
    const std::string report = write("report.pdf", binaryData(3 * kBlock));
    message.attachments = {report};
    auto made = builder();
    ASSERT_TRUE(made);
    auto first = made->buildMessageBytes(jane(), progress);
    auto second = made->buildMessageBytes(jane(), progress);
    ASSERT_TRUE(first && second);
    const auto& shared = *made->cache().files.at(report)->base64;
    for (const auto* bytes : {&*first, &*second}) {
        const auto pieces = bytes->pieces();
        EXPECT_EQ(std::count_if(pieces.begin(), pieces.end(),
                                [&](std::string_view piece) { return piece.data() == shared.data(); }),
                  1);
    }
    EXPECT_EQ(parse(first->toString()).body("p.1"), binaryData(3 * kBlock));
}

TEST_F(MessageBuilderTest, PersonalisedAttachmentsFollowTheFieldFlags)
{
    message.customAttachments = true;
    message.attachField = {false, true, false, true};
    store::RecipientRecord recipient = jane();
    recipient.set(store::RecipientField::Field1, write("one.txt", "1"));
    recipient.set(store::RecipientField::Field2, " " + write("two.gif", test::kOnePixelGif) + " ");
    recipient.set(store::RecipientField::Field4, write("four.bmp", "BM"));
    std::vector<std::string> activity;
    auto made = builder();
    ASSERT_TRUE(made);
    auto text = made->buildMessage(recipient, progress, [&](std::string_view line) { activity.emplace_back(line); });
    ASSERT_TRUE(text);
    const ParsedMail mail = parse(*text);
    EXPECT_EQ(mail["p.type"], "multipart/mixed");
    EXPECT_EQ(mail["p.children"], "3");
    EXPECT_EQ(mail["p.1.filename"], "four.bmp");
    EXPECT_EQ(mail["p.1.type"], "image/bmp");
    EXPECT_EQ(mail["p.2.filename"], "two.gif");
    EXPECT_EQ(mail["p.2.type"], "image/gif");
    EXPECT_EQ(activity,
              (std::vector<std::string>{"Building Message", "Appending Personalized Attachment From Additional Field 4",
                                        "Appending Personalized Attachment From Additional Field 2"}));

    // Without a file for this recipient the text still goes as a part of a multipart.
    const ParsedMail bare = parse(build(jane()));
    EXPECT_EQ(bare["p.type"], "multipart/mixed");
    EXPECT_EQ(bare["p.children"], "1");
}

TEST_F(MessageBuilderTest, MatchesTheGoldenMessage)
{
    // Every byte of a related message with an attachment; the file was checked by hand and by
    // the parser, and any change to the layout must be deliberate.
    write("logo.gif", test::kOnePixelGif);
    message.htmlPath = write("page.html", "<p>Dear !*FIRST_NAME*!,</p><img src=\"logo.gif\">");
    message.attachments = {write("terms.txt", "Terms\r\n")};
    message.identity.replyTo = "replies@sender.example";
    message.identity.organisation = "Caf\xC3\xA9 Society";
    message.body = "Dear !*FIRST_NAME*!,\r\nsee the terms.";
    const std::string text = build();
    const char* data = std::getenv("TIDECAST_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const std::string golden = readWholeFile(std::filesystem::path(data) / "outgoing" / "related.eml");
    EXPECT_EQ(text, golden);
    parse(text);
}
