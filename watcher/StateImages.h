#pragma once
// The four state images of the tray (searching, home, web, error) and the
// menu's pictures, from the program's resources.

#include <windows.h>

#include "rtl/win32/Handles.h"
#include "watcher/core/WatchOutcome.h"

class TStateImages {
public:
  // Loads the built-in 16-colour images.
  TStateImages();
  // Replaces them by the icon files "I1" to "I4" (in the order of
  // TStateImage, as "S1" to "S4" are), whose 256-colour and
  // 32-bit images need the icon support of Windows XP and later. An image
  // that cannot be loaded keeps its built-in version.
  void LoadRichImages();

  HICON Image(TStateImage image) const;

private:
  static constexpr int kCount = 4;
  rtl::Icon FImages[kCount];
};

// A 16 x 16 icon of the program's resources; null when missing.
HICON LoadSmallIcon(const char* name);
