// Fuzzes the HTTP client's byte handling: URL splitting, the reading of a
// reply and the request it writes. A reply gives the same events whether
// its bytes arrive whole, in two pieces split anywhere or byte by byte; no
// header gets past its bounds, no body past its limit, a closed reply always
// ends and nothing follows its end; and no value adds a line of its own to
// a request.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/core/HttpProtocol.h"
#include "net/core/HttpReplyReader.h"
#include "net/core/HttpUrl.h"
#include "rtl/core/Exceptions.h"
#include "tests/core/HttpReplyFeed.h"

namespace {

// What the reader made of one reply: its events as text, the body apart.
struct TReading {
  std::vector<std::string> events;
  std::string body;
  std::vector<std::string> headerLines;
  int status = 0;
  bool html = false;
};

// Puts Bytes in at the cuts (ascending offsets), then closes. Aborts when a
// bound does not hold.
TReading Read(const std::string& bytes, const std::vector<size_t>& cuts, std::int64_t limit) {
  THttpReplyReader reader;
  reader.BodyLimit = limit;
  TReading r;
  THttpHeaderTally tally;
  bool ended = false;
  FeedReply(reader, bytes, cuts, true, [&](const THttpReplyEvent& e) {
    using TKind = THttpReplyEvent::TKind;
    if (ended) std::abort();  // nothing after the end
    switch (e.Kind) {
      case TKind::Body: r.body.append(e.Bytes.data(), e.Bytes.size()); return;
      case TKind::HeaderLine:
        if (e.Line.size() >= static_cast<size_t>(THttpReceiveBuffer::kCapacity)) std::abort();
        if (!tally.Count(e.Line.size()).empty()) std::abort();
        r.headerLines.push_back(e.Line);
        if (e.Parsed.LineKind == THttpHeaderLine::Kind::Status) r.status = e.Parsed.StatusCode;
        break;
      case TKind::End:
      case TKind::Redirect:
      case TKind::Failed: ended = true; break;
      default: break;
    }
    r.html = r.html || e.Html;
    r.events.push_back(std::to_string(static_cast<int>(e.Kind)) + (e.Html ? "h" : "") + ":" + e.Line + ":" +
                       std::to_string(ErrorNumber(e.Error)) + e.Text);
  });
  if (!ended) std::abort();  // a closed reply always ends
  if (limit > 0 && static_cast<std::int64_t>(r.body.size()) > limit) std::abort();
  if (r.events.size() > 2 * bytes.size() + 8) std::abort();
  return r;
}

std::string WithoutLineEnds(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != '\n' && !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// However the bytes arrive, the events are the same; the body too, but for
// the two replies whose body is what the buffer held at one moment.
void ExpectAlike(const TReading& whole, const TReading& split) {
  if (split.events != whole.events || split.headerLines != whole.headerLines) std::abort();
  if (whole.html) {
    if (WithoutLineEnds(split.body) != WithoutLineEnds(whole.body)) std::abort();
  } else if (whole.status >= 400) {
    if (whole.body.compare(0, split.body.size(), split.body) != 0) std::abort();
  } else if (split.body != whole.body) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const THttpUrlParts parts = ParseURL(text, "/current/dir/page.htm");
  if (parts.Host.size() + parts.Path.size() + parts.User.size() > text.size() + 32) std::abort();
  if (DocumentNameOf(parts.Path).size() > 255) std::abort();

  // The body limit from the first byte: none, or a small one that bodies
  // reach; none where the body itself depends on how the bytes came.
  const TReading unlimited = Read(text, {}, 0);
  const bool bodyAsBuffered = unlimited.html || unlimited.status >= 400;
  const std::int64_t limit = size > 0 && (data[0] & 1) && !bodyAsBuffered ? data[0] : 0;
  const TReading whole = limit ? Read(text, {}, limit) : unlimited;
  ExpectAlike(whole, Read(text, {size / 2}, limit));
  if (size > 1) ExpectAlike(whole, Read(text, {1 + data[size - 1] % (size - 1)}, limit));
  if (size <= 600) {
    std::vector<size_t> bytes;
    for (size_t at = 1; at < size; ++at) bytes.push_back(at);
    ExpectAlike(whole, Read(text, bytes, limit));
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

  for (const auto& line : whole.headerLines) {
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
