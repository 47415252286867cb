#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "AnsiCodePage.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

struct CodePageCase
{
    UINT codePage;
    // The same text in the code page's bytes and in Unicode.
    std::string bytes;
    std::u16string text;
    // Characters the code page has no byte for; a best-fit mapping would
    // give some of them a look-alike letter instead of "?".
    std::u16string noByte;
};

const CodePageCase kCodePages[] = {
    // Western: the five unassigned bytes read as the matching C1 controls.
    {1252, "\x80\xE3\xC7\x81\x9D", u"\u20AC\u00E3\u00C7\u0081\u009D", u"\u0100\u0410\u4E2D"},
    {1251, "\xC0\xE0\xA8\x88", u"\u0410\u0430\u0401\u20AC", u"\u00E3\u0100\u4E2D"},
    // Japanese: double-byte characters beside single-byte ones.
    {932,
     "\x81\x98"
     "a"
     "\xC0"
     "\x88\x9F",
     u"\u00A7a\uFF80\u4E9C", u"\u00E3\u0100"},
};

// The code page the run was set up for, when it says; otherwise whatever
// the system reports, provided the table knows it.
const CodePageCase* ActiveCase()
{
    const UINT active = GetACP();
    if (const char* wanted = std::getenv("QUORVELO_ANSI_CODE_PAGE")) {
        EXPECT_EQ(active, static_cast<UINT>(std::atoi(wanted))) << "the run did not get its code page";
    }
    for (const auto& c : kCodePages)
        if (c.codePage == active)
            return &c;
    return nullptr;
}

TEST(AnsiCodePageWin, ConvertsInTheActiveCodePage)
{
    const CodePageCase* c = ActiveCase();
    if (!c)
        GTEST_SKIP() << "no expectations for code page " << GetACP();
    EXPECT_EQ(AnsiCodePage::ToUnicode(c->bytes), c->text);
    EXPECT_EQ(AnsiCodePage::FromUnicode(c->text), c->bytes);
    EXPECT_EQ(AnsiCodePage::FromUnicode(c->noByte), std::string(c->noByte.size(), '?'));
    // A character beyond 16 bits is one character, so one "?".
    EXPECT_EQ(AnsiCodePage::FromUnicode(u"a\U0001F600b\xD800"), "a?b?");
}

std::u16string U16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// A line 2 in the code page's own characters, longer than a read chunk,
// reads back as its text and is saved back byte for byte. Shifting it by
// 0 to 3 bytes puts a chunk boundary inside a double-byte character in at
// least one case, whatever the chunk size.
TEST(AnsiCodePageWin, LongLine2SurvivesLoadAndSave)
{
    const CodePageCase* c = ActiveCase();
    if (!c)
        GTEST_SKIP() << "no expectations for code page " << GetACP();
    const std::size_t repeats = 140'000 / c->bytes.size() + 1;
    std::string bytes;
    std::u16string text;
    for (std::size_t i = 0; i < repeats; ++i) {
        bytes += c->bytes;
        text += c->text;
    }
    const std::string rest = "07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";
    for (const std::string shift : {"", "x", "xy", "xyz"}) {
        SCOPED_TRACE(shift.size());
        const std::string file = "1\r\n" + shift + bytes + "\r\n" + rest;
        TempDataDir dir;
        dir.Write("Dados.txt", file);
        SettingsRecord record(dir.Root());
        ASSERT_TRUE(record.LeArqDados());
        EXPECT_TRUE(record.CnfWin == U16(shift) + text) << "line 2 read wrong";
        EXPECT_EQ(record.HS1, u"07:30");
        ASSERT_TRUE(record.GravaArqDados(
            {record.CnfApr, record.CnfWin, record.HS1, record.HS2, record.HS3, record.HS4, record.HS5, record.HS6}));
        EXPECT_TRUE(dir.Read("Dados.txt") == file) << "saved file differs";
    }
}

} // namespace
