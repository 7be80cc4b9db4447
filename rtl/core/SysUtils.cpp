#include "rtl/core/SysUtils.h"

#include <climits>
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "rtl/core/Exceptions.h"

namespace rtl {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    out.assign(buffer.data(), static_cast<size_t>(needed));
  }
  va_end(again);
  return out;
}

namespace {

// The one conversion behind every integer reading. Bits is the width of the
// result (32 or 64): it bounds decimal values and hexadecimal digits.
bool ConvertInteger(const std::string& text, int bits, std::int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  if (hex) {
    const std::uint64_t limit = bits == 64 ? UINT64_MAX : UINT32_MAX;
    std::uint64_t acc = 0;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      int digit;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      else return false;
      if (acc > (limit - static_cast<std::uint64_t>(digit)) / 16) return false;
      acc = acc * 16 + static_cast<std::uint64_t>(digit);
    }
    if (negative) acc = ~acc + 1;
    value = bits == 64 ? static_cast<std::int64_t>(acc) : static_cast<std::int32_t>(static_cast<std::uint32_t>(acc));
    return true;
  }
  const std::int64_t lowest = bits == 64 ? INT64_MIN : INT32_MIN;
  const std::int64_t highest = bits == 64 ? INT64_MAX : INT32_MAX;
  // Accumulate negatively so that the lowest value fits.
  std::int64_t acc = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (acc < (lowest + digit) / 10) return false;
    acc = acc * 10 - digit;
  }
  if (!negative) {
    if (acc < -highest) return false;
    acc = -acc;
  }
  value = acc;
  return true;
}

[[noreturn]] void NotAnInteger(const std::string& text) {
  rtl::Raise(EConvertError("'" + text + "' is not a valid integer value"));
}

}  // namespace

bool TryStrToInt64(const std::string& text, std::int64_t& value) { return ConvertInteger(text, 64, value); }

bool TryStrToInt(const std::string& text, int& value) {
  std::int64_t wide = 0;
  if (!ConvertInteger(text, 32, wide)) return false;
  value = static_cast<int>(wide);
  return true;
}

std::int64_t StrToInt64(const std::string& text) {
  std::int64_t value = 0;
  if (!TryStrToInt64(text, value)) NotAnInteger(text);
  return value;
}

int StrToInt(const std::string& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) NotAnInteger(text);
  return value;
}

}  // namespace rtl
