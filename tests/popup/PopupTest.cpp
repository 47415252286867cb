#include "AdmUnMn.h"

#include "AdmUn00.h"

#include "DesignFont.h"
#include "Form.h"
#include "ImageBox.h"
#include "Memo.h"
#include "StoppedClock.h"
#include "UiTimer.h"
#include "WaitFor.h"

#include "WrappingText.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

// The message's type face.
QFont PopupFont()
{
    return DesignFont(QStringLiteral("Segoe UI Light"), 27);
}

constexpr int kFadeTicks = 23;

bool IsFocusWindow(const QWidget* w)
{
    return w && w->windowHandle() && QGuiApplication::focusWindow() == w->windowHandle();
}

bool Fading(const TAdmForMn& p)
{
    return !p.isEnabled() && p.TempFecha->Enabled() && p.Opacity.Applied();
}

// An active configuration window standing in for the popups' owner; popups
// still open die with it.
class PopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner_ = std::make_unique<Form>(nullptr, Qt::Window, 255, false);
        owner_->resize(400, 300);
        QObject::connect(owner_.get(), &Form::activated, [this] { ++ownerActivations_; });
        owner_->show();
        owner_->activateWindow();
        ASSERT_TRUE(WaitFor([this] { return IsFocusWindow(owner_.get()); }));
        ownerActivations_ = 0;
    }

    void TearDown() override { owner_.reset(); }

    // Shows a popup the way MostraMensagem does and waits for its activation.
    // Its timers are off the real clock: only explicit ticks drive them.
    TAdmForMn* Show(const QString& text)
    {
        auto* popup = new TAdmForMn(owner_.get());
        EXPECT_TRUE(StopEveryClock(popup));
        QSignalSpy activated(popup, &Form::activated);
        popup->Mostra(text);
        EXPECT_TRUE(WaitFor([&] { return IsFocusWindow(popup) && activated.count() == 1; })) << "popup not activated";
        return popup;
    }

    void Activate(QWidget* w)
    {
        w->activateWindow();
        EXPECT_TRUE(WaitFor([w] { return IsFocusWindow(w); }));
    }

    std::unique_ptr<Form> owner_;
    int ownerActivations_ = 0;
};

} // namespace

