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

InstallNameFault InstallNameCheck(const std::string& Name) {
  if (Name.empty()) return {"it is empty", "der Name ist leer"};
  // Separators are refused below, so a name is a step out of the folder only
  // when it is one of these two as a whole; "notes..txt" is a plain name.
  if (Name == "." || Name == "..") return {"it names a folder, not a file", "der Name bezeichnet einen Ordner"};
  for (unsigned char c : Name) {
    if (c < 32) return {"it contains a control character", "er enthält ein Steuerzeichen"};
    if (c == '\\' || c == '/') return {"it contains a folder separator", "er enthält ein Ordnertrennzeichen"};
    if (c == ':')
      return {"it contains a drive or stream separator \":\"", "er enthält das Laufwerks- oder Streamzeichen \":\""};
    if (std::strchr("<>\"|?*", c))
      return {"it contains a character that file names cannot hold",
              "er enthält ein Zeichen, das in Dateinamen nicht stehen darf"};
  }
  if (Name.back() == '.' || Name.back() == ' ')
    return {"it ends with a dot or a blank", "er endet mit einem Punkt oder Leerzeichen"};
  if (IsReservedDeviceName(Name)) return {"it is a device name", "er ist ein Gerätename"};
  return {};
}

std::string InstallNameProblem(const std::string& Name) { return InstallNameCheck(Name).English; }
