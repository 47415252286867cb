// The data folder as installed: root's, group-owned by the group whose
// members may change the schedule, mode 2775. These tests create a group and
// real users for it, so they run only as root and skip otherwise.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Lines = std::array<std::u16string, 8>;

const Lines kByA = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const Lines kByB = {u"0", u"0", u"08:00", u"13:00", u"16:00", u"00:00", u"00:00", u"00:00"};
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";
const std::string kSecret = "PRIVATE-TEXT-OF-THE-VICTIM";

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool RunCommand(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

struct User
{
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Makes this (child) process `user`, with the user's groups.
bool Become(const User& user)
{
    int count = 32;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    return ::getgrouplist(user.name.c_str(), user.gid, groups.data(), &count) >= 0
           && ::setgroups(static_cast<std::size_t>(count), groups.data()) == 0 && ::setgid(user.gid) == 0
           && ::setuid(user.uid) == 0;
}

// Runs `work` in a child process that has become `user` (with its groups)
// and returns its exit status, or -1 when it did not exit normally.
int RunAs(const User& user, const std::function<int()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (!Become(user))
            _exit(99);
        ::umask(022);
        try {
            _exit(work());
        } catch (...) {
            _exit(98);
        }
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Starts `work` in a child process that has become `user`; it runs until
// `stop` becomes readable. Returns the child and the write end of `stop`,
// after `work` has said through `ready` that it is in place.
struct Background
{
    pid_t pid = -1;
    int stop = -1;

    // Lets the child go and returns its exit status, or -1.
    int Finish()
    {
        if (pid <= 0)
            return -1;
        ::close(stop);
        int status = 0;
        const bool done = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status);
        pid = -1;
        return done ? WEXITSTATUS(status) : -1;
    }
    ~Background() { Finish(); }
};

void StartAs(Background& bg, const User& user, const std::function<int(int ready, int stop)>& work)
{
    int ready[2];
    int stop[2];
    if (::pipe(ready) != 0 || ::pipe(stop) != 0)
        return;
    bg.pid = ::fork();
    if (bg.pid == 0) {
        ::close(ready[0]);
        ::close(stop[1]);
        if (!Become(user))
            _exit(99);
        _exit(work(ready[1], stop[0]));
    }
    ::close(ready[1]);
    ::close(stop[0]);
    bg.stop = stop[1];
    char c = 0;
    (void)!::read(ready[0], &c, 1); // the child says it is in place, or dies
    ::close(ready[0]);
}

void SayReady(int ready)
{
    (void)!::write(ready, "1", 1);
    ::close(ready);
}

void WaitForStop(int stop)
{
    char c = 0;
    (void)!::read(stop, &c, 1);
}

int Save(const fs::path& root, const Lines& lines)
{
    QuickRecord record(root);
    return record.GravaArqDados(lines) ? 0 : 1;
}

class SharedDataFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "SKIPPED: these tests create a group and users, which needs root";
        const std::string tag = "qv" + std::to_string(::getpid());
        group_ = tag + "g";
        ASSERT_TRUE(RunCommand("groupadd --system " + group_)) << "groupadd " << group_;
        groupMade_ = true;
        memberA_ = AddUser(tag + "a", true);
        memberB_ = AddUser(tag + "b", true);
        outsider_ = AddUser(tag + "x", false);
        const struct group* g = ::getgrnam(group_.c_str());
        ASSERT_NE(g, nullptr);

        // As installed: the root and its parents passable by all, "Dados"
        // root's and the group's, setgid so new files keep the group.
        for (fs::path p = dir_.Root(); p != p.root_path(); p = p.parent_path()) {
            struct stat st = {};
            if (::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IXOTH) == 0)
                ::chmod(p.c_str(), (st.st_mode & 07777) | 0755);
        }
        ASSERT_EQ(::chown(dir_.Dados().c_str(), 0, g->gr_gid), 0);
        ASSERT_EQ(::chmod(dir_.Dados().c_str(), 02775), 0);
        groupId_ = g->gr_gid;
    }

    void TearDown() override
    {
        for (const auto& name : made_)
            RunCommand("userdel " + name);
        if (groupMade_)
            RunCommand("groupdel " + group_);
    }

    User AddUser(const std::string& name, bool member)
    {
        std::string command = "useradd --system --no-create-home --shell /usr/sbin/nologin --gid nogroup ";
        if (member)
            command += "--groups " + group_ + " ";
        if (!RunCommand(command + name)) {
            ADD_FAILURE() << "useradd " << name;
            return {};
        }
        made_.push_back(name);
        const struct passwd* pw = ::getpwnam(name.c_str());
        if (!pw) {
            ADD_FAILURE() << "no passwd entry for " << name;
            return {};
        }
        return {name, pw->pw_uid, pw->pw_gid};
    }

    struct stat StatOf(const std::string& name) const
    {
        struct stat st = {};
        ::lstat((dir_.Dados() / name).c_str(), &st);
        return st;
    }

    TempDataDir dir_;
    std::string group_;
    gid_t groupId_ = 0;
    bool groupMade_ = false;
    std::vector<std::string> made_;
    User memberA_, memberB_, outsider_;
};

