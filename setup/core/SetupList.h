#pragma once
// The rules of the setup list ("Setup.~lst", entry 0 of the container): its
// names, the folder placeholders of "Path", the readme marker, and the text
// the builder writes.

#include <optional>
#include <string>
#include <vector>

constexpr const char* kSetupListName = "Setup.~lst";
constexpr const char* kReadmeResourceName = "readme.force";
constexpr const char* kSetupSection = "Global";
constexpr const char* kFilesSection = "Files";
// What the INI reader returns at most of one value.
constexpr int kIniValueLimit = 2047;
// The "Files" keys have four digits, "File0000" to "File9999": that many
// files (the readme included) the builder lists at most. The key list of a
// section is read through a buffer that holds them all: nine bytes a key,
// and two closing zeros, since the reader counts a list that fills the
// buffer to its last byte as cut off.
constexpr int kMaxListedFiles = 10000;
constexpr int kIniKeyListBuffer = kMaxListedFiles * 9 + 2;

// The setup list as start-up reads it, once; nothing is read from the list
// afterwards. Values are as the INI reader returned them (Path and Title
// still scrambled).
struct SetupListValues {
  std::optional<std::string> Path;  // none when the key is absent
  std::string Title, Info, AutoStart;
  std::string Compressed = "False", Locked = "False";
  std::vector<std::string> Files;  // the "Files" values in key order
};

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

// Which entry of a container (given by its entry names, in container
// order) is the setup list: entry 0 when it bears the list's name, else
// none (-1). A list under that name elsewhere is not the list.
int SetupListEntry(const std::vector<std::string>& Names);

// The entries an install writes, in container order: every entry after the
// first (the setup list's place) except the readme.
std::vector<size_t> InstalledEntries(const std::vector<std::string>& Names);

// The entry an install writes (an index into Names, as for InstalledEntries)
// whose name is AutoStart, compared as the system compares file names
// (ASCII letters in any case); -1 when there is none.
int AutoStartEntry(const std::vector<std::string>& Names, const std::string& AutoStart);

// The folders MyMkDir builds, in order: Path split at backslashes (empty
// parts dropped) and joined up again; only paths that contain a backslash.
std::vector<std::string> FolderBuildSteps(const std::string& Path);

// What the builder writes.
struct SetupListOptions {
  // Plain; scrambled when written. Without a value the key is left out, and
  // the installer proposes the temporary folder.
  std::optional<std::string> Path;
  std::string Title;  // plain; scrambled when written
  std::string Info;
  bool Compressed = false;
  std::string AutoStart;
  bool Locked = false;
  std::string BuilderVersion;
  std::vector<std::string> Files;  // "Files" values, container order
};

// What the platform's INI reader returns for the line "key=Value": blanks,
// tabs, vertical tabs, form feeds and ^Z cut off both ends, then one pair of
// enclosing quotation marks dropped. Line breaks and zero bytes end the
// value; so does the reader's limit of 2047 characters.
std::string IniReaderView(const std::string& Value);

// Empty when Value comes back from an INI line unchanged, else the reason.
std::string IniValueProblem(const std::string& Value);

// The setup list as INI text with CR LF line ends. Raises rtl::Exception
// naming the key when a value (after scrambling, for Path and Title) cannot
// be carried, and when more than kMaxListedFiles files are listed.
std::string BuildSetupList(const SetupListOptions& Options);
