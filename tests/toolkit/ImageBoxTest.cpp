#include "ImageBox.h"
#include "MadeJpegs.h"
#include "SpecialFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

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
