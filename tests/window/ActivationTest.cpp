#include "WindowFixture.h"

#include "AdmUnMn.h"
#include "Edit.h"
#include "ImageBox.h"
#include "MadeJpegs.h"
#include "Memo.h"
#include "SpecialFiles.h"
#include "SpeedButton.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace {

const QByteArray kSaved = "1\r\n0\r\n07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";

// The test pictures are plain white (OK.JPG) and plain black (NAOOK.JPG).
bool ShowsOk(ImageBox* box)
{
    return !box->Picture().isNull() && qGray(box->Picture().pixel(4, 4)) > 200;
}
bool ShowsNaoOk(ImageBox* box)
{
    return !box->Picture().isNull() && qGray(box->Picture().pixel(4, 4)) < 50;
}

// The messages of one logging category while it lives, as they would reach
// standard error.
class CategoryLog
{
public:
    explicit CategoryLog(const char* category) : category_(category)
    {
        active = this;
        previous_ = qInstallMessageHandler(&CategoryLog::Handle);
    }
    ~CategoryLog()
    {
        qInstallMessageHandler(previous_);
        active = nullptr;
    }
    CategoryLog(const CategoryLog&) = delete;
    CategoryLog& operator=(const CategoryLog&) = delete;

    QStringList lines;

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (active && context.category && active->category_ == context.category)
            active->lines << text;
        else if (active)
            active->previous_(type, context, text);
    }

    static inline CategoryLog* active = nullptr;
    QByteArray category_;
    QtMessageHandler previous_ = nullptr;
};

} // namespace

class ActivationTest : public WindowFixture
{
protected:
    void SetUp() override { root_.WriteCheckImages(); }

    QString LastMessage() const
    {
        const auto popups = Popups();
        return popups.isEmpty() ? QString() : popups.last()->CorpoMensagem->Text();
    }
};

TEST_F(ActivationTest, FirstShowWithoutASettingsFile)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(activations_->count(), 1);
    EXPECT_EQ(Times().join(' '), "| | | | | |");
    EXPECT_FALSE(window_->AprChe->isChecked());
    EXPECT_TRUE(ShowsOk(window_->CheApr));
    EXPECT_EQ(Focused(), window_->H1);
    EXPECT_FALSE(window_->TelaHorIni->mask().isEmpty()) << "the hour panel is rounded on activation";
    EXPECT_FALSE(window_->TelaHorIni->mask().contains(QPoint(0, 0)));
}

TEST_F(ActivationTest, LoadsTheFileIntoTheControls)
{
    ASSERT_TRUE(OpenWith(kSaved));
    EXPECT_TRUE(window_->AprChe->isChecked());
    EXPECT_TRUE(ShowsNaoOk(window_->CheApr));
    EXPECT_EQ(Times().join(' '), "07|30 12|00 15|45 00|00 00|00 00|00");
    EXPECT_EQ(Focused(), window_->H1);
}

TEST_F(ActivationTest, OnlyAnExactOneChecksTheBox)
{
    ASSERT_TRUE(Open());
    const std::pair<QByteArray, bool> cases[] = {
        {"1", true}, {"01", false}, {" 1", false}, {"1 ", false}, {"true", false}, {"", false}, {"0", false},
    };
    for (const auto& [line1, checked] : cases) {
        root_.WriteSettings(line1 + "\r\n0\r\n");
        window_->CarregaDados();
        EXPECT_EQ(window_->AprChe->isChecked(), checked) << line1.constData();
        EXPECT_EQ(ShowsNaoOk(window_->CheApr), checked) << line1.constData();
    }
}

TEST_F(ActivationTest, SlotTextsAreSplitWithoutValidation)
{
    ASSERT_TRUE(Open());
    root_.WriteSettings("0\r\n0\r\n7:30\r\n12:3\r\n12:345\r\n\r\n:\r\n1\r\n");
    window_->CarregaDados();
    EXPECT_EQ(Times().join(' '), "7|30 12|3 12|34 | | 1|");

    // A shorter file: slots 1 and 2 fall back to 00:00, slots 3..6 keep the previous read.
    root_.WriteSettings("0\r\n0\r\n08:15\r\n");
    window_->CarregaDados();
    EXPECT_EQ(Times().join(' '), "08|15 00|00 12|34 | | 1|");
}

TEST_F(ActivationTest, ToggleFlipsTheBoxAndReadsThePictureEachTime)
{
    ASSERT_TRUE(Open());
    window_->ApreAuto->click();
    EXPECT_TRUE(window_->AprChe->isChecked());
    EXPECT_TRUE(ShowsNaoOk(window_->CheApr));

    QImage grey(8, 8, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    grey.save(root_.ImagePath("OK.JPG"), "JPEG");
    window_->ApreAuto->click();
    EXPECT_FALSE(window_->AprChe->isChecked());
    EXPECT_NEAR(qGray(window_->CheApr->Picture().pixel(4, 4)), 128, 8) << "the picture comes from disk again";
    EXPECT_EQ(Focused(), window_->H1) << "the toggle takes no focus";
}

TEST_F(ActivationTest, ToggleThenSaveWritesTheFlippedFlag)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->ApreAuto->click();
    window_->BitBtn1->click();
    EXPECT_EQ(root_.ReadSettings(), QByteArray(kSaved).replace(0, 1, "0"));
}

