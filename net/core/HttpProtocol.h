#pragma once
// The HTTP client's byte-level protocol: the request header it writes, the
// response lines it reads out of its receive buffer, and the meaning of
// each header line. No sockets or windows: bytes in, text out.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

std::string Base64Encode(const std::string& Data);

// "Sat, 01 Jan 2000 10:20:30" for a date-time value counted in days from
// 30 December 1899 (the fraction is the time of day).
std::string HttpDateText(double DateTime);

struct THttpRequestFields {
  std::string Method;       // "GET", "HEAD" or "POST"
  std::string RequestPath;  // path, or the absolute address through a proxy
  std::string Sender, Accept, Reference, ContentTypePost, Agent, HostName;
  bool NoCache = false;
  std::int64_t PostSize = 0;  // announced for POST
  double ModifiedSince = 0;   // 0: no If-Modified-Since line
  std::string Username, Password;
  bool ThroughProxy = false;
  std::string ProxyUsername, ProxyPassword;
  std::string Cookie;
  std::string ContentRangeBegin, ContentRangeEnd;
};

// Whether Value may stand in a request line or a header line: a CR, LF or
// NUL would end the line there and start one of the value's choosing.
bool IsSafeLineValue(const std::string& Value);
// The first field of Fields that may not go into its line, as
// "<Name> holds a CR, LF or NUL character" (the name of the property it
// comes from: Agent, Sender, ...; RequestPath and HostName come from the
// URL or a redirection); empty when every field may.
std::string RequestFieldProblem(const THttpRequestFields& Fields);

// The request lines in their fixed order, without the empty line that ends
// them. Version "1.0". Raises rtl::Exception with RequestFieldProblem's text
// for a field that may not go into its line.
std::vector<std::string> RequestHeaderLines(const THttpRequestFields& Fields);
// The whole header (its fields checked as above): each line passed through
// OnCommand (which may change or
// empty it; an emptied line is left out), then OnLinesEnd, then the empty
// line that ends the header. The hook sees that empty line too, and text it
// puts there is sent as one more line.
std::string BuildRequestHeader(const THttpRequestFields& Fields,
                               const std::function<void(std::string&)>& OnCommand = nullptr,
                               const std::function<void()>& OnLinesEnd = nullptr);

// What one response header line says.
struct THttpHeaderLine {
  enum class Kind { Status, Field, Other } LineKind = Kind::Other;
  int StatusCode = 0;
  std::string ReasonPhrase;
  std::string Name;   // lower case
  std::string Value;  // spaces right after the colon removed
};

// A status line that is not a number raises rtl::EConvertError.
THttpHeaderLine ParseHeaderLine(const std::string& Line);

// True when Value holds a control character (below 32, or 127).
bool HoldsControlCharacter(const std::string& Value);

// True when a response begins without a header: "<HTML>" in any case.
bool StartsWithHtml(const std::string& Line);

// "bytes 100-199/1000" gives "100" and "199".
void ParseContentRange(const std::string& Value, std::string& Begin, std::string& End);

// The bounds of one response header, so that a server that never ends its
// header cannot make the client's memory grow without end.
constexpr int kMaxHeaderLines = 256;
constexpr std::int64_t kMaxHeaderBytes = 65536;

class THttpHeaderTally {
public:
  // Counts one header line of Length bytes (its line end counts 2). Empty
  // while the header stays within both bounds, else the text that says
  // which bound it passed.
  std::string Count(size_t Length);
  void Reset() {
    FLines = 0;
    FBytes = 0;
  }
  int Lines() const { return FLines; }
  std::int64_t Bytes() const { return FBytes; }

private:
  int FLines = 0;
  std::int64_t FBytes = 0;
};

// The receive buffer: at most 8192 bytes of pending data, cut into lines.
class THttpReceiveBuffer {
public:
  static constexpr int kCapacity = 8192;

  int Room() const { return kCapacity - static_cast<int>(FData.size()); }
  int Pending() const { return static_cast<int>(FData.size()); }
  // Takes at most Room() bytes; returns how many it took.
  int Append(const char* Data, int Length);
  // The next complete line, without its LF and one CR before it. A line feed
  // after a zero byte is not seen (the buffer reads as a C string).
  bool NextLine(std::string& Line);
  // All pending data, as one piece.
  std::string TakeAll();

private:
  std::string FData;
};
