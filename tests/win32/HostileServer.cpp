#include "tests/win32/HostileServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

namespace {

// Waits at most 100 ms for the socket to become readable or writable.
bool Ready(SOCKET s, bool forWriting) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{0, 100000};
  return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait) == 1;
}

}  // namespace

bool THostileConnection::Read(size_t count, std::string* into) {
  const SOCKET s = static_cast<SOCKET>(FSocket);
  char buffer[4096];
  for (int slice = 0; count > 0 && slice < 100 && !FStop; ++slice) {
    if (!Ready(s, false)) continue;
    const int n = ::recv(s, buffer, static_cast<int>(count < sizeof buffer ? count : sizeof buffer), 0);
    if (n <= 0) return false;
    if (into) into->append(buffer, static_cast<size_t>(n));
    count -= static_cast<size_t>(n);
  }
  return count == 0;
}

bool THostileConnection::ReadRequest() {
  std::string request;
  while (request.size() < 65536 && request.find("\r\n\r\n") == std::string::npos)
    if (!Read(1, &request)) return false;
  return true;
}

bool THostileConnection::Send(const std::string& bytes) {
  const SOCKET s = static_cast<SOCKET>(FSocket);
  size_t at = 0;
  for (int slice = 0; at < bytes.size() && slice < 100 && !FStop; ++slice) {
    if (!Ready(s, true)) continue;
    const int n = ::send(s, bytes.data() + at, static_cast<int>(bytes.size() - at), 0);
    if (n <= 0) return false;
    at += static_cast<size_t>(n);
    FSent += static_cast<std::uint64_t>(n);
  }
  return at == bytes.size();
}

void THostileConnection::SendForever(const std::string& piece) {
  const SOCKET s = static_cast<SOCKET>(FSocket);
  for (int slice = 0; slice < 300 && !FStop;) {
    if (!Ready(s, true)) {
      ++slice;  // 100 ms without room: a client that stopped reading
      continue;
    }
    const int n = ::send(s, piece.data(), static_cast<int>(piece.size()), 0);
    if (n <= 0) return;
    FSent += static_cast<std::uint64_t>(n);
  }
}

THostileServer::THostileServer(TScript script) : FScript(std::move(script)) {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof a;
  if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 1) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    if (s != INVALID_SOCKET) ::closesocket(s);
    ::WSACleanup();
    throw std::runtime_error("hostile server: no listening socket");
  }
  FListening = s;
  FPort = ntohs(a.sin_port);
  FThread = std::thread([this] { Run(); });
}

THostileServer::~THostileServer() {
  FStop = true;
  FThread.join();
  ::closesocket(static_cast<SOCKET>(FListening));
  ::WSACleanup();
}

void THostileServer::Run() {
  const SOCKET listening = static_cast<SOCKET>(FListening);
  SOCKET c = INVALID_SOCKET;
  for (int slice = 0; slice < 100 && !FStop && c == INVALID_SOCKET; ++slice)
    if (Ready(listening, false)) c = ::accept(listening, nullptr, nullptr);
  if (c == INVALID_SOCKET) return;
  THostileConnection connection(c, FStop);
  FScript(connection);
  FSent = connection.Sent();
  ::shutdown(c, SD_SEND);
  ::closesocket(c);
}
