#include "watcher/SettingsStore.h"

#include <windows.h>

#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/win32/Registry.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/SettingsKeys.h"
#include "watcher/core/RunEntry.h"

namespace {

void OpenSettingsKey(rtl::TRegistry& reg) {
  // Without the key every read and write would go to the root of the
  // user's hive instead.
  if (!reg.OpenKey(kSettingsKey, true))
    throw rtl::ERegistryException(std::string("Failed to open key '") + kSettingsKey + "'");
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : path;
}

std::string LongPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : path;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every option by its value name, in the order of reading.
template <class Options, class Visit>
void EachOption(Options& o, Visit visit) {
  visit("LanIP", o.LanIP);
  visit("TimeOut", o.TimeOut);
  visit("NoLan", o.NoLan);
  visit("Interval", o.Interval);
  visit("HTTPFile", o.HTTPFile);
  visit("BeforeIP", o.BeforeIP);
  visit("AfterIP", o.AfterIP);
  visit("UpdateHosts", o.UpdateHosts);
  visit("UpdateFile", o.UpdateFile);
  visit("AutoRun", o.AutoRun);
  visit("FileName", o.FileName);
  visit("HostName", o.HostName);
  visit("StaticIP", o.StaticIP);
  visit("FromFile", o.FromFile);
  visit("FromStatic", o.FromStatic);
}

// A value of the wrong type raises.
void ReadValue(rtl::TRegistry& reg, const char* name, std::optional<std::string>& value) { value = reg.ReadString(name); }
void ReadValue(rtl::TRegistry& reg, const char* name, std::optional<int>& value) { value = reg.ReadInteger(name); }
void ReadValue(rtl::TRegistry& reg, const char* name, std::optional<bool>& value) { value = reg.ReadBool(name); }
void WriteValue(rtl::TRegistry& reg, const char* name, const std::string& value) { reg.WriteString(name, value); }
void WriteValue(rtl::TRegistry& reg, const char* name, int value) { reg.WriteInteger(name, value); }
void WriteValue(rtl::TRegistry& reg, const char* name, bool value) { reg.WriteBool(name, value); }

}  // namespace

void TSettingsStore::Read(TStoredOptions& options) {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  EachOption(options, [&](const char* name, auto& value) {
    if (reg.ValueExists(name)) ReadValue(reg, name, value);
  });
}

void TSettingsStore::Save(const TStoredOptions& options) {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  EachOption(options, [&](const char* name, const auto& value) {
    if (value) WriteValue(reg, name, *value);
  });
  reg.CloseKey();
}

bool TSettingsStore::TakeNewVersion(const std::string& running) {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  const std::string stored = reg.ValueExists("Version") ? reg.ReadString("Version") : std::string();
  if (stored == running) return false;
  reg.WriteString("Version", running);
  return true;
}

void TSettingsStore::MaintainRunEntry(bool autostart, bool hidden) {
  try {
    rtl::TRegistry reg;
    if (!reg.OpenKey(kRunKey, true)) return;
    if (!autostart) {
      if (reg.ValueExists(kRunValue)) reg.DeleteValue(kRunValue);
      return;
    }
    const std::string self = LongPath(rtl::ExecutablePath());
    const AutostartPlan plan =
        PlanAutostart(ShortPath(rtl::ExtractFilePath(self)), rtl::ExtractFileName(self), ShortPath(rtl::WindowsFolder()));
    bool copied = false;
    if (plan.CopyNeeded) {
      copied = ::CopyFileA(plan.Source.c_str(), plan.Target.c_str(), FALSE) != FALSE;
      // The help travels with the program; without it the copy still starts.
      for (const char* help : {"chm", "hlp"}) {
        const std::string source = SwapLastThree(plan.Source, help);
        if (IsFile(source)) ::CopyFileA(source.c_str(), SwapLastThree(plan.Target, help).c_str(), FALSE);
      }
    }
    // Without rights in the Windows folder the copy fails; a Run value that
    // named the missing copy would never start anything.
    const std::string program = RunEntryProgram(plan, copied, IsFile(plan.Target), ShortPath(self));
    reg.WriteString(kRunValue, RunEntryText(program, hidden));
  } catch (const rtl::ERegistryException&) {
    // The log-on start is a convenience: a failure here ends it without a message.
  }
}

void TSettingsStore::WriteLocation(const std::string& location) {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  reg.WriteString("Location", location);
}
