#include "CreationScaling.h"

#include "MulDiv.h"

std::int32_t ScaleRatio::Apply(std::int32_t a) const
{
    return IsIdentity() ? a : MulDiv(a, m, d);
}

ScaleRatio CreationScaling(int screenWidth, int workAreaWidth, int workAreaHeight)
{
    ScaleRatio ratio;
    if (screenWidth != kDesignScreenWidth) {
        ratio = {screenWidth, kDesignScreenWidth};
        if (workAreaHeight > 0 && ratio.Apply(kLayoutExtentHeight) > workAreaHeight)
            ratio = {workAreaHeight, kLayoutExtentHeight};
    }
    // Only ever smaller than the ratio above, so the height still fits.
    if (workAreaWidth > 0 && ratio.Apply(kDesignScreenWidth) > workAreaWidth)
        ratio = {workAreaWidth, kDesignScreenWidth};
    return ratio;
}

LayoutBox ScaleBox(const LayoutBox& box, ScaleRatio ratio)
{
    LayoutBox out;
    out.left = ratio.Apply(box.left);
    out.top = ratio.Apply(box.top);
    out.width = ratio.Apply(box.left + box.width) - out.left;
    out.height = ratio.Apply(box.top + box.height) - out.top;
    return out;
}

int ScaleFontHeight(int pixelHeight, ScaleRatio ratio)
{
    return -ratio.Apply(-pixelHeight);
}

int EditHeightForFont(int pixelHeight)
{
    return MulDiv(pixelHeight, 2724, 2048) + 8;
}
