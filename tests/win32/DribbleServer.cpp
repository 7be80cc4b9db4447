#include "tests/win32/DribbleServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

#include "tests/win32/LoopbackSocket.h"

TDribbleServer::TDribbleServer(std::string response)
    : FResponse(std::move(response)), FListener(std::make_unique<TLoopbackListener>("dribble server")) {
  FThread = std::thread([this] { Run(); });
}

std::string TDribbleServer::Base() const { return "http://127.0.0.1:" + std::to_string(FListener->Port()); }

TDribbleServer::~TDribbleServer() {
  FStop = true;
  FThread.join();
}

void TDribbleServer::Run() {
  const SOCKET listening = FListener->Socket();
  // Short slices, so that the destructor can end the wait.
  const SOCKET c = AcceptWithin10s(listening, FStop);
  if (c == INVALID_SOCKET) return;
  const DWORD receiveLimit = 5000;
  ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&receiveLimit), sizeof receiveLimit);
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const int n = ::recv(c, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, n);
  }
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FRequest = request;
  }
  const BOOL noDelay = TRUE;
  ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  for (char byte : FResponse) {
    if (FStop || ::send(c, &byte, 1, 0) != 1) break;
    ::Sleep(2);
  }
  ::shutdown(c, SD_SEND);
  ::closesocket(c);
}
