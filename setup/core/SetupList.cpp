#include "setup/core/SetupList.h"

#include <cstdio>

#include "common/core/Scramble.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/Paths.h"

std::string NormalizeFolder(const std::string& Folder) {
  std::string folder = rtl::Trim(Folder);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string ResolvePathPlaceholders(const std::string& Path, const SetupFolders& Folders) {
  const struct {
    const char* placeholder;
    const std::string* folder;
  } table[] = {{"%WINDOWS%", &Folders.Windows},
               {"%SYSTEM%", &Folders.System},
               {"%PROGRAMS%", &Folders.Programs},
               {"%TEMP%", &Folders.Temp}};
  std::string path = Path;
  for (const auto& entry : table) {
    const std::string placeholder = entry.placeholder;
    if (path.size() >= placeholder.size() &&
        rtl::SameText(path.substr(0, placeholder.size()), placeholder))
      path = *entry.folder + path.substr(placeholder.size());
  }
  return path;
}

bool MarksReadme(const std::string& Value) {
  const std::string marker = kReadmeResourceName;
  return Value.size() >= marker.size() &&
         rtl::SameText(Value.substr(Value.size() - marker.size()), marker);
}

int SetupListEntry(const std::vector<std::string>& Names) {
  return !Names.empty() && Names[0] == kSetupListName ? 0 : -1;
}

std::vector<size_t> InstalledEntries(const std::vector<std::string>& Names) {
  std::vector<size_t> entries;
  for (size_t i = 1; i < Names.size(); ++i)
    if (Names[i] != kReadmeResourceName) entries.push_back(i);
  return entries;
}

int AutoStartEntry(const std::vector<std::string>& Names, const std::string& AutoStart) {
  for (size_t i : InstalledEntries(Names))
    if (rtl::SameText(Names[i], AutoStart)) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> FolderBuildSteps(const std::string& Path) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (from <= Path.size()) {
    size_t to = Path.find('\\', from);
    if (to == std::string::npos) to = Path.size();
    if (to > from) parts.push_back(Path.substr(from, to - from));
    from = to + 1;
  }
  std::vector<std::string> steps;
  std::string built;
  for (size_t i = 0; i < parts.size(); ++i) {
    built = i == 0 ? parts[0] : built + '\\' + parts[i];
    if (built.find('\\') != std::string::npos) steps.push_back(built);
  }
  return steps;
}

std::string IniReaderView(const std::string& Value) {
  std::string value = Value.substr(0, Value.find_first_of(std::string("\0\r\n", 3)));
  // The platform's reader counts ^Z (the old end-of-file mark) as a blank.
  static const char kCut[] = " \t\v\f\x1A";
  const size_t first = value.find_first_not_of(kCut);
  if (first == std::string::npos) return std::string();
  value = value.substr(first, value.find_last_not_of(kCut) - first + 1);
  if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
    value = value.substr(1, value.size() - 2);
  if (value.size() > static_cast<size_t>(kIniValueLimit)) value.resize(kIniValueLimit);
  return value;
}

std::string IniValueProblem(const std::string& Value) {
  if (Value.find('\0') != std::string::npos) return "contains a zero byte";
  if (Value.find_first_of("\r\n") != std::string::npos) return "contains a line break";
  if (Value.size() > static_cast<size_t>(kIniValueLimit)) return "is longer than 2047 characters";
  if (IniReaderView(Value) != Value)
    return "starts or ends with a blank, a control character or a quotation mark, which the setup list loses";
  return std::string();
}

namespace {

void AddLine(std::string& out, const std::string& key, const std::string& value, const char* what) {
  const std::string problem = IniValueProblem(value);
  if (!problem.empty()) rtl::Raise(rtl::Exception(std::string(what) + " " + problem));
  out += key + "=" + value + "\r\n";
}

// Path and Title are stored scrambled. Whether the scrambled form survives
// the reader depends on every character and on the length (which sets the
// counter), so the user cannot see the cause; but almost any change of the
// text gives a form that does survive.
void AddScrambledLine(std::string& out, const std::string& key, const std::string& plain, const char* what) {
  if (plain.size() > static_cast<size_t>(kIniValueLimit))
    rtl::Raise(rtl::Exception(std::string(what) + " is longer than 2047 characters"));
  const std::string scrambled = ScrambleText(plain, Scramble, SetupScrambleKey);
  if (!IniValueProblem(scrambled).empty())
    rtl::Raise(rtl::Exception(std::string(what) + " \"" + plain +
                              "\" would not come back unchanged from the setup list once scrambled; a slightly "
                              "different text will do (another character, or one more or one less)"));
  out += key + "=" + scrambled + "\r\n";
}

}  // namespace

std::string BuildSetupList(const SetupListOptions& Options) {
  std::string out = "[" + std::string(kSetupSection) + "]\r\n";
  // Without a path the key is left out: an empty value would propose an
  // empty folder, where an absent one proposes the temporary folder.
  if (Options.Path) AddScrambledLine(out, "Path", *Options.Path, "The default folder");
  AddScrambledLine(out, "Title", Options.Title, "The title");
  AddLine(out, "Info", Options.Info, "The info text");
  AddLine(out, "Compressed", Options.Compressed ? "True" : "False", "Compressed");
  AddLine(out, "AutoStart", Options.AutoStart, "The AutoStart program");
  AddLine(out, "Locked", Options.Locked ? "True" : "False", "Locked");
  AddLine(out, "BuilderVersion", Options.BuilderVersion, "The builder version");
  if (Options.Files.size() > static_cast<size_t>(kMaxListedFiles))
    rtl::Raise(rtl::Exception("The setup list holds at most " + std::to_string(kMaxListedFiles) +
                              " files, the readme included; " + std::to_string(Options.Files.size()) +
                              " were given"));
  out += "[" + std::string(kFilesSection) + "]\r\n";
  for (size_t i = 0; i < Options.Files.size(); ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "File%04u", static_cast<unsigned>(i));
    AddLine(out, key, Options.Files[i], "A file name");
  }
  return out;
}