TEST_F(SharedDataFolder, MembersReplaceEachOthersSaves)
{
    const fs::path root = dir_.Root();
    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);
    EXPECT_EQ(StatOf("Dados.txt").st_uid, memberA_.uid);

    ASSERT_EQ(RunAs(memberB_, [&] { return Save(root, kByB); }), 0) << "B could not replace A's file";
    EXPECT_EQ(dir_.Read("Dados.txt"), BytesOf(kByB));
    const struct stat st = StatOf("Dados.txt");
    EXPECT_EQ(st.st_uid, memberB_.uid);
    EXPECT_EQ(st.st_gid, groupId_);
    EXPECT_EQ(st.st_mode & 07777, 0664u);

    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0) << "A could not replace B's file";
    EXPECT_EQ(dir_.Read("Dados.txt"), BytesOf(kByA));
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"Dados.txt"});
}

TEST_F(SharedDataFolder, OutsiderReadsButCannotSave)
{
    const fs::path root = dir_.Root();
    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);

    // The reminder runs as anyone and must read the file.
    EXPECT_EQ(RunAs(outsider_, [&] { return SettingsRecord(root).LeArqDados() ? 0 : 1; }), 0);
    EXPECT_EQ(RunAs(outsider_, [&] { return Save(root, kByB); }), 1);
    EXPECT_EQ(dir_.Read("Dados.txt"), BytesOf(kByA));
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"Dados.txt"});
}

