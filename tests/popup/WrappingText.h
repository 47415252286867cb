#pragma once

#include <QFont>
#include <QString>

// Words "PALAVRA" enough to fill `lines` lines of `width` pixels in `font`,
// the last one about half full.
QString WrappingText(const QFont& font, int lines, int width);
