#include "setup/core/CommandLine.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text as the file system reads it: ASCII letters in one case, runs of
// backslashes as one, no backslash at the end.
std::string FolderKey(const std::string& folder) {
  std::string key;
  for (char c : folder) {
    if (c == '\\' && !key.empty() && key.back() == '\\') continue;
    key += Lower(c);
  }
  while (key.size() > 1 && key.back() == '\\') key.pop_back();
  return key;
}

}  // namespace

std::string ArgumentsOf(const std::string& CommandLine) {
  size_t at = 0;
  if (!CommandLine.empty() && CommandLine[0] == '"') {
    const size_t close = CommandLine.find('"', 1);
    at = close == std::string::npos ? CommandLine.size() : close + 1;
  } else {
    while (at < CommandLine.size() && !Blank(CommandLine[at])) ++at;
  }
  while (at < CommandLine.size() && Blank(CommandLine[at])) ++at;
  return CommandLine.substr(at);
}

SetupCommandLine ParseSetupCommandLine(const std::string& Arguments) {
  SetupCommandLine options;
  auto wrong = [&options](const std::string& english, const std::string& german) {
    options.ErrorEnglish = english;
    options.ErrorGerman = german;
    return options;
  };
  size_t at = 0;
  while (true) {
    while (at < Arguments.size() && Blank(Arguments[at])) ++at;
    if (at == Arguments.size()) break;
    size_t end = at;
    while (end < Arguments.size() && !Blank(Arguments[end])) ++end;
    const std::string option = Arguments.substr(at, end - at);
    // Launchers that quote every argument with a blank in it (Wine's among
    // them) write "/D=C:\My Apps" with the quotation marks around it all.
    const bool quoted = option.size() >= 4 && option[0] == '"' && Arguments.back() == '"' &&
                        Arguments.size() - at >= 5;
    const size_t d = quoted ? 1 : 0;
    if (option.size() >= d + 3 && option[d] == '/' && Lower(option[d + 1]) == 'd' && option[d + 2] == '=') {
      // The rest of the line is the folder, whatever it holds.
      std::string folder = Arguments.substr(at + d + 3);
      if (quoted) folder.pop_back();
      if (folder.find_first_not_of(" \t") == std::string::npos)
        return wrong("/D= names no folder.", "/D= nennt keinen Ordner.");
      if (folder.find('"') != std::string::npos)
        return wrong("/D= takes the folder without quotation marks, also when it has blanks: " + folder,
                     "/D= nimmt den Ordner ohne Anführungszeichen, auch wenn er Leerzeichen enthält: " + folder);
      options.Folder = folder;
      break;
    }
    if (option == "/S" || option == "/s") {
      options.Silent = true;
    } else {
      return wrong("Unknown option " + option + ". The installer takes /S (install without questions) and "
                   "/D=FOLDER (the target folder, last, without quotation marks).",
                   "Unbekannte Option " + option + ". Das Installationsprogramm kennt /S (ohne Fragen "
                   "installieren) und /D=ORDNER (der Zielordner, zuletzt, ohne Anführungszeichen).");
    }
    at = end;
  }
  return options;
}

bool SameFolder(const std::string& Folder, const std::string& Locked) {
  return FolderKey(Folder) == FolderKey(Locked);
}
