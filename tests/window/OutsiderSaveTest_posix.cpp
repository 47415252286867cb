// A save by somebody outside the group that may change the schedule, made
// as a real user: the window says only "REGISTRO NÃO GRAVADO!!" and the log
// says why, naming the group to join. The test creates a group and a user,
// so it runs only as root; the window lives in a child process that becomes
// that user before any Qt object exists.
#include <gtest/gtest.h>

#include "AdmUn00.h"
#include "AdmUnMn.h"
#include "BitBtn.h"
#include "Edit.h"
#include "Memo.h"

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";

bool RunCommand(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

QStringList settingsLog;

void KeepSettingsLog(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    if (context.category && std::string_view(context.category) == "quorvelo.settings")
        settingsLog << text;
}

// In the child, as the user: opens the window on `root`, saves, and writes
// the message shown and then the settings log, a line each, to `out`.
int SaveInWindow(const QString& root, int out)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "window_user_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    qInstallMessageHandler(KeepSettingsLog);
    auto* window = new TAdmFor00(root);
    window->ShowFirstTime();
    if (!QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }))
        return 3;
    window->H1->setText("11");
    window->BitBtn1->click();
    if (!AdmForMn)
        return 4;
    const QByteArray said = (QStringList{AdmForMn->CorpoMensagem->Text()} + settingsLog).join('\n').toUtf8();
    return ::write(out, said.data(), static_cast<std::size_t>(said.size())) == said.size() ? 0 : 5;
}

struct MadeAccounts
{
    std::string user;
    std::string group;
    ~MadeAccounts()
    {
        RunCommand("userdel " + user);
        RunCommand("groupdel " + group);
    }
};

TEST(OutsiderSave, TheWindowSaysNotSavedAndTheLogNamesTheGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "SKIPPED: this test creates a group and a user, which needs root";
    const std::string tag = "qw" + std::to_string(::getpid());
    const MadeAccounts made{tag + "x", tag + "g"};
    ASSERT_TRUE(RunCommand("groupadd --system " + made.group));
    ASSERT_TRUE(RunCommand("useradd --system --no-create-home --shell /usr/sbin/nologin --gid nogroup " + made.user));
    const struct passwd* pw = ::getpwnam(made.user.c_str());
    const struct group* gr = ::getgrnam(made.group.c_str());
    ASSERT_TRUE(pw && gr);
    const uid_t uid = pw->pw_uid;
    const gid_t gid = pw->pw_gid;

    // The data root as installed: "Dados" root's and the group's, 2775,
    // with a file a member saved.
    char rootTemplate[] = "/tmp/outsider-save-XXXXXX";
    ASSERT_NE(::mkdtemp(rootTemplate), nullptr);
    const fs::path root = rootTemplate;
    const fs::path dados = root / "Dados";
    const fs::path file = dados / "Dados.txt";
    fs::create_directories(dados);
    fs::create_directories(root / "IMAGEM");
    ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
    ASSERT_EQ(::chown(dados.c_str(), 0, gr->gr_gid), 0);
    ASSERT_EQ(::chmod(dados.c_str(), 02775), 0);
    {
        std::ofstream(file, std::ios::binary) << kOld;
    }
    ASSERT_EQ(::chown(file.c_str(), 0, gr->gr_gid), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0664), 0);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::initgroups(made.user.c_str(), gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            _exit(99);
        _exit(SaveInWindow(QString::fromStdString(root.string()), pipeFds[1]));
    }
    ::close(pipeFds[1]);
    std::string said;
    char buffer[1024];
    for (ssize_t n = 0; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: never active, 4: no message, 5: no report, 99: not the user";

    const std::string expected =
        "REGISTRO NÃO GRAVADO!!\ncannot save " + file.string()
        + ": creating the new file failed: Permission denied; this user is not a member of the group " + made.group
        + " that may change " + dados.string();
    EXPECT_EQ(said, expected);
    EXPECT_EQ(ReadAll(file), kOld);
    fs::remove_all(root);
}

} // namespace
