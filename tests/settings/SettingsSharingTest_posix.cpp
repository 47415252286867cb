#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "OtherProgram.h"
#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

using Lines = std::array<std::u16string, 8>;
using namespace std::chrono_literals;

const Lines kNew = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";

TEST(SettingsSharing, LeftoverTemporaryFilesAreCleanedUpButNotOneInUseNorOthersFiles)
{
    TempDataDir dir;
    dir.Write("~Dados.123.tmp", "stale");
    dir.Write("~Dados.456.tmp", "being written");
    // Anyone may read a leftover; reading it does not keep it.
    dir.Write("~Dados.789.tmp", "stale, read by somebody");
    OtherProgram reader(dir.Dados() / "~Dados.789.tmp", OtherProgram::Reminder());
    ASSERT_TRUE(reader.Holding());
    // Names a save never makes belong to somebody else.
    dir.Write("~Dados.notes.tmp", "not ours");
    dir.Write("~Dados.12a.tmp", "not ours");
    OtherProgram writer(dir.Dados() / "~Dados.456.tmp", OtherProgram::Holds().front());
    ASSERT_TRUE(writer.Holding());
    SettingsRecord record(dir.Root());
    ASSERT_TRUE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Names(),
              (std::set<std::string>{"Dados.txt", "~Dados.456.tmp", "~Dados.notes.tmp", "~Dados.12a.tmp"}));
    EXPECT_EQ(dir.Read("~Dados.notes.tmp"), "not ours");
}

// A folder stuffed with leftovers costs each save a bounded share of the
// cleaning; start-up and later saves take the rest.
TEST(SettingsSharing, LeftoversAreCleanedAFewAtATime)
{
    TempDataDir dir;
    constexpr int kPlanted = 150;
    static_assert(kPlanted > 2 * SettingsRecord::kLeftoversPerSave);
    for (int i = 0; i < kPlanted; ++i)
        dir.Write("~Dados." + std::to_string(1000 + i) + ".tmp", "stale");
    auto leftovers = [&dir] { return static_cast<int>(dir.Names().size()) - (dir.Names().count("Dados.txt") ? 1 : 0); };

    SettingsRecord record(dir.Root());
    record.RemoveLeftovers(); // as at start-up
    EXPECT_EQ(leftovers(), kPlanted - SettingsRecord::kLeftoversPerSave);
    ASSERT_TRUE(record.GravaArqDados(kNew));
    EXPECT_EQ(leftovers(), kPlanted - 2 * SettingsRecord::kLeftoversPerSave);
    ASSERT_TRUE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

// A record whose folder sync fails, as a disk error would make it.
class UnsyncedRecord : public QuickRecord
{
public:
    using QuickRecord::QuickRecord;
    bool syncWorks = false;
    std::vector<std::string> seenAtSync; // what the name held when the folder was synced

protected:
    SettingsResult SyncFolder(const std::filesystem::path& folder) override
    {
        std::ifstream in(folder / "Dados.txt", std::ios::binary);
        seenAtSync.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return syncWorks ? SettingsRecord::SyncFolder(folder) : SettingsResult::FromSystem(EIO, folder);
    }
};

// The confirmation promises a save that survives a crash: a folder that
// cannot be put on disk is a failed save, and the old file is put back.
TEST(SettingsSharing, FailedFolderSyncIsAFailedSaveThatKeepsTheOldFile)
{
    const std::string newBytes = BytesOf(kNew);
    for (const bool oldFile : {true, false}) {
        SCOPED_TRACE(oldFile ? "replacing a file" : "first save");
        TempDataDir dir;
        if (oldFile)
            dir.Write("Dados.txt", kOld);
        UnsyncedRecord record(dir.Root());
        const SettingsResult failed = record.GravaArqDados(kNew);
        EXPECT_EQ(failed.failure, SettingsFailure::SystemError);
        EXPECT_EQ(failed.system.value(), EIO) << "the sync's own error is the cause";
        EXPECT_EQ(failed.step, SaveStep::FlushFolder);
        EXPECT_EQ(DescribeFailure(failed, SettingsOperation::Save),
                  "cannot save " + (dir.Dados() / "Dados.txt").string() + ": flushing the folder "
                      + dir.Dados().string()
                      + " to disk failed: " + std::error_code(EIO, std::system_category()).message());
        EXPECT_EQ(record.seenAtSync.size(), static_cast<std::size_t>(SettingsRecord::kWriteAttempts));
        EXPECT_EQ(dir.Names(), oldFile ? std::set<std::string>{"Dados.txt"} : std::set<std::string>{});
        if (oldFile) {
            EXPECT_EQ(dir.Read("Dados.txt"), kOld);
        }

        // The sync comes once the new file is in place, and then confirms it.
        record.syncWorks = true;
        record.seenAtSync.clear();
        EXPECT_TRUE(record.GravaArqDados(kNew));
        EXPECT_EQ(record.seenAtSync, std::vector<std::string>{newBytes});
        EXPECT_EQ(dir.Read("Dados.txt"), newBytes);
        EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
    }
}

// A second name for somebody's private file is never read, and so the
// window's save, which keeps line 2 only from a read, never copies it. The
// save replaces it all the same: its content stays under the other name.
TEST(SettingsSharing, AFileWithAnotherNameIsNotReadButReplaced)
{
    TempDataDir dir;
    const std::string secret = "0\r\nPRIVATE\r\n";
    const std::filesystem::path elsewhere = dir.Root() / "private.txt";
    {
        std::ofstream(elsewhere, std::ios::binary) << secret;
    }
    std::filesystem::create_hard_link(elsewhere, dir.Dados() / "Dados.txt");
    SettingsRecord record(dir.Root());
    EXPECT_EQ(record.LeArqDados().failure, SettingsFailure::OtherNames);
    EXPECT_EQ(record.CnfWin, u"0");
    std::array<SettingsRecord::SlotTime, 6> slots;
    slots.fill({u"07", u"30"});
    EXPECT_TRUE(record.Grava(true, slots));
    EXPECT_EQ(dir.Read("Dados.txt"), BytesOf({u"1", u"0", u"07:30", u"07:30", u"07:30", u"07:30", u"07:30", u"07:30"}));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
    std::ifstream in(elsewhere, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), secret);

    // The file now has one name and is read.
    EXPECT_TRUE(record.LeArqDados());
    EXPECT_EQ(record.HS6, u"07:30");
}

