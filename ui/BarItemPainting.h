#pragma once
// Painting of the side-bar menu's items and of gradients and faded lines on
// any device context.

#include <windows.h>

#include "rtl/win32/Menus.h"
#include "ui/BarMenus.h"

namespace ui {

// Fills R with a gradient, drawn into a 32-bit bitmap and copied, so that a
// window canvas gets the same pixels as the bar's bitmap.
void FillGradient(HDC dc, const RECT& r, TColor start, TColor end, TGradientStyle style);

// A line in row Y from A to B (both drawn) that fades into what is there
// over FadeWidth pixels at either end; Gap (when given) stays untouched.
void DrawFadedLine(HDC dc, int y, int a, int b, int fadeWidth, TColor colour, const RECT* gap);

// The item's painting into its content rectangle C.
void DrawSeparatorItem(IBarMenusIntf& menu, HDC dc, const rtl::TMenuItem& item, RECT c);
void DrawNormalItem(IBarMenusIntf& menu, HDC dc, const rtl::TMenuItem& item, RECT c, UINT state, bool xpStyle);

}  // namespace ui
