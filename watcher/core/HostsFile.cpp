#include "watcher/core/HostsFile.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "rtl/core/Paths.h"
#include "watcher/core/PageText.h"

namespace {

bool IsFieldSeparator(char c) { return c == ' ' || c == '\t'; }

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

namespace {

struct Field {
  std::string::size_type Begin, End;
};

// The fields of the line before any '#': the address first, then the names.
std::vector<Field> Fields(const std::string& line) {
  const std::string::size_type limit = std::min(line.find('#'), line.size());
  std::vector<Field> fields;
  std::string::size_type at = 0;
  while (at < limit) {
    while (at < limit && IsFieldSeparator(line[at])) ++at;
    if (at >= limit) break;
    std::string::size_type end = at;
    while (end < limit && !IsFieldSeparator(line[end])) ++end;
    fields.push_back({at, end});
    at = end;
  }
  return fields;
}

bool IsHost(const std::string& line, const Field& field, const std::string& hostName) {
  // Host names compare as the system compares them: ASCII letters without
  // case, every other byte as it is.
  return rtl::SameText(line.substr(field.Begin, field.End - field.Begin), hostName);
}

}  // namespace

bool LineNamesHost(const std::string& line, const std::string& hostName) {
  const std::vector<Field> fields = Fields(line);
  for (std::size_t i = 1; i < fields.size(); ++i)
    if (IsHost(line, fields[i], hostName)) return true;
  return false;
}

bool LineHasNames(const std::string& line) { return Fields(line).size() > 1; }

std::string LineWithoutHost(const std::string& line, const std::string& hostName) {
  const std::vector<Field> fields = Fields(line);
  // Which bytes go: a host field with the blanks up to the next field; the
  // last field with the blanks since the last name that stays, so that a
  // comment keeps its distance and no blank is left at the end.
  std::vector<bool> dropped(line.size(), false);
  std::string::size_type keptEnd = fields.empty() ? 0 : fields[0].End;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    if (!IsHost(line, fields[i], hostName)) {
      keptEnd = fields[i].End;
      continue;
    }
    const bool last = i + 1 == fields.size();
    const std::string::size_type from = last ? keptEnd : fields[i].Begin;
    const std::string::size_type to = last ? fields[i].End : fields[i + 1].Begin;
    std::fill(dropped.begin() + static_cast<std::ptrdiff_t>(from), dropped.begin() + static_cast<std::ptrdiff_t>(to),
              true);
  }
  std::string out;
  for (std::string::size_type i = 0; i < line.size(); ++i)
    if (!dropped[i]) out += line[i];
  return out;
}

std::string RewriteHosts(const std::string& content, const std::string& hostName, const std::string& hostLine) {
  const std::vector<std::string> lines = SplitLines(content);
  const bool endsWithLineEnd = content.empty() || content.back() == '\n' || content.back() == '\r';
  std::vector<std::string> out;
  out.reserve(lines.size() + 1);
  bool placed = false;
  // Whether the last line out stands for the last line in, which may lack
  // its line end; a dropped last line leaves the one before with its own.
  bool lastStays = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t before = out.size();
    if (!LineNamesHost(lines[i], hostName)) {
      out.push_back(lines[i]);
    } else {
      if (!placed) out.push_back(hostLine);
      placed = true;
      std::string rest = LineWithoutHost(lines[i], hostName);
      if (LineHasNames(rest)) out.push_back(std::move(rest));
    }
    lastStays = out.size() > before;
  }
  if (!placed) {
    out.push_back(hostLine);
    lastStays = true;
  }
  std::string text = JoinLines(out);
  if (!endsWithLineEnd && lastStays) text.erase(text.size() - 2);
  return text;
}
