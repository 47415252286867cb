#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <set>
#include <string>

#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

using Lines = std::array<std::u16string, 8>;

const Lines kExample = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kExampleBytes = "1\r\n0\r\n07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";

struct WriteCase
{
    const char* name;
    Lines lines;
    std::string bytes;
};

const WriteCase kWriteCases[] = {
    {"Example", kExample, kExampleBytes},
    {"EmptyTimeFields", {u"0", u"0", u":", u":", u":", u":", u":", u":"}, "0\r\n0\r\n:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n"},
    {"AllEmpty", {}, "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
    // No byte for these: one "?" per character, a surrogate pair included.
    {"CharactersWithoutAByte",
     {u"\u4E2D", u"a\U0001F600b", u"\u0080", u"\u20AC\u00E9", u"", u"", u"", u""},
     "?\r\na?b\r\n?\r\n\x80\xE9\r\n\r\n\r\n\r\n\r\n"},
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.name;
}

class WriteTable : public ::testing::TestWithParam<WriteCase>
{};

TEST_P(WriteTable, WritesExactBytes)
{
    TempDataDir dir;
    SettingsRecord record(dir.Root());
    ASSERT_TRUE(record.GravaArqDados(GetParam().lines));
    EXPECT_EQ(dir.Read("Dados.txt"), GetParam().bytes);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

INSTANTIATE_TEST_SUITE_P(Lines, WriteTable, ::testing::ValuesIn(kWriteCases),
                         [](const auto& p) { return std::string(p.param.name); });

std::string EveryByteButBreaks()
{
    std::string s;
    for (int b = 0; b <= 0xFF; ++b)
        if (b != '\r' && b != '\n' && b != 0x1A)
            s.push_back(static_cast<char>(b));
    return s;
}

// Line 2 is carried through: whatever the last read found there goes back
// byte for byte, and "0" when the read did not reach it.
TEST(SettingsWrite, Line2SurvivesLoadAndSave)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> previous; // nullopt: no file
        std::string line2;
    };
    const std::string every = EveryByteButBreaks();
    const Case cases[] = {
        {"Empty", "1\r\n\r\n07:30\r\n", ""},
        {"EveryByte", "1\r\n" + every + "\r\n", every},
        {"OneLineFile", "1\r\n", "0"},
        {"NoFile", std::nullopt, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataDir dir;
        if (c.previous)
            dir.Write("Dados.txt", *c.previous);
        SettingsRecord record(dir.Root());
        record.LeArqDados();
        Lines lines = kExample;
        lines[1] = record.CnfWin;
        ASSERT_TRUE(record.GravaArqDados(lines));
        EXPECT_EQ(dir.Read("Dados.txt"), "1\r\n" + c.line2 + kExampleBytes.substr(4));
    }
}

TEST(SettingsWrite, ReplacesAPreviousFileOfAnyLength)
{
    const std::string previous[] = {
        "x", kExampleBytes + kExampleBytes, std::string(1 << 20, 'z'),
        "1\r\n0\r\n07:30\r\n", // a prefix of the new content
    };
    for (const auto& old : previous) {
        SCOPED_TRACE(old.size());
        TempDataDir dir;
        dir.Write("Dados.txt", old);
        SettingsRecord record(dir.Root());
        ASSERT_TRUE(record.GravaArqDados(kExample));
        EXPECT_EQ(dir.Read("Dados.txt"), kExampleBytes);
    }
}

TEST(SettingsWrite, LeavesOneFileNamedDadosTxt)
{
    const std::set<std::string> before[] = {
        {"DADOS.TXT"},
        {"Dados.TXT"},
        {"dados.txt", "DADOS.TXT", "Dados.txt"},
    };
    for (const auto& names : before) {
        SCOPED_TRACE(*names.begin());
        TempDataDir dir;
        for (const auto& n : names)
            dir.Write(n, "old " + n + "\r\n");
        dir.Write("Other.txt", "kept");
        SettingsRecord record(dir.Root());
        ASSERT_TRUE(record.GravaArqDados(kExample));
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"Dados.txt", "Other.txt"}));
        EXPECT_EQ(dir.Read("Dados.txt"), kExampleBytes);
        ASSERT_TRUE(record.LeArqDados());
        EXPECT_EQ(record.HS3, u"15:45");
    }
}

TEST(SettingsWrite, MissingDataDirectoryFailsAndIsNotCreated)
{
    TempDataDir dir;
    std::filesystem::remove(dir.Dados());
    QuickRecord record(dir.Root());
    const SettingsResult saved = record.GravaArqDados(kExample);
    EXPECT_EQ(saved.failure, SettingsFailure::NoFolder);
    EXPECT_EQ(saved.where, dir.Dados());
    EXPECT_EQ(saved.file, dir.Dados() / "Dados.txt");
    EXPECT_FALSE(std::filesystem::exists(dir.Dados()));
}

// A break inside a line would split the file and shift every later line:
// such a save fails whole and the old file keeps every byte.
TEST(SettingsWrite, ALineHoldingABreakIsAFailedSave)
{
    const std::u16string breaks[] = {u"08:00\n", u"\r", u"1\x1A", u"\r\n00:00"};
    for (std::size_t line : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
        for (const auto& text : breaks) {
            SCOPED_TRACE(testing::Message() << "line " << line + 1 << " break " << int(text.back()));
            TempDataDir dir;
            const std::string old = "0\r\nold\r\n";
            dir.Write("Dados.txt", old);
            SettingsRecord record(dir.Root());
            Lines lines = kExample;
            lines[line] = text;
            EXPECT_EQ(record.GravaArqDados(lines).failure, SettingsFailure::LineBreakInLine);
            EXPECT_EQ(dir.Read("Dados.txt"), old);
            EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
        }
    }
}

// Without a file the first save creates it; the next save replaces the file
// the first one wrote and is not taken for one over a file never read.
TEST(SettingsWrite, ASaveCountsAsAReadOfWhatItWrote)
{
    TempDataDir dir;
    SettingsRecord record(dir.Root());
    ASSERT_FALSE(record.LeArqDados());
    const std::array<SettingsRecord::SlotTime, 6> first = {{{u"09", u"30"}, {u"12", u"00"}}};
    std::array<SettingsRecord::SlotTime, 6> second = first;
    second[1].hour = u"13";
    ASSERT_TRUE(record.Grava(true, first));
    ASSERT_TRUE(record.Grava(false, second));
    EXPECT_EQ(dir.Read("Dados.txt"), "0\r\n0\r\n09:30\r\n13:00\r\n:\r\n:\r\n:\r\n:\r\n");
}

TEST(SettingsWrite, SavedFileReadsBack)
{
    TempDataDir dir;
    SettingsRecord record(dir.Root());
    ASSERT_TRUE(record.GravaArqDados(kExample));
    ASSERT_TRUE(record.LeArqDados());
    EXPECT_EQ(record.CnfApr, u"1");
    EXPECT_EQ(record.CnfWin, u"0");
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(record.HS(slot), kExample[static_cast<std::size_t>(slot) + 1]);
}

} // namespace
