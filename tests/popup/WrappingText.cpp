#include "WrappingText.h"

#include <QFontMetricsF>
#include <QStringList>

QString WrappingText(const QFont& font, int lines, int width)
{
    const QFontMetricsF metrics(font);
    const QString word = QStringLiteral("PALAVRA");
    int perLine = 1;
    QString line = word;
    while (metrics.horizontalAdvance(line + QLatin1Char(' ') + word) <= width) {
        line += QLatin1Char(' ') + word;
        ++perLine;
    }
    QStringList words;
    for (int i = 0; i < (lines - 1) * perLine + (perLine + 1) / 2; ++i)
        words << word;
    return words.join(QLatin1Char(' '));
}
