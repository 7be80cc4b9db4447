#pragma once
// The help: compiled HTML Help beside the program, or the old WinHelp file
// where the system still has WinHelp.

#include <windows.h>

#include <string>

// "hlp_index_e" in English, "hlp_index" in German.
std::string HelpTopic();

// Opens Topic of the program's help.
void OpenHelpTopic(HWND owner, const std::string& topic);
