#pragma once

#include "Memo.h"

#include <QFont>
#include <QRect>

// A multi-line text box on `host` at `box`, its characters `pixelHeight` high.
inline Memo* MemoOn(QWidget* host, const QRect& box, int pixelHeight)
{
    auto* memo = new Memo(host);
    memo->setGeometry(box);
    QFont font = memo->font();
    font.setPixelSize(pixelHeight);
    memo->setFont(font);
    return memo;
}
