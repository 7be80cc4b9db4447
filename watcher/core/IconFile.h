#pragma once
// Picks one image out of the bytes of an icon file (.ico), which holds
// several sizes and colour depths of one picture.

#include <cstddef>
#include <cstdint>

struct IconImageSpan {
  std::size_t Offset;
  std::size_t Size;
  unsigned BitCount;
};

// The image of Width x Height with the most colours up to MaxBitCount.
// False when the file is damaged or has no image of that size; every offset
// and length of the directory is checked against FileSize.
bool PickIconImage(const std::uint8_t* file, std::size_t fileSize, unsigned width, unsigned height,
                   unsigned maxBitCount, IconImageSpan& span);
