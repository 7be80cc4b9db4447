#include "watcher/core/IconFile.h"

namespace {

unsigned Word(const std::uint8_t* p) { return static_cast<unsigned>(p[0] | p[1] << 8); }
std::uint32_t DWord(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Colour depth of an entry: its bit count, or derived from its colour count
// when the writer left the bit count zero.
unsigned BitsOf(const std::uint8_t* entry) {
  const unsigned bits = Word(entry + 6);
  if (bits) return bits;
  const unsigned colours = entry[2];
  if (colours == 2) return 1;
  if (colours == 16) return 4;
  return 8;
}

}  // namespace

bool PickIconImage(const std::uint8_t* file, std::size_t fileSize, unsigned width, unsigned height,
                   unsigned maxBitCount, IconImageSpan& span) {
  const std::size_t kHeader = 6, kEntry = 16;
  if (!file || fileSize < kHeader || Word(file) != 0 || Word(file + 2) != 1) return false;
  const std::size_t count = Word(file + 4);
  if (count > (fileSize - kHeader) / kEntry) return false;
  bool found = false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = file + kHeader + i * kEntry;
    const unsigned w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    const std::size_t size = DWord(e + 8), offset = DWord(e + 12);
    if (w != width || h != height) continue;
    if (offset > fileSize || size > fileSize - offset || size == 0) return false;
    const unsigned bits = BitsOf(e);
    if (bits > maxBitCount || (found && bits <= span.BitCount)) continue;
    span = {offset, size, bits};
    found = true;
  }
  return found;
}
