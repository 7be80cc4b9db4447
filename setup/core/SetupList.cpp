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

std::string IniValueProblem(const std::string& Value) {
  for (char c : Value) {
    if (c == '\0') return "contains a zero byte";
    if (c == '\r' || c == '\n') return "contains a line break";
  }
  if (!Value.empty()) {
    const unsigned char first = static_cast<unsigned char>(Value.front());
    const unsigned char last = static_cast<unsigned char>(Value.back());
    if (first == ' ' || first == '\t' || last == ' ' || last == '\t')
      return "starts or ends with a blank";
    // The INI reader drops one pair of enclosing quotation marks.
    if (Value.size() >= 2 && first == last && (first == '"' || first == '\''))
      return "is enclosed in quotation marks";
  }
  if (Value.size() > static_cast<size_t>(kIniValueLimit)) return "is longer than 2047 characters";
  return std::string();
}

namespace {

void AddLine(std::string& out, const std::string& key, const std::string& value, const char* what) {
  const std::string problem = IniValueProblem(value);
  if (!problem.empty()) throw rtl::Exception(std::string(what) + " " + problem);
  out += key + "=" + value + "\r\n";
}

}  // namespace

std::string BuildSetupList(const SetupListOptions& Options) {
  std::string out = "[" + std::string(kSetupSection) + "]\r\n";
  AddLine(out, "Path", ScrambleText(Options.Path, Scramble, SetupScrambleKey),
          "The default folder, once scrambled,");
  AddLine(out, "Title", ScrambleText(Options.Title, Scramble, SetupScrambleKey),
          "The title, once scrambled,");
  AddLine(out, "Info", Options.Info, "The info text");
  AddLine(out, "Compressed", Options.Compressed ? "True" : "False", "Compressed");
  AddLine(out, "AutoStart", Options.AutoStart, "The AutoStart program");
  AddLine(out, "Locked", Options.Locked ? "True" : "False", "Locked");
  AddLine(out, "BuilderVersion", Options.BuilderVersion, "The builder version");
  out += "[" + std::string(kFilesSection) + "]\r\n";
  for (size_t i = 0; i < Options.Files.size(); ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "File%04u", static_cast<unsigned>(i));
    AddLine(out, key, Options.Files[i], "A file name");
  }
  return out;
}
