#include "rtl/core/Paths.h"

#include <cstddef>

namespace rtl {

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (!path.empty() && path.back() == PathDelim) return path;
  return path + PathDelim;
}

namespace {
size_t LastSeparator(const std::string& fileName) {
  return fileName.find_last_of("\\/:");
}
}  // namespace

std::string ExtractFilePath(const std::string& fileName) {
  const size_t at = LastSeparator(fileName);
  return at == std::string::npos ? std::string() : fileName.substr(0, at + 1);
}

std::string ExtractFileName(const std::string& fileName) {
  const size_t at = LastSeparator(fileName);
  return at == std::string::npos ? fileName : fileName.substr(at + 1);
}

std::string UpperCase(const std::string& text) {
  std::string out = text;
  for (auto& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool SameText(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

}  // namespace rtl
