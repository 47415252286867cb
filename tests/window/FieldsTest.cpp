#include "WindowFixture.h"

#include "AdmUnMn.h"
#include "BitBtn.h"
#include "Edit.h"
#include "Memo.h"
#include "QtTranslation.h"
#include "UiTimer.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLocale>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QTranslator>

namespace {

const QByteArray kSaved = "0\r\n0\r\n07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";

} // namespace

// What a save writes or refuses is in EditingFlowsTest's table.
class FieldsTest : public WindowFixture
{
protected:
    void SetUp() override { root_.WriteCheckImages(); }
};

TEST_F(FieldsTest, OnlyDigitsAndBackspaceReachTheField)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->H1->setText("1");
    window_->H1->end(false);
    Type(window_->H1, "a Z+-,.:\u0663\u06F5"); // letters, space, signs, separators, other scripts' digits
    EXPECT_EQ(window_->H1->text(), "1");
    for (Qt::Key key : {Qt::Key_A, Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_Z}) {
        QGuiApplication::clipboard()->setText("99");
        QTest::keyClick(window_->H1, key, Qt::ControlModifier);
        EXPECT_EQ(window_->H1->text(), "1") << "Ctrl+" << char(key);
    }
    Type(window_->H1, "23");
    QTest::keyClick(window_->H1, Qt::Key_Backspace);
    EXPECT_EQ(window_->H1->text(), "12");
}

// Alt with a character key types nothing, a digit included, as a system key
// on Windows. Characters typed with AltGr (Ctrl+Alt on Windows), composed
// from a dead key or committed by an input method meet the same filter as
// plain keys: only digits land.
TEST_F(FieldsTest, EveryCharacterFromTheKeyboardIsFiltered)
{
    struct Case
    {
        const char* name;
        std::function<void(Edit*)> keys;
        const char* text;
    };
    auto key = [](Edit* e, int code, const QString& text, Qt::KeyboardModifiers mods) {
        QKeyEvent press(QEvent::KeyPress, code, mods, text);
        QApplication::sendEvent(e, &press);
    };
    auto commit = [](Edit* e, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(e, &event);
    };
    const Case cases[] = {
        {"Alt+a, Alt+minus, Alt+period",
         [&](Edit* e) {
             key(e, Qt::Key_A, "a", Qt::AltModifier);
             key(e, Qt::Key_Minus, "-", Qt::AltModifier);
             key(e, Qt::Key_Period, ".", Qt::AltModifier);
         },
         "12"},
        {"Alt+3, Alt+keypad 3",
         [&](Edit* e) {
             key(e, Qt::Key_3, "3", Qt::AltModifier);
             key(e, Qt::Key_3, "3", Qt::AltModifier | Qt::KeypadModifier);
         },
         "12"},
        {"AltGr+2 giving a superscript",
         [&](Edit* e) { key(e, Qt::Key_twosuperior, "\u00B2", Qt::ControlModifier | Qt::AltModifier); }, "12"},
        {"AltGr giving a digit", [&](Edit* e) { key(e, Qt::Key_3, "3", Qt::ControlModifier | Qt::AltModifier); },
         "132"},
        {"a dead key's character", [&](Edit* e) { key(e, Qt::Key_twosuperior, "\u00B2", Qt::NoModifier); }, "12"},
        {"compose commits", [&](Edit* e) { commit(e, "\u00E9\u2013\u00BD"); }, "12"},
        {"a commit with a digit keeps the digit", [&](Edit* e) { commit(e, "a3\u00B2"); }, "132"},
    };
    ASSERT_TRUE(OpenWith(kSaved));
    for (const Case& c : cases) {
        window_->H1->setText("12");
        window_->H1->setCursorPosition(1);
        c.keys(window_->H1);
        EXPECT_EQ(window_->H1->text(), c.text) << c.name;
    }
}

// An input method's composition that ends with nothing the filter lets
// through leaves the field as it was, selection included; one still pending
// when the field is left or the save runs is dropped.
TEST_F(FieldsTest, ACompositionThatBringsNoDigitChangesNothing)
{
    auto preedit = [](Edit* e, const QString& text) {
        QInputMethodEvent event(text, {});
        QApplication::sendEvent(e, &event);
    };
    auto commit = [](Edit* e, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(e, &event);
    };
    struct Case
    {
        const char* name;
        std::function<void(Edit*)> input;
        const char* text;
        bool selected; // the whole text stays selected
    };
    const Case cases[] = {
        {"a code point typed as Ctrl+Shift+U 0663",
         [&](Edit* e) {
             preedit(e, "u");
             preedit(e, "u0663");
             commit(e, "\u0663");
         },
         "07", true},
        {"a full-width digit", [&](Edit* e) { commit(e, "\uFF15"); }, "07", true},
        {"a composition given up",
         [&](Edit* e) {
             preedit(e, "u06");
             preedit(e, "");
         },
         "07", true},
        {"a composition that brings a digit",
         [&](Edit* e) {
             preedit(e, "u37");
             commit(e, "7");
         },
         "7", false},
    };
    ASSERT_TRUE(OpenWith(kSaved));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window_->H1->setText("07");
        window_->H1->selectAll();
        c.input(window_->H1);
        EXPECT_EQ(window_->H1->text(), c.text);
        EXPECT_EQ(window_->H1->selectedText(), c.selected ? QString(c.text) : QString());
    }

    // Pending when the save is clicked: what the field held before is saved.
    window_->H1->setText("09");
    window_->H1->selectAll();
    preedit(window_->H1, "u0663");
    QTest::mouseClick(window_->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(window_->H1->text(), "09");
    EXPECT_EQ(root_.ReadSettings(), QByteArray(kSaved).replace("07:30", "09:30"));
}

