#pragma once

#include <cstdint>

// The configuration window's layout is designed for an 800-pixel-wide screen
// and scaled, when the window is created, by the primary screen's width.

struct LayoutBox
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const LayoutBox&, const LayoutBox&) = default;
};

// A ratio M / D applied with MulDiv: scale(a) = a * M / D rounded to nearest,
// halves away from zero.
struct ScaleRatio
{
    std::int32_t m = 1;
    std::int32_t d = 1;
    bool IsIdentity() const { return m == d; }
    std::int32_t Apply(std::int32_t a) const;
    friend bool operator==(const ScaleRatio&, const ScaleRatio&) = default;
};

constexpr int kDesignScreenWidth = 800;   // ScreenWidth
constexpr int kDesignScreenHeight = 600;  // ScreenHeight
constexpr int kLayoutExtentHeight = 426;  // client height of the window's layout

// The ratio for a primary screen `screenWidth` logical pixels wide whose work
// area is `workAreaHeight` high. Width 800 keeps the layout. Where scaling by
// the width would push the layout below the work area (very wide monitors),
// the work-area height over the layout height is used instead so the bottom
// buttons stay on screen.
ScaleRatio CreationScaling(int screenWidth, int workAreaHeight);

// Position and size: right and bottom edges are scaled, so adjacent controls
// stay adjacent.
LayoutBox ScaleBox(const LayoutBox& box, ScaleRatio ratio);

// Character height in pixels. Held negative by the original toolkit, so halves
// round up for the positive height; MulDiv's rounding gives the same.
int ScaleFontHeight(int pixelHeight, ScaleRatio ratio);

// Height of a single-line edit whose characters are `pixelHeight` high: the
// line height of the design's face (ascent + descent = 2724/2048 em) plus
// 2 x 4 pixels of border and margin. 16-pixel characters give 29.
int EditHeightForFont(int pixelHeight);
