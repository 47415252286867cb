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

constexpr int kDesignScreenWidth = 800;  // ScreenWidth
constexpr int kDesignScreenHeight = 600; // ScreenHeight
constexpr int kLayoutExtentHeight = 426; // client height of the window's layout

// The ratio for a primary screen `screenWidth` logical pixels wide whose work
// area is `workAreaWidth` x `workAreaHeight`: the screen width over 800, so
// where the layout fits the result is exactly the design's. Two mends keep the
// layout inside the work area:
// - where scaling by the width would push the layout below the work area (very
//   wide monitors), the work-area height over the layout height is used, so
//   the bottom buttons stay on screen (not at width 800, which keeps the layout
//   whatever the height);
// - where the scaled layout (800 x ratio) would be wider than the work area
//   (a dock on the left or right), the work-area width over 800 is used, so
//   nothing is cut at the right edge.
// A work-area side of 0 (unknown) mends nothing.
ScaleRatio CreationScaling(int screenWidth, int workAreaWidth, int workAreaHeight);

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
