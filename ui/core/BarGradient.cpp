#include "ui/core/BarGradient.h"

#include <algorithm>
#include <cstddef>

namespace ui {

namespace {

// Start + Step * (End - Start) / Span per channel, truncating towards zero.
RgbColour Blend(RgbColour start, RgbColour end, std::int64_t step, std::int64_t span) {
  auto channel = [&](int s, int e) { return static_cast<int>(s + step * (e - s) / span); };
  return MakeRgb(channel(RedOf(start), RedOf(end)), channel(GreenOf(start), GreenOf(end)),
                 channel(BlueOf(start), BlueOf(end)));
}

}  // namespace

RgbColour GradientColour(GradientDirection direction, RgbColour start, RgbColour end, int x, int y, int width,
                         int height) {
  if (start == end || width <= 0 || height <= 0) return start;
  switch (direction) {
    case GradientDirection::Horizontal:
      return Blend(start, end, x, width);
    case GradientDirection::Vertical:
      return Blend(start, end, y, height);
    case GradientDirection::DiagonalRightLeft:
      x = width - 1 - x;
      break;
    case GradientDirection::DiagonalLeftRight:
      break;
  }
  // (y / H + x / W) * 512, truncated, in exact integers rather than in
  // floating point, where a sum such as 1/3 + 2/3 can land just below 1.
  const std::int64_t w = width, h = height;
  const std::int64_t v = (static_cast<std::int64_t>(y) * w + static_cast<std::int64_t>(x) * h) * 512 / (w * h);
  return Blend(start, end, v, 1024);
}

std::vector<std::uint32_t> GradientWords(GradientDirection direction, RgbColour start, RgbColour end, int width,
                                         int height) {
  std::vector<std::uint32_t> words;
  if (width <= 0 || height <= 0) return words;
  const auto w = static_cast<std::size_t>(width);
  words.resize(w * static_cast<std::size_t>(height));
  if (start == end || direction == GradientDirection::Horizontal) {
    // Every row is the first row.
    for (int x = 0; x < width; ++x) words[static_cast<std::size_t>(x)] = DibWord(GradientColour(direction, start, end, x, 0, width, height));
    for (std::size_t row = 1; row < static_cast<std::size_t>(height); ++row)
      std::copy_n(words.begin(), w, words.begin() + static_cast<std::ptrdiff_t>(row * w));
    return words;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      words[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)] =
          DibWord(GradientColour(direction, start, end, x, y, width, height));
  return words;
}

FadeRuns FadedLineRuns(int a, int b, bool hasGap, int gapLeft, int gapRight) {
  const int m = a + (b - a) / 2;
  FadeRuns runs;
  runs.Left = {a, (hasGap ? std::min(m, gapLeft) : m) - 1, a};
  runs.Right = {hasGap ? std::max(m, gapRight) : m, b, b};
  return runs;
}

RgbColour FadedPixel(RgbColour old, RgbColour line, int distance, int fadeWidth) {
  if (distance < 0 || distance >= fadeWidth) return line;
  return Blend(old, line, distance, fadeWidth);
}

}  // namespace ui
