#pragma once
// The one line a silent install has to say: it goes to the standard error
// that the starting program handed over (a pipe or a file), or else to that
// program's console. There is no log file.

#include <string>

void TellStarter(const std::string& Text);
