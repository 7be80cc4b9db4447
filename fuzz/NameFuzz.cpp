// Fuzzes the check of names that become files in the target folder: a name
// it accepts must be a plain file name in every respect the system knows.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "setup/core/InstallNames.h"

namespace {

bool IsDevice(std::string base) {
  base = base.substr(0, base.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (auto& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (const char* d : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (base == d) return true;
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
         ((base[3] >= '1' && base[3] <= '9') || base[3] == '\xB9' || base[3] == '\xB2' || base[3] == '\xB3');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  if (!InstallNameProblem(name).empty()) return 0;
  if (name.empty() || name.size() > 4096) std::abort();
  if (name.find_first_of("\\/:<>\"|?*") != std::string::npos) std::abort();
  if (name == "." || name == "..") std::abort();
  for (unsigned char c : name)
    if (c < 32) std::abort();
  if (name.back() == '.' || name.back() == ' ') std::abort();
  if (IsDevice(name)) std::abort();
  return 0;
}
