#include "ImageBox.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "PictureFile.h"

namespace {

// The number of scans of a JPEG, from a walk over its markers that decodes
// nothing; -1 where the bytes are no JPEG the walk understands. A progressive
// picture made of hundreds of scans decodes for seconds however small it is.
int JpegScanCount(QByteArrayView bytes)
{
    const auto at = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return -1;
    int scans = 0;
    qsizetype i = 2;
    while (i + 1 < bytes.size()) {
        if (at(i) != 0xFF)
            return -1;
        while (i < bytes.size() && at(i) == 0xFF) // fill bytes
            ++i;
        if (i >= bytes.size())
            break;
        const unsigned marker = at(i++);
        if (marker == 0xD9) // end of image
            break;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // no length follows
        if (i + 1 >= bytes.size())
            return -1;
        const qsizetype length = (qsizetype{at(i)} << 8) | at(i + 1);
        if (length < 2)
            return -1;
        i += length;
        if (marker != 0xDA)
            continue;
        ++scans;
        // The coded data runs to the next marker other than a restart or a
        // stuffed zero.
        while (i + 1 < bytes.size() && !(at(i) == 0xFF && at(i + 1) != 0x00 && (at(i + 1) < 0xD0 || at(i + 1) > 0xD7)))
            ++i;
    }
    return scans;
}

} // namespace

ImageBox::ImageBox(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

bool ImageBox::LoadFromFile(const QString& path)
{
    QImage loaded;
    if (path.startsWith(u':')) {
        // Embedded in the program: nobody can put anything in its place.
        loaded = QImageReader(path).read();
    } else {
        std::optional<QByteArray> bytes = ReadPictureFile(path, kMaxFileBytes);
        if (!bytes)
            return false;
        if (JpegScanCount(*bytes) > kMaxScans)
            return false;
        QBuffer buffer(&*bytes);
        QImageReader reader(&buffer);
        // The header alone tells the size; nothing is decoded yet.
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide)
            return false;
        loaded = reader.read();
    }
    if (loaded.isNull())
        return false;
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