// Qt's own texts are Portuguese as the program's are, whatever the system's
// language: a time field's context menu.
TEST_F(FieldsTest, TheContextMenuIsInPortuguese)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTranslator* translator = InstallQtTranslation();
    const auto restore = qScopeGuard([&] {
        if (QWidget* menu = QApplication::activePopupWidget())
            menu->close();
        if (translator)
            QCoreApplication::removeTranslator(translator);
        delete translator;
        QLocale::setDefault(before);
    });
    ASSERT_NE(translator, nullptr);
    ASSERT_TRUE(OpenWith(kSaved));
    const QPoint at = window_->H1->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, window_->H1->mapToGlobal(at));
    QApplication::sendEvent(window_->H1, &request);
    QMenu* menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }));
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            items << action->text().section('\t', 0, 0).remove('&');
    }
    EXPECT_EQ(items.join(", "), "Desfazer, Refazer, Recortar, Copiar, Colar, Excluir, Selecionar tudo");
}

TEST_F(FieldsTest, KeypadEnterOnTheSaveButtonSaves)
{
    ASSERT_TRUE(OpenWith(kSaved));
    window_->H2->setText("09");
    ASSERT_TRUE(window_->RequestFocus(window_->BitBtn1));
    QTest::keyClick(window_->BitBtn1, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Messages(), QStringList{"REGISTRO GRAVADO!!"});
    EXPECT_EQ(root_.ReadSettings(), QByteArray(kSaved).replace("12:00", "09:00"));
}

TEST_F(FieldsTest, EnterWalksTheSlotsColumnByColumnToTheSaveButton)
{
    ASSERT_TRUE(OpenWith(kSaved));
    QStringList walk{Focused()->objectName()};
    for (int i = 0; i < 12; ++i) {
        Press(Qt::Key_Return);
        walk << Focused()->objectName();
    }
    EXPECT_EQ(walk.join(' '), "H1 M1 H2 M2 H3 M3 H4 M4 H5 M5 H6 M6 BitBtn1");
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(root_.ReadSettings(), kSaved) << "reaching the button saves nothing yet";
    Press(Qt::Key_Return);
    EXPECT_EQ(Messages(), QStringList{"REGISTRO GRAVADO!!"});
}

TEST_F(FieldsTest, EscStepsBackAndClosesFromTheFirstField)
{
    ASSERT_TRUE(OpenWith(kSaved));
    const char* order[] = {"H1", "M1", "H2", "M2", "H3", "M3", "H4", "M4", "H5", "M5", "H6", "M6", "BitBtn1"};
    for (int i = 12; i >= 1; --i) {
        auto* from = window_->findChild<QWidget*>(order[i]);
        ASSERT_TRUE(window_->RequestFocus(from));
        Press(Qt::Key_Escape);
        EXPECT_EQ(Focused()->objectName(), order[i - 1]) << "Esc in " << order[i];
    }
    window_->H1->setText("7");
    Press(Qt::Key_Escape);
    EXPECT_TRUE(window_->TempFecha->Enabled()) << "the fade-out starts";
    EXPECT_TRUE(window_->Opacity.Applied());
    EXPECT_EQ(Focused(), window_->H1);
    EXPECT_EQ(window_->H1->text(), "7") << "no exit check";
}

TEST_F(FieldsTest, TabAndShiftTabReachTheSaveButton)
{
    ASSERT_TRUE(OpenWith(kSaved));
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), window_->BitBtn1);
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), window_->H1);
    ASSERT_TRUE(window_->RequestFocus(window_->M6));
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), window_->BitBtn1);
}

TEST_F(FieldsTest, FocusColourAndSelectionOnArrival)
{
    ASSERT_TRUE(OpenWith(kSaved));
    EXPECT_EQ(window_->H1->Color(), FocusColour());
    for (int i = 0; i < 9; ++i)
        Press(Qt::Key_Return);
    ASSERT_EQ(Focused(), window_->M5);
    EXPECT_EQ(window_->M5->Color(), FocusColour()) << "M5 gains its colour through M1Enter";
    EXPECT_EQ(window_->H1->Color(), RestColour());
    EXPECT_EQ(window_->H5->Color(), RestColour());

    // A field reached by Enter has its text selected: typing replaces it.
    ASSERT_TRUE(window_->RequestFocus(window_->M1));
    EXPECT_EQ(window_->M1->selectedText(), "30");
    Type(window_->M1, "9");
    EXPECT_EQ(window_->M1->text(), "9");
}

