// The time of the TLS handshake and of the certificate check, as the HTTP
// client's TLS layer does them (the session over the Schannel engine), for
// several connections in one process: the first check loads the system's
// roots, the later ones find them loaded (bench/net-bench.sh).
//
// Usage: tlstiming PORT HOST COUNT   (the server on 127.0.0.1)
// Prints one line per connection: "handshake H ms, check C ms"; exit 1 with
// the reason when a connection fails (an untrusted certificate included).

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/LoopbackConnection.h"
#include "net/SchannelContext.h"
#include "net/core/SocketException.h"
#include "net/core/TlsSession.h"

namespace {

double Now() {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The engine with the moments its certificate check starts and ends.
class TTimedContext : public TTlsContext {
public:
  explicit TTimedContext(TTlsContext& inner) : FInner(inner) {}
  TTlsResult Handshake(const std::string& input) override { return FInner.Handshake(input); }
  std::string CheckPeer() override {
    CheckStart = Now();
    std::string problem = FInner.CheckPeer();
    CheckEnd = Now();
    return problem;
  }
  TTlsResult Decrypt(char* data, size_t length) override { return FInner.Decrypt(data, length); }
  size_t MaxPlainPiece() override { return FInner.MaxPlainPiece(); }
  TTlsResult Encrypt(const std::string& plain) override { return FInner.Encrypt(plain); }
  TTlsResult CloseNotify() override { return FInner.CloseNotify(); }
  bool Tls13() override { return FInner.Tls13(); }
  double CheckStart = 0, CheckEnd = 0;

private:
  TTlsContext& FInner;
};

// One connection up to an accepted certificate, then the close notice;
// empty, or what went wrong.
std::string Connect(unsigned short port, const std::string& host, double& handshakeMs, double& checkMs) {
  TLoopbackConnection connection(port);
  if (connection.Error) return "connect failed (" + std::to_string(connection.Error) + ")";
  const SOCKET s = connection.Handle;
  std::string problem;
  try {
    TSchannelContext engine(host);
    TTimedContext timed(engine);
    TTlsSession session(timed, host);
    session.OnSend = [&](const std::string& bytes) { ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0); };
    session.OnEstablished = [&] { session.Close(); };
    session.OnError = [&](TTlsError, const std::string& m) { problem = m; };
    const double start = Now();
    session.Start();
    std::string buffer(TTlsSession::kMaxRecord, '\0');
    while (session.CurrentPhase() != TTlsSession::Phase::Ended && problem.empty()) {
      if (Now() - start > 20000) problem = "no handshake within 20 s";
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(s, &readable);
      timeval wait{0, 200000};
      if (!problem.empty() || ::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
      const int n = ::recv(s, &buffer[0], static_cast<int>(std::min(buffer.size(), session.Room())), 0);
      if (n <= 0)
        session.TransportClosed();
      else
        session.Feed(buffer.data(), static_cast<size_t>(n));
    }
    handshakeMs = timed.CheckStart - start;
    checkMs = timed.CheckEnd - timed.CheckStart;
  } catch (const ESocketException& e) {  // no Schannel, or no credentials
    problem = e.what();
  }
  return problem;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tlstiming PORT HOST COUNT\n");
    return 2;
  }
  int status = 0;
  for (int i = 0; i < std::atoi(argv[3]) && status == 0; ++i) {
    double handshake = 0, check = 0;
    const std::string problem = Connect(static_cast<unsigned short>(std::atoi(argv[1])), argv[2], handshake, check);
    if (problem.empty()) {
      std::printf("handshake %.1f ms, check %.1f ms\n", handshake, check);
    } else {
      std::fprintf(stderr, "tlstiming: %s\n", problem.c_str());
      status = 1;
    }
  }
  return status;
}
