#include "setup/core/Windows1252.h"

#include <cstdint>

namespace {

// The characters of 0x80 to 0x9F; 0 marks the five codes without one.
const char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int CodeOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] != 0 && kHigh[i] == c) return 0x80 + i;
  return -1;
}

}  // namespace

Windows1252Text Windows1252FromUtf8(const std::string& Utf8) {
  Windows1252Text result;
  for (size_t i = 0; i < Utf8.size();) {
    const auto lead = static_cast<unsigned char>(Utf8[i]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length > 0 && Utf8.size() - i >= length;
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(Utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are not UTF-8 either.
    static const char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      result.Problem = "it is not UTF-8 text (byte " + std::to_string(i + 1) + ")";
      result.Text.clear();
      return result;
    }
    const int code = CodeOf(c);
    if (code < 0) {
      result.Problem = "\"" + Utf8.substr(i, length) + "\" has no place in Windows-1252, the code page of the installer";
      result.Text.clear();
      return result;
    }
    result.Text += static_cast<char>(code);
    i += length;
  }
  return result;
}
