#include "watcher/core/TrayTip.h"

#include <cstring>

void CopyTrayTip(const std::string& tip, char (&buffer)[kTrayTipRoom]) {
  const std::size_t n = tip.size() < kTrayTipRoom - 1 ? tip.size() : kTrayTipRoom - 1;
  std::memcpy(buffer, tip.data(), n);
  std::memset(buffer + n, 0, kTrayTipRoom - n);
}
