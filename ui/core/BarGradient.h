#pragma once
// Colours of the bar's gradient and of the faded separator lines, with the
// truncating integer arithmetic the menus have always been drawn with.
// Colours are system colour values: red in the low byte, then green, blue.

#include <cstdint>
#include <vector>

namespace ui {

using RgbColour = std::uint32_t;

enum class GradientDirection { Horizontal, Vertical, DiagonalLeftRight, DiagonalRightLeft };

constexpr RgbColour MakeRgb(int red, int green, int blue) {
  return static_cast<RgbColour>(red & 0xFF) | static_cast<RgbColour>(green & 0xFF) << 8 |
         static_cast<RgbColour>(blue & 0xFF) << 16;
}
constexpr int RedOf(RgbColour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(RgbColour c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int BlueOf(RgbColour c) { return static_cast<int>(c >> 16 & 0xFF); }

// The word a 32-bit bitmap holds for the colour: blue, green, red, 0.
constexpr std::uint32_t DibWord(RgbColour c) {
  return static_cast<std::uint32_t>(BlueOf(c)) | static_cast<std::uint32_t>(GreenOf(c)) << 8 |
         static_cast<std::uint32_t>(RedOf(c)) << 16;
}

// The colour of pixel (X, Y), counted from the rectangle's top left, in a
// gradient over Width x Height from Start to End.
RgbColour GradientColour(GradientDirection direction, RgbColour start, RgbColour end, int x, int y, int width,
                         int height);

// The whole gradient as rows of 32-bit words, top row first. Empty for an
// empty rectangle.
std::vector<std::uint32_t> GradientWords(GradientDirection direction, RgbColour start, RgbColour end, int width,
                                         int height);

// A faded line from A to B (both drawn) with fade width F, optionally with a
// gap [GapLeft, GapRight) kept free for a separator's text.
struct FadeRun {
  int From = 0, To = 0;  // inclusive; empty when From > To
  int OuterEnd = 0;      // where the fade starts: A for the left run, B for the right
  bool operator==(const FadeRun& o) const { return From == o.From && To == o.To && OuterEnd == o.OuterEnd; }
};
struct FadeRuns {
  FadeRun Left, Right;
};
FadeRuns FadedLineRuns(int a, int b, bool hasGap, int gapLeft, int gapRight);

// The new colour of a pixel of a run at distance K from its outer end.
RgbColour FadedPixel(RgbColour old, RgbColour line, int distance, int fadeWidth);

}  // namespace ui
