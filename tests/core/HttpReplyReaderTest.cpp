#include "net/core/HttpReplyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/HttpReplyFeed.h"

namespace {

// Feeds Response to a fresh buffer in pieces of Piece bytes (split at Split
// when Piece is 0) and collects the lines.
std::vector<std::string> Lines(const std::string& response, size_t piece, size_t split = 0) {
  THttpReceiveBuffer buffer;
  std::vector<std::string> lines;
  auto feed = [&](const std::string& part) {
    buffer.Append(part.data(), static_cast<int>(part.size()));
    std::string line;
    while (buffer.NextLine(line)) lines.push_back(line);
  };
  if (piece == 0) {
    feed(response.substr(0, split));
    feed(response.substr(split));
  } else {
    for (size_t at = 0; at < response.size(); at += piece) feed(response.substr(at, piece));
  }
  lines.push_back("rest:" + buffer.TakeAll());
  return lines;
}

}  // namespace

TEST(HttpReplyReader, ReceiveBufferCutsLinesHoweverTheBytesArrive) {
  const std::string response = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\nX: y\r\n\r\nbody";
  const std::vector<std::string> expected = {"HTTP/1.0 200 OK", "Content-Type: text/plain", "X: y", "",
                                             "rest:body"};
  EXPECT_EQ(expected, Lines(response, response.size()));
  EXPECT_EQ(expected, Lines(response, 1));
  for (size_t split = 0; split <= response.size(); ++split) EXPECT_EQ(expected, Lines(response, 0, split)) << split;
}

TEST(HttpReplyReader, ReceiveBufferLimitsAndZeroBytes) {
  THttpReceiveBuffer buffer;
  const std::string big(THttpReceiveBuffer::kCapacity + 10, 'x');
  EXPECT_EQ(THttpReceiveBuffer::kCapacity, buffer.Append(big.data(), static_cast<int>(big.size())));
  EXPECT_EQ(0, buffer.Room()) << "a full buffer without a line feed: \"HTTP line too long\"";
  std::string line;
  EXPECT_FALSE(buffer.NextLine(line));

  THttpReceiveBuffer zero;
  const std::string withZero("a\0b\nc\n", 6);
  zero.Append(withZero.data(), 6);
  EXPECT_FALSE(zero.NextLine(line)) << "the line feed behind a zero byte is not seen";
  EXPECT_EQ(6, zero.Pending());
}

TEST(HttpReplyReader, HeaderBoundsByLinesAndBytes) {
  const struct {
    size_t lines, length;
    int passedAt;  // the line that passes a bound (1-based), 0 for none
    const char* text;
  } cases[] = {{256, 10, 0, ""},
               {257, 10, 257, "HTTP header has more than 256 lines"},
               {8, 8190, 0, ""},
               {9, 8190, 9, "HTTP header is longer than 65536 bytes"},
               {1, 65534, 0, ""},
               {1, 65535, 1, "HTTP header is longer than 65536 bytes"}};
  for (const auto& c : cases) {
    THttpHeaderTally tally;
    int passedAt = 0;
    std::string text;
    for (size_t i = 1; i <= c.lines && passedAt == 0; ++i) {
      text = tally.Count(c.length);
      if (!text.empty()) passedAt = static_cast<int>(i);
    }
    EXPECT_EQ(c.passedAt, passedAt) << c.lines << " x " << c.length;
    EXPECT_EQ(c.text, text) << c.lines << " x " << c.length;
  }
}

