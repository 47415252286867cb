// The focus rule the windows add to Qt: the edit losing the focus checks its
// value first and may keep the focus.
#include "Edit.h"
#include "Form.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <string_view>

namespace {

// A shown, active window with three edits in tab order.
class FocusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form_ = std::make_unique<Form>(nullptr, Qt::Window, 255, false);
        form_->resize(300, 100);
        for (int i = 0; i < 3; ++i) {
            edits_[i] = new Edit(form_.get());
            edits_[i]->setGeometry(10 + 90 * i, 10, 80, 30);
            edits_[i]->setText(QStringLiteral("%1").arg(i));
        }
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        ASSERT_TRUE(form_->RequestFocus(edits_[0]));
    }

    // The first edit refuses to be left, as an exit check that rejects its
    // value does: it asks for the focus back (unless the window is placing it).
    void RefuseToLeaveFirst()
    {
        QObject::connect(edits_[0], &Edit::exited, form_.get(), [this] {
            if (!form_->PlacingFocus()) {
                EXPECT_FALSE(form_->RequestFocus(edits_[0])) << "asked from the check: the move is abandoned";
            }
        });
    }

    std::unique_ptr<Form> form_;
    Edit* edits_[3] = {};
};

struct Move
{
    const char* name;
    std::function<bool(Form*, Edit* target)> move; // true when the move reports success
};

const Move kMoves[] = {
    {"request", [](Form* f, Edit* t) { return f->RequestFocus(t); }},
    {"Tab", [](Form* f, Edit*) { return QTest::keyClick(f->focusWidget(), Qt::Key_Tab), true; }},
    {"click", [](Form*, Edit* t) { return QTest::mouseClick(t, Qt::LeftButton), true; }},
};

TEST_F(FocusTest, EveryMoveRunsTheCheckOfTheEditLeftThenEntersTheTarget)
{
    for (const Move& m : kMoves) {
        ASSERT_TRUE(form_->RequestFocus(edits_[0]));
        QSignalSpy exited(edits_[0], &Edit::exited);
        QSignalSpy entered(edits_[1], &Edit::entered);
        EXPECT_TRUE(m.move(form_.get(), edits_[1])) << m.name;
        EXPECT_EQ(exited.count(), 1) << m.name;
        EXPECT_EQ(entered.count(), 1) << m.name;
        EXPECT_EQ(form_->focusWidget(), edits_[1]) << m.name;
    }
}

TEST_F(FocusTest, ACheckThatAsksForTheFocusBackKeepsIt)
{
    RefuseToLeaveFirst();
    for (const Move& m : kMoves) {
        QSignalSpy entered(edits_[1], &Edit::entered);
        QSignalSpy exited(edits_[0], &Edit::exited);
        const bool moved = m.move(form_.get(), edits_[1]);
        if (m.name == std::string_view("request")) {
            EXPECT_FALSE(moved);
        }
        EXPECT_EQ(exited.count(), 1) << m.name;
        EXPECT_EQ(entered.count(), 0) << m.name << ": the target never gains the focus";
        EXPECT_EQ(form_->focusWidget(), edits_[0]) << m.name;
    }
}

TEST_F(FocusTest, PlacingTheFocusRunsTheCheckButCannotBeRefused)
{
    RefuseToLeaveFirst();
    bool placingSeen = false;
    QObject::connect(edits_[0], &Edit::exited, form_.get(), [&] { placingSeen = form_->PlacingFocus(); });
    form_->PlaceFocus(edits_[2]);
    EXPECT_TRUE(placingSeen) << "the check learns that the window is placing the focus";
    EXPECT_FALSE(form_->PlacingFocus());
    EXPECT_EQ(form_->focusWidget(), edits_[2]);
}

TEST_F(FocusTest, PlacingTheFocusWhereItIsEntersAgain)
{
    edits_[0]->deselect();
    QSignalSpy entered(edits_[0], &Edit::entered);
    QSignalSpy exited(edits_[0], &Edit::exited);
    form_->PlaceFocus(edits_[0]);
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(exited.count(), 0) << "the focus does not leave";
    EXPECT_EQ(edits_[0]->selectedText(), edits_[0]->text()) << "entering selects the text";
}

TEST_F(FocusTest, TabStopsSkipHiddenAndDisabledControlsAndWrap)
{
    edits_[1]->hide();
    EXPECT_EQ(form_->NextTabStop(edits_[0], true), edits_[2]);
    EXPECT_EQ(form_->NextTabStop(edits_[2], true), edits_[0]);
    EXPECT_EQ(form_->NextTabStop(edits_[0], false), edits_[2]);
    edits_[1]->show();
    edits_[2]->setEnabled(false);
    EXPECT_EQ(form_->NextTabStop(edits_[1], true), edits_[0]);
}

} // namespace
