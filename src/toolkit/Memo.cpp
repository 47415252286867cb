#include "Memo.h"

#include "DesignColor.h"
#include "Edit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

#include <algorithm>

Memo::Memo(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::IBeamCursor);
}

Memo::~Memo() = default;

void Memo::SetText(const QString& text)
{
    setAccessibleName(text); // screen readers read the message itself
    if (text == text_)
        return;
    text_ = text;
    Invalidate();
    update();
}

QRect Memo::TextArea() const
{
    // A new size gives the box its default text area again.
    return size() == textAreaSize_ ? textArea_ : rect();
}

void Memo::SetTextAreaNoRedraw(const QRect& area)
{
    textArea_ = area;
    textAreaSize_ = size();
    Invalidate();
}

int Memo::DisplayedLineCount() const
{
    if (text_.isEmpty())
        return 0;
    Layout();
    int lines = 0;
    for (const auto& layout : layouts_)
        lines += layout->lineCount();
    // A text that ends with a line break shows an empty last line; it is not counted.
    if (layouts_.size() > 1 && layouts_.back()->text().isEmpty())
        --lines;
    return lines;
}

void Memo::SetColor(const QColor& color)
{
    SetPaletteColor(this, color, QPalette::Base);
}

QColor Memo::Color() const
{
    return palette().color(QPalette::Base);
}

void Memo::SetFontColor(const QColor& color)
{
    SetPaletteColor(this, color, QPalette::Text);
}

QColor Memo::FontColor() const
{
    return palette().color(QPalette::Text);
}

void Memo::Invalidate()
{
    laidOut_ = false;
    layouts_.clear();
}

void Memo::Layout() const
{
    const int width = std::max(0, TextArea().width());
    if (laidOut_ && laidOutWidth_ == width)
        return;
    laidOut_ = true;
    laidOutWidth_ = width;
    layouts_.clear();

    QTextOption option(Qt::AlignHCenter);
    // A word longer than the line is broken where it must, as the home desktop does.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const int lineHeight = fontMetrics().height();

    static const QRegularExpression lineBreak(QStringLiteral("\r?\n"));
    int y = 0;
    for (const QString& paragraph : text_.split(lineBreak)) {
        auto layout = std::make_unique<QTextLayout>(paragraph, font());
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += lineHeight;
        }
        layout->endLayout();
        layouts_.push_back(std::move(layout));
    }
}

void Memo::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        Invalidate();
    QWidget::changeEvent(event);
}

void Memo::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Color());
    Layout();
    const QRect area = TextArea();
    p.setClipRect(area);
    p.setPen(FontColor());
    for (const auto& layout : layouts_)
        layout->draw(&p, area.topLeft());
}

void Memo::keyPressEvent(QKeyEvent* event)
{
    char16_t key = Edit::TypedCharacter(event);
    if (key != 0)
        emit keyPressed(key);
    // Read-only: the box itself does nothing with the key, but Tab still
    // moves the focus through the window.
    QWidget::keyPressEvent(event);
}

void Memo::mousePressEvent(QMouseEvent* event)
{
    click_.Pressed(event);
    event->accept();
}

void Memo::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = click_.Released(event, this);
    event->accept();
    if (click)
        emit clicked();
}
