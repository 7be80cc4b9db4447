// Fuzzes the HTTP client's byte handling: URL splitting, header lines, the
// receive buffer, the header's bounds and the request it writes. Lines must
// come out the same whether the bytes arrive whole or in two pieces split
// anywhere, no header gets past its bounds, and no value adds a line of its
// own to a request.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/core/HttpProtocol.h"
#include "net/core/HttpUrl.h"
#include "rtl/core/Exceptions.h"

namespace {

std::vector<std::string> Lines(const std::string& bytes, size_t split) {
  THttpReceiveBuffer buffer;
  std::vector<std::string> lines;
  for (const std::string& part : {bytes.substr(0, split), bytes.substr(split)}) {
    size_t at = 0;
    while (at < part.size()) {
      const int took = buffer.Append(part.data() + at, static_cast<int>(part.size() - at));
      at += static_cast<size_t>(took);
      std::string line;
      while (buffer.NextLine(line)) lines.push_back(line);
      if (took == 0 && buffer.Room() == 0) return lines;  // "HTTP line too long"
    }
  }
  lines.push_back(buffer.TakeAll());
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const THttpUrlParts parts = ParseURL(text, "/current/dir/page.htm");
  if (parts.Host.size() + parts.Path.size() + parts.User.size() > text.size() + 32) std::abort();
  if (DocumentNameOf(parts.Path).size() > 255) std::abort();

  const std::vector<std::string> whole = Lines(text, text.size());
  if (Lines(text, size / 2) != whole) std::abort();
  // The client stops at the first line that passes a bound: what it keeps
  // is never more than the bounds allow.
  THttpHeaderTally tally;
  for (const auto& line : whole) {
    if (line.size() > static_cast<size_t>(THttpReceiveBuffer::kCapacity)) std::abort();
    if (!tally.Count(line.size()).empty()) break;
    if (tally.Lines() > kMaxHeaderLines || tally.Bytes() > kMaxHeaderBytes) std::abort();
  }

  THttpRequestFields fields;
  fields.Method = "GET";
  fields.RequestPath = "/" + parts.Path;
  fields.HostName = parts.Host;
  fields.Agent = text;
  fields.Cookie = text.substr(size / 2);
  try {
    const std::string header = BuildRequestHeader(fields);
    const size_t lines = RequestHeaderLines(fields).size() + 1;  // and the empty line
    size_t crlf = 0;
    for (size_t at = header.find("\r\n"); at != std::string::npos; at = header.find("\r\n", at + 2)) ++crlf;
    size_t cr = 0, lf = 0;
    for (char c : header) {
      cr += c == '\r';
      lf += c == '\n';
      if (c == '\0') std::abort();
    }
    if (crlf != lines || cr != lines || lf != lines) std::abort();
  } catch (const rtl::Exception&) {
    if (RequestFieldProblem(fields).empty()) std::abort();
  }

  for (const auto& line : whole) {
    try {
      const THttpHeaderLine parsed = ParseHeaderLine(line);
      if (parsed.LineKind == THttpHeaderLine::Kind::Field) {
        std::string b, e;
        ParseContentRange(parsed.Value, b, e);
      }
    } catch (const rtl::EConvertError&) {
      // A status line whose code is not a number: the client raises too.
    }
  }
  return 0;
}
