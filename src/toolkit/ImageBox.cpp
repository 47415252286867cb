#include "ImageBox.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "PictureFile.h"

namespace {

// Markers that may stand between the others outside a scan, each followed by
// its length: frame headers, tables, restart interval, scan headers, number
// of lines, application data and comments. libjpeg reads each of them to the
// byte, so what it reads is what this walk follows.
bool IsSegment(unsigned marker)
{
    return (marker >= 0xC0 && marker <= 0xCF) || (marker >= 0xDA && marker <= 0xDD)
           || (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE;
}

// The number of scans of a JPEG, from a walk over its markers that decodes
// nothing; -1 where the walk cannot follow the file from its start to its
// end marker: a stray byte between markers, a marker it does not know, a
// segment or a scan cut short, no end. A decoder that skips such bytes
// would see scans this walk never saw, so such a file is not decoded.
int JpegScanCount(QByteArrayView bytes)
{
    const auto at = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return -1;
    int scans = 0;
    qsizetype i = 2;
    while (i < bytes.size()) {
        if (at(i) != 0xFF)
            return -1;
        while (i < bytes.size() && at(i) == 0xFF) // fill bytes
            ++i;
        if (i >= bytes.size())
            return -1;
        const unsigned marker = at(i++);
        if (marker == 0xD9) // end of image; what follows is not read
            return scans;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // no length follows
        if (!IsSegment(marker) || i + 1 >= bytes.size())
            return -1;
        const qsizetype length = (qsizetype{at(i)} << 8) | at(i + 1);
        if (length < 2 || i + length > bytes.size())
            return -1;
        i += length;
        if (marker != 0xDA)
            continue;
        ++scans;
        // The coded data runs to the next marker other than a restart or a
        // stuffed zero.
        while (i + 1 < bytes.size() && !(at(i) == 0xFF && at(i + 1) != 0x00 && (at(i + 1) < 0xD0 || at(i + 1) > 0xD7)))
            ++i;
        if (i + 1 >= bytes.size())
            return -1;
    }
    return -1;
}

} // namespace

ImageBox::ImageBox(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

bool ImageBox::LoadFromFile(const QString& path)
{
    QImage loaded;
    refusal_.clear();
    if (path.startsWith(u':')) {
        // Embedded in the program: nobody can put anything in its place.
        loaded = QImageReader(path).read();
    } else {
        std::optional<QByteArray> bytes = ReadPictureFile(path, kMaxFileBytes);
        if (!bytes) {
            refusal_ = QStringLiteral("it is missing, not a plain file or over %1 bytes").arg(kMaxFileBytes);
            return false;
        }
        const int scans = JpegScanCount(*bytes);
        if (scans < 0) {
            refusal_ = QStringLiteral("it is no JPEG whose markers can be followed to its end");
            return false;
        }
        if (scans > kMaxScans) {
            refusal_ = QStringLiteral("it holds %1 scans, more than %2").arg(scans).arg(kMaxScans);
            return false;
        }
        loaded = DecodeJpeg(*bytes, kMaxSide, kMaxScans, refusal_);
    }
    if (loaded.isNull()) {
        if (refusal_.isEmpty())
            refusal_ = QStringLiteral("it cannot be decoded");
        return false;
    }
    SetPicture(loaded);
    return true;
}

void ImageBox::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (Stretch)
        p.drawImage(rect(), picture_);
    else
        p.drawImage(QPoint(0, 0), picture_);
}

void ImageBox::mousePressEvent(QMouseEvent* event)
{
    click_.Pressed(event);
    QWidget::mousePressEvent(event); // not taken: the window under it sees the press too
}

void ImageBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = click_.Released(event, this);
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
