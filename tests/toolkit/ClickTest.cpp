// A click on the controls that are no buttons: the primary button pressed on
// the control and released over it.
#include "ImageBox.h"
#include "Memo.h"
#include "Panel.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

struct Gesture
{
    const char* name;
    std::function<void(QWidget*)> perform;
    bool clicks;
};

const Gesture kGestures[] = {
    {"press and release inside",
     [](QWidget* w) {
         QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 5));
         QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(20, 10));
     },
     true},
    {"release outside",
     [](QWidget* w) {
         QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 5));
         QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(200, 10));
     },
     false},
    {"right button", [](QWidget* w) { QTest::mouseClick(w, Qt::RightButton, {}, QPoint(5, 5)); }, false},
    {"release without its press", [](QWidget* w) { QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(5, 5)); }, false},
};

template <typename Control>
void CheckClicks(Control* control, const char* what)
{
    control->setGeometry(0, 0, 100, 40);
    for (const Gesture& g : kGestures) {
        QSignalSpy clicked(control, &Control::clicked);
        g.perform(control);
        EXPECT_EQ(clicked.count(), g.clicks ? 1 : 0) << what << ": " << g.name;
    }
}

TEST(ClickTest, OnlyAPrimaryPressReleasedOverTheControlClicksIt)
{
    QWidget parent;
    CheckClicks(new Panel(&parent, QStringLiteral("FECHA"), Qt::black, Qt::white), "panel");
    CheckClicks(new Memo(&parent), "memo");
    CheckClicks(new ImageBox(&parent), "image");
}

} // namespace