namespace {

// What a reader makes of Reply, put in the pieces that Cuts mark (offsets,
// ascending), then closed when Close is set; one text a event. The body is
// one entry, at its first piece, with every later piece added to it.
std::vector<std::string> Transcript(const std::string& reply, const std::vector<size_t>& cuts, bool close,
                                    std::int64_t limit) {
  THttpReplyReader reader;
  reader.BodyLimit = limit;
  std::vector<std::string> events;
  size_t body = std::string::npos;
  FeedReply(reader, reply, cuts, close, [&](const THttpReplyEvent& e) {
    using TKind = THttpReplyEvent::TKind;
    const std::string html = e.Html ? "html " : "";
    switch (e.Kind) {
      case TKind::HeaderBegin: events.push_back("begin"); break;
      case TKind::HeaderLine: events.push_back("line:" + e.Line); break;
      case TKind::BodyFollows: events.push_back(html + "body follows"); break;
      case TKind::HeaderEnd: events.push_back(html + "header end"); break;
      case TKind::Body:
        if (body == std::string::npos) {
          body = events.size();
          events.push_back("body:");
        }
        events[body].append(e.Bytes.data(), e.Bytes.size());
        break;
      case TKind::End: events.push_back("end"); break;
      case TKind::Redirect: events.push_back("redirect"); break;
      case TKind::Failed:
        events.push_back("failed " + std::to_string(ErrorNumber(e.Error)) + ": " + e.Text +
                         (e.Line.empty() ? "" : " [" + e.Line + "]"));
        break;
    }
  });
  return events;
}

// How a body may differ when the reply arrives in other pieces.
enum class TBody {
  Same,
  // "<HTML>" without a header: the lines that were in the buffer lose their
  // line ends, the later ones keep them.
  LineEnds,
  // A status of 400 or more: the body is what the buffer held at the
  // header's end, so a part of the whole.
  Buffered,
};

std::string WithoutLineEnds(std::string text) {
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
    const size_t from = at > 0 && text[at - 1] == '\r' ? at - 1 : at;
    text.erase(from, at + 1 - from);
    at = from;
  }
  return text;
}

// Takes the body out of Events: its text, empty when there is none.
std::string TakeBody(std::vector<std::string>& events) {
  for (auto at = events.begin(); at != events.end(); ++at) {
    if (at->compare(0, 5, "body:") != 0) continue;
    std::string body = at->substr(5);
    events.erase(at);
    return body;
  }
  return std::string();
}

// The events of Got and Expected agree as far as Body allows.
void ExpectAlike(std::vector<std::string> expected, std::vector<std::string> got, TBody body, const std::string& where) {
  const std::string wholeBody = TakeBody(expected), gotBody = TakeBody(got);
  if (body == TBody::Buffered) EXPECT_EQ(0u, wholeBody.find(gotBody)) << where << ": not the start of the body";
  else if (body == TBody::LineEnds) EXPECT_EQ(WithoutLineEnds(wholeBody), WithoutLineEnds(gotBody)) << where;
  else EXPECT_EQ(wholeBody, gotBody) << where;
  EXPECT_EQ(expected, got) << where;
}

std::vector<std::string> Repeated(const std::string& event, size_t count) { return std::vector<std::string>(count, event); }

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

