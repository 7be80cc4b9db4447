#include "watcher/core/WinVersion.h"

TWindowsClass ClassifyWindows(const VersionRecord& r) {
  if (!r.Read) return wcOther;
  if (r.PlatformId == kPlatformWindows && r.Major == 4) {
    if (r.Minor == 0) return wc95;
    // The second edition says so with an "A" as the service text's second
    // character.
    if (r.Minor == 10) return r.ServicePack.size() >= 2 && r.ServicePack[1] == 'A' ? wc98SE : wc98;
    if (r.Minor == 90) return wcMe;
    return wcOther;
  }
  if (r.PlatformId == kPlatformNT) {
    if (r.Major <= 4) return wcNT4;
    if (r.Major == 5 && r.Minor == 0) return wc2000;
    if (r.Major == 5 && r.Minor == 1) return wcXP;
  }
  return wcOther;
}

bool HasRichIcons(const VersionRecord& r) {
  return r.Read && r.PlatformId == kPlatformNT && (r.Major > 5 || (r.Major == 5 && r.Minor >= 1));
}
