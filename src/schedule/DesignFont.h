#pragma once

#include <QFont>
#include <QString>

// Fonts of the layout are given by face and pixel height of the characters.
// Where a face of the home desktop is not installed the nearest installed one
// is used: Open Sans (light, semibold) for Segoe UI, DejaVu Sans for Tahoma.
enum class FontStyle
{
    Regular,
    Bold,
    Underline
};

QFont DesignFont(const QString& face, int pixelHeight, FontStyle style = FontStyle::Regular);

// Registers the substitutes with Qt so that a face asked for by name alone
// also finds its stand-in. Called once at start-up.
void RegisterFontSubstitutes();