// The refusal an outsider meets names the file, the system's reason and
// the group to join; a member whose folder has lost its group's write
// permission is told so instead.
TEST_F(SharedDataFolder, ARefusedSaveNamesTheGroupThatMaySave)
{
    const fs::path root = dir_.Root();
    const std::string file = (dir_.Dados() / "Dados.txt").string();
    const std::string folder = dir_.Dados().string();
    struct Case
    {
        const char* who;
        const User* user;
        mode_t folderMode;
        std::string expected;
    };
    const Case cases[] = {
        {"outsider", &outsider_, 02775,
         "cannot save " + file
             + ": creating the new file failed: Permission denied; this user is not a member of the group " + group_
             + " that may change " + folder},
        {"member, folder closed to the group", &memberA_, 02755,
         "cannot save " + file + ": creating the new file failed: Permission denied; the folder " + folder
             + " does not let its group " + group_ + " change it (chmod g+w)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        ASSERT_EQ(::chmod(dir_.Dados().c_str(), c.folderMode), 0);
        int told[2];
        ASSERT_EQ(::pipe(told), 0);
        const int status = RunAs(*c.user, [&] {
            ::close(told[0]);
            QuickRecord record(root);
            const SettingsResult saved = record.GravaArqDados(kByA);
            if (saved.failure != SettingsFailure::NotPermitted)
                return 1 + static_cast<int>(saved.failure);
            const std::string line = DescribeFailure(saved, SettingsOperation::Save);
            return ::write(told[1], line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? 0 : 50;
        });
        ::close(told[1]);
        std::string line;
        char buffer[512];
        for (ssize_t n; (n = ::read(told[0], buffer, sizeof buffer)) > 0;)
            line.append(buffer, static_cast<std::size_t>(n));
        ::close(told[0]);
        EXPECT_EQ(status, 0) << "1 + the failure kind met instead of NotPermitted";
        EXPECT_EQ(line, c.expected);
        EXPECT_TRUE(dir_.Names().empty());
    }
}

TEST_F(SharedDataFolder, OutsiderCannotPutAnythingInTheFolder)
{
    const fs::path dados = dir_.Dados();
    auto plant = [&] {
        int made = 0;
        const int fd = ::open((dados / "Dados.txt").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        made += fd >= 0;
        made += ::symlink("/etc/shadow", (dados / "Dados.TXT").c_str()) == 0;
        made += ::mkfifo((dados / "dados.txt").c_str(), 0666) == 0;
        made += ::mkdir((dados / "~Dados.1.tmp").c_str(), 0777) == 0;
        return made;
    };
    EXPECT_EQ(RunAs(outsider_, plant), 0);
    EXPECT_TRUE(dir_.Names().empty());
    // The same steps work for a member: the check above can fail.
    EXPECT_EQ(RunAs(memberA_, plant), 4);
}

// Someone (a member gone rogue, or anyone under the old world-writable
// folder) has planted a world-writable "Dados.txt" and a link "Dados.TXT" to
// the victim's private file. Whoever saves, nothing of that file may reach
// the folder, and the planter gets no file of the victim's.
TEST_F(SharedDataFolder, PlantedLinkDisclosesNothing)
{
    const fs::path root = dir_.Root();
    const fs::path privateDir = root / "home";
    const fs::path secret = privateDir / "private.txt";
    fs::create_directory(privateDir);
    {
        std::ofstream(secret, std::ios::binary) << kSecret << "\r\n";
    }
    ASSERT_EQ(::chown(secret.c_str(), memberA_.uid, memberA_.gid), 0);
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);

    struct Victim
    {
        const char* who;
        User user;
    };
    // Where fs.protected_hardlinks is off (or was when the link was made) a
    // member can give the private file a second name in the folder: made
    // here by root, who may do so anyway.
    for (const bool hardLink : {false, true})
        for (const Victim& victim : {Victim{"member", memberA_}, Victim{"root", User{"root", 0, 0}}}) {
            SCOPED_TRACE(victim.who);
            SCOPED_TRACE(hardLink ? "hard link as the settings file" : "symbolic link beside a planted file");
            for (const auto& e : fs::directory_iterator(dir_.Dados()))
                fs::remove(e.path());
            if (hardLink) {
                ASSERT_EQ(::link(secret.c_str(), (dir_.Dados() / "Dados.txt").c_str()), 0);
            } else {
                dir_.Write("Dados.txt", kOld);
                ASSERT_EQ(::chown((dir_.Dados() / "Dados.txt").c_str(), memberB_.uid, groupId_), 0);
                ASSERT_EQ(::chmod((dir_.Dados() / "Dados.txt").c_str(), 0666), 0);
                ASSERT_EQ(::symlink(secret.c_str(), (dir_.Dados() / "Dados.TXT").c_str()), 0);
            }

            auto readAndSave = [&] {
                QuickRecord record(root);
                record.LeArqDados();
                Lines lines = kByA;
                lines[1] = record.CnfWin; // as the window does
                return record.GravaArqDados(lines) ? 0 : 1;
            };
            if (hardLink) {
                auto read = [&] { return SettingsRecord(root).LeArqDados() ? 0 : 1; };
                EXPECT_EQ(victim.user.uid == 0 ? read() : RunAs(victim.user, read), 1)
                    << "a file with two names was read";
            }
            const int saved = victim.user.uid == 0 ? (readAndSave() == 0 ? 0 : 1) : RunAs(victim.user, readAndSave);
            ASSERT_GE(saved, 0);

            for (const auto& e : fs::directory_iterator(dir_.Dados())) {
                struct stat st = {};
                ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
                if (!S_ISREG(st.st_mode))
                    continue;
                EXPECT_EQ(ReadAll(e.path()).find(kSecret), std::string::npos) << e.path();
                if (saved == 0 && e.path().filename() == "Dados.txt") {
                    EXPECT_EQ(st.st_uid, victim.user.uid) << "the new file went to another owner";
                    EXPECT_EQ(st.st_mode & 07777, 0664u);
                }
            }
            EXPECT_EQ(ReadAll(secret), kSecret + "\r\n");
        }
}

// Anybody may read the file, and so lock it for reading: that must not keep
// the members from saving. A rename leaves the reader on the old file.
TEST_F(SharedDataFolder, AnOutsidersReadLockDoesNotStopASave)
{
    const fs::path root = dir_.Root();
    const fs::path file = dir_.Dados() / "Dados.txt";
    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);

    struct Lock
    {
        const char* name;
        int command;
    };
    for (const Lock lock : {Lock{"open file description", F_OFD_SETLK}, Lock{"classic", F_SETLK}}) {
        SCOPED_TRACE(lock.name);
        Background outsider;
        StartAs(outsider, outsider_, [&](int ready, int stop) {
            const int fd = ::open(file.c_str(), O_RDONLY);
            struct flock fl = {};
            fl.l_type = F_RDLCK;
            fl.l_whence = SEEK_SET;
            if (fd < 0 || ::fcntl(fd, lock.command, &fl) != 0)
                return 1;
            SayReady(ready);
            WaitForStop(stop);
            return 0;
        });
        ASSERT_EQ(RunAs(memberB_, [&] { return Save(root, kByB); }), 0) << "the outsider's lock stopped the save";
        EXPECT_EQ(dir_.Read("Dados.txt"), BytesOf(kByB));
        EXPECT_EQ(outsider.Finish(), 0) << "the outsider never held the lock";
        ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);
    }
}

