#pragma once
// Arguments of a Windows command line as the UI library splits them:
// blanks separate, double quotes group and are dropped, no escapes.

#include <string>

// Argument Index (1 is the first after the program); empty when absent.
std::string ParamStr(const std::string& commandLine, int index);

// The only argument the watcher takes: exactly "hide", in this case.
bool AsksForHiddenStart(const std::string& commandLine);