// A save killed at any moment leaves either the old file or the new one,
// never a missing, empty or partial file.
TEST(SettingsSharing, KilledSaveNeverLeavesAPartialFile)
{
    TempDataDir dir;
    const auto [a, b, bytesA, bytesB] = MakeTwoSaves(kNew);
    dir.Write("Dados.txt", bytesA);

    const auto budget = std::chrono::steady_clock::now() + 4s;
    int kills = 0;
    for (; kills < 300 && std::chrono::steady_clock::now() < budget; ++kills) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            QuickRecord record(dir.Root());
            for (unsigned i = 0;; ++i)
                record.GravaArqDados(i % 2 ? a : b);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(37 * (kills % 50)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = dir.Read("Dados.txt");
        ASSERT_TRUE(now == bytesA || now == bytesB) << "after kill " << kills << ": " << now.size() << " bytes";
    }

    // The next save clears away what the killed ones left.
    SettingsRecord record(dir.Root());
    ASSERT_TRUE(record.GravaArqDados(a));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
#define QUORVELO_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVELO_UNDER_ASAN 1
#endif
#endif

// A file whose first line is larger than the memory the program may take:
// the read fails (false) instead of ending the program.
TEST(SettingsMemory, ALineTooLongToHoldIsAFailedReadNotACrash)
{
#ifdef QUORVELO_UNDER_ASAN
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit an address-space limit";
#else
    TempDataDir dir;
    const auto path = dir.Dados() / "Dados.txt";
    {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0); // 1 GiB of zero bytes, sparse: one huge line
        ::close(fd);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(f);
        }
        limit.rlim_cur =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
        ::setrlimit(RLIMIT_AS, &limit);
        try {
            SettingsRecord record(dir.Root());
            _exit(record.LeArqDados() ? 1 : 0);
        } catch (...) {
            _exit(2); // an exception here would end the program that called the read
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the reader died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the read succeeded, 2: it threw";
#endif
}