// A member who watches the folder can swap, write into or link over the
// temporary file between its creation and the rename. A save may then fail,
// but it never confirms a file it did not write.
TEST_F(SharedDataFolder, ARacingMemberNeverGetsHisContentConfirmed)
{
    const fs::path root = dir_.Root();
    const fs::path dados = dir_.Dados();
    Background racer;
    StartAs(racer, memberB_, [&](int ready, int stop) {
        const int in = ::inotify_init1(IN_CLOEXEC);
        if (in < 0 || ::inotify_add_watch(in, dados.c_str(), IN_CREATE) < 0)
            return 1;
        SayReady(ready);
        const std::string evil = "EVIL\r\n";
        int attacks = 0;
        alignas(struct inotify_event) char buffer[4096];
        for (;;) {
            pollfd fds[2] = {{in, POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || (fds[1].revents != 0))
                break;
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const struct inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
                const std::string name = e->len ? e->name : "";
                if (name.rfind("~Dados.", 0) != 0)
                    continue;
                const fs::path temp = dados / name;
                const fs::path mine = dados / ("evil" + std::to_string(attacks));
                switch (attacks++ % 3) {
                case 0: { // replace it by a file of his
                    const int fd = ::open(mine.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                    (void)!::write(fd, evil.data(), evil.size());
                    ::close(fd);
                    ::rename(mine.c_str(), temp.c_str());
                    break;
                }
                case 1: { // write into it
                    const int fd = ::open(temp.c_str(), O_WRONLY | O_TRUNC);
                    (void)!::write(fd, evil.data(), evil.size());
                    ::close(fd);
                    break;
                }
                default: { // put a link of his own file under its name
                    const int fd = ::open(mine.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                    (void)!::write(fd, evil.data(), evil.size());
                    ::close(fd);
                    ::unlink(temp.c_str());
                    (void)!::link(mine.c_str(), temp.c_str());
                    ::unlink(mine.c_str());
                    break;
                }
                }
                ::unlink(mine.c_str());
            }
        }
        return attacks > 0 ? 0 : 2;
    });

    constexpr int kSaves = 300;
    const int falseConfirmations = RunAs(memberA_, [&] {
        int wrong = 0;
        for (int i = 0; i < kSaves; ++i) {
            Lines lines = kByA;
            lines[2] = std::u16string(u"0") + static_cast<char16_t>(u'0' + i % 10) + u":00";
            QuickRecord record(root);
            if (!record.GravaArqDados(lines))
                continue;
            struct stat st = {};
            const std::string now = ReadAll(dados / "Dados.txt");
            if (now != BytesOf(lines) || ::lstat((dados / "Dados.txt").c_str(), &st) != 0 || st.st_uid != ::getuid())
                ++wrong;
        }
        return wrong > 200 ? 200 : wrong;
    });
    EXPECT_EQ(racer.Finish(), 0) << "the racer never attacked";
    EXPECT_EQ(falseConfirmations, 0) << "saves confirmed with content the tool did not write";
}

// A second member renames a file of his own over the name at each point a
// save passes after its move, told by the store itself when it is there.
// Every such save must say "not saved", never confirm his content as ours.
TEST_F(SharedDataFolder, ARenameOverTheNameAtAnyPointOfTheSaveIsNeverConfirmed)
{
    const fs::path root = dir_.Root();
    const fs::path dados = dir_.Dados();
    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);

    int go[2];
    int done[2];
    int report[2];
    ASSERT_EQ(::pipe(go), 0);
    ASSERT_EQ(::pipe(done), 0);
    ASSERT_EQ(::pipe(report), 0);
    Background rival;
    StartAs(rival, memberB_, [&](int ready, int stop) {
        ::close(go[1]);
        ::close(done[0]);
        SayReady(ready);
        const std::string evil = "EVIL\r\n";
        int renamed = 0;
        for (;;) {
            pollfd fds[2] = {{go[0], POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0)
                break;
            char c = 0;
            if (::read(go[0], &c, 1) != 1)
                break;
            const fs::path mine = dados / ("evil" + std::to_string(renamed));
            const int fd = ::open(mine.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0664);
            const bool written = fd >= 0 && ::write(fd, evil.data(), evil.size()) == static_cast<ssize_t>(evil.size());
            if (fd >= 0)
                ::close(fd);
            const char ok = written && ::rename(mine.c_str(), (dados / "Dados.txt").c_str()) == 0 ? '1' : '0';
            renamed += ok == '1';
            if (::write(done[1], &ok, 1) != 1)
                break;
        }
        return renamed > 0 ? 0 : 2;
    });
    ::close(go[0]);
    ::close(done[1]);

    // The member's save, with the rival's rename at `at`.
    class Raced : public QuickRecord
    {
    public:
        Raced(const fs::path& root, int go, int done) : QuickRecord(root), go_(go), done_(done) {}
        DataFile::MovePoint at = DataFile::MovePoint::Exchanged;
        bool renamed = false;

    protected:
        void MovePointPassed(DataFile::MovePoint point) override
        {
            if (point != at)
                return;
            char c = 'g';
            renamed = ::write(go_, &c, 1) == 1 && ::read(done_, &c, 1) == 1 && c == '1';
        }

    private:
        int go_;
        int done_;
    };
    constexpr int kSaves = 300;
    const DataFile::MovePoint points[] = {DataFile::MovePoint::Exchanged, DataFile::MovePoint::ModeChanged,
                                          DataFile::MovePoint::FolderFlushed, DataFile::MovePoint::OldRemoved};
    const int status = RunAs(memberA_, [&] {
        ::close(report[0]);
        // Per point: renames made, saves confirmed, confirmations of a file
        // not ours, refusals as changed meanwhile whose line says so.
        int counts[4][4] = {};
        for (int i = 0; i < kSaves; ++i) {
            const int p = i % 4;
            Raced record(root, go[1], done[0]);
            record.at = points[p];
            Lines lines = kByA;
            lines[2] = std::u16string(u"0") + static_cast<char16_t>(u'0' + i % 10) + u":00";
            const SettingsResult saved = record.GravaArqDados(lines);
            counts[p][0] += record.renamed;
            if (saved) {
                ++counts[p][1];
                struct stat st = {};
                if (ReadAll(dados / "Dados.txt") != BytesOf(lines) || ::lstat((dados / "Dados.txt").c_str(), &st) != 0
                    || st.st_uid != ::getuid())
                    ++counts[p][2];
            } else if (saved.failure == SettingsFailure::ChangedMeanwhile
                       && DescribeFailure(saved, SettingsOperation::Save).find("changed by someone else meanwhile")
                              != std::string::npos) {
                ++counts[p][3];
            }
        }
        std::string text;
        for (const auto& c : counts)
            text += std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) + " "
                    + std::to_string(c[3]) + "\n";
        return ::write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1;
    });
    ::close(report[1]);
    ::close(go[1]);
    ::close(done[0]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(report[0]);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(rival.Finish(), 0) << "the rival never renamed";

    const char* names[] = {"after the exchange", "after the mode change", "after the folder flush",
                           "after the old file's removal"};
    std::istringstream in(text);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        int renames = -1, confirmed = -1, wrong = -1, refused = -1;
        in >> renames >> confirmed >> wrong >> refused;
        EXPECT_EQ(renames, kSaves / 4) << "the rival did not rename at every save";
        EXPECT_EQ(wrong, 0) << "saves confirmed with the rival's content";
        EXPECT_EQ(confirmed, 0);
        EXPECT_EQ(refused, kSaves / 4) << "not every save was refused as changed by someone else meanwhile";
    }
    // The rival's file is what the name holds; nothing of the saves is left.
    EXPECT_EQ(dir_.Read("Dados.txt"), "EVIL\r\n");
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"Dados.txt"});
}

