#pragma once

#include "ClickDetector.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QTextLayout;

// A multi-line, read-only text box as the windows of this tool use it: no
// border, each line centred, word wrap, no scroll bars, colours of its own.
// Its text is laid out inside a text area (the home desktop's "formatting
// rectangle") that can be read and set, and it tells how many lines it shows.
class Memo : public QWidget
{
    Q_OBJECT
public:
    explicit Memo(QWidget* parent);
    ~Memo() override;

    // A CR LF pair (or a bare LF) starts a new line.
    void SetText(const QString& text);
    QString Text() const { return text_; }

    // The area in which the text is laid out and wrapped, in the box's own
    // coordinates. It is the whole box until set, and again after a resize.
    QRect TextArea() const;
    // Takes `area` as the new text area and wraps the text again, without
    // repainting; the caller repaints when it is done.
    void SetTextAreaNoRedraw(const QRect& area);

    // Lines shown at the current text-area width: a wrapped line counts once
    // for each displayed line, a last empty line does not count, and an empty
    // text has none.
    int DisplayedLineCount() const;

    void SetColor(const QColor& color);
    QColor Color() const;
    void SetFontColor(const QColor& color);
    QColor FontColor() const;

signals:
    void clicked();
    // Each typed character (Esc 27, Enter 13, ...) before the box handles it.
    void keyPressed(char16_t& key);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Invalidate();
    void Layout() const;

    QString text_;
    // A text area set for one size; any other size has the default one.
    QRect textArea_;
    QSize textAreaSize_;
    ClickDetector click_;

    // Laid out lazily, one layout per paragraph.
    mutable std::vector<std::unique_ptr<QTextLayout>> layouts_;
    mutable bool laidOut_ = false;
    mutable int laidOutWidth_ = 0;
};
