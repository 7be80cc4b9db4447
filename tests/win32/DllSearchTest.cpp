#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "rtl/core/Exceptions.h"
#include "rtl/win32/Shell.h"
#include "rtl/win32/SystemFiles.h"

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

// A late-bound entry comes from the system folder, like a load-time import;
// what is missing is raised by name, never returned as a null entry.
TEST(DllSearch, SystemEntryBindsFromTheSystemFolderOrNamesWhatIsMissing) {
  HMODULE version = rtl::LoadSystemLibrary("version.dll");
  ASSERT_NE(nullptr, version);
  EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(version, "GetFileVersionInfoSizeA")),
            rtl::SystemEntry("version.dll", "GetFileVersionInfoSizeA"));
  ::FreeLibrary(version);

  const struct {
    const char* library;
    const char* entry;
    const char* named;
  } missing[] = {
      {"version.dll", "NoSuchEntry", "NoSuchEntry"},
      {"orvplanted.dll", "PlantedMarker", "orvplanted.dll"},  // beside the program, not in the system folder
  };
  for (const auto& m : missing) {
    try {
      rtl::SystemEntry(m.library, m.entry);
      ADD_FAILURE() << m.library << " " << m.entry << " was bound";
    } catch (const rtl::Exception& e) {
      EXPECT_NE(std::string::npos, e.Message().find(m.named)) << e.Message();
    }
  }
}
