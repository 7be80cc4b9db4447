#pragma once
// The data of an ICMP echo request: a fixed 45-character text over spaces.

#include <string>

constexpr const char* kEchoText = "Orvandel echo request: are you there? 0123456";  // 45 characters

// Size bytes: spaces, with the fixed text over their start (cut to Size).
std::string EchoRequestData(int Size);
