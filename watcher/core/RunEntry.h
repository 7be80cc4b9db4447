#pragma once
// The log-on start: where the program's copy goes, which help files travel
// with it, and the text of the Run value that starts it.

#include <string>

// Folder followed by a backslash unless it already ends with one, then Name.
std::string JoinFolder(const std::string& folder, const std::string& name);

// The seven characters that make a log-on start hidden: blank, quote, hide, quote.
constexpr const char* kHideSuffix = " \"hide\"";

// The Run value's text: the path as it stands (never quoted) and, when
// Hidden, the hide suffix.
std::string RunEntryText(const std::string& programPath, bool hidden);

// Path with its last three characters replaced by Extension ("exe" becomes
// "hlp" or "chm"); a path of fewer than three characters gets it appended.
std::string SwapLastThree(const std::string& path, const std::string& extension);

struct AutostartPlan {
  std::string Source;  // the running program: short folder, long file name
  std::string Target;  // its copy in the Windows folder
  bool CopyNeeded;     // false when both name the same file apart from case
};

// ShortProgramFolder and ShortWindowsFolder as the system reports them,
// with or without a trailing backslash.
AutostartPlan PlanAutostart(const std::string& shortProgramFolder, const std::string& longFileName,
                            const std::string& shortWindowsFolder);

// Which program the Run value names after the copy: the target when the copy
// worked or a program file is there already; otherwise the running program,
// so that the log-on start still finds a file.
std::string RunEntryProgram(const AutostartPlan& plan, bool copied, bool targetIsFile,
                            const std::string& ownShortPath);
