#include "net/core/HttpProtocol.h"

#include <gtest/gtest.h>

#include "rtl/core/Exceptions.h"

TEST(HttpProtocol, Base64) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
               {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"Aladdin:open sesame", "QWxhZGRpbjpvcGVuIHNlc2FtZQ=="}};
  for (const auto& c : cases) EXPECT_EQ(c.out, Base64Encode(c.in)) << c.in;
  EXPECT_EQ("/w==", Base64Encode("\xFF"));
}

TEST(HttpProtocol, DateText) {
  EXPECT_EQ("Sat, 01 Jan 2000 00:00:00", HttpDateText(36526.0));
  EXPECT_EQ("Tue, 08 Dec 2026 12:00:00", HttpDateText(46364.5));
  EXPECT_EQ("Thu, 29 Feb 2024 23:59:59", HttpDateText(45351.0 + 86399.0 / 86400.0));
}

TEST(HttpProtocol, RequestHeaderLinesInOrder) {
  THttpRequestFields f;
  f.Method = "POST";
  f.RequestPath = "/dir/page.html?x=1";
  f.Sender = "me@host.test";
  f.Accept = "*/*";
  f.Reference = "http://ref.test/";
  f.ContentTypePost = "application/x-www-form-urlencoded";
  f.Agent = "Orvandel (Version 1.0.0.0)";
  f.HostName = "host.test";
  f.NoCache = true;
  f.PostSize = 12;
  f.ModifiedSince = 36526.0;
  f.Username = "joe";
  f.Password = "secret";
  f.ThroughProxy = true;
  f.ProxyUsername = "p";
  f.ProxyPassword = "q";
  f.Cookie = "a=b";
  f.ContentRangeBegin = "10";
  EXPECT_EQ("POST /dir/page.html?x=1 HTTP/1.0\r\n"
            "From: me@host.test\r\n"
            "Accept: */*\r\n"
            "Referer: http://ref.test/\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\n"
            "User-Agent: Orvandel (Version 1.0.0.0)\r\n"
            "Host: host.test\r\n"
            "Pragma: no-cache\r\n"
            "Content-Length: 12\r\n"
            "If-Modified-Since: Sat, 01 Jan 2000 00:00:00 GMT\r\n"
            "Authorization: Basic am9lOnNlY3JldA==\r\n"
            "Proxy-Authorization: Basic cDpx\r\n"
            "Cookie: a=b\r\n"
            "Range: bytes=10-\r\n"
            "\r\n",
            BuildRequestHeader(f));

  THttpRequestFields get;
  get.Method = "GET";
  get.RequestPath = "/";
  get.HostName = "h";
  get.ContentTypePost = "ignored for GET";
  get.ProxyUsername = "not through a proxy";
  EXPECT_EQ("GET / HTTP/1.0\r\nHost: h\r\n\r\n", BuildRequestHeader(get));
  // The command hook may change or empty a line. An emptied line is left
  // out, so the lines after it are still sent; text put on the final empty
  // line becomes one more line, and the header still ends.
  get.Agent = "agent";
  EXPECT_EQ("GET / HTTP/1.0\r\nHost: h\r\nX-Added: 1\r\n\r\n", BuildRequestHeader(get, [](std::string& line) {
              if (line.compare(0, 11, "User-Agent:") == 0) line.clear();
              else if (line.empty()) line = "X-Added: 1";
            }));
}

