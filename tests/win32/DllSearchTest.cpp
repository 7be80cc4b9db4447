#include <windows.h>

#include <gtest/gtest.h>

#include "rtl/win32/Shell.h"

// The restriction holds for the rest of the process; nothing else in this
// program loads a DLL from the program's folder.
TEST(DllSearch, PlantedDllBesideTheProgramIsNotLoaded) {
  // Found beside the program while the default search order holds.
  HMODULE before = ::LoadLibraryExA("orvplanted.dll", nullptr, 0);
  ASSERT_NE(nullptr, before) << "the test DLL lies beside the test program";
  ::FreeLibrary(before);

  rtl::RestrictDllSearchPath();
  HMODULE after = ::LoadLibraryA("orvplanted.dll");
  EXPECT_EQ(nullptr, after) << "the program's own folder is no longer searched";
  if (after) ::FreeLibrary(after);

  // System DLLs still load, from the system folder.
  HMODULE version = rtl::LoadSystemLibrary("version.dll");
  ASSERT_NE(nullptr, version);
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(version, path, MAX_PATH);
  EXPECT_EQ(0, _strnicmp(path, rtl::SystemFolder().c_str(), rtl::SystemFolder().size())) << path;
  ::FreeLibrary(version);
}
