#include "DesignFont.h"

#include <QFontDatabase>
#include <QStringList>

#include <cstddef>
#include <iterator>
#include <optional>

namespace {

struct Substitute
{
    const char* face;
    const char* family;
    QFont::Weight weight;
    int stretch;
    // The same face under a family name of its own, or null.
    const char* ownFamily;
};

// Open Sans Light is the closest free match to Segoe UI Light's thin, open
// forms; narrowed to 92 % it sets the layout's texts at Segoe UI's widths,
// so captions fit the boxes they were designed for.
//
// Windows (GDI, and Wine's) also lists Open Sans Light and Semibold as
// families of their own, and there the face is asked for by that name: asked
// by weight within "Open Sans", it may get Open Sans Condensed Light, which
// has the same weight and sets every text a third narrower.
constexpr Substitute kSubstitutes[] = {
    {"Segoe UI Light", "Open Sans", QFont::Light, 92, "Open Sans Light"},
    {"Segoe UI Semibold", "Open Sans", QFont::DemiBold, 92, "Open Sans Semibold"},
    {"Segoe UI", "Open Sans", QFont::Normal, 92, nullptr},
    {"Tahoma", "DejaVu Sans", QFont::Normal, 100, nullptr},
};

// Whether the desktop has a family of this name. The font database lists
// its families once it is loaded, which any text needs; QFontDatabase::hasFamily
// would also run each name through fontconfig's substitution rules (about a
// million instructions each) only to learn what the list already says.
bool HasFamily(const char* family)
{
    static const QStringList families = QFontDatabase::families();
    return families.contains(QString::fromLatin1(family), Qt::CaseInsensitive);
}

// Whether the desktop has each face of the table, asked once per face: the
// layout asks for a face some forty times while the window is built.
bool Installed(std::size_t substitute)
{
    static std::optional<bool> installed[std::size(kSubstitutes)];
    std::optional<bool>& known = installed[substitute];
    if (!known)
        known = HasFamily(kSubstitutes[substitute].face);
    return *known;
}

bool OwnFamilyInstalled(std::size_t substitute)
{
    static std::optional<bool> installed[std::size(kSubstitutes)];
    std::optional<bool>& known = installed[substitute];
    if (!known) {
        const char* own = kSubstitutes[substitute].ownFamily;
        known = own && HasFamily(own);
    }
    return *known;
}

} // namespace

QFont DesignFont(const QString& face, int pixelHeight, FontStyle style)
{
    QFont font(face);
    for (std::size_t i = 0; i < std::size(kSubstitutes); ++i) {
        const Substitute& s = kSubstitutes[i];
        if (face == QLatin1String(s.face)) {
            if (!Installed(i)) {
                // A bold text takes the family's own bold face.
                if (style != FontStyle::Bold && OwnFamilyInstalled(i)) {
                    font = QFont(QString::fromLatin1(s.ownFamily));
                    // Set, not left to the parent's font: inside a bold panel
                    // the label would turn bold.
                    font.setWeight(QFont::Normal);
                } else {
                    font = QFont(QString::fromLatin1(s.family));
                    font.setWeight(s.weight);
                }
                font.setStretch(s.stretch);
            }
            break;
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
    for (std::size_t i = 0; i < std::size(kSubstitutes); ++i) {
        if (!Installed(i))
            QFont::insertSubstitution(QString::fromLatin1(kSubstitutes[i].face),
                                      QString::fromLatin1(kSubstitutes[i].family));
    }
}
