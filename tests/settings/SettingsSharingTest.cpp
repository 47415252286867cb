#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "OtherProgram.h"
#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

// Sharing the file with the reminder and other programs, as each platform
// lets them hold it.

namespace {

using Lines = std::array<std::u16string, 8>;

const Lines kNew = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kNewBytes = "1\r\n0\r\n07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";

class HeldFile : public ::testing::TestWithParam<OtherProgram::Hold>
{};

// Nobody may replace a file another program writes; a reader stops a save
// only where the platform cannot replace a file under it. A reader is shut
// out only by a program that writes, or that forbids reading.
TEST_P(HeldFile, SaveWorksUnlessTheHolderShutsItOut)
{
    TempDataDir dir;
    dir.Write("Dados.txt", kOld);
    OtherProgram other(dir.Dados() / "Dados.txt", GetParam());
    ASSERT_TRUE(other.Holding());

    // A holder that shuts the store out is named as the cause.
    auto expected = [](bool works) { return works ? SettingsFailure::None : SettingsFailure::InUse; };
    QuickRecord record(dir.Root());
    EXPECT_EQ(record.LeArqDados().failure, expected(GetParam().readWorks));
    EXPECT_EQ(record.CnfWin, GetParam().readWorks ? u"old" : u"0");
    EXPECT_EQ(record.GravaArqDados(kNew).failure, expected(GetParam().saveWorks));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
    other.Release();
    EXPECT_EQ(dir.Read("Dados.txt"), GetParam().saveWorks ? kNewBytes : kOld);

    // None of the failed attempts may keep anything open or locked.
    ASSERT_TRUE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Read("Dados.txt"), kNewBytes);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
    EXPECT_TRUE(record.LeArqDados());
}

INSTANTIATE_TEST_SUITE_P(Holders, HeldFile, ::testing::ValuesIn(OtherProgram::Holds()),
                         [](const auto& p) { return std::string(p.param.name); });

// The reminder reads for a moment and lets go; a save begun meanwhile must
// get through, at once where a reader cannot stop it, else on a later
// attempt instead of failing.
TEST(SettingsSharing, SaveRetriesUntilTheReminderLetsGo)
{
    TempDataDir dir;
    dir.Write("Dados.txt", kOld);
    OtherProgram reminder(dir.Dados() / "Dados.txt", OtherProgram::Reminder());
    ASSERT_TRUE(reminder.Holding());

    QuickRecord record(dir.Root());
    // It lets go before the third attempt: the first two meet it.
    std::vector<int> pauses;
    record.between = [&](int nextAttempt) {
        pauses.push_back(nextAttempt);
        if (nextAttempt == 3)
            reminder.Release();
    };
    EXPECT_TRUE(record.GravaArqDados(kNew));
    if (OtherProgram::Reminder().saveWorks)
        EXPECT_TRUE(pauses.empty()) << "the reader held up the save";
    else
        EXPECT_EQ(pauses, (std::vector<int>{2, 3})) << "saved on the third attempt";
    EXPECT_EQ(dir.Read("Dados.txt"), kNewBytes);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

// A read-only file can be read but is never replaced, whatever its case.
TEST(SettingsSharing, ReadOnlyFileIsReadButNotReplaced)
{
    namespace fs = std::filesystem;
    for (const char* name : {"Dados.txt", "DADOS.TXT"}) {
        SCOPED_TRACE(name);
        TempDataDir dir;
        dir.Write(name, kOld);
        const fs::path file = dir.Dados() / name;
        fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        QuickRecord record(dir.Root());
        EXPECT_TRUE(record.LeArqDados());
        EXPECT_EQ(record.CnfWin, u"old");
        const SettingsResult saved = record.GravaArqDados(kNew);
        EXPECT_EQ(saved.failure, SettingsFailure::ReadOnlyFile);
        EXPECT_EQ(saved.where, file);
        EXPECT_EQ(dir.Read(name), kOld);
        EXPECT_EQ(dir.Names(), std::set<std::string>{name});
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add); // lets the folder go
    }
}

} // namespace
