#pragma once
// Which Windows runs, from the fields of the system's version record.

#include <string>

// The record's platform numbers.
constexpr unsigned kPlatformWindows = 1;  // the Windows 95 family
constexpr unsigned kPlatformNT = 2;

struct VersionRecord {
  bool Read;  // false when the system could not give the record
  unsigned PlatformId;
  unsigned Major;
  unsigned Minor;
  std::string ServicePack;  // the record's service text
};

// 0 Windows 95, 1 Windows 98, 2 Windows 98 SE, 3 Windows Me, 4 NT 4 and
// older, 5 Windows 2000, 6 Windows XP, -1 anything else.
int ClassifyWindows(const VersionRecord& record);

// The icon files with 256 colours and alpha need XP's icon support: every
// NT-family Windows of version 5.1 or later.
bool HasRichIcons(const VersionRecord& record);
