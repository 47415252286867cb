#include "WindowFixture.h"

#include "AdmUnMn.h"
#include "Memo.h"
#include "OtherProgram.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

// Sequences of steps a person takes, each ending with the file holding only
// values that were shown and accepted, and nothing stored lost.

namespace {

const QByteArray kSaved = "1\r\nW\r\n01:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";

// X11 gives Delete the text DEL; the offscreen platform gives it none.
void PressDelete(QWidget* w, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key_Delete, QString(QChar(0x7f)), mods);
}

// A right click, then the context menu request the desktop makes of it.
QMenu* OpenContextMenu(Edit* field)
{
    const QPoint at = field->rect().center();
    QTest::mouseClick(field, Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, field->mapToGlobal(at));
    QApplication::sendEvent(field, &request);
    QMenu* menu = nullptr;
    (void)WaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; });
    return menu;
}

} // namespace

class EditingFlowsTest : public WindowFixture
{
protected:
    void SetUp() override { root_.WriteCheckImages(); }
};

TEST_F(EditingFlowsTest, AfterAnyRefusalTheFirstFieldIsReadyToBeTypedOver)
{
    struct Case
    {
        const char* field;
        const char* typed;
    };
    for (const Case& c : {Case{"H1", "25"}, Case{"M3", "61"}}) {
        SCOPED_TRACE(c.field);
        ASSERT_TRUE(OpenWith(kSaved));
        auto* field = window_->findChild<Edit*>(c.field);
        ASSERT_TRUE(window_->RequestFocus(field));
        Type(field, c.typed);
        Press(Qt::Key_Return);
        ASSERT_EQ(Messages().size(), 1);
        EXPECT_EQ(Focused(), window_->H1);
        EXPECT_EQ(window_->H1->Color(), FocusColour());
        EXPECT_EQ(window_->H1->selectedText(), "01");
        Type(window_->H1, "5");
        EXPECT_EQ(window_->H1->text(), "5") << "typing replaces the value, nothing is appended";
        delete window_.data();
    }
}

