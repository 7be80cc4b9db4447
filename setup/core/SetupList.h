#pragma once
// The rules of the setup list ("Setup.~lst", entry 0 of the container): its
// names, the folder placeholders of "Path", the readme marker, and the text
// the builder writes.

#include <string>
#include <vector>

constexpr const char* kSetupListName = "Setup.~lst";
constexpr const char* kReadmeResourceName = "readme.force";
constexpr const char* kSetupSection = "Global";
constexpr const char* kFilesSection = "Files";
// What the INI reader returns at most of one value, and the buffer through
// which a section's key list is read.
constexpr int kIniValueLimit = 2047;
constexpr int kIniKeyListBuffer = 16384;

// A folder as start-up keeps it: trimmed, with a trailing backslash; empty
// text becomes a lone backslash.
std::string NormalizeFolder(const std::string& Folder);

struct SetupFolders {
  std::string Windows, System, Programs, Temp;  // each normalized
};

// Replaces a leading %WINDOWS%, %SYSTEM%, %PROGRAMS% or %TEMP% (any case),
// each tested in this order on the result of the previous step.
std::string ResolvePathPlaceholders(const std::string& Path, const SetupFolders& Folders);

// True when Value ends in "readme.force", in any case.
bool MarksReadme(const std::string& Value);

// The folders MyMkDir builds, in order: Path split at backslashes (empty
// parts dropped) and joined up again; only paths that contain a backslash.
std::vector<std::string> FolderBuildSteps(const std::string& Path);

// What the builder writes.
struct SetupListOptions {
  std::string Path;   // plain; scrambled when written
  std::string Title;  // plain; scrambled when written
  std::string Info;
  bool Compressed = false;
  std::string AutoStart;
  bool Locked = false;
  std::string BuilderVersion;
  std::vector<std::string> Files;  // "Files" values, container order
};

// Empty when Value survives an INI line and the INI reader unchanged, else
// the reason.
std::string IniValueProblem(const std::string& Value);

// The setup list as INI text with CR LF line ends. Raises rtl::Exception
// naming the key when a value (after scrambling, for Path and Title) cannot
// be carried.
std::string BuildSetupList(const SetupListOptions& Options);
