#include "tests/watcher/WatcherDriver.h"

#include <cstdlib>

bool IsChecked(HWND button) {
  DWORD_PTR state = 0;
  ::SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

void Click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void MenuKey(HWND menu, char key) {
  ::PostMessageA(menu, WM_KEYDOWN, static_cast<WPARAM>(::VkKeyScanA(key) & 0xFF), 0);
  ::PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 0);
}

bool IconHasColour(const TrayRecord& record, int red, int green, int blue, int tolerance) {
  if (record.IconBits != 32) return false;
  // The mask comes first, then the colour pixels, blue, green, red, alpha.
  const std::string& d = record.IconData;
  const size_t pixels = static_cast<size_t>(record.IconWidth) * record.IconHeight;
  if (d.size() < 4 * pixels) return false;
  const size_t colour = d.size() - 4 * pixels;
  for (size_t i = 0; i < pixels; ++i) {
    const auto at = [&](size_t k) { return static_cast<int>(static_cast<unsigned char>(d[colour + 4 * i + k])); };
    if (at(3) == 255 && std::abs(at(2) - red) <= tolerance && std::abs(at(1) - green) <= tolerance &&
        std::abs(at(0) - blue) <= tolerance)
      return true;
  }
  return false;
}

bool Answer(HWND dialog, int buttonId) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
  return PumpUntil([dialog] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 10000);
}
