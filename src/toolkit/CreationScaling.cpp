#include "CreationScaling.h"

#include "MulDiv.h"

std::int32_t ScaleRatio::Apply(std::int32_t a) const
{
    return IsIdentity() ? a : MulDiv(a, m, d);
}

ScaleRatio CreationScaling(int screenWidth, int workAreaHeight)
{
    if (screenWidth == kDesignScreenWidth)
        return {};
    if (MulDiv(kLayoutExtentHeight, screenWidth, kDesignScreenWidth) > workAreaHeight && workAreaHeight > 0)
        return {workAreaHeight, kLayoutExtentHeight};
    return {screenWidth, kDesignScreenWidth};
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
