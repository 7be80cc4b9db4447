#include "watcher/core/IpAddress.h"

#include "rtl/core/SysUtils.h"

namespace {

bool IsBlankOrBreak(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool CanonicalAddress(const std::string& text, std::string& dotted) {
  std::string::size_type first = 0, last = text.size();
  while (first < last && IsBlankOrBreak(text[first])) ++first;
  while (last > first && IsBlankOrBreak(text[last - 1])) --last;
  const std::string candidate = text.substr(first, last - first);

  std::string parts[4];
  std::string::size_type start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::string::size_type dot = candidate.find('.', start);
    // A part without its closing dot is empty, and so is every later one.
    if (dot == std::string::npos) return false;
    parts[i] = candidate.substr(start, dot - start);
    start = dot + 1;
  }
  parts[3] = candidate.substr(start);

  std::string result;
  for (int i = 0; i < 4; ++i) {
    int value = 0;
    if (parts[i].empty() || !rtl::TryStrToInt(parts[i], value)) return false;
    // Negative values come from a sign or from hexadecimal two's complement.
    if (value < (i == 0 ? 1 : 0) || value > 255) return false;
    if (i > 0) result += '.';
    result += std::to_string(value);
  }
  dotted = result;
  return true;
}

TAddress ReadAddress(const std::string& text) {
  TAddress address{text, std::string()};
  CanonicalAddress(text, address.Dotted);
  return address;
}
