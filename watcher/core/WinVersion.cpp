#include "watcher/core/WinVersion.h"

int ClassifyWindows(const VersionRecord& r) {
  if (!r.Read) return -1;
  if (r.PlatformId == kPlatformWindows && r.Major == 4) {
    if (r.Minor == 0) return 0;
    if (r.Minor == 10) return r.ServicePack.size() >= 2 && r.ServicePack[1] == 'A' ? 2 : 1;
    if (r.Minor == 90) return 3;
    return -1;
  }
  if (r.PlatformId == kPlatformNT) {
    if (r.Major <= 4) return 4;
    if (r.Major == 5 && r.Minor == 0) return 5;
    if (r.Major == 5 && r.Minor == 1) return 6;
  }
  return -1;
}

bool HasRichIcons(const VersionRecord& r) {
  return r.Read && r.PlatformId == kPlatformNT && (r.Major > 5 || (r.Major == 5 && r.Minor >= 1));
}
