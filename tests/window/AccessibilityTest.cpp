#include "WindowFixture.h"

#include "AdmUnMn.h"
#include "Memo.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

namespace {

// Depth-first over the accessible tree, as a screen reader walks it.
void Walk(QAccessibleInterface* node, const std::function<void(QAccessibleInterface*)>& visit)
{
    visit(node);
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            Walk(child, visit);
}

} // namespace

using AccessibilityTest = WindowFixture;

TEST_F(AccessibilityTest, EveryVisibleControlHasAPortugueseName)
{
    ASSERT_TRUE(Open());
    QStringList unnamed;
    Walk(QAccessible::queryAccessibleInterface(window_.data()), [&](QAccessibleInterface* a) {
        auto* w = qobject_cast<QWidget*>(a->object());
        if (w && w->isVisible() && !w->visibleRegion().isEmpty() && a->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << w->objectName();
    });
    EXPECT_TRUE(unnamed.isEmpty()) << qPrintable(unnamed.join(", "));

    auto name = [](QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); };
    EXPECT_EQ(name(window_->H1), "Hora do horário 1");
    EXPECT_EQ(name(window_->M6), "Minuto do horário 6");
    EXPECT_EQ(name(window_->BitBtn1), "Grava dados");
    EXPECT_EQ(name(window_->Label1), window_->Label1->text());
}

TEST_F(AccessibilityTest, TheAutomaticPresentationToggleIsACheckBoxWithTheBoxsState)
{
    ASSERT_TRUE(Open());
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(window_->ApreAuto);
    EXPECT_EQ(a->role(), QAccessible::CheckBox);
    EXPECT_EQ(a->text(QAccessible::Name), "Apresentação automática");
    EXPECT_TRUE(a->state().checkable);
    EXPECT_FALSE(a->state().checked);

    // (Qt's offscreen platform drops accessibility events; the end-to-end run
    // over AT-SPI hears the announcements.)
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(window_->AprChe->isChecked()) << "the action is a click";
    EXPECT_TRUE(a->state().checked);
    EXPECT_EQ(a->text(QAccessible::Description), "ligada");

    // A click with the mouse, and a reload that finds line 1 = 0, clear it again.
    QTest::mouseClick(window_->ApreAuto, Qt::LeftButton);
    EXPECT_FALSE(a->state().checked);
    QTest::mouseClick(window_->ApreAuto, Qt::LeftButton);
    EXPECT_TRUE(a->state().checked);
    root_.WriteSettings("0\r\n0\r\n");
    window_->CarregaDados(); // line 1 = 0: the box is cleared
    EXPECT_FALSE(a->state().checked);
}

TEST_F(AccessibilityTest, ControlsKeptHiddenAreNotExposed)
{
    ASSERT_TRUE(Open());
    QStringList exposed;
    Walk(QAccessible::queryAccessibleInterface(window_.data()), [&](QAccessibleInterface* a) {
        if (a->object())
            exposed << a->object()->objectName();
    });
    EXPECT_FALSE(exposed.contains("AprChe"));
    EXPECT_FALSE(exposed.contains("ChePsi"));
    EXPECT_TRUE(exposed.contains("ApreAuto"));
    EXPECT_TRUE(exposed.contains("H1")) << "the hour panel's fields are still reached";
    QAccessibleInterface* form = QAccessible::queryAccessibleInterface(window_.data());
    for (int i = 0; i < form->childCount(); ++i)
        EXPECT_EQ(form->indexOfChild(form->child(i)), i);
}

TEST_F(AccessibilityTest, TheClosePanelIsAButtonThatCanBePressed)
{
    ASSERT_TRUE(Open());
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(window_->Man);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Name), "Fecha");
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(window_->TempFecha->Enabled()) << "pressing it starts closing, as a click does";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window_->TelaHorIni)->role(), QAccessible::Grouping);
}

TEST_F(AccessibilityTest, ReadingOrderOfFocusableControlsIsTheTabOrder)
{
    ASSERT_TRUE(Open());
    QStringList read;
    Walk(QAccessible::queryAccessibleInterface(window_.data()), [&](QAccessibleInterface* a) {
        const auto state = a->state();
        if (state.focusable && !state.invisible)
            read << a->text(QAccessible::Name);
    });

    QStringList keyboard;
    window_->RequestFocus(window_->BitBtn1);
    for (int i = 0; i < 13; ++i) {
        keyboard << QApplication::focusWidget()->accessibleName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(read, keyboard);
    EXPECT_EQ(read.size(), 13);
}

TEST_F(AccessibilityTest, APopupIsAnAlertThatReadsItsText)
{
    ASSERT_TRUE(Open());
    MostraMensagem(QStringLiteral("REGISTRO GRAVADO!!"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(AdmForMn.data());
    EXPECT_EQ(a->role(), QAccessible::AlertMessage);
    EXPECT_EQ(a->text(QAccessible::Name), "REGISTRO GRAVADO!!");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(AdmForMn->CorpoMensagem)->text(QAccessible::Name),
              "REGISTRO GRAVADO!!");
}

// A refusal's message never has the focus: a screen reader meets it as a
// notification, which it speaks as it shows. It shows once the window's
// return has put the focus on H1, so no focus change follows it.
TEST_F(AccessibilityTest, ARefusalIsANotificationShownOnceTheFocusHasSettled)
{
    ASSERT_TRUE(Open());
    QStringList focusedWhenShown;
    struct ShowWatch : QObject
    {
        QStringList* seen;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Show && qobject_cast<TAdmForMn*>(o))
                *seen << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
            return false;
        }
    } filter;
    filter.seen = &focusedWhenShown;
    qApp->installEventFilter(&filter);
    ASSERT_TRUE(window_->RequestFocus(window_->M1));
    Type(window_->M1, QStringLiteral("61"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !focusedWhenShown.isEmpty(); }));
    qApp->removeEventFilter(&filter);
    EXPECT_EQ(focusedWhenShown, QStringList{"H1"});
    QAccessibleInterface* popup = QAccessible::queryAccessibleInterface(AdmForMn.data());
    EXPECT_EQ(popup->role(), QAccessible::Notification);
    EXPECT_EQ(popup->text(QAccessible::Name), "MINUTO INCORRETO");
    EXPECT_EQ(QApplication::focusWidget(), window_->H1);
}
