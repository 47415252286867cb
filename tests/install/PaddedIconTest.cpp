// The wide application icon goes into the square icon theme centred and
// unscaled: its own pixels in the middle, transparency all round.
#include <gtest/gtest.h>

#include <QImage>

TEST(PaddedIcon, HoldsTheWidePictureUnscaledInTheMiddle)
{
    const QImage wide = QImage(QUORVELO_ARTWORK_DIR "/app-93x61.png").convertToFormat(QImage::Format_ARGB32);
    const QImage square =
        QImage(QUORVELO_LINUX_ICON_DIR "/96/quorvelo-config.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(wide.size(), QSize(93, 61));
    ASSERT_EQ(square.size(), QSize(96, 96));

    // (96 - 93) / 2 = 1 column left, (96 - 61) / 2 = 17 rows above.
    const QPoint origin(1, 17);
    int differing = 0;
    int opaqueOutside = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 96; ++x) {
            const QPoint inWide = QPoint(x, y) - origin;
            if (wide.rect().contains(inWide)) {
                if (square.pixel(x, y) != wide.pixel(inWide))
                    ++differing;
            } else if (qAlpha(square.pixel(x, y)) != 0) {
                ++opaqueOutside;
            }
        }
    }
    EXPECT_EQ(differing, 0) << "pixels that differ from the 93 x 61 picture";
    EXPECT_EQ(opaqueOutside, 0) << "pixels around the picture that are not transparent";
}
