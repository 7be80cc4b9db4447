// Platform self-check: shows what the system under the programs can do, the
// way the programs use it. Prints one line a finding; exit code 0 when every
// check passed.

#include <windows.h>

#include <cstdio>
#include <string>

#include "common/Lang.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/Registry.h"
#include "rtl/win32/Window.h"
#include "setup/core/Digest.h"
#include "setup/core/Sha1.h"
#include "setup/core/StringFormat.h"

namespace {

int gFailures = 0;

void Report(bool ok, const std::string& what, const std::string& detail) {
  std::printf("%-10s %-34s %s\n", ok ? "ok" : "FAILED", what.c_str(), detail.c_str());
  if (!ok) ++gFailures;
}

class CheckWindow : public rtl::TWindow {
public:
  void Create() { CreateHandle("OrvSelfCheck", "Self-check", WS_OVERLAPPEDWINDOW, 0, 0, 0, 320, 200, nullptr); }
};

void CheckWindowCreation() {
  try {
    CheckWindow window;
    window.Create();
    char caption[32] = {};
    ::GetWindowTextA(window.Handle(), caption, sizeof caption);
    Report(std::string(caption) == "Self-check", "window", "created, caption \"" + std::string(caption) + "\"");
  } catch (const std::exception& e) {
    Report(false, "window", e.what());
  }
}

void CheckRegistry() {
  const char key[] = "Software\\OrvandelSelfCheck";
  try {
    rtl::TRegistry reg;
    if (!reg.OpenKey(key, true)) {
      Report(false, "registry", "cannot create HKCU\\" + std::string(key));
      return;
    }
    reg.WriteString("Text", "value");
    reg.WriteInteger("Number", 12345);
    const bool ok = reg.ReadString("Text") == "value" && reg.ReadInteger("Number") == 12345;
    reg.CloseKey();
    reg.DeleteKey(key);
    Report(ok, "registry", "REG_SZ and REG_DWORD written and read back under HKCU");
  } catch (const std::exception& e) {
    Report(false, "registry", e.what());
  }
}

void CheckLocale() {
  try {
    const int code = GetCountryCode();
    Report(true, "locale", "country code " + std::to_string(code) + ", texts in " +
                               ChooseText("English", "German"));
  } catch (const rtl::EAbort&) {
    Report(false, "locale", "the country code cannot be read");
  }
}

void CheckDigest() {
  rtl::TMemoryStream s;
  s.WriteBuffer("abc", 3);
  const std::string digest = DigestOfStream(&THash_SHA1::Create, s, -1, kFormatHex);
  Report(digest == "A9993E364706816ABA3E25717850C26C9CD0D89D", "SHA-1",
         digest + (Sha1HardwareAvailable() ? " (processor's SHA instructions)" : " (portable code)"));
}

void CheckSystem() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExA(&version);
#pragma GCC diagnostic pop
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  const bool wine = ntdll && ::GetProcAddress(ntdll, "wine_get_version");
  Report(true, "system",
         "Windows " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
             (wine ? " (Wine)" : "") + ", " + std::to_string(8 * sizeof(void*)) + "-bit, " + windows);
}

}  // namespace

int main() {
  std::printf("Platform self-check\n");
  CheckSystem();
  CheckWindowCreation();
  CheckRegistry();
  CheckLocale();
  CheckDigest();
  std::printf("%s\n", gFailures ? "Some checks failed." : "All checks passed.");
  return gFailures ? 1 : 0;
}
