// The Schannel engine under the TLS session, over a plain blocking socket,
// against servers on loopback that tls-tests.sh starts: nginx with a
// certificate of a test authority that only the test's Wine prefix trusts
// (for localhost, for another name, expired, of an unknown authority), a
// plain HTTP server, and a server that closes in the middle of the
// handshake. Their ports come in ORV_TLS_* variables.

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "net/SchannelContext.h"
#include "net/core/TlsSession.h"

namespace {

struct TOutcome {
  int established = 0;
  int closed = -1;  // -1 open, 0 without the close notice, 1 with it
  int error = -1;
  std::string message, data;
  std::string lastSent;
};

class TWinsock {
public:
  TWinsock() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~TWinsock() { ::WSACleanup(); }
};

// Fetches Path from the server on the loopback port in Variable, naming it
// Host, within 20 s; with CloseAtOnce it closes instead of asking.
TOutcome Fetch(const char* variable, const std::string& host, const std::string& path = "/page.txt",
               bool closeAtOnce = false) {
  TOutcome o;
  const char* port = std::getenv(variable);
  if (!port) {
    o.message = std::string(variable) + " is not set: run tls-tests.sh";
    return o;
  }
  TWinsock winsock;
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = ::htons(static_cast<u_short>(std::atoi(port)));
  to.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    o.message = "connect failed";
    ::closesocket(s);
    return o;
  }
  TSchannelContext engine(host);
  TTlsSession session(engine, host);
  session.OnSend = [&](const std::string& bytes) {
    o.lastSent = bytes;
    ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
  };
  session.OnEstablished = [&] {
    ++o.established;
    if (closeAtOnce) return session.Close();
    session.Send("GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n");
  };
  session.OnData = [&](const std::string& d) { o.data += d; };
  session.OnClosed = [&](bool notice) { o.closed = notice; };
  session.OnError = [&](TTlsError e, const std::string& m) {
    o.error = static_cast<int>(e);
    o.message = m;
  };
  session.Start();
  const DWORD deadline = ::GetTickCount() + 20000;
  std::string buffer(64 * 1024, '\0');
  while (session.CurrentPhase() != TTlsSession::Phase::Ended) {
    if (static_cast<LONG>(deadline - ::GetTickCount()) <= 0) {
      o.message = "timed out";
      break;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait{0, 200000};
    if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    const int n = ::recv(s, &buffer[0], static_cast<int>(std::min(buffer.size(), session.Room())), 0);
    if (n <= 0)
      session.TransportClosed();
    else
      session.Feed(buffer.data(), static_cast<size_t>(n));
  }
  ::closesocket(s);
  return o;
}

}  // namespace

TEST(TlsUnderWine, AGoodPageArrivesWholeAndEitherSideClosesWithANotice) {
  const TOutcome o = Fetch("ORV_TLS_GOOD", "localhost");
  EXPECT_EQ(-1, o.error) << o.message;
  EXPECT_EQ(1, o.established);
  EXPECT_EQ(0u, o.data.rfind("HTTP/1.1 200 OK\r\n", 0)) << o.data.substr(0, 200);
  EXPECT_EQ("\r\n\r\ntls page\n", o.data.substr(o.data.size() - std::min<size_t>(o.data.size(), 13)));
  EXPECT_EQ(1, o.closed);

  // Our own close sends the close notice: an alert record.
  const TOutcome closing = Fetch("ORV_TLS_GOOD", "localhost", "", true);
  EXPECT_EQ(-1, closing.error) << closing.message;
  EXPECT_EQ(1, closing.established);
  EXPECT_EQ(0u, closing.lastSent.rfind("\x15\x03\x03", 0));
  EXPECT_EQ("", closing.data);

  // Many full records: 4 MiB of a pattern that shows a lost, doubled or
  // shifted piece.
  const TOutcome big = Fetch("ORV_TLS_GOOD", "localhost", "/big.bin");
  ASSERT_EQ(-1, big.error) << big.message;
  const size_t body = big.data.find("\r\n\r\n");
  ASSERT_NE(std::string::npos, body);
  const std::string bytes = big.data.substr(body + 4);
  ASSERT_EQ(4u << 20, bytes.size());
  size_t wrong = 0;
  for (size_t i = 0; i < bytes.size(); i += 4096) wrong += bytes.compare(i, 8, std::to_string(10000000 + i / 4096).substr(0, 8)) != 0;
  EXPECT_EQ(0u, wrong);
}

TEST(TlsUnderWine, EachFailureSaysWhatAndNamesTheHost) {
  const struct {
    const char* variable;
    const char* host;
    TTlsError error;
    const char* message;
  } cases[] = {
      {"ORV_TLS_OTHER_NAME", "localhost", TTlsError::Untrusted,
       "The certificate of localhost is for another name (other.test) (0x800B010F)"},
      // The certificate names localhost only; the address is another name.
      {"ORV_TLS_GOOD", "127.0.0.1", TTlsError::Untrusted,
       "The certificate of 127.0.0.1 is for another name (localhost) (0x800B010F)"},
      {"ORV_TLS_EXPIRED", "localhost", TTlsError::Untrusted,
       "The certificate of localhost has expired or is not yet valid (0x800B0101)"},
      {"ORV_TLS_UNKNOWN", "localhost", TTlsError::Untrusted,
       "The certificate of localhost is not trusted: it does not lead to a trusted root authority (0x800B0109)"},
      {"ORV_TLS_PLAIN", "localhost", TTlsError::NotTls,
       "localhost does not answer in TLS: a record cannot begin with 0x48"},
      {"ORV_TLS_DROP", "localhost", TTlsError::ClosedInHandshake,
       "localhost closed the connection during the TLS handshake"},
  };
  for (const auto& t : cases) {
    const TOutcome o = Fetch(t.variable, t.host);
    EXPECT_EQ(static_cast<int>(t.error), o.error) << t.variable << ": " << o.message;
    EXPECT_EQ(t.message, o.message) << t.variable;
    EXPECT_EQ(0, o.established) << t.variable;
    EXPECT_EQ("", o.data) << t.variable;
  }
}
