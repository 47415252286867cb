// The data folder is shared by everyone on the machine: whatever another user
// puts in it (pipes, links, huge or special files) must give a prompt failed
// read or a failed save, never a hang, a memory blow-up, a crash or a write
// outside the folder.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DataFile.h"
#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Lines = std::array<std::u16string, 8>;

const Lines kNew = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";
const std::string kSecret = "PRIVATE-TEXT-OF-ANOTHER-USER";
constexpr uid_t kOtherUser = 65534; // nobody

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& file, const std::string& bytes, mode_t mode)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0) << file;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ASSERT_EQ(::fchmod(fd, mode), 0);
    ::close(fd);
}

mode_t ModeOf(const fs::path& file)
{
    struct stat st = {};
    return ::lstat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

long ResidentKiB()
{
    long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        long size = 0;
        if (std::fscanf(f, "%ld %ld", &size, &pages) != 2)
            pages = 0;
        std::fclose(f);
    }
    return pages * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Everything in a folder as it stands, links not followed: what a step must
// leave unchanged outside the data folder.
struct Entry
{
    mode_t mode;
    std::string content;
    std::int64_t mtime;
    bool operator==(const Entry&) const = default;
};

std::map<std::string, Entry> Snapshot(const fs::path& dir)
{
    std::map<std::string, Entry> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        struct stat st = {};
        ::lstat(e.path().c_str(), &st);
        entries[e.path().string()] = {st.st_mode, S_ISREG(st.st_mode) ? ReadAll(e.path()) : "",
                                      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000
                                          + st.st_mtim.tv_nsec};
    }
    return entries;
}

// A data root with a folder beside "Dados" that holds another user's private
// file: the target a planted link would aim at.
struct Scene
{
    TempDataDir dir;
    fs::path outside = dir.Root() / "outside";
    fs::path secret = outside / "private.txt";

    Scene()
    {
        fs::create_directory(outside);
        WriteFile(secret, kSecret + "\r\n", 0600);
        if (::geteuid() == 0)
            (void)!::chown(secret.c_str(), kOtherUser, kOtherUser);
    }

    // True when no file in "Dados" carries anything of the private file.
    bool DadosHoldsNoSecret() const
    {
        for (const auto& e : fs::directory_iterator(dir.Dados())) {
            struct stat st = {};
            if (::lstat(e.path().c_str(), &st) == 0 && S_ISREG(st.st_mode)
                && ReadAll(e.path()).find(kSecret) != std::string::npos)
                return false;
        }
        return true;
    }
};

struct Outcome
{
    bool finished = false; // neither hung (the watchdog) nor crashed
    SettingsFailure read = SettingsFailure::None;
    SettingsFailure saved = SettingsFailure::None;
    long addedKiB = 0; // peak resident size above the process it started from
};

