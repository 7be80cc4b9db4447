#include "rtl/core/SysUtils.h"

#include <climits>
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

bool TryStrToInt64(const std::string& text, std::int64_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  // Accumulate negatively so that INT64_MIN fits.
  std::int64_t acc = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (acc < (INT64_MIN + digit) / 10) return false;
    acc = acc * 10 - digit;
  }
  if (!negative) {
    if (acc == INT64_MIN) return false;
    acc = -acc;
  }
  value = acc;
  return true;
}

std::int64_t StrToInt64(const std::string& text) {
  std::int64_t value = 0;
  if (!TryStrToInt64(text, value))
    throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}

int StrToInt(const std::string& text) {
  const std::int64_t value = StrToInt64(text);
  if (value < INT_MIN || value > INT_MAX)
    throw EConvertError("'" + text + "' is not a valid integer value");
  return static_cast<int>(value);
}

}  // namespace rtl