TEST(PopupPlacement, CentresInTheWorkAreaWithinTheDesktop)
{
    struct Case
    {
        const char* name;
        QRect workArea;
        QRect desktop;
        QPoint expected;
    };
    const Case cases[] = {
        {"1920 x 1040 at 0, 0", QRect(0, 0, 1920, 1040), QRect(0, 0, 1920, 1080), QPoint(580, 382)},
        {"monitor left of the primary", QRect(-1920, 0, 1920, 1040), QRect(-1920, 0, 3840, 1080), QPoint(-1340, 382)},
        {"work area below a top bar", QRect(0, 40, 1280, 984), QRect(0, 0, 1280, 1024), QPoint(260, 394)},
        {"smaller than the popup", QRect(0, 0, 640, 200), QRect(0, 0, 640, 240), QPoint(0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TAdmForMn::PosicaoCentrada(c.workArea, c.desktop), c.expected) << c.name;
}

TEST_F(PopupTest, ShowsTheLayoutCentredInFrontOfItsOwner)
{
    TAdmForMn* p = Show(QStringLiteral("REGISTRO GRAVADO!!"));

    EXPECT_EQ(p->size(), QSize(760, 275));
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((p->frameGeometry().center() - work.center()).manhattanLength(), 2);
    EXPECT_EQ(p->windowHandle()->transientParent(), owner_->windowHandle());
    EXPECT_TRUE(p->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(p->windowType(), Qt::Tool); // no taskbar button of its own
    EXPECT_EQ(p->Opacity.Value(), 240);
    EXPECT_TRUE(p->Opacity.Applied());
    EXPECT_NEAR(p->windowOpacity(), 240 / 255.0, 0.01);

    EXPECT_EQ(p->CorpoMensagem->geometry(), QRect(53, 29, 653, 217));
    EXPECT_EQ(p->CorpoMensagem->Text(), QStringLiteral("REGISTRO GRAVADO!!"));
    EXPECT_TRUE(p->CorpoMensagem->hasFocus());
    EXPECT_EQ(p->CorpoMensagem->TextArea(), QRect(5, 5, 643, 207));
    EXPECT_EQ(p->Image2->geometry(), QRect(8, 4, 53, 42));
    EXPECT_EQ(p->Image2->Picture().size(), QSize(40, 40));
    EXPECT_FALSE(p->Image2->Stretch);

    EXPECT_FALSE(p->mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(p->mask().contains(QPoint(759, 274)));
    EXPECT_TRUE(p->mask().contains(QPoint(380, 0)));
    EXPECT_FALSE(p->CorpoMensagem->mask().contains(QPoint(652, 0)));
    EXPECT_FALSE(Fading(*p));
    EXPECT_TRUE(p->Timer1->Enabled());
}

TEST_F(PopupTest, MostraMensagemReturnsAtOnceAndRecordsTheNewestPopup)
{
    MostraMensagem(QStringLiteral("HORA INCORRETA"));
    TAdmForMn* first = AdmForMn;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(Fading(*first));
    EXPECT_EQ(first->parentWidget(), nullptr) << "no configuration window in this test";
    MostraMensagem(QStringLiteral("MINUTO INCORRETO"));
    EXPECT_NE(AdmForMn.data(), first);
    EXPECT_EQ(AdmForMn->CorpoMensagem->Text(), QStringLiteral("MINUTO INCORRETO"));
    delete AdmForMn.data();
    delete first;
}

TEST_F(PopupTest, DisplayTimeFollowsTheDisplayedLines)
{
    struct Case
    {
        const char* name;
        QString text;
        int lines;
        int intervalMs;
    };
    const Case cases[] = {
        {"one line", QStringLiteral("REGISTRO GRAVADO!!"), 1, 2500},
        {"one line and CR LF", QStringLiteral("REGISTRO GRAVADO!!\r\n"), 1, 2500},
        {"empty", QString(), 0, 2500},
        {"two wrapped lines", WrappingText(PopupFont(), 2, 643), 2, 7000},
        {"three wrapped lines", WrappingText(PopupFont(), 3, 643), 3, 9500},
        {"two lines by CR LF", QStringLiteral("HORA\r\nINCORRETA"), 2, 7000},
    };
    for (const auto& c : cases) {
        TAdmForMn* p = Show(c.text);
        EXPECT_EQ(p->CorpoMensagem->DisplayedLineCount(), c.lines) << c.name;
        EXPECT_EQ(p->Timer1->Interval(), c.intervalMs) << c.name;
        EXPECT_TRUE(p->Timer1->Enabled()) << c.name;
        delete p;
    }
}

TEST_F(PopupTest, ActivatedAgainATwoLinePopupCompoundsItsTimeAndMovesItsTextIn)
{
    TAdmForMn* p = Show(WrappingText(PopupFont(), 2, 643));
    ASSERT_EQ(p->Timer1->Interval(), 7000);

    Activate(owner_.get());
    QSignalSpy activated(p, &Form::activated);
    Activate(p);
    ASSERT_TRUE(WaitFor([&] { return activated.count() == 1; }));

    EXPECT_EQ(p->CorpoMensagem->TextArea(), QRect(10, 10, 633, 197));
    EXPECT_EQ(p->CorpoMensagem->DisplayedLineCount(), 2);
    EXPECT_EQ(p->Timer1->Interval(), 16000);
    EXPECT_FALSE(Fading(*p));
}

TEST_F(PopupTest, EachDismissalTriggerStartsTheFade)
{
    struct Case
    {
        const char* name;
        std::function<void(TAdmForMn*)> act;
        bool fades;
    };
    const Case cases[] = {
        {"display time over", [](TAdmForMn* p) { p->Timer1->Tick(); }, true},
        {"click on the background", [](TAdmForMn* p) { QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(400, 10)); },
         true},
        {"click on the icon", [](TAdmForMn* p) { QTest::mouseClick(p->Image2, Qt::LeftButton, {}, QPoint(20, 20)); },
         true},
        {"click on the text",
         [](TAdmForMn* p) { QTest::mouseClick(p->CorpoMensagem, Qt::LeftButton, {}, QPoint(300, 20)); }, true},
        {"Esc", [](TAdmForMn* p) { QTest::keyClick(p->CorpoMensagem, Qt::Key_Escape); }, true},
        {"Enter", [](TAdmForMn* p) { QTest::keyClick(p->CorpoMensagem, Qt::Key_Return); }, true},
        {"keypad Enter", [](TAdmForMn* p) { QTest::keyClick(p->CorpoMensagem, Qt::Key_Enter, Qt::KeypadModifier); },
         true},
        {"a letter", [](TAdmForMn* p) { QTest::keyClick(p->CorpoMensagem, Qt::Key_A); }, false},
        {"space", [](TAdmForMn* p) { QTest::keyClick(p->CorpoMensagem, Qt::Key_Space); }, false},
        {"backspace", [](TAdmForMn* p) { QTest::keyClick(p->CorpoMensagem, Qt::Key_Backspace); }, false},
        {"right click on the background",
         [](TAdmForMn* p) { QTest::mouseClick(p, Qt::RightButton, {}, QPoint(400, 10)); }, false},
    };
    for (const auto& c : cases) {
        TAdmForMn* p = Show(QStringLiteral("REGISTRO GRAVADO!!"));
        c.act(p);
        EXPECT_EQ(Fading(*p), c.fades) << c.name;
        EXPECT_EQ(p->Opacity.Value(), 240) << c.name;
        EXPECT_EQ(p->CorpoMensagem->Text(), QStringLiteral("REGISTRO GRAVADO!!")) << c.name;
        delete p;
    }
}

TEST_F(PopupTest, FadeIgnoresFurtherInputAndClosesOnTheTwentyThirdTick)
{
    QPointer<TAdmForMn> p = Show(QStringLiteral("REGISTRO GRAVADO!!"));
    p->IniciaFechamento();
    for (int i = 0; i < 5; ++i)
        p->TempFecha->Tick();
    ASSERT_EQ(p->Opacity.Value(), 190);

    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(400, 10));
    QTest::mouseClick(p->CorpoMensagem, Qt::LeftButton, {}, QPoint(300, 20));
    QTest::keyClick(p->CorpoMensagem, Qt::Key_Escape);
    p->Timer1->Tick();
    p->IniciaFechamento();
    EXPECT_EQ(p->Opacity.Value(), 190);
    EXPECT_TRUE(Fading(*p));

    for (int tick = 6; tick < kFadeTicks; ++tick) {
        p->TempFecha->Tick();
        ASSERT_TRUE(p->isVisible()) << "closed early, at tick " << tick;
    }
    EXPECT_EQ(p->Opacity.Value(), 20);
    p->TempFecha->Tick();
    EXPECT_EQ(p->Opacity.Value(), 10);
    EXPECT_FALSE(p->isVisible());
    EXPECT_FALSE(p->TempFecha->Enabled());

    EXPECT_TRUE(WaitFor([&p] { return p.isNull(); })) << "the closed popup is not freed";
}

TEST_F(PopupTest, ClosingTheActivePopupActivatesItsOwnerAgain)
{
    QPointer<TAdmForMn> p = Show(QStringLiteral("REGISTRO GRAVADO!!"));
    p->IniciaFechamento();
    for (int tick = 0; tick < kFadeTicks; ++tick)
        p->TempFecha->Tick();

    EXPECT_TRUE(WaitFor([this] { return IsFocusWindow(owner_.get()); }));
    EXPECT_EQ(ownerActivations_, 1);
    EXPECT_TRUE(WaitFor([&p] { return p.isNull(); }));
}

TEST_F(PopupTest, DismissingOneOfTwoPopupsLeavesTheOther)
{
    QPointer<TAdmForMn> first = Show(QStringLiteral("HORA INCORRETA"));
    QPointer<TAdmForMn> second = Show(WrappingText(PopupFont(), 2, 643));
    const QRegion secondShape = second->mask();
    QSignalSpy secondTicks(second->Timer1, &UiTimer::ticked);
    QSignalSpy secondRestarts(second->Timer1, &UiTimer::restarted);

    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(400, 10));
    EXPECT_TRUE(Fading(*first));
    EXPECT_FALSE(Fading(*second));
    for (int tick = 0; tick < kFadeTicks; ++tick)
        first->TempFecha->Tick();
    ASSERT_TRUE(WaitFor([&first] { return first.isNull(); }));

    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(Fading(*second));
    EXPECT_EQ(second->Opacity.Value(), 240);
    EXPECT_EQ(second->Timer1->Interval(), 7000);
    EXPECT_TRUE(second->Timer1->Enabled());
    EXPECT_EQ(secondTicks.count(), 0);
    EXPECT_EQ(secondRestarts.count(), 0) << "its display time still counts from its own activation";
    EXPECT_EQ(second->mask(), secondShape);
    EXPECT_EQ(second->CorpoMensagem->TextArea(), QRect(5, 5, 643, 207));
    EXPECT_EQ(second->CorpoMensagem->Text(), WrappingText(PopupFont(), 2, 643));
    EXPECT_TRUE(IsFocusWindow(second)) << "the popup that stays keeps the activation";
    EXPECT_EQ(ownerActivations_, 0);
}
