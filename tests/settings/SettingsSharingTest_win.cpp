#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

using Lines = std::array<std::u16string, 8>;
using namespace std::chrono_literals;

const Lines kNew = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kNewBytes = "1\r\n0\r\n07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";

// Sharing on Windows belongs to each handle, so a second handle of this
// process stands for the reminder program or any other.
class OtherHandle
{
public:
    OtherHandle(const std::filesystem::path& file, DWORD access, DWORD share)
        : handle_(CreateFileW(file.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~OtherHandle() { Close(); }
    OtherHandle(const OtherHandle&) = delete;
    OtherHandle& operator=(const OtherHandle&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close()
    {
        if (IsOpen())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

struct HolderCase {
    const char* name;
    DWORD access;
    DWORD share;
    bool readWorks;
};

void PrintTo(const HolderCase& c, std::ostream* os) { *os << c.name; }

class HeldFile : public ::testing::TestWithParam<HolderCase> {};

// The reader lets others read but not write, so only a handle that writes,
// or that forbids reading, shuts it out. The save replaces the file, which
// nobody may do while any handle without delete sharing has it open.
TEST_P(HeldFile, SaveFailsWhileHeldAndWorksOnceReleased)
{
    TempDataDir dir;
    dir.Write("Dados.txt", kOld);
    OtherHandle other(dir.Dados() / "Dados.txt", GetParam().access, GetParam().share);
    ASSERT_TRUE(other.IsOpen());

    QuickRecord record(dir.Root());
    EXPECT_EQ(record.LeArqDados(), GetParam().readWorks);
    EXPECT_EQ(record.CnfWin, GetParam().readWorks ? u"old" : u"0");

    EXPECT_FALSE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
    other.Close();
    EXPECT_EQ(dir.Read("Dados.txt"), kOld);

    // None of the failed attempts may keep a handle of its own.
    ASSERT_TRUE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Read("Dados.txt"), kNewBytes);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
    EXPECT_TRUE(record.LeArqDados());
}

INSTANTIATE_TEST_SUITE_P(
    Holders, HeldFile,
    ::testing::Values(
        HolderCase{"ReaderLikeTheReminder", GENERIC_READ, FILE_SHARE_READ, true},
        HolderCase{"ReaderLettingOthersWrite", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        HolderCase{"ExclusiveReader", GENERIC_READ, 0, false},
        HolderCase{"Writer", GENERIC_WRITE, FILE_SHARE_READ, false}),
    [](const auto& p) { return std::string(p.param.name); });

// The reminder reads for a moment and lets go; a save begun meanwhile must
// get through on a later attempt instead of failing.
TEST(SettingsSharingWin, SaveRetriesUntilTheReaderLetsGo)
{
    TempDataDir dir;
    dir.Write("Dados.txt", kOld);
    OtherHandle reader(dir.Dados() / "Dados.txt", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader.IsOpen());

    QuickRecord record(dir.Root());
    // The reader lets go before the third attempt: the first two meet it.
    std::vector<int> pauses;
    record.between = [&](int nextAttempt) {
        pauses.push_back(nextAttempt);
        if (nextAttempt == 3)
            reader.Close();
    };
    const bool saved = record.GravaArqDados(kNew);

    EXPECT_TRUE(saved);
    EXPECT_EQ(pauses, (std::vector<int>{2, 3})) << "saved on the third attempt";
    EXPECT_EQ(dir.Read("Dados.txt"), kNewBytes);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

// A read-only file can be read but is never replaced, whatever its case.
TEST(SettingsSharingWin, ReadOnlyFileIsReadButNotReplaced)
{
    for (const char* name : {"Dados.txt", "DADOS.TXT"}) {
        SCOPED_TRACE(name);
        TempDataDir dir;
        dir.Write(name, kOld);
        const auto file = dir.Dados() / name;
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
        QuickRecord record(dir.Root());
        EXPECT_TRUE(record.LeArqDados());
        EXPECT_EQ(record.CnfWin, u"old");
        EXPECT_FALSE(record.GravaArqDados(kNew));
        EXPECT_EQ(dir.Read(name), kOld);
        EXPECT_EQ(dir.Names(), std::set<std::string>{name});
        EXPECT_NE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
        // Lets the temporary folder go.
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

struct ReadResult {
    DWORD error = ERROR_SUCCESS;
    std::string bytes;
};

// Reads the file the way the reminder program does: others may read, not write.
ReadResult ReadAsTheReminder(const std::filesystem::path& file)
{
    ReadResult result;
    const HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        return result;
    }
    char buffer[64 * 1024];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.bytes.append(buffer, got);
    CloseHandle(h);
    return result;
}

// While saves go on, the reminder finds the old file or the new one, whole,
// and never no file at all. A busy file may turn a read away; then it tries
// again, as it would later.
TEST(SettingsSharingWin, ReaderNeverFindsTheFileMissingOrPartial)
{
    TempDataDir dir;
    const Lines a = kNew;
    Lines b = kNew;
    b[1] = std::u16string(50'000, u'b'); // long enough to be caught half-written
    const std::string bytesA = BytesOf(a);
    const std::string bytesB = BytesOf(b);
    dir.Write("Dados.txt", bytesA);
    const auto file = dir.Dados() / "Dados.txt";

    std::atomic<bool> done{false};
    int saved = 0;
    std::thread saver([&] {
        QuickRecord record(dir.Root());
        // Each save waits for the disk, so the run is bounded in time too.
        const auto budget = std::chrono::steady_clock::now() + 2s;
        for (int i = 0; i < 300 && std::chrono::steady_clock::now() < budget; ++i)
            saved += record.GravaArqDados(i % 2 ? a : b) ? 1 : 0;
        done = true;
    });

    int reads = 0;
    std::set<DWORD> turnedAway;
    std::string wrong; // stops the reading; asserted once the saver is done
    while (!done && wrong.empty()) {
        const ReadResult r = ReadAsTheReminder(file);
        if (r.error != ERROR_SUCCESS) {
            turnedAway.insert(r.error);
            continue;
        }
        ++reads;
        if (r.bytes != bytesA && r.bytes != bytesB)
            wrong = std::to_string(r.bytes.size()) + " bytes";
    }
    saver.join();

    EXPECT_EQ(wrong, "") << "read " << reads;
    for (const DWORD error : turnedAway)
        EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) << "error " << error;
    EXPECT_GT(saved, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

}
