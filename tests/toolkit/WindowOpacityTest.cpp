#include "WindowOpacity.h"

#include <QWidget>

#include <gtest/gtest.h>

TEST(WindowOpacityTest, OpaqueWhileNotAppliedAndShowsTheValueWhenApplied)
{
    QWidget window;
    WindowOpacity opacity(&window, 0, true);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);

    opacity.SetValue(102);
    EXPECT_NEAR(window.windowOpacity(), 0.4, 0.01);

    opacity.SetApplied(false);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    opacity.SetValue(9); // the value is kept while not applied...
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    opacity.SetApplied(true); // ...and shown again when applied
    EXPECT_NEAR(window.windowOpacity(), 9 / 255.0, 0.01);
}