TEST_F(ActivationTest, AnyPopupBringsBackTheSavedState)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->ApreAuto->click();
    window_->H2->setText("99");
    MostraMensagem("X");
    ASSERT_TRUE(DismissLast());
    EXPECT_EQ(activations_->count(), 2);
    EXPECT_TRUE(window_->AprChe->isChecked());
    EXPECT_EQ(window_->H2->text(), "12");
    EXPECT_EQ(Focused(), window_->H1);
}

TEST_F(ActivationTest, SaveConfirmsAndReloadsWhenThePopupGoes)
{
    ASSERT_TRUE(Open());
    window_->H1->setText("06");
    window_->M1->setText("05");
    window_->AprChe->setChecked(true);
    window_->BitBtn1->click();
    EXPECT_EQ(root_.ReadSettings(), "1\r\n0\r\n06:05\r\n:\r\n:\r\n:\r\n:\r\n:\r\n")
        << R"(line 2 is "0" when no read reached it; empty fields give ":")";
    ASSERT_EQ(Popups().size(), 1);
    EXPECT_EQ(LastMessage(), "REGISTRO GRAVADO!!");

    window_->H1->setText("23"); // not saved: replaced on return
    ASSERT_TRUE(DismissLast());
    EXPECT_EQ(activations_->count(), 2);
    EXPECT_EQ(Times().join(' '), "06|05 | | | | |");
    EXPECT_EQ(Focused(), window_->H1);
}

// A click on the window while a message has the activation runs the
// activation first (the reload), then the click's own effect on what it left.
TEST_F(ActivationTest, AClickDuringAMessageActsAfterTheActivation)
{
    struct Case
    {
        const char* name;
        std::function<QWidget*(TAdmFor00*)> target;
        std::function<void(TAdmFor00*)> check;
    };
    const Case cases[] = {
        {"a field takes the focus with the caret where clicked", [](TAdmFor00* w) { return w->H2; },
         [](TAdmFor00* w) {
             EXPECT_EQ(w->H2->text(), "12");
             EXPECT_EQ(w->H1->text(), "07") << "the reload replaced the unsaved text";
             EXPECT_EQ(w->focusWidget(), w->H2);
             EXPECT_FALSE(w->H2->hasSelectedText());
             EXPECT_EQ(w->H2->cursorPosition(), 1) << "the caret is where the click was, mid-text";
         }},
        {"the toggle flips the reloaded state", [](TAdmFor00* w) { return w->ApreAuto; },
         [](TAdmFor00* w) { EXPECT_FALSE(w->AprChe->isChecked()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenWith(kSaved));
        window_->H1->setText("9"); // typed, replaced by the reload
        MostraMensagem("X");
        ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == AdmForMn->windowHandle(); }));
        const auto before = activations_->count();
        QWidget* target = c.target(window_);
        const QPoint at = target->mapTo(window_.data(), target->rect().center());
        QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(activations_->count(), before + 1) << "the activation ran with the press";
        c.check(window_);
        ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == window_->windowHandle(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(activations_->count(), before + 1) << "the desktop's activation that follows is the same one";
        c.check(window_);
        if (window_->focusWidget() == window_->H2) {
            EXPECT_EQ(window_->H2->Color(), FocusColour());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_3);
            EXPECT_EQ(window_->H2->text(), "132");
            EXPECT_EQ(window_->H1->text(), "07");
        }
        delete window_.data();
    }
}

TEST_F(ActivationTest, LineTwoIsCarriedThroughUnchanged)
{
    ASSERT_TRUE(OpenWith("0\r\n\x80\xff abc \x81\r\n01:02\r\n"));
    window_->BitBtn1->click();
    EXPECT_TRUE(root_.ReadSettings().startsWith("0\r\n\x80\xff abc \x81\r\n01:02\r\n00:00\r\n"));
}

TEST_F(ActivationTest, AFailedSaveSaysSoAndLeavesTheFileAlone)
{
    root_.WriteSettings(kSaved);
    QFile::setPermissions(root_.SettingsFile(), QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup
                                                    | QFileDevice::ReadOther);
    ASSERT_TRUE(Open());
    CategoryLog log("quorvelo.settings");
    window_->H1->setText("11");
    window_->BitBtn1->click();
    EXPECT_EQ(LastMessage(), QString::fromUtf8("REGISTRO NÃO GRAVADO!!"));
    EXPECT_EQ(root_.ReadSettings(), kSaved);
    EXPECT_EQ(QDir(root_.Path() + "/Dados").entryList(QDir::Files | QDir::Hidden).join(','), "Dados.txt");
    // The person sees the message alone; the log says why, once.
    ASSERT_EQ(log.lines.size(), 1) << log.lines.join('\n').toStdString();
    EXPECT_TRUE(log.lines[0].startsWith("cannot save " + QDir::toNativeSeparators(root_.SettingsFile()) + ": "))
        << log.lines[0].toStdString();
    EXPECT_TRUE(log.lines[0].contains("is read-only")) << log.lines[0].toStdString();
}

