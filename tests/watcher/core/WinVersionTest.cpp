#include <gtest/gtest.h>

#include "watcher/core/WinVersion.h"

TEST(WinVersion, TableOfVersionRecords) {
  const struct {
    VersionRecord record;
    TWindowsClass windows;
    bool richIcons;
  } cases[] = {
      {{true, kPlatformWindows, 4, 0, ""}, wc95, false},
      {{true, kPlatformWindows, 4, 10, ""}, wc98, false},
      {{true, kPlatformWindows, 4, 10, " A "}, wc98SE, false},
      {{true, kPlatformWindows, 4, 10, "A"}, wc98, false},  // the second character counts
      {{true, kPlatformWindows, 4, 10, " B"}, wc98, false},
      {{true, kPlatformWindows, 4, 90, " "}, wcMe, false},
      {{true, kPlatformWindows, 4, 20, ""}, wcOther, false},
      {{true, kPlatformNT, 3, 51, ""}, wcNT4, false},
      {{true, kPlatformNT, 4, 0, "Service Pack 6"}, wcNT4, false},
      {{true, kPlatformNT, 5, 0, ""}, wc2000, false},
      {{true, kPlatformNT, 5, 1, "Service Pack 3"}, wcXP, true},
      {{true, kPlatformNT, 5, 2, ""}, wcOther, true},
      {{true, kPlatformNT, 6, 1, ""}, wcOther, true},
      {{true, kPlatformNT, 10, 0, ""}, wcOther, true},
      {{true, 0, 3, 10, ""}, wcOther, false},  // Win32s
      {{false, kPlatformNT, 5, 1, ""}, wcOther, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.windows, ClassifyWindows(c.record))
        << c.record.PlatformId << " " << c.record.Major << "." << c.record.Minor << " '" << c.record.ServicePack << "'";
    EXPECT_EQ(c.richIcons, HasRichIcons(c.record)) << c.record.Major << "." << c.record.Minor;
  }
}
