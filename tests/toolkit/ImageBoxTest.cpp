#include "ImageBox.h"
#include "MadeJpegs.h"
#include "PictureFile.h"
#include "SpecialFiles.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#ifndef Q_OS_WIN
#include <cstdio>

#include <jpeglib.h>
#endif

namespace {

QByteArray SmallJpeg()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// A decodable picture made `size` bytes long by zeros after its end, which
// a decoder ignores: only the size tells it apart from the small one.
void WritePaddedJpeg(const QString& path, qint64 size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SmallJpeg());
    ASSERT_TRUE(file.resize(size));
}

} // namespace

// A picture is shown at about a hundred pixels: one whose header promises
// far more, or that is built of scan after scan, is refused before anything
// is decoded, while one within the bounds still loads.
TEST(ImageBoxTest, RefusesPicturesBeyondTheBoundsBeforeDecoding)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool loads;
    };
    const Case cases[] = {
        {"largest", MadeJpeg(QSize(ImageBox::kMaxSide, ImageBox::kMaxSide), false), true},
        {"too wide", MadeJpeg(QSize(ImageBox::kMaxSide + 1, 8), false), false},
        {"too tall", MadeJpeg(QSize(8, ImageBox::kMaxSide + 1), false), false},
        {"progressive", MadeJpeg(QSize(64, 64), true), true},
        {"scan bomb", MadeScanBomb(ImageBox::kMaxScans, 64), false},
        // Markers the walk cannot follow are never decoded.
        {"stray byte after the start", WithStrayByteAfterStart(MadeJpeg(QSize(64, 64), true)), false},
        {"no end", WithoutEnd(MadeJpeg(QSize(64, 64), true)), false},
        {"unknown marker", MadeJpeg(QSize(64, 64), false).insert(2, QByteArray("\xFF\x02\x00\x04\x00\x00", 6)), false},
        {"no JPEG", QByteArray("GIF89a") + QByteArray(64, '\0'), false},
    };
    QWidget parent;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        const QString path = dir.filePath("picture.jpg");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(c.bytes);
        }
        ImageBox box(&parent);
        EXPECT_EQ(box.LoadFromFile(path), c.loads);
        EXPECT_EQ(box.Picture().isNull(), !c.loads);
    }
}

// Pictures come from the data root, where anything may stand under their
// names: only a regular file within the size limit is decoded, and nothing
// else may stop the program (a pipe would block a plain open for good).
TEST(ImageBoxTest, DecodesOnlyRegularFilesWithinTheLimit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case
    {
        const char* name;
        bool loads;
    };
    const QString small = dir.filePath("small.jpg");
    {
        QFile file(small);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SmallJpeg());
    }
    WritePaddedJpeg(dir.filePath("at-limit.jpg"), ImageBox::kMaxFileBytes);
    WritePaddedJpeg(dir.filePath("over-limit.jpg"), ImageBox::kMaxFileBytes + 1);
    const bool pipeMade = MakeNamedPipe(dir.filePath("fifo.jpg"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));

    const Case cases[] = {
        {"small.jpg", true}, {"at-limit.jpg", true}, {"over-limit.jpg", false},
        {"fifo.jpg", false}, {"folder.jpg", false},  {"missing.jpg", false},
    };
    QWidget parent;
    for (const Case& c : cases) {
        if (!pipeMade && QByteArrayView(c.name) == "fifo.jpg")
            continue; // no named pipes in this file system
        SCOPED_TRACE(c.name);
        ImageBox box(&parent);
        bool loaded = false;
        {
            const HangGuard guard(30);
            loaded = box.LoadFromFile(dir.filePath(c.name));
        }
        EXPECT_EQ(loaded, c.loads);
        EXPECT_EQ(box.Picture().isNull(), !c.loads);
    }
}

// A hostile account may put in IMAGEM a picture of tens of thousands of
// scans, each a refinement of the whole picture, or hide them behind marker
// layouts a walk over the markers does not follow. Each is refused, with a
// reason, at once: decoding one whole takes tens of seconds.
TEST(ImageBoxTest, CraftedPicturesAreRefusedAtOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bomb = MadeScanBombOfSize(ImageBox::kMaxSide, ImageBox::kMaxFileBytes);
    ASSERT_LE(bomb.size(), ImageBox::kMaxFileBytes);
    ASSERT_GT(ScansOf(bomb), 50000);
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"scans", bomb},
        {"stray byte after the start", WithStrayByteAfterStart(bomb)},
        {"no end", WithoutEnd(bomb)},
    };
    QWidget parent;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("OK.JPG");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(file.write(c.bytes), c.bytes.size());
        }
        ImageBox box(&parent);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(box.LoadFromFile(path));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_TRUE(box.Picture().isNull());
        EXPECT_FALSE(box.LastRefusal().isEmpty());
    }
}