// One read and one save in a child process, as the window does them: a
// watchdog catches a hang, the child's peak resident size the memory.
Outcome ReadAndSave(const fs::path& root)
{
    const long before = ResidentKiB();
    int kinds[2];
    if (::pipe(kinds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(kinds[0]);
        ::alarm(20);
        try {
            QuickRecord record(root);
            const unsigned char result[2] = {static_cast<unsigned char>(record.LeArqDados().failure),
                                             static_cast<unsigned char>(record.GravaArqDados(kNew).failure)};
            _exit(::write(kinds[1], result, 2) == 2 ? 0 : 101);
        } catch (...) {
            _exit(100);
        }
    }
    ::close(kinds[1]);
    Outcome outcome;
    unsigned char result[2] = {};
    const bool told = child > 0 && ::read(kinds[0], result, 2) == 2;
    ::close(kinds[0]);
    if (child < 0)
        return outcome;
    int status = 0;
    struct rusage usage = {};
    if (::wait4(child, &status, 0, &usage) != child)
        return outcome;
    outcome.finished = told && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.read = static_cast<SettingsFailure>(result[0]);
    outcome.saved = static_cast<SettingsFailure>(result[1]);
    outcome.addedKiB = usage.ru_maxrss - before;
    return outcome;
}

struct OddObject
{
    const char* name;
    // Puts the object into the scene; false when this machine cannot make it.
    bool (*make)(const Scene&);
    SettingsFailure read; // None: the read works
    SettingsFailure save;
};

void PrintTo(const OddObject& c, std::ostream* os)
{
    *os << c.name;
}

constexpr SettingsFailure kOk = SettingsFailure::None;
// Whatever it is, a link, a pipe, a folder or a device, it is named as not a plain file.
constexpr SettingsFailure kPlain = SettingsFailure::NotAPlainFile;

const OddObject kOddObjects[] = {
    {"Fifo", [](const Scene& s) { return ::mkfifo((s.dir.Dados() / "Dados.txt").c_str(), 0666) == 0; }, kPlain, kPlain},
    {"FifoUnderTheReminderName",
     [](const Scene& s) { return ::mkfifo((s.dir.Dados() / "Dados.TXT").c_str(), 0666) == 0; }, kPlain, kPlain},
    {"LinkToDevZero", [](const Scene& s) { return ::symlink("/dev/zero", (s.dir.Dados() / "Dados.txt").c_str()) == 0; },
     kPlain, kPlain},
    {"Sparse3GiB",
     [](const Scene& s) {
         const int fd = ::open((s.dir.Dados() / "Dados.txt").c_str(), O_CREAT | O_WRONLY, 0644);
         const bool ok = fd >= 0 && ::ftruncate(fd, off_t{3} << 30) == 0;
         ::close(fd);
         return ok;
     },
     SettingsFailure::TooLarge, kOk},
    {"Directory", [](const Scene& s) { return fs::create_directory(s.dir.Dados() / "Dados.txt"); }, kPlain, kPlain},
    {"Device",
     [](const Scene& s) {
         return ::mknod((s.dir.Dados() / "Dados.txt").c_str(), S_IFCHR | 0666, ::makedev(1, 5)) == 0; // /dev/zero
     },
     kPlain, kPlain},
    {"DanglingLink",
     [](const Scene& s) {
         return ::symlink((s.outside / "made-by-a-save").c_str(), (s.dir.Dados() / "Dados.txt").c_str()) == 0;
     },
     kPlain, kPlain},
    {"LinkToAnotherUsersFile",
     [](const Scene& s) { return ::symlink(s.secret.c_str(), (s.dir.Dados() / "Dados.TXT").c_str()) == 0; }, kPlain,
     kPlain},
    // A second name for the private file is no symbolic link, but reading it
    // would still disclose it; the save only replaces the name.
    {"HardLinkToAnotherUsersFile",
     [](const Scene& s) { return ::link(s.secret.c_str(), (s.dir.Dados() / "Dados.txt").c_str()) == 0; },
     SettingsFailure::OtherNames, kOk},
    {"PlantedTemporaryLink",
     [](const Scene& s) {
         s.dir.Write("Dados.txt", kOld);
         return ::symlink(s.secret.c_str(), (s.dir.Dados() / "~Dados.1.tmp").c_str()) == 0;
     },
     kOk, kOk},
    {"SetuidFile",
     [](const Scene& s) {
         s.dir.Write("Dados.txt", kOld);
         return ::chmod((s.dir.Dados() / "Dados.txt").c_str(), 04777) == 0;
     },
     kOk, kOk},
};

class OddObjectInDados : public ::testing::TestWithParam<OddObject>
{};

TEST_P(OddObjectInDados, GivesAPromptFailureOrAPlainFileAndTouchesNothingOutside)
{
    Scene scene;
    if (!GetParam().make(scene))
        GTEST_SKIP() << "cannot make this object here (mknod needs root)";
    const auto outsideBefore = Snapshot(scene.outside);

    const Outcome outcome = ReadAndSave(scene.dir.Root());
    ASSERT_TRUE(outcome.finished) << "the read and save hung, crashed or threw";
    EXPECT_EQ(outcome.read, GetParam().read);
    EXPECT_EQ(outcome.saved, GetParam().save);
    // A 16 MiB read at the most, held as UTF-16, and the rest is small.
    EXPECT_LT(outcome.addedKiB, 64 * 1024) << "KiB added to the resident size";

    EXPECT_EQ(Snapshot(scene.outside), outsideBefore);
    EXPECT_TRUE(scene.DadosHoldsNoSecret());
    if (outcome.saved == SettingsFailure::None) {
        // What a save leaves is a plain file, readable by all, never special.
        EXPECT_EQ(scene.dir.Read("Dados.txt"), BytesOf(kNew));
        EXPECT_EQ(ModeOf(scene.dir.Dados() / "Dados.txt"), 0664u);
    }
}

INSTANTIATE_TEST_SUITE_P(Objects, OddObjectInDados, ::testing::ValuesIn(kOddObjects),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SettingsReadLimit, AFileThatGrowsPastTheLimitWhileReadFails)
{
    TempDataDir dir;
    const fs::path file = dir.Dados() / "Dados.txt";
    dir.Write("Dados.txt", std::string(DataFile::kMaxReadBytes - 10, 'x'));
    DataFile data;
    ASSERT_TRUE(data.OpenForReading(file));
    EXPECT_EQ(data.Size(), DataFile::kMaxReadBytes - 10);
    {
        std::ofstream grow(file, std::ios::binary | std::ios::app);
        grow << std::string(100, 'y');
    }
    std::vector<char> buffer(1 << 20);
    std::size_t got = 0;
    std::uint64_t total = 0;
    SettingsResult read;
    while ((read = data.Read(buffer, got)) && got > 0)
        total += got;
    EXPECT_EQ(read.failure, SettingsFailure::TooLarge) << total << " bytes read";
    EXPECT_LE(total, DataFile::kMaxReadBytes);
}

// Whatever the umask and whatever the file replaced was, the new file can be
// read by every user and replaced by every member of the folder's group.
TEST(SettingsSave, NewFileIsAlwaysReadableByAllAndWritableByTheGroup)
{
    struct Case
    {
        const char* name;
        mode_t umask;
        mode_t oldMode; // 0: no file before
    };
    for (const Case c : {Case{"no file before", 022, 0}, Case{"private file, strict umask", 077, 0600},
                         Case{"world-writable file", 0, 0666}, Case{"setuid and sticky", 022, 07755}}) {
        SCOPED_TRACE(c.name);
        TempDataDir dir;
        if (c.oldMode != 0)
            WriteFile(dir.Dados() / "Dados.txt", kOld, c.oldMode);
        const mode_t saved = ::umask(c.umask);
        SettingsRecord record(dir.Root());
        const bool ok = static_cast<bool>(record.GravaArqDados(kNew));
        ::umask(saved);
        ASSERT_TRUE(ok);
        EXPECT_EQ(ModeOf(dir.Dados() / "Dados.txt"), 0664u);
    }
}

// A save that runs out of memory (a huge line 2) fails like any other failed
// save: false, and the old file as it was.
TEST(SettingsSave, RunningOutOfMemoryIsAFailedSaveNotACrash)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit an address-space limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit an address-space limit";
#endif
#endif
    TempDataDir dir;
    dir.Write("Dados.txt", kOld);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Lines lines = kNew;
        lines[1].assign(std::size_t{128} << 20, u'x'); // 256 MiB as UTF-16, 128 MiB as bytes
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        long pages = 0;
        if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(f);
        }
        limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{64} << 20);
        ::setrlimit(RLIMIT_AS, &limit);
        try {
            QuickRecord record(dir.Root());
            _exit(record.GravaArqDados(lines) ? 1 : 0);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the save died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save succeeded, 2: it threw";
    EXPECT_EQ(dir.Read("Dados.txt"), kOld);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

} // namespace