TEST_F(EditingFlowsTest, WithoutAFileARefusedValueNeitherStaysNorIsSaved)
{
    // The field returns to its empty text, which the exit check run by the
    // window's return to H1 then makes "00", as leaving it would.
    struct Case
    {
        const char* field;
        const char* typed;
        Qt::Key leave; // the key that leaves the field
        const char* message;
        QByteArray saved;
    };
    const Case cases[] = {
        {"H3", "25", Qt::Key_Return, "HORA INCORRETA", "0\r\n0\r\n00:\r\n:\r\n00:\r\n:\r\n:\r\n:\r\n"},
        {"H3", "25", Qt::Key_Tab, "HORA INCORRETA", "0\r\n0\r\n00:\r\n:\r\n00:\r\n:\r\n:\r\n:\r\n"},
        {"M3", "61", Qt::Key_Return, "MINUTO INCORRETO", "0\r\n0\r\n00:\r\n:\r\n:00\r\n:\r\n:\r\n:\r\n"},
        {"H2", "2147483648", Qt::Key_Return, "HORA INCORRETA", "0\r\n0\r\n00:\r\n00:\r\n:\r\n:\r\n:\r\n:\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.leave == Qt::Key_Tab ? " by Tab" : " by Enter"));
        ASSERT_TRUE(Open());
        auto* field = window_->findChild<Edit*>(c.field);
        ASSERT_TRUE(window_->RequestFocus(field));
        Type(field, c.typed);
        Press(c.leave);
        EXPECT_EQ(Messages().join('/'), c.message);
        EXPECT_EQ(field->text(), "00");
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
        ASSERT_EQ(Focused(), window_->BitBtn1);
        Press(Qt::Key_Return);
        EXPECT_EQ(root_.ReadSettings(), c.saved);
        delete window_.data();
        QFile::remove(root_.SettingsFile());
    }
}

// The save judges every non-empty field as leaving it would, whether or not
// it ever had the focus (text from a drop or a menu's paste had no exit
// check), and shows the result; a refused field stops it with its message
// and nothing is written. A refusal ends, after the window's return, with
// the stored values shown again and the focus on the first field.
TEST_F(EditingFlowsTest, SaveWritesOnlyAcceptedValues)
{
    struct Case
    {
        const char* name;
        QByteArray file;   // empty: no settings file
        const char* focus; // the field that has the focus when the text arrives
        const char* field; // the field the text is put in as it is, unjudged; nullptr: none
        QString text;
        const char* message;
        const char* times;        // what the fields show afterwards
        const char* focusedField; // where the window's focus ends
        QByteArray saved;         // what the file holds afterwards
    };
    const QByteArray none;
    const QByteArray negative = "0\r\n0\r\n01:00\r\n-5:10\r\n";
    const QString longHour = QString(40000, '0') + "25"; // cut to 32767 characters, it would be accepted
    const char* stored = "01|30 12|00 15|45 00|00 00|00 00|00";
    auto savedWith = [](const char* from, const char* to) { return QByteArray(kSaved).replace(from, to); };
    const Case cases[] = {
        {"a loaded negative hour", negative, "H1", nullptr, "", "HORA INCORRETA", "01|00 -5|10 | | | |", "H1",
         negative},
        {"a value no reload replaces", none, "H1", "H3", "25", "HORA INCORRETA", "| | 25| | | |", "H1", none},
        {"a pasted minute", kSaved, "H1", "M6", "61", "MINUTO INCORRETO", stored, "H1", kSaved},
        {"a long hour in the field being left", kSaved, "H1", "H1", longHour, "HORA INCORRETA", stored, "H1", kSaved},
        {"a refused hour in the field being left", kSaved, "H2", "H2", "30", "HORA INCORRETA", stored, "H1", kSaved},
        {"a value that is only normalised", kSaved, "H2", "H2", "7", "REGISTRO GRAVADO!!",
         "01|30 07|00 15|45 00|00 00|00 00|00", "BitBtn1", savedWith("12:00", "07:00")},
        {"a dropped line break", kSaved, "H1", "H2", "108:00\n2", "REGISTRO GRAVADO!!",
         "01|30 00|00 15|45 00|00 00|00 00|00", "BitBtn1", savedWith("12:00", "00:00")},
        {"a dropped word", kSaved, "H1", "M6", "0abc0", "REGISTRO GRAVADO!!", stored, "BitBtn1", kSaved},
        {"a pasted number", kSaved, "H1", "H4", " 7", "REGISTRO GRAVADO!!", "01|30 12|00 15|45 07|00 00|00 00|00",
         "BitBtn1", savedWith("00:00\r\n00:00\r\n00", "07:00\r\n00:00\r\n00")},
        {"a field emptied", kSaved, "H1", "M3", "", "REGISTRO GRAVADO!!", "01|30 12|00 15|00 00|00 00|00 00|00",
         "BitBtn1", savedWith("15:45", "15:00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.file.isEmpty())
            QFile::remove(root_.SettingsFile());
        else
            root_.WriteSettings(c.file);
        ASSERT_TRUE(Open());
        ASSERT_TRUE(window_->RequestFocus(window_->findChild<Edit*>(c.focus)));
        if (c.field) {
            auto* field = window_->findChild<Edit*>(c.field);
            field->setText(c.text);
            ASSERT_EQ(field->text(), c.text) << "the field takes the text whole";
        }
        ClickSave();
        EXPECT_EQ(Messages().join('/'), c.message);
        EXPECT_EQ(Times().join(' '), c.times);
        EXPECT_EQ(window_->focusWidget()->objectName(), c.focusedField);
        EXPECT_EQ(root_.ReadSettings(), c.saved);
        delete window_.data();
    }

    // Of several refused fields, the first in slot order speaks; a field
    // only normalised before it is not written either.
    ASSERT_TRUE(OpenWith(kSaved));
    window_->H2->setText("7");
    window_->H6->setText("25");
    window_->M5->setText("61");
    ClickSave();
    EXPECT_EQ(Messages(), QStringList{"MINUTO INCORRETO"});
    EXPECT_EQ(Times().join(' '), stored);
    EXPECT_EQ(Focused(), window_->H1);
    EXPECT_EQ(root_.ReadSettings(), kSaved);
}

// Keys that arrive right behind a refused Enter, before the event loop has
// run, meet the reloaded and selected first field: none lands in the
// refused text and none is lost.
TEST_F(EditingFlowsTest, KeysQueuedBehindARefusalLandInTheReloadedFirstField)
{
    ASSERT_TRUE(OpenWith(kSaved));
    auto key = [this](Qt::Key k) { QTest::keyClick(Focused(), k); };
    for (const Qt::Key k : {Qt::Key_9, Qt::Key_Return, Qt::Key_9, Qt::Key_9, Qt::Key_Return}) {
        key(k);
        if (!Messages().isEmpty())
            break;
    }
    EXPECT_EQ(Messages(), QStringList{"MINUTO INCORRETO"});
    EXPECT_EQ(Focused(), window_->H1) << "the window took the focus back at the refusal";
    EXPECT_EQ(window_->H1->selectedText(), "01");
    for (const Qt::Key k : {Qt::Key_8, Qt::Key_Return, Qt::Key_4, Qt::Key_5, Qt::Key_Return})
        key(k);
    EXPECT_EQ(Times().join(' '), "08|45 12|00 15|45 00|00 00|00 00|00");
    ClickSave();
    EXPECT_EQ(root_.ReadSettings(), QByteArray(kSaved).replace("01:30", "08:45"));
}

// However the save starts, the field being left is judged as leaving it
// judges it; a screen reader's focus move runs the exit check too.
TEST_F(EditingFlowsTest, AScreenReadersActionsMeetTheExitCheck)
{
    auto accessible = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w); };
    ASSERT_TRUE(OpenWith(kSaved));
    QTest::keyClick(window_->H1, Qt::Key_Backspace);
    ASSERT_EQ(window_->H1->text(), "");
    accessible(window_->BitBtn1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(WaitFor([this] { return !Messages().isEmpty(); }));
    EXPECT_EQ(Messages(), QStringList{"REGISTRO GRAVADO!!"});
    EXPECT_EQ(root_.ReadSettings(), QByteArray(kSaved).replace("01:30", "00:30"));
    delete window_.data();

    struct Case
    {
        const char* name;
        const char* typed; // put into H1 through the accessible text
        const char* message;
        const char* h1; // what H1 shows afterwards
        const char* focused;
    };
    const Case cases[] = {
        {"an emptied hour", "", "", "00", "M1"},
        {"a refused hour", "25", "HORA INCORRETA", "01", "H1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenWith(kSaved));
        QAccessibleInterface* h1 = accessible(window_->H1);
        h1->editableTextInterface()->replaceText(0, h1->textInterface()->characterCount(), c.typed);
        ASSERT_EQ(window_->H1->text(), c.typed);
        accessible(window_->M1)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
        EXPECT_TRUE(WaitFor([&] { return window_->H1->text() == c.h1; }));
        EXPECT_EQ(Messages().join('/'), c.message);
        EXPECT_TRUE(WaitFor([&] { return Focused() && Focused()->objectName() == c.focused; }));
        EXPECT_EQ(window_->H1->Color(), c.focused == std::string("H1") ? FocusColour() : RestColour());
        delete window_.data();
    }
}

// Without a settings file, the second of two quick saves replaces the file the
// first one wrote.
TEST_F(EditingFlowsTest, ASecondSaveRightAfterTheFirstIsNoFailure)
{
    ASSERT_TRUE(Open());
    window_->H1->setText("9");
    QTest::mouseClick(window_->BitBtn1, Qt::LeftButton);
    QTest::mouseClick(window_->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(Messages(), (QStringList{"REGISTRO GRAVADO!!", "REGISTRO GRAVADO!!"}));
    EXPECT_EQ(root_.ReadSettings(), "0\r\n0\r\n09:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n");
}

// A right click on a field the focus could not reach (the field being left
// refused its value) opens no menu there: a Paste would go unjudged.
TEST_F(EditingFlowsTest, NoContextMenuOnAFieldTheFocusDidNotReach)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->H1->selectAll();
    Type(window_->H1, "99");
    FollowRefusal([&] {
        const QPoint at = window_->M6->rect().center();
        QTest::mousePress(window_->M6, Qt::RightButton, Qt::NoModifier, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, window_->M6->mapToGlobal(at));
        QApplication::sendEvent(window_->M6, &request);
        QTest::mouseRelease(window_->M6, Qt::RightButton, Qt::NoModifier, at);
    });
    EXPECT_EQ(Messages(), QStringList{"HORA INCORRETA"});
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_NE(Focused(), window_->M6);
}

TEST_F(EditingFlowsTest, AReadThatFailsChangesNothing)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->H2->setText("09"); // typed, not yet saved
    {
        OtherProgram held(root_.SettingsFile().toStdU16String(), OtherProgram::Writer());
        ASSERT_TRUE(held.Holding());
        MostraMensagem("X");
        ASSERT_TRUE(DismissLast()); // the return reads the file, which another program holds
        EXPECT_TRUE(window_->AprChe->isChecked());
        EXPECT_EQ(Times().join(' '), "01|30 09|00 15|45 00|00 00|00 00|00");
    }
    ClickSave();
    EXPECT_EQ(Messages().last(), "REGISTRO GRAVADO!!");
    EXPECT_EQ(root_.ReadSettings(), QByteArray(kSaved).replace("12:00", "09:00")) << "line 1 and line 2 kept";
}

TEST_F(EditingFlowsTest, AFileHeldSinceStartUpIsNotReplacedUntilRead)
{
    root_.WriteSettings(kSaved);
    auto held = std::make_unique<OtherProgram>(root_.SettingsFile().toStdU16String(), OtherProgram::Writer());
    ASSERT_TRUE(held->Holding());
    ASSERT_TRUE(Open());
    EXPECT_EQ(Times().join(' '), "| | | | | |");
    window_->H1->setText("08");
    ClickSave();
    EXPECT_EQ(Messages(), QStringList{QString::fromUtf8("REGISTRO NÃO GRAVADO!!")});
    held.reset();
    EXPECT_EQ(root_.ReadSettings(), kSaved);

    ASSERT_TRUE(DismissLast()); // now the file can be read
    EXPECT_TRUE(window_->AprChe->isChecked());
    EXPECT_EQ(Times()[0], "01|30");
    ClickSave();
    EXPECT_EQ(root_.ReadSettings(), kSaved);
}

TEST_F(EditingFlowsTest, AFieldsContextMenuKeepsWhatWasTyped)
{
    ASSERT_TRUE(OpenWith(kSaved));
    const auto before = activations_->count();
    ASSERT_TRUE(window_->RequestFocus(window_->H2));
    Type(window_->H2, "09");
    Press(Qt::Key_Return);
    Type(window_->M2, "45");

    QMenu* menu = OpenContextMenu(window_->M4);
    ASSERT_NE(menu, nullptr);
    // Where the desktop gives the menu the focus (X11), it returns to the
    // window when the menu closes.
    emit qGuiApp->focusWindowChanged(menu->windowHandle());
    QTest::keyClick(menu, Qt::Key_Escape);
    emit qGuiApp->focusWindowChanged(window_->windowHandle());
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return Focused() == window_->M4; })) << "the focus comes back to the field";
    EXPECT_EQ(window_->H2->text(), "09");
    EXPECT_EQ(window_->M2->text(), "45");

    // A paste from the menu is typing that skips the key filter: the exit
    // check judges it.
    window_->M4->clear();
    QGuiApplication::clipboard()->setText("7");
    menu = OpenContextMenu(window_->M4);
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    const auto paste =
        std::find_if(actions.begin(), actions.end(), [](QAction* a) { return a->text().startsWith("&Paste"); });
    ASSERT_NE(paste, actions.end());
    emit qGuiApp->focusWindowChanged(menu->windowHandle());
    (*paste)->trigger();
    menu->close();
    emit qGuiApp->focusWindowChanged(window_->windowHandle());
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_EQ(window_->M4->text(), "7");
    ASSERT_TRUE(WaitFor([&] { return Focused() == window_->M4; }));
    Press(Qt::Key_Return);
    EXPECT_EQ(window_->M4->text(), "07");
    EXPECT_EQ(activations_->count(), before) << "a menu is no other window of the program";
    EXPECT_EQ(Times()[1], "09|45");
}