// Every reply gives the same events whole, byte by byte and split at every
// offset.
TEST(HttpReplyReader, RepliesReadAlikeHoweverTheBytesArrive) {
  const std::string ok = "HTTP/1.0 200 OK\r\n";
  const std::string longLine = "X-Long: " + std::string(8990, 'v');
  const struct {
    const char* name;
    std::string reply;
    bool close;
    std::int64_t limit;
    TBody body;
    std::vector<std::string> events;
  } rows[] = {
      {"a body, ended by the close", ok + "Content-Type: text/plain\n\r\nhello\r\nworld", true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "line:Content-Type: text/plain", "body follows", "header end",
        "body:hello\r\nworld", "end"}},
      {"no close, no end", ok + "\r\nhello", false, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "body follows", "header end", "body:hello"}},
      {"Content-Length 0 ends at the empty line", ok + "Content-Length: 0\r\n\r\nnot read", false, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "line:Content-Length: 0", "header end", "end"}},
      {"an error's body is not waited for", "HTTP/1.1 404 Not Found\r\n\r\ngone", false, 0, TBody::Buffered,
       {"begin", "line:HTTP/1.1 404 Not Found", "body follows", "header end", "body:gone", "end"}},
      {"a Location ends the reply at the empty line", "HTTP/1.0 302 Found\r\nLocation: /next\r\n\r\nnot read", true,
       0, TBody::Same, {"begin", "line:HTTP/1.0 302 Found", "line:Location: /next", "header end", "redirect"}},
      {"a Location in a header cut short", "HTTP/1.0 302 Found\r\nLocation: /next\r\nX-", true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 302 Found", "line:Location: /next", "header end", "redirect"}},
      {"<HTML> without a header", "<html><body>\r\nsecond\r\nthird", true, 0, TBody::LineEnds,
       {"begin", "html header end", "body:<html><body>secondthird", "html body follows", "end"}},
      {"<HTML> after the status line", ok + "<HTML>page\r\nmore", true, 0, TBody::LineEnds,
       {"begin", "line:HTTP/1.0 200 OK", "html header end", "body:<HTML>pagemore", "html body follows", "end"}},
      {"the body limit cuts the body", ok + "\r\n0123456789", false, 5, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "body follows", "header end", "body:01234",
        "failed 6: HTTP body is longer than the limit of 5 bytes"}},
      {"close before any line", "HTTP/1.0 2", true, 0, TBody::Same,
       {"failed 8: HTTP server closed the connection without a reply"}},
      {"close in the middle of the header", ok + "Content-Ty", true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "header end",
        "failed 9: HTTP server closed the connection in the middle of the header"}},
      {"a zero byte hides the line feeds behind it", ok + std::string("X: a\0b\r\n\r\n", 10), true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "header end",
        "failed 9: HTTP server closed the connection in the middle of the header"}},
      {"no status line", "Server: x\r\n\r\nbody", true, 0, TBody::Same,
       {"begin", "line:Server: x", "header end", "failed 10: HTTP reply has no status line"}},
      {"a status that is not a number", "HTTP/1.0 abc Bad\r\n\r\n", true, 0, TBody::Same,
       {"begin", "failed 11: 'abc' is not a valid integer value [HTTP/1.0 abc Bad]"}},
      {"a length that is not a number", ok + "Content-Length: lots\r\n\r\n", true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK",
        "failed 11: 'lots' is not a valid integer value [Content-Length: lots]"}},
      {"a Location with a bare CR", ok + "Location: /a\rSet-Cookie: x\r\n\r\n", true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK",
        "failed 17: HTTP redirection refused: its Location holds a control character [Location: /a\rSet-Cookie: x]"}},
      {"a line that fills the buffer", ok + longLine + "\r\n\r\nbody", true, 0, TBody::Same,
       {"begin", "line:HTTP/1.0 200 OK", "failed 4: HTTP line too long"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.events, Transcript(row.reply, {}, row.close, row.limit)) << row.name;
    std::vector<size_t> bytes;
    for (size_t at = 1; at < row.reply.size(); ++at) bytes.push_back(at);
    ExpectAlike(row.events, Transcript(row.reply, bytes, row.close, row.limit), row.body,
                std::string(row.name) + ", byte by byte");
    for (size_t cut = 0; cut <= row.reply.size(); ++cut)
      ExpectAlike(row.events, Transcript(row.reply, {cut}, row.close, row.limit), row.body,
                  std::string(row.name) + ", cut at " + std::to_string(cut));
  }
}

// The first line that passes a bound ends the reply; none is handed out.
TEST(HttpReplyReader, HeaderBoundsEndTheReply) {
  const std::string ok = "HTTP/1.0 200 OK\r\n";
  std::string manyLines = ok, longLines = ok;
  for (int i = 0; i < 300; ++i) manyLines += "X: 1\r\n";
  const std::string line8k = "X: " + std::string(8000, 'h');
  for (int i = 0; i < 9; ++i) longLines += line8k + "\r\n";
  const std::vector<std::string> begin = {"begin", "line:HTTP/1.0 200 OK"};
  EXPECT_EQ(begin + Repeated("line:X: 1", 255) + std::vector<std::string>{"failed 5: HTTP header has more than 256 lines"},
            Transcript(manyLines, {}, true, 0));
  EXPECT_EQ(begin + Repeated("line:" + line8k, 8) + std::vector<std::string>{"failed 5: HTTP header is longer than 65536 bytes"},
            Transcript(longLines, {100, 30000}, true, 0));
}
