// Fuzzes the hosts-file rewrite: the first line of the input is the host
// name, the rest the file. Lines that do not name the host come out byte
// for byte and in order; the host name stands on exactly one line, the new
// host line; a line that named it beside other names keeps its address,
// those names and its comment; and a second rewrite changes nothing.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "watcher/core/HostsFile.h"
#include "watcher/core/PageText.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The words before any '#', and the comment from it on.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line.substr(0, line.find('#'))) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

std::string Comment(const std::string& line) {
  const std::string::size_type hash = line.find('#');
  return hash == std::string::npos ? std::string() : line.substr(hash);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string::size_type newline = input.find('\n');
  if (newline == std::string::npos) return 0;
  const std::string host = input.substr(0, newline);
  if (!IsAcceptableHostName(host)) return 0;
  const std::string content = input.substr(newline + 1);
  const std::string hostLine = HostLine("80.1.2.3", host, "Modified by Orvandel");

  const std::string once = RewriteHosts(content, host, hostLine);
  Require(RewriteHosts(once, host, hostLine) == once);
  const std::vector<std::string> in = SplitLines(content), out = SplitLines(once);
  // The file ends with a line end as it did, unless its last line is
  // dropped: one that named the host alone, after an earlier one had.
  bool endsWithLineEnd = content.empty() || content.back() == '\n' || content.back() == '\r';
  if (!in.empty() && LineNamesHost(in.back(), host) && !LineHasNames(LineWithoutHost(in.back(), host))) {
    bool earlier = false;
    for (std::size_t i = 0; i + 1 < in.size(); ++i) earlier = earlier || LineNamesHost(in[i], host);
    endsWithLineEnd = endsWithLineEnd || earlier;
  }
  Require(once.size() >= 2 && (once.compare(once.size() - 2, 2, "\r\n") == 0) == endsWithLineEnd);

  std::size_t hostLines = 0, hostAt = out.size();
  for (std::size_t i = 0; i < out.size(); ++i)
    if (LineNamesHost(out[i], host)) {
      Require(out[i] == hostLine);
      hostAt = i;
      ++hostLines;
    }
  Require(hostLines == 1);

  // Walk the input beside the output without the host line.
  std::size_t o = 0, firstNaming = in.size();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (o == hostAt) ++o;
    if (!LineNamesHost(in[i], host)) {
      Require(o < out.size() && out[o] == in[i]);
      ++o;
      continue;
    }
    if (firstNaming == in.size()) firstNaming = i;
    std::vector<std::string> kept;
    const std::vector<std::string> words = Words(in[i]);
    for (std::size_t w = 1; w < words.size(); ++w)
      if (LineNamesHost("0 " + words[w], host) == false) kept.push_back(words[w]);
    if (kept.empty()) continue;
    Require(o < out.size());
    const std::vector<std::string> left = Words(out[o]);
    Require(!left.empty() && left[0] == words[0]);
    Require(std::vector<std::string>(left.begin() + 1, left.end()) == kept);
    Require(Comment(out[o]) == Comment(in[i]));
    ++o;
  }
  if (o == hostAt) ++o;
  Require(o == out.size());
  // Where the first naming line stood, or at the end.
  if (firstNaming < in.size()) {
    std::size_t before = 0;
    for (std::size_t i = 0; i < firstNaming; ++i) before += !LineNamesHost(in[i], host);
    Require(hostAt == before);
  } else {
    Require(hostAt == out.size() - 1);
  }
  return 0;
}
