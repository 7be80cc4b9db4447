#pragma once
// The account the system's own services run under.

#include <string>

// True for "SYSTEM" in any case, with surrounding blanks and control
// characters ignored.
bool IsSystemUserName(const std::string& userName);
