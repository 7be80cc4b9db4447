#include "watcher/core/PageText.h"

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < bytes.size()) {
    const std::string::size_type end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string CutBetweenMarkers(const std::string& page, const std::string& before, const std::string& after) {
  std::string text = page;
  if (!before.empty()) {
    const std::string::size_type at = text.find(before);
    if (at != std::string::npos) text.erase(0, at + before.size());
  }
  if (!after.empty()) {
    const std::string::size_type at = text.find(after);
    if (at != std::string::npos) text.erase(at);
  }
  return text;
}
