// The HTTP client with https URLs against the servers that tls-tests.sh
// starts (their ports in ORV_TLS_* variables): nginx with certificates of
// a test authority that only the test's Wine prefix trusts, nginx without
// TLS, tinyproxy, microsocks, and servers that close in the handshake, stay
// silent or send without end.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "net/HttpCli.h"
#include "rtl/core/Streams.h"

namespace {

std::string Port(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? value : "";
}

struct TFetch {
  bool ok = false;
  std::uint16_t error = 0;
  std::string message, body, tls;
  DWORD ms = 0;
};

// A fetch as the watcher makes it: the synchronous Get with a time limit.
TFetch Fetch(const std::string& url, const std::string& proxy = "", const std::string& socks = "", int timeout = 20000,
             std::int64_t bodyLimit = 0) {
  THttpCli http(nullptr);
  http.URL = url;
  http.Timeout = timeout;
  http.BodyLimit = bodyLimit;
  if (!proxy.empty()) http.Proxy = "http://127.0.0.1:" + proxy;
  if (!socks.empty()) {
    http.SocksServer = "127.0.0.1";
    http.SocksPort = socks;
  }
  rtl::TMemoryStream body;
  http.ReceiveStream = &body;
  TFetch f;
  const DWORD start = ::GetTickCount();
  try {
    http.Get();
    f.ok = true;
  } catch (const EHttpException& e) {
    f.error = e.DoneError;
    f.message = e.Message();
  }
  f.ms = ::GetTickCount() - start;
  f.body = body.ToString();
  f.tls = http.Socket().TlsDescription();
  return f;
}

#define ORV_NEEDS_SERVERS()                                                 \
  if (Port("ORV_TLS_GOOD").empty()) GTEST_SKIP() << "run by tls-tests.sh"

}  // namespace

TEST(HttpsUnderWine, PagesArriveDirectlyThroughTheProxyTheSocksServerAndFromARedirection) {
  ORV_NEEDS_SERVERS();
  const std::string good = "https://localhost:" + Port("ORV_TLS_GOOD");
  const struct {
    const char* name;
    std::string url, proxy, socks;
  } cases[] = {
      {"direct", good + "/page.txt", "", ""},
      {"an upper-case scheme", "HTTPS://localhost:" + Port("ORV_TLS_GOOD") + "/page.txt", "", ""},
      {"through tinyproxy's tunnel", good + "/page.txt", Port("ORV_TLS_PROXY"), ""},
      {"through SOCKS 5", good + "/page.txt", "", Port("ORV_TLS_SOCKS5")},
      {"http redirected to https", "http://localhost:" + Port("ORV_TLS_PLAIN") + "/to-tls", "", ""},
      {"http redirected to https through the proxy", "http://localhost:" + Port("ORV_TLS_PLAIN") + "/to-tls",
       Port("ORV_TLS_PROXY"), ""},
  };
  for (const auto& t : cases) {
    const TFetch f = Fetch(t.url, t.proxy, t.socks);
    EXPECT_TRUE(f.ok) << t.name << ": " << f.error << " " << f.message;
    EXPECT_EQ("tls page\n", f.body) << t.name;
    EXPECT_EQ(0u, f.tls.rfind("TLS 1.", 0)) << t.name << ": " << f.tls;
  }

  // Many records: 4 MiB of a pattern that shows a lost, doubled or shifted
  // piece.
  const TFetch big = Fetch(good + "/big.bin");
  ASSERT_TRUE(big.ok) << big.message;
  ASSERT_EQ(4u << 20, big.body.size());
  size_t wrong = 0;
  for (size_t i = 0; i < big.body.size(); i += 4096)
    wrong += big.body.compare(i, 8, std::to_string(10000000 + i / 4096)) != 0;
  EXPECT_EQ(0u, wrong);
}

TEST(HttpsUnderWine, EachFailureSaysWhatWithinItsTime) {
  ORV_NEEDS_SERVERS();
  const auto at = [](const char* variable, const char* path) {
    return "https://localhost:" + Port(variable) + path;
  };
  const struct {
    const char* name;
    std::string url;
    int timeout;
    std::int64_t bodyLimit;
    std::uint16_t error;
    std::string message;
  } cases[] = {
      {"another name", at("ORV_TLS_OTHER_NAME", "/page.txt"), 20000, 0, httpErrorCertificate,
       "The certificate of localhost is for another name (other.test) (0x800B010F)"},
      {"expired", at("ORV_TLS_EXPIRED", "/page.txt"), 20000, 0, httpErrorCertificate,
       "The certificate of localhost has expired or is not yet valid (0x800B0101)"},
      {"unknown authority", at("ORV_TLS_UNKNOWN", "/page.txt"), 20000, 0, httpErrorCertificate,
       "The certificate of localhost is not trusted: it does not lead to a trusted root authority (0x800B0109)"},
      {"https redirected to http", at("ORV_TLS_GOOD", "/to-plain"), 20000, 0, httpErrorDowngrade,
       "Redirection from https to http refused: http://localhost:" + Port("ORV_TLS_PLAIN") + "/page.txt"},
      {"plain HTTP on the TLS port", at("ORV_TLS_PLAIN", "/page.txt"), 20000, 0, httpErrorTls,
       "localhost does not answer in TLS: a record cannot begin with 0x48"},
      {"a close in the handshake", at("ORV_TLS_DROP", "/"), 20000, 0, httpErrorTls,
       "localhost closed the connection during the TLS handshake"},
      {"a silent server", at("ORV_TLS_SILENT", "/"), 2000, 0, httpErrorTimeout, "HTTP request timed out after 2.0 s"},
      {"an endless body", at("ORV_TLS_ENDLESS", "/"), 3000, 0, httpErrorTimeout, "HTTP request timed out after 3.0 s"},
      {"an endless body over the limit", at("ORV_TLS_ENDLESS", "/"), 20000, 1 << 20, httpErrorBodyLimit, ""},
      {"a cut without the close notice", at("ORV_TLS_CUT", "/"), 20000, 0, httpErrorTls,
       "localhost closed the connection without the TLS close notice: the page may be cut short"},
  };
  for (const auto& t : cases) {
    const TFetch f = Fetch(t.url, "", "", t.timeout, t.bodyLimit);
    EXPECT_FALSE(f.ok) << t.name;
    EXPECT_EQ(t.error, f.error) << t.name << ": " << f.message;
    EXPECT_NE(std::string::npos, f.message.find(t.message)) << t.name << ": " << f.message;
    // The time limit holds over the handshake and the body alike.
    EXPECT_LT(f.ms, static_cast<DWORD>(t.timeout) + 5000) << t.name;
  }
}
