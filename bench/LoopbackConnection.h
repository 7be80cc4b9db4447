#pragma once
// A blocking TCP connection to a port on 127.0.0.1 for the benchmark
// programs: Winsock started for its life, the socket closed at its end.

#include <winsock2.h>

class TLoopbackConnection {
public:
  explicit TLoopbackConnection(unsigned short port) {
    WSADATA data;
    Error = ::WSAStartup(MAKEWORD(2, 2), &data);
    if (Error) return;
    FStarted = true;
    Handle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = ::htons(port);
    to.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (Handle == INVALID_SOCKET || ::connect(Handle, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0)
      Error = ::WSAGetLastError();
  }
  ~TLoopbackConnection() {
    if (Handle != INVALID_SOCKET) ::closesocket(Handle);
    if (FStarted) ::WSACleanup();
  }
  TLoopbackConnection(const TLoopbackConnection&) = delete;
  TLoopbackConnection& operator=(const TLoopbackConnection&) = delete;

  SOCKET Handle = INVALID_SOCKET;
  int Error = 0;  // Winsock's code when the connection failed

private:
  bool FStarted = false;
};