// A read that fails on every activation is logged once, not at each return
// to the window; the missing file of a first run is no warning at all.
TEST_F(ActivationTest, AFailingReadIsLoggedOnce)
{
    struct Case
    {
        const char* name;
        bool folderUnderTheName; // else no file at all
        int warnings;
    };
    for (const Case c : {Case{"no file yet", false, 0}, Case{"a folder under the file's name", true, 1}}) {
        SCOPED_TRACE(c.name);
        TearDown(); // the window of the previous case goes
        if (c.folderUnderTheName) {
            ASSERT_TRUE(QDir().mkpath(root_.SettingsFile()));
        }
        CategoryLog log("quorvelo.settings");
        ASSERT_TRUE(Open());
        MostraMensagem("X");
        ASSERT_TRUE(DismissLast());
        EXPECT_EQ(activations_->count(), 2);
        EXPECT_EQ(log.lines.size(), c.warnings) << log.lines.join('\n').toStdString();
        if (c.warnings > 0) {
            EXPECT_TRUE(log.lines[0].contains("not a plain file")) << log.lines[0].toStdString();
        }
    }
}

TEST_F(ActivationTest, AMissingPictureGetsAStandInAndTheTimesStillLoad)
{
    root_.WriteSettings(kSaved);
    QFile::remove(root_.ImagePath("OK.JPG"));
    QFile::remove(root_.ImagePath("NAOOK.JPG"));
    ASSERT_TRUE(Open());
    EXPECT_FALSE(window_->CheApr->Picture().isNull());
    EXPECT_TRUE(window_->AprChe->isChecked());
    EXPECT_EQ(Times()[0], "07|30");
    EXPECT_EQ(Focused(), window_->H1);
    EXPECT_EQ(Popups().size(), 0) << "no message box for a missing picture";
    const QImage checked = window_->CheApr->Picture();
    window_->ApreAuto->click();
    EXPECT_NE(window_->CheApr->Picture(), checked) << "the stand-in shows the state";
}

// A pipe put in a picture's place must neither block the window nor stop
// the settings from loading.
TEST_F(ActivationTest, APipeInsteadOfAPictureGetsAStandIn)
{
    root_.WriteSettings(kSaved);
    QFile::remove(root_.ImagePath("NAOOK.JPG"));
    if (!MakeNamedPipe(root_.ImagePath("NAOOK.JPG")))
        GTEST_SKIP() << "no named pipes in this file system";
    bool opened = false;
    {
        const HangGuard guard(30);
        opened = Open();
    }
    ASSERT_TRUE(opened);
    EXPECT_TRUE(window_->AprChe->isChecked());
    EXPECT_FALSE(window_->CheApr->Picture().isNull());
    EXPECT_EQ(Times()[0], "07|30");
}

// A picture crafted to take the decoder tens of seconds (tens of thousands of
// scans, also behind a stray byte or without an end marker) gets the drawn
// box at once, and one line on standard error that says why.
TEST_F(ActivationTest, ACraftedPictureGetsAStandInAtOnceAndOneLine)
{
    const QByteArray scans = MadeScanBombOfSize(ImageBox::kMaxSide, ImageBox::kMaxFileBytes);
    struct Case
    {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"scans", scans, "scans, more than 32"},
        {"stray byte after the start", WithStrayByteAfterStart(scans), "markers"},
        {"no end", WithoutEnd(scans), "markers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown(); // the window of the previous case goes
        root_.WriteSettings(kSaved);
        {
            QFile file(root_.ImagePath("NAOOK.JPG"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(file.write(c.bytes), c.bytes.size());
        }
        CategoryLog log("quorvelo.pictures");
        QElapsedTimer opening;
        opening.start();
        ASSERT_TRUE(Open());
        EXPECT_LT(opening.elapsed(), 10'000) << "decoding it whole takes 20 s";
        EXPECT_TRUE(window_->AprChe->isChecked());
        EXPECT_FALSE(window_->CheApr->Picture().isNull()) << "no stand-in";
        EXPECT_EQ(Times()[0], "07|30");
        ASSERT_EQ(log.lines.size(), 1) << log.lines.join('\n').toStdString();
        EXPECT_TRUE(log.lines[0].startsWith("cannot load picture " + root_.ImagePath("NAOOK.JPG") + ": "))
            << log.lines[0].toStdString();
        EXPECT_TRUE(log.lines[0].contains(QLatin1String(c.reason))) << log.lines[0].toStdString();
    }
}

TEST_F(ActivationTest, SwitchingApplicationsAndBackIsNoActivation)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->H2->setText("5");
    // The focus leaves the program and comes back to the same window.
    emit qGuiApp->focusWindowChanged(nullptr);
    emit qGuiApp->focusWindowChanged(window_->windowHandle());
    EXPECT_EQ(activations_->count(), 1);
    EXPECT_EQ(window_->H2->text(), "5") << "no reload";
}
