#pragma once

#include <QImage>

// The program's pictures, all drawn by code.
class Artwork
{
public:
    // White circled left arrow on a transparent ground, 40 x 40.
    static QImage PopupArrow();
    // The application icon: a yellow figure stretching on dark blue.
    static QImage AppIcon(int width, int height);
    // The automatic-presentation check picture, 62 x 70.
    static QImage CheckBox(bool ticked);
};
