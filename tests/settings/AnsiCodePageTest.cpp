#include <gtest/gtest.h>

#include <string>

#include "AnsiCodePage.h"

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
    struct Case {
        unsigned char byte;
        char16_t character;
    };
    const Case cases[] = {
        {0x41, u'A'},     {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x8D, u'\u008D'},
        {0x8F, u'\u008F'}, {0x90, u'\u0090'}, {0x9D, u'\u009D'}, {0x92, u'\u2019'},
        {0x9F, u'\u0178'}, {0xA0, u'\u00A0'}, {0xC7, u'\u00C7'}, {0xE3, u'\u00E3'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ(AnsiCodePage::ToUnicode(std::string(1, static_cast<char>(c.byte))),
                  std::u16string(1, c.character));
    }
}

TEST(AnsiCodePage, CharacterWithoutAByteBecomesQuestionMark)
{
    EXPECT_EQ(AnsiCodePage::FromUnicode(u"N\u00C3O \u2013 \u4E2D\U0001F600\u0080\xD800!"),
              "N\xC3O \x96 ????" "!");
}

}
