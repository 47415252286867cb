#include "Memo.h"
#include "MemoOn.h"

#include "WrappingText.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QWidget>

namespace {

struct LineCase
{
    const char* name;
    QString text;
    int lines;
};

} // namespace

TEST(Memo, CountsDisplayedLines)
{
    QWidget host;
    Memo* memo = MemoOn(&host, QRect(0, 0, 400, 300), 20);

    const LineCase cases[] = {
        {"empty", QString(), 0},
        {"one line", QStringLiteral("UMA LINHA"), 1},
        {"one line and CR LF", QStringLiteral("UMA LINHA\r\n"), 1},
        {"only CR LF", QStringLiteral("\r\n"), 1},
        {"two lines", QStringLiteral("UMA\r\nDUAS"), 2},
        {"bare LF", QStringLiteral("UMA\nDUAS"), 2},
        {"empty line inside", QStringLiteral("UMA\r\n\r\nTRES"), 3},
        {"two breaks at the end", QStringLiteral("UMA\r\n\r\n"), 2},
        {"wraps to two", WrappingText(memo->font(), 2, 400), 2},
        {"wraps to three", WrappingText(memo->font(), 3, 400), 3},
        {"wrapped and broken", WrappingText(memo->font(), 2, 400) + QStringLiteral("\r\nFIM"), 3},
    };
    for (const auto& c : cases) {
        memo->SetText(c.text);
        EXPECT_EQ(memo->DisplayedLineCount(), c.lines) << c.name;
    }
}

TEST(Memo, WrapsAtTheTextAreaWidthAndItsDefaultFollowsTheSize)
{
    QWidget host;
    auto* memo = new Memo(&host);
    memo->setGeometry(0, 0, 400, 300);
    EXPECT_EQ(memo->TextArea(), QRect(0, 0, 400, 300));
    memo->SetText(WrappingText(memo->font(), 2, 200));

    memo->SetTextAreaNoRedraw(QRect(0, 0, 200, 300));
    EXPECT_EQ(memo->DisplayedLineCount(), 2);

    memo->resize(500, 300);
    EXPECT_EQ(memo->TextArea(), QRect(0, 0, 500, 300));
    EXPECT_EQ(memo->DisplayedLineCount(), 1);
}

TEST(Memo, DrawsEachLineCentredFromTheTopOfTheTextArea)
{
    QWidget host;
    Memo* memo = MemoOn(&host, QRect(0, 0, 400, 200), 20);
    memo->SetColor(Qt::black);
    memo->SetFontColor(Qt::white);
    memo->SetText(QStringLiteral("MMMM\r\nM"));

    const QRect areas[] = {QRect(0, 0, 400, 200), QRect(100, 30, 300, 170), QRect(10, 10, 180, 100)};
    for (const QRect& area : areas) {
        memo->SetTextAreaNoRedraw(area);
        const QImage image = memo->grab().toImage();
        const int lineHeight = memo->fontMetrics().height();
        for (int line = 0; line < 2; ++line) {
            int minX = image.width(), maxX = -1, minY = image.height();
            for (int y = area.top() + line * lineHeight; y < area.top() + (line + 1) * lineHeight; ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) > 128) {
                        minX = std::min(minX, x);
                        maxX = std::max(maxX, x);
                        minY = std::min(minY, y);
                    }
            ASSERT_GE(maxX, 0) << "line " << line << " of area " << area.x() << "," << area.y();
            EXPECT_NEAR((minX + maxX + 1) / 2.0, area.center().x() + 0.5, 2.0) << "line " << line;
            EXPECT_GE(minY, area.top() + line * lineHeight);
        }
        // Nothing is drawn above the text area.
        for (int y = 0; y < area.top(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_LE(qGray(image.pixel(x, y)), 128) << x << "," << y;
    }
}
