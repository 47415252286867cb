#include "QuorveloResources.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QSet>

#include <utility>

namespace {

const QString kArtworkDir = QStringLiteral(QUORVELO_ARTWORK_DIR);

// Decodes through the named plugin, as the program does, rather than letting
// Qt guess the format from the contents.
QImage Read(const QString& path, const char* format)
{
    QImageReader reader(path, format);
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << qPrintable(path) << ": " << qPrintable(reader.errorString());
    return image;
}

QImage ReadEmbedded(const char* name)
{
    InitQuorveloResources();
    return Read(QStringLiteral(":/quorvelo/") + QLatin1String(name), "png");
}

int Alpha(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

TEST(PopupArrow, IsA40By40PictureWithAlpha)
{
    const QImage icon = ReadEmbedded("popup-arrow.png");
    ASSERT_EQ(icon.size(), QSize(40, 40));
    EXPECT_TRUE(icon.hasAlphaChannel());
}

TEST(PopupArrow, DrawsTheRingAndArrowWhereDescribed)
{
    const QImage icon = ReadEmbedded("popup-arrow.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(40, 40));

    struct Probe
    {
        int x;
        int y;
        int minAlpha;
        int maxAlpha;
        const char* what;
    };
    const Probe probes[] = {
        {0, 0, 0, 0, "corner"},
        {39, 0, 0, 0, "corner"},
        {0, 39, 0, 0, "corner"},
        {39, 39, 0, 0, "corner"},
        {19, 0, 200, 255, "ring reaches the top"},
        {20, 39, 200, 255, "ring reaches the bottom"},
        {0, 19, 200, 255, "ring reaches the left"},
        {39, 20, 200, 255, "ring reaches the right"},
        {2, 20, 200, 255, "ring is 3 px thick"},
        {4, 20, 0, 0, "ring is no thicker"},
        {9, 19, 160, 255, "tip"},
        {9, 20, 160, 255, "tip"},
        {6, 19, 0, 0, "ground left of the tip"},
        {6, 20, 0, 0, "ground left of the tip"},
        {20, 18, 255, 255, "shaft top row"},
        {20, 19, 255, 255, "shaft"},
        {20, 21, 255, 255, "shaft bottom row"},
        {25, 17, 0, 0, "above the shaft"},
        {25, 22, 0, 0, "below the shaft"},
        {28, 20, 255, 255, "shaft end"},
        {30, 20, 0, 0, "past the shaft end"},
        {14, 16, 255, 255, "upper stroke"},
        {14, 23, 255, 255, "lower stroke"},
        {18, 11, 0, 0, "above the upper stroke"},
        {18, 28, 0, 0, "below the lower stroke"},
        {11, 13, 0, 0, "outside the head"},
        {20, 15, 0, 0, "between stroke and shaft"},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << p.what << " at (" << p.x << ", " << p.y << ")");
        EXPECT_GE(Alpha(icon, p.x, p.y), p.minAlpha);
        EXPECT_LE(Alpha(icon, p.x, p.y), p.maxAlpha);
    }

    // The strokes end on rows 12 and 27, where they span x = 16-21.
    for (const int row : {12, 27}) {
        for (int x = 16; x <= 21; ++x)
            EXPECT_GE(Alpha(icon, x, row), 200) << "x " << x << " row " << row;
        EXPECT_LT(Alpha(icon, 14, row), 64) << "row " << row;
        EXPECT_LT(Alpha(icon, 23, row), 64) << "row " << row;
    }
}

TEST(PopupArrow, EveryVisiblePixelIsWhite)
{
    const QImage icon = ReadEmbedded("popup-arrow.png").convertToFormat(QImage::Format_ARGB32);
    int partlyTransparent = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb px = icon.pixel(x, y);
            if (qAlpha(px) == 0)
                continue;
            if (qAlpha(px) < 255)
                ++partlyTransparent;
            ASSERT_EQ(qRed(px), 255) << x << "," << y;
            ASSERT_EQ(qGreen(px), 255) << x << "," << y;
            ASSERT_EQ(qBlue(px), 255) << x << "," << y;
        }
    }
    EXPECT_GT(partlyTransparent, 0) << "edges are not anti-aliased";
}

// The icon shows a yellow figure on the window's dark blue.
void ExpectIconPalette(const QImage& image)
{
    bool darkBlue = false;
    bool yellow = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && c == QColor(0x00, 0x00, 0x2D))
                darkBlue = true;
            if (c.alpha() == 255 && c.red() > 200 && c.green() > 180 && c.blue() < 80)
                yellow = true;
        }
    }
    EXPECT_TRUE(darkBlue);
    EXPECT_TRUE(yellow);
}

TEST(AppIcon, EmbeddedImagesHaveTheirSizesAndPalette)
{
    const std::pair<const char*, QSize> cases[] = {
        {"app-64.png", QSize(64, 64)},
        {"app-93x61.png", QSize(93, 61)},
    };
    for (const auto& [name, size] : cases) {
        SCOPED_TRACE(name);
        const QImage image = ReadEmbedded(name);
        EXPECT_EQ(image.size(), size);
        ExpectIconPalette(image);
    }
}

TEST(AppIcon, IcoFileHoldsBothImagesUnchanged)
{
    QImageReader reader(kArtworkDir + "/quorvelo-config.ico", "ico");
    ASSERT_EQ(reader.imageCount(), 2) << qPrintable(reader.errorString());

    const QImage expected[] = {
        ReadEmbedded("app-64.png").convertToFormat(QImage::Format_ARGB32),
        ReadEmbedded("app-93x61.png").convertToFormat(QImage::Format_ARGB32),
    };
    QSet<QString> found;
    for (int i = 0; i < reader.imageCount(); ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage entry = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(entry.isNull()) << qPrintable(reader.errorString());
        for (const QImage& image : expected) {
            if (image.size() == entry.size()) {
                EXPECT_EQ(entry, image) << "entry " << i;
                found.insert(QStringLiteral("%1x%2").arg(entry.width()).arg(entry.height()));
            }
        }
    }
    EXPECT_EQ(found, (QSet<QString>{"64x64", "93x61"}));
}

// Darkest pixel inside the box, away from its frame.
int DarkestInsideBox(const QImage& image)
{
    int darkest = 255;
    for (int y = 20; y < 50; ++y)
        for (int x = 16; x < 46; ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

TEST(CheckImages, OkIsClearAndNaookIsTicked)
{
    const QImage ok = Read(kArtworkDir + "/OK.JPG", "jpeg");
    const QImage naook = Read(kArtworkDir + "/NAOOK.JPG", "jpeg");
    ASSERT_EQ(ok.size(), QSize(62, 70));
    ASSERT_EQ(naook.size(), QSize(62, 70));

    // A light ground, to stand out on the dark-blue window.
    EXPECT_GT(qGray(ok.pixel(1, 1)), 200);
    EXPECT_GT(qGray(naook.pixel(1, 1)), 200);

    EXPECT_GT(DarkestInsideBox(ok), 200) << "OK.JPG must show an empty box";
    EXPECT_LT(DarkestInsideBox(naook), 150) << "NAOOK.JPG must show the tick";
}

} // namespace
