#include "ArredondaControle.h"

#include "Edit.h"
#include "Memo.h"
#include "MemoOn.h"
#include "Panel.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QWidget>

namespace {

struct PointCase
{
    QPoint point;
    bool inside;
};

// Corners of a 300 x 60 client area cut by quarter circles of radius 10.
const PointCase kPanelPoints[] = {
    {{0, 0}, false},    {{299, 0}, false}, {{0, 59}, false},   {{299, 59}, false}, {{2, 2}, false},
    {{297, 57}, false}, {{6, 0}, false},   {{0, 53}, false},   {{3, 3}, true},     {{296, 56}, true},
    {{7, 0}, true},     {{0, 52}, true},   {{150, 0}, true},   {{150, 59}, true},  {{0, 30}, true},
    {{299, 30}, true},  {{150, 30}, true}, {{300, 30}, false}, {{150, 60}, false},
};

void ExpectRoundedOutline(const QWidget& w, const char* what)
{
    for (const auto& c : kPanelPoints)
        EXPECT_EQ(w.mask().contains(c.point), c.inside) << what << " at " << c.point.x() << "," << c.point.y();
}

} // namespace

TEST(ArredondaControle, PanelGetsRoundedCornersAndKeepsItsContent)
{
    QWidget host;
    auto* panel = new Panel(&host, QStringLiteral("FECHA"), Qt::black, Qt::white);
    panel->setGeometry(10, 10, 300, 60);
    auto* child = new QWidget(panel);
    child->setGeometry(5, 5, 40, 20);

    ArredondaControle(panel);

    ExpectRoundedOutline(*panel, "panel");
    EXPECT_EQ(child->geometry(), QRect(5, 5, 40, 20));
    EXPECT_TRUE(child->mask().isEmpty());
    EXPECT_EQ(panel->Caption(), QStringLiteral("FECHA"));
}

TEST(ArredondaControle, TextBoxAreaMovesInFivePixelsPerCall)
{
    QWidget host;
    auto* memo = new Memo(&host);
    memo->setGeometry(0, 0, 300, 60);
    // Text area (2, 3)-(250, 50).
    memo->SetTextAreaNoRedraw(QRect(QPoint(2, 3), QPoint(249, 49)));

    ArredondaControle(memo);
    EXPECT_EQ(memo->TextArea(), QRect(QPoint(7, 8), QPoint(244, 44)));
    ExpectRoundedOutline(*memo, "text box");

    ArredondaControle(memo);
    EXPECT_EQ(memo->TextArea(), QRect(QPoint(12, 13), QPoint(239, 39)));
    ExpectRoundedOutline(*memo, "text box, twice");
}

TEST(ArredondaControle, TextBoxWrapsAgainAtTheNarrowerWidth)
{
    QWidget host;
    Memo* memo = MemoOn(&host, QRect(0, 0, 300, 200), 10);
    const QFont small = memo->font();
    // Short words filling nearly the whole width, so a 5-pixel inset on each
    // side pushes the last word onto a second line.
    const QFontMetricsF metrics(small);
    QString text = QStringLiteral("i");
    while (metrics.horizontalAdvance(text + QStringLiteral(" i")) <= 298)
        text += QStringLiteral(" i");
    ASSERT_GT(metrics.horizontalAdvance(text), 291);
    memo->SetText(text);
    ASSERT_EQ(memo->DisplayedLineCount(), 1);

    ArredondaControle(memo);

    EXPECT_EQ(memo->DisplayedLineCount(), 2);
}

TEST(ArredondaControle, SingleLineEditKeepsItsTextLayout)
{
    QWidget host;
    auto* edit = new Edit(&host);
    edit->setGeometry(0, 0, 300, 60);
    const QMargins before = edit->textMargins();

    ArredondaControle(edit);

    EXPECT_EQ(edit->textMargins(), before);
    ExpectRoundedOutline(*edit, "edit");
}

TEST(ArredondaControle, WindowShapedTwiceKeepsTheSameOutline)
{
    QWidget window;
    window.resize(300, 60);
    ArredondaControle(&window);
    const QRegion first = window.mask();

    ArredondaControle(&window);

    EXPECT_EQ(window.mask(), first);
    ExpectRoundedOutline(window, "window");
}

TEST(ArredondaControle, ShapeFollowsTheSizeAtTheTimeOfTheCall)
{
    QWidget window;
    window.resize(100, 40);
    ArredondaControle(&window);
    window.resize(300, 60);
    EXPECT_FALSE(window.mask().contains(QPoint(150, 30))) << "the old shape stays until shaped again";

    ArredondaControle(&window);

    ExpectRoundedOutline(window, "resized window");
}

TEST(RoundRectRegion, EllipseIsClampedToASmallRectangle)
{
    // 12 x 8: the ellipse shrinks to the rectangle, which stays symmetric and non-empty.
    const QRegion r = RoundRectRegion(QSize(12, 8), QSize(20, 20));
    EXPECT_TRUE(r.contains(QPoint(6, 4)));
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_FALSE(r.contains(QPoint(11, 7)));
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 12, 8));
    EXPECT_TRUE(RoundRectRegion(QSize(0, 60), QSize(20, 20)).isEmpty());
}