TEST(HttpProtocol, HeaderLines) {
  THttpHeaderLine s = ParseHeaderLine("HTTP/1.1 404 Not Found");
  EXPECT_EQ(THttpHeaderLine::Kind::Status, s.LineKind);
  EXPECT_EQ(404, s.StatusCode);
  EXPECT_EQ("Not Found", s.ReasonPhrase);
  EXPECT_EQ(200, ParseHeaderLine("HTTP/1.0 200").StatusCode);
  EXPECT_EQ("", ParseHeaderLine("HTTP/1.0 200").ReasonPhrase);
  EXPECT_THROW(ParseHeaderLine("HTTP/1.0 abc Bad"), rtl::EConvertError);
  EXPECT_THROW(ParseHeaderLine("HTTP/1.0"), rtl::EConvertError);

  THttpHeaderLine f = ParseHeaderLine("Content-Type:   text/HTML");
  EXPECT_EQ(THttpHeaderLine::Kind::Field, f.LineKind);
  EXPECT_EQ("content-type", f.Name);
  EXPECT_EQ("text/HTML", f.Value);
  EXPECT_EQ("http://x.test:8080/a", ParseHeaderLine("Location: http://x.test:8080/a").Value);
  EXPECT_EQ(THttpHeaderLine::Kind::Other, ParseHeaderLine("no colon here").LineKind);
  EXPECT_EQ(THttpHeaderLine::Kind::Field, ParseHeaderLine("HTTP/2 200: odd").LineKind);

  EXPECT_TRUE(StartsWithHtml("<HTML>"));
  EXPECT_TRUE(StartsWithHtml("<hTmL><body>"));
  EXPECT_FALSE(StartsWithHtml("<HTM"));
  EXPECT_FALSE(StartsWithHtml(" <HTML>"));

  std::string b, e;
  ParseContentRange("bytes 100-199/1000", b, e);
  EXPECT_EQ("100", b);
  EXPECT_EQ("199", e);
  ParseContentRange("junk", b, e);
  EXPECT_EQ("", b);
  EXPECT_EQ("", e);
}

TEST(HttpProtocol, TunnelRequestAndTheProxysAnswer) {
  EXPECT_EQ("CONNECT example.org:443 HTTP/1.0\r\nHost: example.org:443\r\nUser-Agent: probe\r\n"
            "Proxy-Authorization: Basic dTpw\r\n\r\n",
            TunnelRequest("example.org", "443", "probe", "u", "p"));
  EXPECT_EQ("CONNECT h:8443 HTTP/1.0\r\nHost: h:8443\r\n\r\n", TunnelRequest("h", "8443", "", "", "p"));

  const struct {
    std::string answer;
    THttpTunnelReply::TState state;
    size_t used;  // the rest is the server's
    const char* text;
  } cases[] = {
      {"HTTP/1.1 200 Connection established\r\n\r\n\x16\x03", THttpTunnelReply::TState::Open, 39, ""},
      {"HTTP/1.0 200 OK\nProxy-agent: x\n\nrest", THttpTunnelReply::TState::Open, 32, ""},
      {"HTTP/1.0 407 Proxy Authentication Required\r\nX: y\r\n\r\n", THttpTunnelReply::TState::Refused, 52,
       "HTTP/1.0 407 Proxy Authentication Required"},
      {"SSH-2.0-OpenSSH\r\n\r\n", THttpTunnelReply::TState::Failed, 19,
       "the proxy's answer to CONNECT is no HTTP status line"},
      {"HTTP/1.0 200 OK\r\n" + std::string(9000, 'x'), THttpTunnelReply::TState::Failed, 8192,
       "the proxy's answer to CONNECT is longer than 8192 bytes"},
      {"HTTP/1.0 200 OK\r\n", THttpTunnelReply::TState::Reading, 17, ""},
  };
  for (const auto& t : cases) {
    for (size_t cut = 0; cut <= t.answer.size(); cut += t.answer.size() > 100 ? 1000 : 1) {
      THttpTunnelReply reply;
      size_t used = reply.Put(t.answer.data(), cut);
      used += reply.Put(t.answer.data() + used, t.answer.size() - used);
      EXPECT_EQ(t.state, reply.State()) << t.answer.substr(0, 40) << " cut at " << cut;
      EXPECT_EQ(t.used, used) << t.answer.substr(0, 40) << " cut at " << cut;
      EXPECT_EQ(t.text, reply.Text()) << t.answer.substr(0, 40);
    }
  }
}
