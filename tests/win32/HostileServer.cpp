#include "tests/win32/HostileServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

#include "tests/win32/LoopbackSocket.h"

bool THostileConnection::Read(size_t count, std::string* into) {
  const SOCKET s = static_cast<SOCKET>(FSocket);
  char buffer[4096];
  for (int slice = 0; count > 0 && slice < 100 && !FStop; ++slice) {
    if (!SocketReady(s, false)) continue;
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
    if (!SocketReady(s, true)) continue;
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
    if (!SocketReady(s, true)) {
      ++slice;  // 100 ms without room: a client that stopped reading
      continue;
    }
    const int n = ::send(s, piece.data(), static_cast<int>(piece.size()), 0);
    if (n <= 0) return;
    FSent += static_cast<std::uint64_t>(n);
  }
}

THostileServer::THostileServer(TScript script)
    : FScript(std::move(script)), FListener(std::make_unique<TLoopbackListener>("hostile server")) {
  FThread = std::thread([this] { Run(); });
}

std::string THostileServer::Port() const { return std::to_string(FListener->Port()); }

THostileServer::~THostileServer() {
  FStop = true;
  FThread.join();
}

void THostileServer::Run() {
  const SOCKET listening = FListener->Socket();
  const SOCKET c = AcceptWithin10s(listening, FStop);
  if (c == INVALID_SOCKET) return;
  THostileConnection connection(c, FStop);
  FScript(connection);
  FSent = connection.Sent();
  ::shutdown(c, SD_SEND);
  ::closesocket(c);
}
