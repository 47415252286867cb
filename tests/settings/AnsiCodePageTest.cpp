#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "AnsiCodePage.h"
#include "FakeCodePage.h"

namespace {

TEST(AnsiCodePage, EveryByteReadsAndWritesBackUnchanged)
{
    std::string all;
    for (int b = 0; b <= 0xFF; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string text = AnsiCodePage::ToUnicode(all);
    ASSERT_EQ(text.size(), all.size());
    EXPECT_EQ(AnsiCodePage::FromUnicode(text), all);
}

TEST(AnsiCodePage, ReadsWindows1252)
{
    struct Case
    {
        unsigned char byte;
        char16_t character;
    };
    const Case cases[] = {
        {0x41, u'A'},      {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x8D, u'\u008D'},
        {0x8F, u'\u008F'}, {0x90, u'\u0090'}, {0x9D, u'\u009D'}, {0x92, u'\u2019'},
        {0x9F, u'\u0178'}, {0xA0, u'\u00A0'}, {0xC7, u'\u00C7'}, {0xE3, u'\u00E3'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ(AnsiCodePage::ToUnicode(std::string(1, static_cast<char>(c.byte))), std::u16string(1, c.character));
    }
}

TEST(AnsiCodePage, CharacterWithoutAByteBecomesQuestionMark)
{
    EXPECT_EQ(AnsiCodePage::FromUnicode(u"N\u00C3O \u2013 \u4E2D\U0001F600\u0080\xD800!"), "N\xC3O \x96 ????"
                                                                                           "!");
}

TEST(AnsiCodePage, LongTextsConvertLikeTheirSingleBytes)
{
    // Long enough for whole blocks: some with no remapped byte, one whose
    // only remapped byte is its last, and the rest of every byte value.
    std::string bytes(2048, 'a');
    bytes[1023] = '\x9F';
    for (int i = 0; i < 3000; ++i)
        bytes.push_back(static_cast<char>(i * 7));
    std::u16string expected;
    for (const char b : bytes)
        expected += AnsiCodePage::ToUnicode(std::string(1, b));
    EXPECT_TRUE(AnsiCodePage::ToUnicode(bytes) == expected);

    std::u16string appended = u"x";
    AnsiCodePage::Appender appender(appended);
    for (std::size_t at = 0; at < bytes.size(); at += 1500)
        appender.Append(std::string_view(bytes).substr(at, 1500));
    appender.Finish();
    EXPECT_TRUE(appended == u"x" + expected);
}

// One character per code, its bytes joined; what is cut short is marked.
std::u16string FakeConvert(std::string_view bytes)
{
    std::u16string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = FakeLength(static_cast<unsigned char>(bytes[at]));
        if (at + length > bytes.size()) {
            text += u'?';
            break;
        }
        char16_t c = 0;
        for (std::size_t i = 0; i < length; ++i)
            c = static_cast<char16_t>(c * 31 + static_cast<unsigned char>(bytes[at + i]));
        text += c;
        at += length;
    }
    return text;
}

TEST(AnsiCodePage, CharactersCutBetweenPiecesConvertWhole)
{
    // Trail bytes that could lead, a three-byte character, and a lead byte
    // with nothing after it.
    const std::string text = "A\x81\x82"
                             "B\xE1\x90\x91\x9F\x41\x81";
    const std::u16string whole = FakeConvert(text);
    for (std::size_t cut1 = 0; cut1 <= text.size(); ++cut1) {
        for (std::size_t cut2 = cut1; cut2 <= text.size(); ++cut2) {
            SCOPED_TRACE(std::to_string(cut1) + " " + std::to_string(cut2));
            std::u16string pieces;
            std::vector<std::string> converted;
            auto convert = [&](std::string_view bytes) {
                converted.emplace_back(bytes);
                pieces += FakeConvert(bytes);
            };
            AnsiCodePage::Carry carry;
            carry.Feed(std::string_view(text).substr(0, cut1), FakeUnfinishedTail, convert);
            carry.Feed(std::string_view(text).substr(cut1, cut2 - cut1), FakeUnfinishedTail, convert);
            carry.Feed(std::string_view(text).substr(cut2), FakeUnfinishedTail, convert);
            EXPECT_TRUE(carry.Holding());
            carry.Finish(convert);
            EXPECT_FALSE(carry.Holding());
            EXPECT_EQ(pieces, whole);
            // Only the last lead byte, alone, is ever converted unfinished.
            for (std::size_t i = 0; i + 1 < converted.size(); ++i)
                EXPECT_EQ(FakeUnfinishedTail(converted[i]), 0u);
        }
    }
}

} // namespace
