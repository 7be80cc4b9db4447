#pragma once
// Where the parts of a spin edit and a spin button go, in pixels.

namespace ui {

struct SpinRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const SpinRect& o) const {
    return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
  }
};

// A spin button is never narrower than this, or its arrows do not fit.
constexpr int kSpinButtonMinWidth = 15;
int SpinButtonWidth(int requested);

// The two halves of a spin button of Width x Height: the up button takes the
// upper half (rounded down), the down button starts one pixel above its
// lower edge and reaches the bottom, so the two share one line of pixels.
SpinRect SpinUpButtonRect(int width, int height);
SpinRect SpinDownButtonRect(int width, int height);

// The focus rectangle of a button of Width x Height: 3 pixels inside its
// bounds, one pixel right and down while it is pressed.
SpinRect SpinFocusRect(int width, int height, bool pressed);

// The spin button inside a spin edit of (outer) EditWidth x EditHeight, in
// the edit's client coordinates. NewStyle: 3-D borders, as every Windows
// since 95 draws them.
SpinRect SpinButtonPlace(int editWidth, int editHeight, int buttonWidth, bool newStyle);

// The edit's formatting rectangle, which keeps the text clear of the button.
SpinRect SpinFormatRect(int clientWidth, int clientHeight, int buttonWidth);

// The least height that shows a line of the control's font.
int SpinMinHeight(int systemFontHeight, int fontHeight, int borderHeight);

// The height of an auto-sized edit with a 3-D border.
int SpinAutoHeight(int fontHeight, int borderHeight);

}  // namespace ui
