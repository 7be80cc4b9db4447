#include <gtest/gtest.h>

#include "watcher/core/WinVersion.h"

TEST(WinVersion, TableOfVersionRecords) {
  const struct {
    VersionRecord record;
    int windows;
    bool richIcons;
  } cases[] = {
      {{true, kPlatformWindows, 4, 0, ""}, 0, false},
      {{true, kPlatformWindows, 4, 10, ""}, 1, false},
      {{true, kPlatformWindows, 4, 10, " A "}, 2, false},
      {{true, kPlatformWindows, 4, 10, "A"}, 1, false},  // the second character counts
      {{true, kPlatformWindows, 4, 10, " B"}, 1, false},
      {{true, kPlatformWindows, 4, 90, " "}, 3, false},
      {{true, kPlatformWindows, 4, 20, ""}, -1, false},
      {{true, kPlatformNT, 3, 51, ""}, 4, false},
      {{true, kPlatformNT, 4, 0, "Service Pack 6"}, 4, false},
      {{true, kPlatformNT, 5, 0, ""}, 5, false},
      {{true, kPlatformNT, 5, 1, "Service Pack 3"}, 6, true},
      {{true, kPlatformNT, 5, 2, ""}, -1, true},
      {{true, kPlatformNT, 6, 1, ""}, -1, true},
      {{true, kPlatformNT, 10, 0, ""}, -1, true},
      {{true, 0, 3, 10, ""}, -1, false},  // Win32s
      {{false, kPlatformNT, 5, 1, ""}, -1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.windows, ClassifyWindows(c.record))
        << c.record.PlatformId << " " << c.record.Major << "." << c.record.Minor << " '" << c.record.ServicePack << "'";
    EXPECT_EQ(c.richIcons, HasRichIcons(c.record)) << c.record.Major << "." << c.record.Minor;
  }
}