#ifndef Q_OS_WIN
namespace {

// A grey progressive picture whose coefficients come in `scans` scans, all
// in a valid order (the DC, then one band of AC coefficients per scan, then
// refinements of single coefficients), so libjpeg has nothing to warn about:
// only its scan limit can stop it. Up to 63 + 63 * 12 scans.
QByteArray MadeManyScans(int scans, int side)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(side);
    info.image_height = static_cast<JDIMENSION>(side);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    std::vector<jpeg_scan_info> script;
    script.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    const int bands = std::min(scans - 1, 63);
    const int refinements = scans - 1 - bands;
    const int al = refinements > 0 ? 1 + (refinements - 1) / 63 : 0;
    for (int b = 0; b < bands; ++b) // coefficients 1..63 in `bands` bands
        script.push_back({1, {0, 0, 0, 0}, 1 + b * 63 / bands, (b + 1) * 63 / bands, 0, al});
    for (int r = 0; r < refinements; ++r) { // each coefficient refined one bit at a time
        const int k = 1 + r % 63;
        const int bit = al - 1 - r / 63;
        script.push_back({1, {0, 0, 0, 0}, k, k, bit + 1, bit});
    }
    info.scan_info = script.data();
    info.num_scans = static_cast<int>(script.size());
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(side));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x)
            row[static_cast<std::size_t>(x)] = static_cast<unsigned char>((x + y) * 255 / (2 * side));
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    std::free(out);
    return bytes;
}

} // namespace

// Past the walk, libjpeg itself stops on the first scan past the limit, and
// on any data it would have to skip, whatever the markers say: these are
// pictures handed straight to the decoder, the crafted ones above among
// them.
TEST(ImageBoxTest, TheDecoderItselfStopsPastTheScanLimit)
{
    const QByteArray bomb = MadeScanBombOfSize(ImageBox::kMaxSide, ImageBox::kMaxFileBytes);
    const QByteArray plain = MadeJpeg(QSize(64, 64), true);
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool decodes;
        const char* refusal;
    };
    const Case cases[] = {
        {"as many scans as allowed", MadeManyScans(ImageBox::kMaxScans, 64), true, ""},
        {"one scan more", MadeManyScans(ImageBox::kMaxScans + 1, 64), false, "more than 32 scans"},
        {"hundreds of scans, the largest picture", MadeManyScans(600, ImageBox::kMaxSide), false, "more than 32 scans"},
        {"the same, no end", WithoutEnd(MadeManyScans(600, ImageBox::kMaxSide)), false, "more than 32 scans"},
        {"a scan repeated tens of thousands of times", bomb, false, ""},
        {"the same, a stray byte after the start", WithStrayByteAfterStart(bomb), false, "damaged"},
        {"the same, no end", WithoutEnd(bomb), false, ""},
        {"no end, few scans", WithoutEnd(plain), false, "damaged"},
        {"progressive", plain, true, ""},
        {"baseline, the largest", MadeJpeg(QSize(ImageBox::kMaxSide, ImageBox::kMaxSide), false), true, ""},
        {"too wide", MadeJpeg(QSize(ImageBox::kMaxSide + 1, 8), false), false, "more than 1024 a side"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LE(c.bytes.size(), ImageBox::kMaxFileBytes);
        QString refusal;
        const auto start = std::chrono::steady_clock::now();
        const QImage image = DecodeJpeg(c.bytes, ImageBox::kMaxSide, ImageBox::kMaxScans, refusal);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(!image.isNull(), c.decodes) << refusal.toStdString();
        EXPECT_EQ(refusal.isEmpty(), c.decodes) << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(QLatin1String(c.refusal))) << refusal.toStdString();
        if (c.decodes) { // the picture itself, as Qt's own decoder gives it
            EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                      QImage::fromData(c.bytes).convertToFormat(QImage::Format_RGB32));
        }
    }
}
#endif
