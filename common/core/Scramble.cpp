#include "common/core/Scramble.h"

#include <cmath>

long long ScrambleCounterLimit(long long Length) {
  // Two thirds of a whole number is never a half, so rounding half up is as
  // good as any other tie rule here.
  return static_cast<long long>(std::floor(static_cast<double>(Length) / 3.0 * 2.0 + 0.5));
}

std::string ScrambleText(const std::string& Text, int Mode, const std::string& Key) {
  std::string result = Text;
  if (Text.empty() || Key.empty() || (Mode != Scramble && Mode != Unscramble)) return result;

  const long long limit = ScrambleCounterLimit(static_cast<long long>(Text.size()));
  long long n = 1;
  size_t k = 0;
  for (size_t p = 0; p < Text.size(); ++p) {
    const unsigned c = static_cast<unsigned char>(Text[p]);
    const unsigned d = static_cast<unsigned char>(Key[k]);
    const unsigned counter = static_cast<unsigned>(n % 256);
    const unsigned out = Mode == Scramble ? c + d - counter : c - d + counter;
    result[p] = static_cast<char>(static_cast<unsigned char>(out & 0xFFu));
    if (++n > limit) n = 1;
    if (++k == Key.size()) k = 0;
  }
  return result;
}
