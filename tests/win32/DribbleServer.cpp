#include "tests/win32/DribbleServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

TDribbleServer::TDribbleServer(std::string response) : FResponse(std::move(response)) {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof a;
  if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 1) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    throw std::runtime_error("dribble server: no listening socket");
  }
  FListening = s;
  FPort = ntohs(a.sin_port);
  FThread = std::thread([this] { Run(); });
}

TDribbleServer::~TDribbleServer() {
  FStop = true;
  FThread.join();
  ::closesocket(static_cast<SOCKET>(FListening));
  ::WSACleanup();
}

void TDribbleServer::Run() {
  const SOCKET listening = static_cast<SOCKET>(FListening);
  // Waits for the client at most 10 s, in short slices so that the
  // destructor can end the wait.
  SOCKET c = INVALID_SOCKET;
  for (int slice = 0; slice < 100 && !FStop && c == INVALID_SOCKET; ++slice) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listening, &set);
    timeval wait{0, 100000};
    if (::select(0, &set, nullptr, nullptr, &wait) == 1) c = ::accept(listening, nullptr, nullptr);
  }
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
