#pragma once
// The HTTP client's byte-level protocol: the request header it writes and
// the meaning of each reply header line (HttpReplyReader.h reads the reply
// itself). No sockets or windows: bytes in, text out.

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

// The request that asks an HTTP proxy for a tunnel to Host:Port, through
// which TLS then runs to the server itself; with the proxy's Basic
// credentials when a user is given (and only to the proxy: the request
// inside the tunnel never carries them).
std::string TunnelRequest(const std::string& Host, const std::string& Port, const std::string& Agent,
                          const std::string& ProxyUsername, const std::string& ProxyPassword);

// The proxy's answer to a tunnel request, read up to the empty line that
// ends its header, within 8192 bytes. The bytes after that line are the
// server's, and Put leaves them to the caller.
class THttpTunnelReply {
public:
  enum class TState { Reading, Open, Refused, Failed };
  static constexpr size_t kMaxHeader = 8192;

  void Reset();
  // Takes bytes while reading; returns how many of them were the proxy's.
  size_t Put(const char* Data, size_t Length);
  TState State() const { return FState; }
  // Refused or Failed: what the proxy said (its status line), or what was
  // wrong with its answer.
  const std::string& Text() const { return FText; }

private:
  TState FState = TState::Reading;
  std::string FHeader, FText;
};
