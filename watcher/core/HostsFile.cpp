#include "watcher/core/HostsFile.h"

#include <vector>

#include "watcher/core/PageText.h"

namespace {

bool IsFieldSeparator(char c) { return c == ' ' || c == '\t'; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::string::size_type i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

}  // namespace

bool IsAcceptableHostName(const std::string& hostName) {
  if (hostName.empty()) return false;
  for (char c : hostName) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == ' ' || c == '#') return false;
  }
  return true;
}

std::string HostLine(const std::string& address, const std::string& hostName, const std::string& comment) {
  return address + "\t" + hostName + "\t# " + comment;
}

bool LineNamesHost(const std::string& line, const std::string& hostName) {
  const std::string fields = line.substr(0, line.find('#'));
  std::string::size_type at = 0;
  bool addressSeen = false;
  while (at < fields.size()) {
    while (at < fields.size() && IsFieldSeparator(fields[at])) ++at;
    if (at >= fields.size()) break;
    std::string::size_type end = at;
    while (end < fields.size() && !IsFieldSeparator(fields[end])) ++end;
    if (addressSeen && SameName(fields.substr(at, end - at), hostName)) return true;
    addressSeen = true;
    at = end;
  }
  return false;
}

std::string RewriteHosts(const std::string& content, const std::string& hostName, const std::string& hostLine) {
  std::vector<std::string> lines = SplitLines(content);
  const bool endsWithLineEnd = content.empty() || content.back() == '\n' || content.back() == '\r';
  bool replaced = false;
  for (std::string& line : lines) {
    if (!LineNamesHost(line, hostName)) continue;
    line = hostLine;
    replaced = true;
  }
  if (!replaced) lines.push_back(hostLine);
  std::string text = JoinLines(lines);
  if (!endsWithLineEnd) text.erase(text.size() - 2);
  return text;
}
