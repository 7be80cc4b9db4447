#include "ui/core/SpinGeometry.h"

#include <algorithm>

namespace ui {

int SpinButtonWidth(int requested) { return std::max(requested, kSpinButtonMinWidth); }

SpinRect SpinUpButtonRect(int width, int height) { return {0, 0, width, height / 2}; }

SpinRect SpinDownButtonRect(int width, int height) { return {0, height / 2 - 1, width, height}; }

SpinRect SpinFocusRect(int width, int height, bool pressed) {
  const int shift = pressed ? 1 : 0;
  return {3 + shift, 3 + shift, width - 3 + shift, height - 3 + shift};
}

SpinRect SpinButtonPlace(int editWidth, int editHeight, int buttonWidth, bool newStyle) {
  if (newStyle) {
    const int left = editWidth - buttonWidth - 5;
    return {left, 0, left + buttonWidth, editHeight - 5};
  }
  const int left = editWidth - buttonWidth;
  return {left, 1, left + buttonWidth, 1 + editHeight - 3};
}

SpinRect SpinFormatRect(int clientWidth, int clientHeight, int buttonWidth) {
  return {0, 0, clientWidth - buttonWidth - 2, clientHeight + 1};
}

int SpinMinHeight(int systemFontHeight, int fontHeight, int borderHeight) {
  return std::min(systemFontHeight, fontHeight) / 4 + fontHeight + 4 * borderHeight + 2;
}

int SpinAutoHeight(int fontHeight, int borderHeight) { return fontHeight + 8 * borderHeight; }

}  // namespace ui
