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

void AppendPageLines(std::string& text, const std::string& bytes) {
  text.reserve(text.size() + bytes.size() + 2);
  for (std::string::size_type i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      text += c;
      continue;
    }
    text += "\r\n";
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  // A last line without its line end runs to the end of the bytes.
  const char last = bytes.empty() ? '\n' : bytes.back();
  if (last != '\r' && last != '\n') text += "\r\n";
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
