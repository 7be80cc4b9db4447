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

// The Windows versions told apart. The numbers are the outward values of
// the settings window's GetWinVersion: they stay as they are.
enum TWindowsClass : int {
  wcOther = -1,  // anything else, or no record
  wc95 = 0,
  wc98 = 1,
  wc98SE = 2,
  wcMe = 3,
  wcNT4 = 4,  // NT 4 and older
  wc2000 = 5,
  wcXP = 6,
};

TWindowsClass ClassifyWindows(const VersionRecord& record);

// The icon files with 256 colours and alpha need XP's icon support: every
// NT-family Windows of version 5.1 or later.
bool HasRichIcons(const VersionRecord& record);