TEST_F(EditingFlowsTest, EditingKeysKeepTheirAction)
{
    struct Case
    {
        const char* name;
        std::function<void(Edit*)> keys;
        const char* text;
    };
    const Case cases[] = {
        {"Home, Delete",
         [](Edit* e) {
             QTest::keyClick(e, Qt::Key_Home);
             PressDelete(e);
         },
         "2"},
        {"keypad Delete",
         [](Edit* e) {
             QTest::keyClick(e, Qt::Key_Home);
             PressDelete(e, Qt::KeypadModifier);
         },
         "2"},
        {"Shift+Delete cuts",
         [](Edit* e) {
             e->selectAll();
             PressDelete(e, Qt::ShiftModifier);
         },
         ""},
        {"Shift+Insert pastes",
         [](Edit* e) {
             QGuiApplication::clipboard()->setText("34");
             e->selectAll();
             QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
         },
         "34"},
        {"Ctrl+V stays filtered",
         [](Edit* e) {
             QGuiApplication::clipboard()->setText("34");
             e->selectAll();
             QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
         },
         "12"},
    };
    ASSERT_TRUE(OpenWith(kSaved));
    for (const Case& c : cases) {
        window_->H1->setText("12");
        c.keys(window_->H1);
        EXPECT_EQ(window_->H1->text(), c.text) << c.name;
    }
}
