#pragma once
// What every end-to-end test of the watcher starts from: no settings, no
// Run value, no copy in the Windows folder, and a tray window that records.

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/watcher/WatcherDriver.h"
#include "watcher/WatcherControlIds.h"

// Build paths come in as host paths; Wine shows the host's root as Z:.
std::string HostToWindows(std::string path);
std::string WatcherExe();
bool ExpectGerman();
inline std::string Pick(const std::string& english, const std::string& german) {
  return ExpectGerman() ? german : english;
}

// Registry of the current user, as the watcher sees it.
bool ValueExists(const char* key, const char* name);
// The value's type (REG_SZ, REG_DWORD, ...) and its text or number.
DWORD ValueType(const char* key, const char* name);
std::string StringValue(const char* key, const char* name);
DWORD DwordValue(const char* key, const char* name);
void SetString(const char* key, const char* name, const std::string& value);
void SetDword(const char* key, const char* name, DWORD value);
void DeleteValue(const char* key, const char* name);

// What start-up or OK wrote into "Location", or what the first cycle wrote
// right after it: with the design options that is "Error" (no page URL).
inline bool StartOrFirstOutcome(const std::string& location, const std::string& atStart) {
  return location == atStart || location == "Error";
}

std::string WindowsFile(const std::string& name);
bool IsFile(const std::string& path);

class Watcher : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the watcher; the fixture ends it at the end of the test.
  WatcherProcess& Start(const std::string& arguments = "");
  // Starts it as it starts after the first time: no window, only the tray.
  WatcherProcess& StartKnown(const std::string& arguments = "");
  HWND Settings() { return FSettings; }
  HWND Control(int id) { return ::GetDlgItem(FSettings, id); }
  // The settings window, waited for until shown.
  HWND WaitForSettingsShown();
  // The end of the start: the tray icon is up and "Location" written.
  bool WaitForTrayStart();

  std::unique_ptr<TrayRecorder> tray;
  std::unique_ptr<WatcherProcess> watcher;

private:
  HWND FSettings = nullptr;
};