// The same rival as a real racing process: he watches the folder and, when
// the exchange of names puts the new file under the name (IN_MOVED_TO
// Dados.txt), renames a file of his own over it, landing at whatever step
// the save has reached. The save only waits, just before its last look,
// for his rename to be done; it must then never be confirmed. (Each
// attempt of a save is raced: a failed one is tried again.)
TEST_F(SharedDataFolder, ARacingRenameAfterTheExchangeIsNeverConfirmed)
{
    const fs::path root = dir_.Root();
    const fs::path dados = dir_.Dados();
    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);

    int arm[2];
    int told[2];
    ASSERT_EQ(::pipe(arm), 0);
    ASSERT_EQ(::pipe(told), 0);
    Background racer;
    StartAs(racer, memberB_, [&](int ready, int stop) {
        ::close(arm[1]);
        ::close(told[0]);
        const int in = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (in < 0 || ::inotify_add_watch(in, dados.c_str(), IN_MOVED_TO) < 0)
            return 1;
        SayReady(ready);
        const std::string evil = "EVIL\r\n";
        alignas(struct inotify_event) char buffer[4096];
        bool armed = false;
        int renamed = 0;
        for (;;) {
            pollfd fds[3] = {{in, POLLIN, 0}, {arm[0], POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(fds, 3, -1) < 0 || fds[2].revents != 0)
                break;
            if (fds[1].revents != 0) {
                char c = 0;
                if (::read(arm[0], &c, 1) != 1)
                    break;
                while (::read(in, buffer, sizeof buffer) > 0) {
                } // what earlier saves left is no cue
                armed = true;
                c = 'a';
                if (::write(told[1], &c, 1) != 1)
                    break;
                continue;
            }
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            bool cue = false;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const struct inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
                cue = cue || (e->len && std::string(e->name) == "Dados.txt");
            }
            if (!armed || !cue)
                continue;
            armed = false;
            const fs::path mine = dados / ("evil" + std::to_string(renamed));
            const int fd = ::open(mine.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0664);
            const bool written = fd >= 0 && ::write(fd, evil.data(), evil.size()) == static_cast<ssize_t>(evil.size());
            if (fd >= 0)
                ::close(fd);
            const char ok = written && ::rename(mine.c_str(), (dados / "Dados.txt").c_str()) == 0 ? 'r' : 'x';
            renamed += ok == 'r';
            if (::write(told[1], &ok, 1) != 1)
                break;
        }
        return renamed > 0 ? 0 : 2;
    });
    ::close(arm[0]);
    ::close(told[1]);

    // Waits at most 10 s for the racer's word; 0 when none came.
    auto hear = [&] {
        pollfd p{told[0], POLLIN, 0};
        char c = 0;
        return ::poll(&p, 1, 10'000) == 1 && ::read(told[0], &c, 1) == 1 ? c : '\0';
    };
    // Arms the racer before each attempt of a save (a failed attempt is
    // tried again) and, just before the last look, waits for his rename.
    class WaitsBeforeTheLastLook : public QuickRecord
    {
    public:
        WaitsBeforeTheLastLook(const fs::path& root, int arm, std::function<char()> hear)
            : QuickRecord(root), arm_(arm), hear_(std::move(hear))
        {
        }
        int renames = 0;
        bool armed = true;

        bool Arm()
        {
            Settle();
            const char a = 'a';
            armed = ::write(arm_, &a, 1) == 1 && hear_() == 'a';
            owed_ = armed;
            return armed;
        }
        void Settle()
        {
            if (owed_)
                renames += hear_() == 'r';
            owed_ = false;
        }

    protected:
        void PauseBeforeRetry(int) override { Arm(); }
        void MovePointPassed(DataFile::MovePoint point) override
        {
            if (point == DataFile::MovePoint::OldRemoved)
                Settle();
        }

    private:
        int arm_;
        std::function<char()> hear_;
        bool owed_ = false;
    };
    constexpr int kSaves = 300;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const int status = RunAs(memberA_, [&] {
        ::close(report[0]);
        int renames = 0, confirmed = 0, wrong = 0, refused = 0;
        for (int i = 0; i < kSaves; ++i) {
            WaitsBeforeTheLastLook record(root, arm[1], hear);
            if (!record.Arm())
                return 3;
            Lines lines = kByA;
            lines[2] = std::u16string(u"0") + static_cast<char16_t>(u'0' + i % 10) + u":00";
            const SettingsResult saved = record.GravaArqDados(lines);
            record.Settle();
            if (!record.armed)
                return 3;
            renames += record.renames;
            if (saved) {
                ++confirmed;
                if (ReadAll(dados / "Dados.txt") != BytesOf(lines))
                    ++wrong;
            } else if (saved.failure == SettingsFailure::ChangedMeanwhile) {
                ++refused;
            }
        }
        const std::string text = std::to_string(renames) + " " + std::to_string(confirmed) + " " + std::to_string(wrong)
                                 + " " + std::to_string(refused);
        return ::write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1;
    });
    ::close(report[1]);
    ::close(arm[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(report[0]);
    ::close(told[0]);
    EXPECT_EQ(status, 0) << "3: the racer did not take up the watch";
    EXPECT_EQ(racer.Finish(), 0) << "the racer never renamed";
    int renames = -1, confirmed = -1, wrong = -1, refused = -1;
    std::istringstream(text) >> renames >> confirmed >> wrong >> refused;
    EXPECT_EQ(renames, kSaves * SettingsRecord::kWriteAttempts) << "the racer missed attempts";
    EXPECT_EQ(wrong, 0) << "saves confirmed with the racer's content";
    EXPECT_EQ(confirmed, 0);
    EXPECT_EQ(refused, kSaves);
}

// Sets fs.protected_hardlinks for the life of the object and puts the old
// value back.
class HardlinkProtection
{
public:
    explicit HardlinkProtection(const char* value)
    {
        std::ifstream in(kSetting);
        std::getline(in, old_);
        set_ = !old_.empty() && Write(value);
    }
    ~HardlinkProtection()
    {
        if (set_)
            Write(old_);
    }
    HardlinkProtection(const HardlinkProtection&) = delete;
    HardlinkProtection& operator=(const HardlinkProtection&) = delete;
    bool Set() const { return set_; }

private:
    static constexpr const char* kSetting = "/proc/sys/fs/protected_hardlinks";
    static bool Write(const std::string& value)
    {
        std::ofstream out(kSetting);
        out << value << "\n";
        out.flush();
        return static_cast<bool>(out);
    }
    std::string old_;
    bool set_ = false;
};

// Where the kernel lets anybody link a file he may only read, an outsider
// links the settings file into his own folder. That file is never read (it
// could as well be anybody's private file), but the next save replaces it:
// the outsider's name keeps the old content, and he cannot stop the saves.
TEST_F(SharedDataFolder, AnOutsidersHardLinkDoesNotStopASave)
{
    const fs::path root = dir_.Root();
    const fs::path dados = dir_.Dados();
    const fs::path home = root / "outsider";
    fs::create_directory(home);
    ASSERT_EQ(::chown(home.c_str(), outsider_.uid, outsider_.gid), 0);
    ASSERT_EQ(::chmod(home.c_str(), 0700), 0);
    ASSERT_EQ(RunAs(memberA_, [&] { return Save(root, kByA); }), 0);

    const Lines saves[] = {kByB, kByA};
    const std::string before[] = {BytesOf(kByA), BytesOf(kByB)};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first link" : "a link to the file the first save made");
        const fs::path link = home / ("x" + std::to_string(round));
        {
            const HardlinkProtection off("0");
            if (!off.Set())
                GTEST_SKIP() << "SKIPPED: fs.protected_hardlinks cannot be set here";
            ASSERT_EQ(
                RunAs(outsider_, [&] { return ::link((dados / "Dados.txt").c_str(), link.c_str()) == 0 ? 0 : 1; }), 0)
                << "the outsider could not link the file";
        }
        const int status = RunAs(memberB_, [&] {
            QuickRecord record(root);
            const SettingsResult read = record.LeArqDados();
            if (read || read.failure != SettingsFailure::OtherNames)
                return 1; // the file with two names was read
            // Nothing of the file reached the fields: they hold the defaults.
            if (record.CnfApr != u"0" || record.CnfWin != u"0" || record.HS1 != u"00:00" || !record.HS3.empty())
                return 2;
            std::array<SettingsRecord::SlotTime, 6> slots;
            for (int i = 0; i < 6; ++i) {
                const std::u16string& line = saves[round][static_cast<std::size_t>(i) + 2];
                slots[static_cast<std::size_t>(i)] = {line.substr(0, 2), line.substr(3, 2)};
            }
            const SettingsResult saved = record.Grava(saves[round][0] == u"1", slots);
            return saved ? 0 : 10 + static_cast<int>(saved.failure);
        });
        EXPECT_EQ(status, 0) << "1: read, 2: shown, 10 + the failure kind: not saved";
        EXPECT_EQ(dir_.Read("Dados.txt"), BytesOf(saves[round]));
        EXPECT_EQ(ReadAll(link), before[round]) << "the outsider's name lost the old content";
        EXPECT_EQ(dir_.Names(), std::set<std::string>{"Dados.txt"});
        struct stat st = {};
        ASSERT_EQ(::lstat((dados / "Dados.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_nlink, 1u);
        EXPECT_EQ(st.st_uid, memberB_.uid);
    }
}

} // namespace
