#pragma once
// The tray tip of the first form of the notification record: 64 characters
// of room, so at most 63 and the terminating zero.

#include <cstddef>
#include <string>

constexpr std::size_t kTrayTipRoom = 64;

// Copies at most 63 characters of Tip and a zero into Buffer (64 bytes).
void CopyTrayTip(const std::string& tip, char (&buffer)[kTrayTipRoom]);
