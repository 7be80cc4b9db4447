#include "setup/core/InstallNames.h"

#include <cstring>

#include "rtl/core/Paths.h"

namespace {

bool IsReservedDeviceName(const std::string& name) {
  // The system treats a device name as the device whatever extension follows
  // and however the base ends in blanks ("NUL .txt").
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = rtl::UpperCase(base);
  static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* reserved : kPlain)
    if (base == reserved) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
    const unsigned char digit = static_cast<unsigned char>(base[3]);
    // 1 to 9, and the superscript digits ¹ ² ³ of Windows-1252, which the
    // system maps to the same devices.
    if ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3) return true;
  }
  return false;
}

}  // namespace

std::string InstallNameProblem(const std::string& Name) {
  if (Name.empty()) return "empty name";
  if (Name == "." || Name == "..") return "names a folder, not a file";
  if (Name.find("..") != std::string::npos) return "contains \"..\"";
  for (unsigned char c : Name) {
    if (c < 32) return "contains a control character";
    if (c == '\\' || c == '/') return "contains a folder separator";
    if (c == ':') return "contains a drive or stream separator \":\"";
    if (std::strchr("<>\"|?*", c)) return "contains a character that file names cannot hold";
  }
  if (Name.back() == '.' || Name.back() == ' ') return "ends with a dot or a blank";
  if (IsReservedDeviceName(Name)) return "is a device name";
  return std::string();
}
