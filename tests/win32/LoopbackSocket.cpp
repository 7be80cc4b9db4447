#include "tests/win32/LoopbackSocket.h"

#include <stdexcept>
#include <string>

TLoopbackListener::TLoopbackListener(const char* who) {
  WSADATA data;
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error(std::string(who) + ": no Winsock");
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof a;
  if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 1) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    if (s != INVALID_SOCKET) ::closesocket(s);
    ::WSACleanup();
    throw std::runtime_error(std::string(who) + ": no listening socket");
  }
  FSocket = s;
  FPort = ntohs(a.sin_port);
}

TLoopbackListener::~TLoopbackListener() {
  ::closesocket(FSocket);
  ::WSACleanup();
}

bool SocketReady(SOCKET s, bool forWriting) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{0, 100000};
  return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait) == 1;
}
