#pragma once
// What one watch cycle works with, read from the settings window's controls
// as one value when the cycle starts. The controls stay the live settings;
// a cycle keeps the values it started with, also for the publishing of its
// outcome.

#include <string>

// Where a changed address goes.
struct TPublishSettings {
  bool UpdateHosts = false;  // the hosts option, enabled and checked
  std::string HostName;
  bool UpdateFile = false;
  std::string FileName;
};

struct TWatchSettings {
  bool IntranetCheck = false;
  std::string IntranetField;
  int PingTimeout = 500;  // milliseconds
  // The page source; otherwise the static entry is looked up.
  bool FromPage = true;
  std::string Url, BeforeIP, AfterIP;
  std::string StaticEntry;
  TPublishSettings Publish;
};