TEST_F(FieldsTest, LeavingAFieldNormalisesItsText)
{
    ASSERT_TRUE(OpenWith(kSaved));
    const std::pair<QString, QString> cases[] = {
        {"7", "07"},  {"", "00"},   {"007", "07"}, {"0", "00"},
        {"24", "24"}, {" 7", "07"}, {"7:", "00"},  {QString(400, '9'), "00"}, // beyond a double's range
    };
    for (const auto& [typed, shown] : cases) {
        ASSERT_TRUE(window_->RequestFocus(window_->H2));
        window_->H2->setText(typed);
        Press(Qt::Key_Tab);
        EXPECT_EQ(window_->H2->text(), shown) << qPrintable(typed.left(10)) << " " << qPrintable(Messages().join('/'));
        EXPECT_EQ(Focused(), window_->M2);
    }
    EXPECT_TRUE(Messages().isEmpty());
    window_->M2->setText("60");
    Press(Qt::Key_Tab);
    EXPECT_EQ(window_->M2->text(), "60");
    EXPECT_EQ(window_->Teste, 60);
}

TEST_F(FieldsTest, OutOfRangeValuesAreReportedAndTheSavedValuesReturn)
{
    struct Case
    {
        const char* field;
        QString typed;
        const char* message;
        const char* saved;
    };
    const Case cases[] = {
        {"H3", "25", "HORA INCORRETA", "15"},
        {"H4", "123", "HORA INCORRETA", "00"},
        {"M3", "61", "MINUTO INCORRETO", "45"},
        {"M2", "2147483647", "MINUTO INCORRETO", "00"},
        {"M2", "2147483648", "MINUTO INCORRETO", "00"},   // beyond 32 bits: rejected, never an error box
        {"H2", QString(20, '9'), "HORA INCORRETA", "12"}, // 1E20
        {"H2", "-5", "HORA INCORRETA", "12"},             // negative times are rejected too
    };
    ASSERT_TRUE(OpenWith(kSaved));
    int expectedMessages = 0;
    for (const auto& c : cases) {
        auto* field = window_->findChild<Edit*>(c.field);
        ASSERT_TRUE(window_->RequestFocus(field));
        field->setText(c.typed);
        Press(Qt::Key_Return);
        ++expectedMessages;
        ASSERT_EQ(Messages().size(), expectedMessages) << c.field << " " << qPrintable(c.typed);
        EXPECT_EQ(Messages().last(), c.message);
        EXPECT_EQ(field->text(), c.saved) << c.field << " shows the saved value again";
        EXPECT_EQ(Focused(), window_->H1) << "the window's return puts the focus on H1";
        EXPECT_EQ(field->Color(), RestColour());
    }
    EXPECT_EQ(root_.ReadSettings(), kSaved);
}

TEST_F(FieldsTest, RejectionInTheFirstFieldKeepsTheFocusThere)
{
    ASSERT_TRUE(OpenWith(kSaved));
    QSignalSpy m1Entered(window_->M1, &Edit::entered);
    window_->H1->setText("25");
    Press(Qt::Key_Return);
    EXPECT_EQ(Messages(), QStringList{"HORA INCORRETA"});
    EXPECT_EQ(m1Entered.count(), 0) << "the move to M1 is abandoned";
    EXPECT_EQ(Focused(), window_->H1);
    EXPECT_EQ(window_->H1->text(), "07");
}

TEST_F(FieldsTest, LeavingAndReturningToTheWindowRunsNoExitCheck)
{
    ASSERT_TRUE(OpenWith(kSaved));
    ASSERT_TRUE(window_->RequestFocus(window_->H2));
    window_->H2->setText("7");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == other.windowHandle(); }));
    EXPECT_EQ(window_->H2->text(), "7");
    EXPECT_EQ(window_->H2->Color(), FocusColour());
}

TEST_F(FieldsTest, ASettingsFileOfRejectedTimesComesToRest)
{
    ASSERT_TRUE(OpenWith("0\r\n0\r\n99:99\r\n99:99\r\n99:99\r\n99:99\r\n99:99\r\n99:99\r\n"));
    for (int i = 0; i < 13; ++i)
        Press(Qt::Key_Tab);
    EXPECT_EQ(Messages().size(), 13) << "one message for each attempt to leave, never a chain";
    ASSERT_NE(Focused(), nullptr);
    EXPECT_EQ(Focused(), window_->H1);
    const auto before = activations_->count();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(activations_->count(), before) << "at rest";
}
