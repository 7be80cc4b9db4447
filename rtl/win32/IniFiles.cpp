#include "rtl/win32/IniFiles.h"

#include <windows.h>

namespace rtl {

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  char buffer[2048];
  const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                             sizeof buffer, FFileName.c_str());
  return std::string(buffer, n);
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section, int bufferSize) const {
  std::vector<char> buffer(static_cast<size_t>(bufferSize < 3 ? 3 : bufferSize), '\0');
  const DWORD n = ::GetPrivateProfileStringA(section.c_str(), nullptr, nullptr, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), FFileName.c_str());
  std::vector<std::string> keys;
  // A double-zero-terminated list; a cut-off last name is dropped.
  for (DWORD at = 0; at < n;) {
    const std::string key(buffer.data() + at);
    if (key.empty()) break;
    if (at + key.size() >= n && n == buffer.size() - 2) break;
    keys.push_back(key);
    at += static_cast<DWORD>(key.size()) + 1;
  }
  return keys;
}

}  // namespace rtl
