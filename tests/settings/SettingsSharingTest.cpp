#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

using Lines = std::array<std::u16string, 8>;
using namespace std::chrono_literals;

const Lines kNew = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";

// Another program holding the settings file open with a lock, as the
// reminder (reading) or another writer would.
class LockHolder
{
public:
    LockHolder(const std::filesystem::path& file, short type)
    {
        int ready[2];
        if (pipe(ready) != 0 || pipe(release_) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release_[1]);
            const int fd = open(file.c_str(), type == F_WRLCK ? O_RDWR : O_RDONLY);
            struct flock lock{};
            lock.l_type = type;
            lock.l_whence = SEEK_SET;
            const char ok = (fd >= 0 && fcntl(fd, F_OFD_SETLK, &lock) == 0) ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            char c;
            (void)!read(release_[0], &c, 1); // returns when the parent lets go
            _exit(0);
        }
        close(ready[1]);
        close(release_[0]);
        char ok = '0';
        locked_ = pid_ > 0 && read(ready[0], &ok, 1) == 1 && ok == '1';
        close(ready[0]);
    }

    ~LockHolder() { Release(); }

    bool Locked() const { return locked_; }

    void Release()
    {
        if (pid_ <= 0)
            return;
        close(release_[1]);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    int release_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool locked_ = false;
};

struct LockCase {
    const char* name;
    short type;
    bool readWorks;
};

void PrintTo(const LockCase& c, std::ostream* os) { *os << c.name; }

class LockedFile : public ::testing::TestWithParam<LockCase> {};

// Nobody may replace a file another program is using; a reader is shut out
// only by a writer.
TEST_P(LockedFile, SaveFailsAndLeavesTheFileAsItWas)
{
    TempDataDir dir;
    dir.Write("Dados.txt", kOld);
    LockHolder holder(dir.Dados() / "Dados.txt", GetParam().type);
    ASSERT_TRUE(holder.Locked());

    QuickRecord record(dir.Root());
    EXPECT_EQ(record.LeArqDados(), GetParam().readWorks);
    EXPECT_FALSE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Read("Dados.txt"), kOld);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});

    // Our own failed attempts must not keep anything locked.
    holder.Release();
    EXPECT_TRUE(record.GravaArqDados(kNew));
    EXPECT_TRUE(record.LeArqDados());
    EXPECT_EQ(record.CnfWin, u"0");
}

INSTANTIATE_TEST_SUITE_P(Locks, LockedFile,
                         ::testing::Values(LockCase{"Writer", F_WRLCK, false},
                                           LockCase{"Reader", F_RDLCK, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SettingsSharing, ReadOnlyFileIsReadButNotReplaced)
{
    for (const char* name : {"Dados.txt", "DADOS.TXT"}) {
        SCOPED_TRACE(name);
        TempDataDir dir;
        dir.Write(name, kOld);
        std::filesystem::permissions(dir.Dados() / name, std::filesystem::perms::owner_read
                                         | std::filesystem::perms::group_read
                                         | std::filesystem::perms::others_read);
        QuickRecord record(dir.Root());
        EXPECT_TRUE(record.LeArqDados());
        EXPECT_EQ(record.CnfWin, u"old");
        EXPECT_FALSE(record.GravaArqDados(kNew));
        EXPECT_EQ(dir.Read(name), kOld);
        EXPECT_EQ(dir.Names(), std::set<std::string>{name});
    }
}

TEST(SettingsSharing, LeftoverTemporaryFilesAreCleanedUpButNotOneInUseNorOthersFiles)
{
    TempDataDir dir;
    dir.Write("~Dados.123.tmp", "stale");
    dir.Write("~Dados.456.tmp", "being written");
    // Names a save never makes belong to somebody else.
    dir.Write("~Dados.notes.tmp", "not ours");
    dir.Write("~Dados.12a.tmp", "not ours");
    LockHolder writer(dir.Dados() / "~Dados.456.tmp", F_WRLCK);
    ASSERT_TRUE(writer.Locked());
    SettingsRecord record(dir.Root());
    ASSERT_TRUE(record.GravaArqDados(kNew));
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"Dados.txt", "~Dados.456.tmp", "~Dados.notes.tmp",
                                                  "~Dados.12a.tmp"}));
    EXPECT_EQ(dir.Read("~Dados.notes.tmp"), "not ours");
}

// A save killed at any moment leaves either the old file or the new one,
// never a missing, empty or partial file.
TEST(SettingsSharing, KilledSaveNeverLeavesAPartialFile)
{
    TempDataDir dir;
    const Lines a = kNew;
    Lines b = kNew;
    b[1] = std::u16string(50'000, u'b'); // long enough to be caught half-written
    const std::string bytesA = BytesOf(a);
    const std::string bytesB = BytesOf(b);
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
        ASSERT_TRUE(now == bytesA || now == bytesB)
            << "after kill " << kills << ": " << now.size() << " bytes";
    }

    // The next save clears away what the killed ones left.
    SettingsRecord record(dir.Root());
    ASSERT_TRUE(record.GravaArqDados(a));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

}

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
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);   // 1 GiB of zero bytes, sparse: one huge line
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
        limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
        ::setrlimit(RLIMIT_AS, &limit);
        try {
            SettingsRecord record(dir.Root());
            _exit(record.LeArqDados() ? 1 : 0);
        } catch (...) {
            _exit(2);   // an exception here would end the program that called the read
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the reader died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the read succeeded, 2: it threw";
#endif
}
