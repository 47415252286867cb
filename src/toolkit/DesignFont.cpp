#include "DesignFont.h"

#include <QFontDatabase>

namespace {

struct Substitute
{
    const char* face;
    const char* family;
    QFont::Weight weight;
    int stretch;
};

// Open Sans Light is the closest free match to Segoe UI Light's thin, open
// forms; narrowed to 92 % it sets the layout's texts at Segoe UI's widths,
// so captions fit the boxes they were designed for.
constexpr Substitute kSubstitutes[] = {
    {"Segoe UI Light", "Open Sans", QFont::Light, 92},
    {"Segoe UI Semibold", "Open Sans", QFont::DemiBold, 92},
    {"Segoe UI", "Open Sans", QFont::Normal, 92},
    {"Tahoma", "DejaVu Sans", QFont::Normal, 100},
};

} // namespace

QFont DesignFont(const QString& face, int pixelHeight, FontStyle style)
{
    QFont font(face);
    if (!QFontDatabase::hasFamily(face)) {
        for (const auto& s : kSubstitutes) {
            if (face == QLatin1String(s.face)) {
                font = QFont(QString::fromLatin1(s.family));
                font.setWeight(s.weight);
                font.setStretch(s.stretch);
                break;
            }
        }
    }
    font.setPixelSize(pixelHeight);
    if (style == FontStyle::Bold)
        font.setWeight(QFont::Bold);
    font.setUnderline(style == FontStyle::Underline);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void RegisterFontSubstitutes()
{
    for (const auto& s : kSubstitutes) {
        if (!QFontDatabase::hasFamily(QString::fromLatin1(s.face)))
            QFont::insertSubstitution(QString::fromLatin1(s.face), QString::fromLatin1(s.family));
    }
}
