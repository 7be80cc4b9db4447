#include "watcher/core/CommandLine.h"

namespace {

// Reads one argument from Pos on; false when none is left.
bool NextParam(const std::string& line, size_t& pos, std::string& param) {
  while (pos < line.size() && static_cast<unsigned char>(line[pos]) <= ' ') ++pos;
  if (pos >= line.size()) return false;
  param.clear();
  bool quoted = false;
  for (; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && static_cast<unsigned char>(c) <= ' ') break;
    param += c;
  }
  return true;
}

}  // namespace

std::string ParamStr(const std::string& commandLine, int index) {
  size_t pos = 0;
  std::string param;
  for (int i = 0; i <= index; ++i)
    if (!NextParam(commandLine, pos, param)) return std::string();
  return param;
}

bool AsksForHiddenStart(const std::string& commandLine) { return ParamStr(commandLine, 1) == "hide"; }
