#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

#include "DataFile.h"
#include "LineSplitter.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

using Fields = std::array<std::u16string, 8>;

Fields FieldsOf(const SettingsRecord& r)
{
    return {r.CnfApr, r.CnfWin, r.HS1, r.HS2, r.HS3, r.HS4, r.HS5, r.HS6};
}

// Every case starts from a record whose previous read filled all eight
// fields, so the table also shows which fields a read leaves alone.
const std::string kPrevious = "p1\r\np2\r\np3\r\np4\r\nP3\r\nP4\r\nP5\r\nP6\r\n";

// Where the read looks: the file, or what stands in its place.
enum class Place
{
    File,       // Dados.txt with the case's bytes
    NoFile,     // the folder is there, the file is not
    NoFolder,   // the data root itself is gone
    Unreadable, // a folder under the file's name: it opens but cannot be read
};

struct ReadCase
{
    const char* name;
    std::optional<std::string> file; // nullopt: see place
    SettingsFailure failure;         // None: the read works
    Fields fields;
    Place place = Place::File;
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Lines(int count, const char* breakBytes)
{
    std::string s;
    for (int i = 1; i <= count; ++i)
        s += "L" + std::to_string(i) + breakBytes;
    return s;
}

const std::string kLong1000(1000, 'x');
// Longer than one read chunk, so the line is split across reads.
const std::string kLongAcrossChunks(200'000, 'y');

std::u16string U16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

const ReadCase kReadCases[] = {
    // A failed read leaves what the previous read gave.
    {"NoFile",
     std::nullopt,
     SettingsFailure::NoFile,
     {u"p1", u"p2", u"p3", u"p4", u"P3", u"P4", u"P5", u"P6"},
     Place::NoFile},
    {"NoFolder",
     std::nullopt,
     SettingsFailure::NoFolder,
     {u"p1", u"p2", u"p3", u"p4", u"P3", u"P4", u"P5", u"P6"},
     Place::NoFolder},
    {"UnreadableFile",
     std::nullopt,
     SettingsFailure::NotAPlainFile,
     {u"p1", u"p2", u"p3", u"p4", u"P3", u"P4", u"P5", u"P6"},
     Place::Unreadable},
    {"Empty", std::string(), SettingsFailure::None, {u"0", u"0", u"00:00", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"ThreeLines",
     "1\r\nabc\r\n07:30\r\n",
     SettingsFailure::None,
     {u"1", u"abc", u"07:30", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"TenLines", Lines(10, "\r\n"), SettingsFailure::None, {u"L1", u"L2", u"L3", u"L4", u"L5", u"L6", u"L7", u"L8"}},
    {"LfOnly", Lines(8, "\n"), SettingsFailure::None, {u"L1", u"L2", u"L3", u"L4", u"L5", u"L6", u"L7", u"L8"}},
    {"NoFinalBreak",
     "1\r\n2\r\n12:00",
     SettingsFailure::None,
     {u"1", u"2", u"12:00", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"LongLines",
     kLong1000 + "\r\n" + kLongAcrossChunks + "\r\n3",
     SettingsFailure::None,
     {U16(kLong1000), U16(kLongAcrossChunks), u"3", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"CrCrLf", "1\r\r\n", SettingsFailure::None, {u"1", u"0", u"00:00", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"LoneCrInsideLine",
     "1\r\na\rb\r\n",
     SettingsFailure::None,
     {u"1", u"ab", u"00:00", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"EndMarkStartsLine4",
     "1\r\n2\r\n3\r\n\x1A"
     "4\r\n5\r\n6\r\n",
     SettingsFailure::None,
     {u"1", u"2", u"3", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"EndMarkInsideLine",
     "1\r\nab\x1A"
     "cd\r\n3\r\n",
     SettingsFailure::None,
     {u"1", u"ab", u"cd", u"3", u"P3", u"P4", u"P5", u"P6"}},
    {"Utf8ByteOrderMark",
     "\xEF\xBB\xBF"
     "1\r\n",
     SettingsFailure::None,
     {u"\u00EF\u00BB\u00BF"
      "1",
      u"0", u"00:00", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
    {"HighBytesInLine2",
     "0\r\n\x80\x81\x8D\x9F\xA0\xE9\xFF\r\n",
     SettingsFailure::None,
     {u"0", u"\u20AC\u0081\u008D\u0178\u00A0\u00E9\u00FF", u"00:00", u"00:00", u"P3", u"P4", u"P5", u"P6"}},
};

class ReadTable : public ::testing::TestWithParam<ReadCase>
{};

// What a record that has read nothing before holds after the same read:
// the defaults where the previous read's lines were kept, and nothing in
// slots 3 to 6.
Fields WithoutPrevious(Fields fields)
{
    const Fields previous = {u"p1", u"p2", u"p3", u"p4", u"P3", u"P4", u"P5", u"P6"};
    const Fields defaults = {u"0", u"0", u"00:00", u"00:00", u"", u"", u"", u""};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == previous[i])
            fields[i] = defaults[i];
    }
    return fields;
}

TEST_P(ReadTable, ReadsFieldsAndResult)
{
    const ReadCase& c = GetParam();
    TempDataDir dir;
    SettingsRecord record(dir.Root());
    dir.Write("Dados.txt", kPrevious);
    ASSERT_TRUE(record.LeArqDados());
    std::filesystem::remove(dir.Dados() / "Dados.txt");

    switch (c.place) {
    case Place::File: dir.Write("Dados.txt", *c.file); break;
    case Place::NoFile: break;
    case Place::NoFolder: std::filesystem::remove_all(dir.Root()); break;
    case Place::Unreadable: std::filesystem::create_directory(dir.Dados() / "Dados.TXT"); break;
    }
    EXPECT_EQ(record.LeArqDados().failure, c.failure);
    EXPECT_EQ(FieldsOf(record), c.fields);

    SettingsRecord fresh(dir.Root());
    EXPECT_EQ(fresh.LeArqDados().failure, c.failure) << "a record that has read nothing before";
    EXPECT_EQ(FieldsOf(fresh), WithoutPrevious(c.fields)) << "a record that has read nothing before";
}

INSTANTIATE_TEST_SUITE_P(Files, ReadTable, ::testing::ValuesIn(kReadCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SettingsRead, FreshRecordIsEmptyAndFailedReadKeepsSlots3To6Empty)
{
    TempDataDir dir;
    SettingsRecord record(dir.Root());
    EXPECT_EQ(FieldsOf(record), Fields{});
    EXPECT_FALSE(record.LeArqDados());
    EXPECT_EQ(FieldsOf(record), (Fields{u"0", u"0", u"00:00", u"00:00", u"", u"", u"", u""}));
}

// A read error after some bytes have arrived: the record must not keep a
// cut line, whether or not an earlier read worked.
class FailingRead : public SettingsRecord
{
public:
    FailingRead(const std::filesystem::path& root, int failingChunk) : SettingsRecord(root), failingChunk_(failingChunk)
    {
    }

protected:
    SettingsResult ReadChunk(std::span<char> buffer, std::size_t& got) override
    {
        if (++chunks_ == failingChunk_) {
            got = 0;
            // as read() failing
            return SettingsResult::Failed(SettingsFailure::SystemError, "Dados.txt",
                                          std::make_error_code(std::errc::io_error));
        }
        return SettingsRecord::ReadChunk(buffer, got);
    }

private:
    int failingChunk_;
    int chunks_ = 0;
};

TEST(SettingsRead, AReadFailingPartWayKeepsNoCutLine)
{
    TempDataDir dir;
    const std::string line2(100'000, 'w'); // longer than one chunk
    dir.Write("Dados.txt", "1\r\n" + line2 + "\r\n07:30\r\n08:00\r\n09:00\r\n");

    FailingRead fresh(dir.Root(), 2);
    const SettingsResult failed = fresh.LeArqDados();
    EXPECT_EQ(failed.failure, SettingsFailure::SystemError);
    EXPECT_EQ(failed.system, std::make_error_code(std::errc::io_error)) << "the system's own error is kept";
    EXPECT_EQ(FieldsOf(fresh), (Fields{u"0", u"0", u"00:00", u"00:00", u"", u"", u"", u""}));

    FailingRead later(dir.Root(), 5); // the first read takes three calls, the last finding the end
    ASSERT_TRUE(later.LeArqDados());
    const Fields read = FieldsOf(later);
    EXPECT_EQ(read[1].size(), line2.size());
    EXPECT_FALSE(later.LeArqDados());
    EXPECT_EQ(FieldsOf(later), read);
}

TEST(SettingsRead, LinesAfterTheEighthCountButAreNotKept)
{
    std::vector<std::size_t> numbers;
    LineSplitter splitter([&](std::size_t n, std::string_view) { numbers.push_back(n); });
    splitter.Feed(Lines(12, "\n"));
    splitter.Finish();
    EXPECT_EQ(numbers, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(splitter.LineCount(), 12u);
}

// The file is found whatever the case of its name. Among several spellings
// the name a save writes comes first, then the reminder's, then any other in
// a stable order. Each file holds its own name as line 1.
TEST(SettingsRead, FindsTheFileWhateverTheCaseOfItsNameAndPrefersTheSavedOne)
{
    struct Case
    {
        std::vector<std::string> names;
        std::u16string read;
    };
    const Case cases[] = {
        {{"DADOS.TXT"}, u"DADOS.TXT"},
        {{"dados.txt"}, u"dados.txt"},
        {{"Dados.TXT"}, u"Dados.TXT"},
        {{"dAdOs.TxT"}, u"dAdOs.TxT"},
        {{"dados.txt", "Dados.TXT", "DADOS.TXT", "Dados.txt"}, u"Dados.txt"},
        {{"dados.txt", "Dados.TXT", "DADOS.TXT"}, u"Dados.TXT"},
        {{"dados.txt", "DADOS.TXT"}, u"DADOS.TXT"},
    };
    for (const auto& c : cases) {
#ifdef _WIN32
        // Names that differ only in case are one file on Windows.
        if (c.names.size() > 1)
            continue;
#endif
        SCOPED_TRACE(std::string(c.read.begin(), c.read.end()) + " among " + std::to_string(c.names.size()));
        TempDataDir dir;
        for (const auto& name : c.names)
            dir.Write(name, name + "\r\n");
        SettingsRecord record(dir.Root());
        ASSERT_TRUE(record.LeArqDados());
        EXPECT_EQ(record.CnfApr, c.read);
    }
}

// The cap is on the file, not on a line: the largest accepted file reads
// whole, one byte more is a failed read that keeps nothing of the file.
TEST(SettingsReadLimit, AcceptsUpToTheLimitAndNotOneByteMore)
{
    for (const std::uint64_t size : {DataFile::kMaxReadBytes, DataFile::kMaxReadBytes + 1}) {
        SCOPED_TRACE(size);
        TempDataDir dir;
        std::string bytes = "1\r\n";
        bytes += std::string(static_cast<std::size_t>(size) - bytes.size() - 2, 'x');
        bytes += "\r\n";
        dir.Write("Dados.txt", bytes);
        SettingsRecord record(dir.Root());
        EXPECT_EQ(record.LeArqDados().failure,
                  size <= DataFile::kMaxReadBytes ? SettingsFailure::None : SettingsFailure::TooLarge);
    }
}

TEST(SettingsRead, HsGivesSlotsOneToSix)
{
    SettingsRecord record("/nonexistent");
    record.HS1 = u"a";
    record.HS6 = u"f";
    EXPECT_EQ(&record.HS(1), &record.HS1);
    EXPECT_EQ(&record.HS(4), &record.HS4);
    EXPECT_EQ(&record.HS(6), &record.HS6);
    EXPECT_THROW(record.HS(0), std::out_of_range);
    EXPECT_THROW(record.HS(7), std::out_of_range);
}

// A slot's line splits at its colon where the colon stands first or
// second, else at the fixed places; nothing is checked.
TEST(SettingsRead, SlotSplitsItsLineIntoHourAndMinute)
{
    const std::tuple<std::u16string, std::u16string, std::u16string> cases[] = {
        {u"07:30", u"07", u"30"},  {u":", u"", u""},          {u":30", u"", u"30"},     {u"7:30", u"7", u"30"},
        {u"9:", u"9", u""},        {u"7:305", u"7", u"30"},   {u"::", u"", u":"},       {u"12:3", u"12", u"3"},
        {u"12:345", u"12", u"34"}, {u"", u"", u""},           {u"9", u"9", u""},        {u"1230", u"12", u"0"},
        {u"ab:cd", u"ab", u"cd"},  {u"123:45", u"12", u":4"}, {u" 7:30", u" 7", u"30"},
    };
    SettingsRecord record("/nonexistent");
    for (const auto& [line, hour, minute] : cases) {
        record.HS3 = line;
        const SettingsRecord::SlotTime t = record.Slot(3);
        EXPECT_EQ(t.hour, hour) << std::string(line.begin(), line.end());
        EXPECT_EQ(t.minute, minute) << std::string(line.begin(), line.end());
    }
}

// What a Receiver is told, checked against the order it is promised: each
// kept line as Begin, its runs (never empty), End, numbered from 1.
class RecordingReceiver final : public LineSplitter::Receiver
{
public:
    std::vector<std::string> lines;
    bool inOrder = true;

    void Begin(std::size_t number) override
    {
        inOrder &= open_ == 0 && number == lines.size() + 1;
        open_ = number;
        lines.emplace_back();
    }
    void Bytes(std::size_t number, std::string_view bytes) override
    {
        inOrder &= number == open_ && !bytes.empty();
        if (!lines.empty())
            lines.back().append(bytes);
    }
    void End(std::size_t number) override
    {
        inOrder &= number == open_;
        open_ = 0;
    }

private:
    std::size_t open_ = 0;
};

std::string EightLinesThen(const std::string& tail)
{
    return Lines(8, "\r\n") + tail;
}

// Lines after the eighth are only counted, in bulk, up to the next 0x1A.
const struct DroppedCase
{
    const char* name;
    std::string file;
    std::size_t count;
    bool atEnd;
} kDroppedCases[] = {
    {"EndMarkAfterEndMark",
     EightLinesThen("a\x1A\x1A"
                    "b\n"),
     9, true},
    {"EndMarkAfterBreak",
     EightLinesThen("a\r\n\x1A"
                    "b\n"),
     9, true},
    {"EndMarksInsideLines",
     EightLinesThen("a\x1A"
                    "b\x1A"),
     10, false},
    {"CrThenEndMark", EightLinesThen("\r\x1A"), 9, false},
    {"EmptyLines", EightLinesThen("\n\n"), 10, false},
    {"LastLineWithoutBreak", EightLinesThen("x\ny"), 10, false},
    {"ManyLinesThenEndMark",
     EightLinesThen(Lines(3000, "\n")
                    + "\x1A"
                      "z\n"),
     3008, true},
};

// The file is read in chunks; however its bytes are split, the lines must
// come out the same, to a callback as to a Receiver (each line as Begin, its
// runs, End), with the same count and the same end; after the eighth line
// the count is the one expected.
struct SplitCase
{
    std::string name;
    std::string file;
    std::optional<std::size_t> count; // lines, where the row says
    std::optional<bool> atEnd;        // ended by 0x1A, where the row says
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<SplitCase> SplitCases()
{
    std::vector<SplitCase> cases;
    for (const ReadCase& c : kReadCases) {
        if (c.file)
            cases.push_back({c.name, *c.file, std::nullopt, std::nullopt});
    }
    for (const DroppedCase& c : kDroppedCases)
        cases.push_back({c.name, c.file, c.count, c.atEnd});
    cases.push_back(
        {"LoneCrsAndALongLastLine", "a\rb\r\rc\n\r\n" + std::string(5000, 'w') + "\r", std::nullopt, std::nullopt});
    return cases;
}

class SplitterTable : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(SplitterTable, SameLinesWhateverTheChunks)
{
    const SplitCase& c = GetParam();
    std::vector<std::string> whole;
    LineSplitter reference([&](std::size_t, std::string_view l) { whole.emplace_back(l); });
    reference.Feed(c.file);
    reference.Finish();
    if (c.count) {
        EXPECT_EQ(reference.LineCount(), *c.count);
    }
    if (c.atEnd) {
        EXPECT_EQ(reference.AtEnd(), *c.atEnd);
    }

    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{1000}, c.file.size() + 1}) {
        SCOPED_TRACE("in chunks of " + std::to_string(chunk));
        RecordingReceiver receiver;
        LineSplitter splitter(receiver);
        std::vector<std::string> called;
        LineSplitter callback([&](std::size_t, std::string_view l) { called.emplace_back(l); });
        for (std::size_t at = 0; at < c.file.size(); at += chunk) {
            splitter.Feed(std::string_view(c.file).substr(at, chunk));
            callback.Feed(std::string_view(c.file).substr(at, chunk));
        }
        splitter.Finish();
        callback.Finish();
        EXPECT_TRUE(receiver.inOrder);
        EXPECT_EQ(receiver.lines, whole);
        EXPECT_EQ(called, whole);
        EXPECT_EQ(splitter.LineCount(), reference.LineCount());
        EXPECT_EQ(callback.LineCount(), reference.LineCount());
        EXPECT_EQ(splitter.AtEnd(), reference.AtEnd());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SplitterTable, ::testing::ValuesIn(SplitCases()),
                         [](const auto& p) { return p.param.name; });

// A long line 2 leaves room behind in its field; the next reads must give
// exactly their own lines, whether the file stayed long or shrank.
TEST(SettingsRead, ReadingAgainAfterALongLineGivesTheNewLines)
{
    const std::string longA(300'000, 'a');
    const std::string longB(250'000, 'b');
    const struct
    {
        std::string file;
        std::u16string line2;
    } reads[] = {
        {"1\r\n" + longA + "\r\n07:30\r\n" + Lines(20, "\n"), U16(longA)},
        {"1\r\n" + longB + "\r\n07:30\r\n" + Lines(20'000, "\n"), U16(longB)},
        {"1\r\nshort\r\n07:30\r\n", u"short"},
        {"1\r\n" + longA + "\r\n07:30\r\n", U16(longA)},
    };
    TempDataDir dir;
    SettingsRecord record(dir.Root());
    for (const auto& read : reads) {
        SCOPED_TRACE(read.file.size());
        dir.Write("Dados.txt", read.file);
        ASSERT_TRUE(record.LeArqDados());
        EXPECT_EQ(record.CnfApr, u"1");
        EXPECT_TRUE(record.CnfWin == read.line2);
        EXPECT_EQ(record.HS1, u"07:30");
    }
}

} // namespace
