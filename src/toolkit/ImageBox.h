#pragma once

#include "ClickDetector.h"

#include <QImage>
#include <QWidget>

// An image control that shows its picture stretched to its box, without
// keeping proportions. A load that fails leaves the picture shown before.
class ImageBox : public QWidget
{
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent);

    // Pictures come from files of the data root, where anything may be put,
    // and are shown at about a hundred pixels: only a regular file of at most
    // kMaxFileBytes that is a JPEG whose markers can be followed to its end,
    // whose header gives at most kMaxSide pixels a side and which holds at
    // most kMaxScans scans, is decoded; the decoder itself stops on a scan
    // past the limit. Anything bigger would only cost memory and time before
    // the window shows.
    static constexpr qint64 kMaxFileBytes = qint64{1024} * 1024;
    static constexpr int kMaxSide = 1024;
    static constexpr int kMaxScans = 32;

    bool LoadFromFile(const QString& path);
    // Why the last LoadFromFile failed, for the line that reports it.
    const QString& LastRefusal() const { return refusal_; }
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

    // Stretched to the box (the default), or drawn at its own size in the top-left corner.
    bool Stretch = true;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QString refusal_;
    ClickDetector click_;
};
