#pragma once
#include "base/GdiplusInclude.h"

// Where a picture of width x height goes in a box: scaled to fit with its
// aspect ratio kept, centred, small pictures enlarged too. An empty picture
// gives an empty rectangle at the box's centre.
Gdiplus::RectF fit_picture(double width, double height, const Gdiplus::RectF& box);

// Draws the whole picture into its fitted rectangle of the box.
void draw_fitted(Gdiplus::Graphics& graphics, Gdiplus::Image& picture, const Gdiplus::RectF& box);
