#include "ImageBox.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "PictureFile.h"

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
        QBuffer buffer(&*bytes);
        loaded = QImageReader(&buffer).read();
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

void ImageBox::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick(this);
}
