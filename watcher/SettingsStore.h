#pragma once
// The watcher's registry: its options, its own values ("Version",
// "Location") and the Run entry for the log-on start.

#include <optional>
#include <string>

// The options as stored. Reading fills them in this order and ends at a
// value of the wrong type: what was read before it still applies.
struct TStoredOptions {
  std::optional<std::string> LanIP;
  std::optional<int> TimeOut;
  std::optional<bool> NoLan;
  std::optional<int> Interval;
  std::optional<std::string> HTTPFile, BeforeIP, AfterIP;
  std::optional<bool> UpdateHosts, UpdateFile, AutoRun;
  std::optional<std::string> FileName, HostName, StaticIP;
  std::optional<bool> FromFile, FromStatic;
};

class TSettingsStore {
public:
  // Raises at the first value of the wrong type, with Options filled as
  // far as the read came.
  static void Read(TStoredOptions& options);
  // Writes every option that Options holds.
  static void Save(const TStoredOptions& options);
  // True when the stored version differs from Running, which is then stored.
  static bool TakeNewVersion(const std::string& running);
  static void WriteLocation(const std::string& location);
  // With Autostart, the Run value names the program (a copy in the Windows
  // folder where one can be made), with the hidden suffix when Hidden;
  // without it, the value goes. A registry that refuses ends this silently.
  static void MaintainRunEntry(bool autostart, bool hidden);
};
