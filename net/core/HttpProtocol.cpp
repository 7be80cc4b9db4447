#include "net/core/HttpProtocol.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "rtl/core/Exceptions.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"

std::string Base64Encode(const std::string& Data) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((Data.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < Data.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(Data[i]) << 16) | (static_cast<unsigned char>(Data[i + 1]) << 8) |
                       static_cast<unsigned char>(Data[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < Data.size()) {
    unsigned v = static_cast<unsigned char>(Data[i]) << 16;
    if (i + 1 < Data.size()) v |= static_cast<unsigned char>(Data[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < Data.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string HttpDateText(double DateTime) {
  static const char kDays[] = "MonTueWedThuFriSatSun";
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const double whole = std::floor(DateTime);
  const auto days = static_cast<long long>(whole);
  // Civil date from days since 1899-12-30 (day 0), through days since
  // 1970-01-01.
  long long z = days - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long year = yoe + era * 400;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  if (month <= 2) ++year;
  long long seconds = std::llround((DateTime - whole) * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  const int weekday = static_cast<int>(((days - 2) % 7 + 7) % 7);
  char text[64];
  std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d", kDays + 3 * weekday,
                static_cast<int>(day), kMonths + 3 * (month - 1), static_cast<int>(year),
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

bool IsSafeLineValue(const std::string& Value) { return Value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; }

std::string RequestFieldProblem(const THttpRequestFields& F) {
  // Username and password go out in Base64, which no byte can break.
  const std::pair<const char*, const std::string*> fields[] = {
      {"Method", &F.Method},   {"RequestPath", &F.RequestPath}, {"Sender", &F.Sender},
      {"Accept", &F.Accept},   {"Reference", &F.Reference},     {"ContentTypePost", &F.ContentTypePost},
      {"Agent", &F.Agent},     {"HostName", &F.HostName},       {"Cookie", &F.Cookie},
      {"ContentRangeBegin", &F.ContentRangeBegin},              {"ContentRangeEnd", &F.ContentRangeEnd},
  };
  for (const auto& field : fields)
    if (!IsSafeLineValue(*field.second)) return std::string(field.first) + " holds a CR, LF or NUL character";
  return std::string();
}

std::vector<std::string> RequestHeaderLines(const THttpRequestFields& F) {
  const std::string problem = RequestFieldProblem(F);
  if (!problem.empty()) throw rtl::Exception(problem);
  std::vector<std::string> lines;
  lines.push_back(F.Method + " " + F.RequestPath + " HTTP/1.0");
  if (!F.Sender.empty()) lines.push_back("From: " + F.Sender);
  if (!F.Accept.empty()) lines.push_back("Accept: " + F.Accept);
  if (!F.Reference.empty()) lines.push_back("Referer: " + F.Reference);
  if (F.Method == "POST" && !F.ContentTypePost.empty()) lines.push_back("Content-Type: " + F.ContentTypePost);
  if (!F.Agent.empty()) lines.push_back("User-Agent: " + F.Agent);
  lines.push_back("Host: " + F.HostName);
  if (F.NoCache) lines.push_back("Pragma: no-cache");
  if (F.Method == "POST") lines.push_back("Content-Length: " + std::to_string(F.PostSize));
  if (F.ModifiedSince != 0) lines.push_back("If-Modified-Since: " + HttpDateText(F.ModifiedSince) + " GMT");
  if (!F.Username.empty()) lines.push_back("Authorization: Basic " + Base64Encode(F.Username + ":" + F.Password));
  if (F.ThroughProxy && !F.ProxyUsername.empty())
    lines.push_back("Proxy-Authorization: Basic " + Base64Encode(F.ProxyUsername + ":" + F.ProxyPassword));
  if (!F.Cookie.empty()) lines.push_back("Cookie: " + F.Cookie);
  if (!F.ContentRangeBegin.empty() || !F.ContentRangeEnd.empty())
    lines.push_back("Range: bytes=" + F.ContentRangeBegin + "-" + F.ContentRangeEnd);
  return lines;
}

std::string BuildRequestHeader(const THttpRequestFields& F, const std::function<void(std::string&)>& OnCommand,
                               const std::function<void()>& OnLinesEnd) {
  std::string out;
  const auto write = [&](std::string line) {
    if (OnCommand) OnCommand(line);
    // A line emptied by a handler is dropped: its line end alone would end
    // the header there and cut off every line after it.
    if (line.empty()) return;
    out += line;
    out += "\r\n";
  };
  for (std::string& line : RequestHeaderLines(F)) write(std::move(line));
  if (OnLinesEnd) OnLinesEnd();
  write(std::string());
  out += "\r\n";
  return out;
}

THttpHeaderLine ParseHeaderLine(const std::string& Line) {
  THttpHeaderLine result;
  if (Line.compare(0, 8, "HTTP/1.0") == 0 || Line.compare(0, 8, "HTTP/1.1") == 0) {
    result.LineKind = THttpHeaderLine::Kind::Status;
    result.StatusCode = rtl::StrToInt(Line.size() > 9 ? Line.substr(9, 3) : std::string());
    if (Line.size() > 13) result.ReasonPhrase = Line.substr(13);
    return result;
  }
  const size_t colon = Line.find(':');
  if (colon == std::string::npos) return result;
  result.LineKind = THttpHeaderLine::Kind::Field;
  result.Name = Line.substr(0, colon);
  for (auto& c : result.Name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t start = colon + 1;
  while (start < Line.size() && Line[start] == ' ') ++start;
  result.Value = Line.substr(start);
  return result;
}

bool HoldsControlCharacter(const std::string& Value) {
  for (const char c : Value)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
  return false;
}

bool StartsWithHtml(const std::string& Line) {
  return Line.size() >= 6 && rtl::SameText(Line.substr(0, 6), "<HTML>");
}

void ParseContentRange(const std::string& Value, std::string& Begin, std::string& End) {
  const size_t dash = Value.find('-');
  const size_t slash = Value.find('/');
  Begin = dash != std::string::npos && dash > 6 ? Value.substr(6, dash - 6) : std::string();
  End = dash != std::string::npos && slash != std::string::npos && slash > dash
            ? Value.substr(dash + 1, slash - dash - 1)
            : std::string();
}

std::string TunnelRequest(const std::string& Host, const std::string& Port, const std::string& Agent,
                          const std::string& ProxyUsername, const std::string& ProxyPassword) {
  const std::string target = Host + ":" + Port;
  std::string out = "CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n";
  if (!Agent.empty()) out += "User-Agent: " + Agent + "\r\n";
  if (!ProxyUsername.empty())
    out += "Proxy-Authorization: Basic " + Base64Encode(ProxyUsername + ":" + ProxyPassword) + "\r\n";
  return out + "\r\n";
}

void THttpTunnelReply::Reset() {
  FState = TState::Reading;
  FHeader.clear();
  FText.clear();
}

size_t THttpTunnelReply::Put(const char* Data, size_t Length) {
  size_t used = 0;
  // Byte by byte: the header's end is where the server's bytes begin.
  while (FState == TState::Reading && used < Length) {
    FHeader += Data[used++];
    const size_t n = FHeader.size();
    const bool ended = (n >= 2 && FHeader.compare(n - 2, 2, "\n\n") == 0) ||
                       (n >= 3 && FHeader.compare(n - 3, 3, "\n\r\n") == 0);
    if (!ended) {
      if (n >= kMaxHeader) {
        FState = TState::Failed;
        FText = "the proxy's answer to CONNECT is longer than 8192 bytes";
      }
      continue;
    }
    std::string status = FHeader.substr(0, FHeader.find('\n'));
    if (!status.empty() && status.back() == '\r') status.pop_back();
    const bool http = status.size() >= 12 && status.compare(0, 7, "HTTP/1.") == 0 && status[8] == ' ' &&
                      std::isdigit(static_cast<unsigned char>(status[9])) &&
                      std::isdigit(static_cast<unsigned char>(status[10])) &&
                      std::isdigit(static_cast<unsigned char>(status[11]));
    if (!http) {
      FState = TState::Failed;
      FText = "the proxy's answer to CONNECT is no HTTP status line";
    } else if (status[9] == '2') {
      FState = TState::Open;
    } else {
      FState = TState::Refused;
      FText = status;
    }
  }
  return used;
}
