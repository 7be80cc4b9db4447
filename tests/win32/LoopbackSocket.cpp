#include "tests/win32/LoopbackSocket.h"

#include <stdexcept>
#include <string>

SOCKET ListenOnLoopback(const char* who, std::uint16_t& port) {
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof a;
  if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 1) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    if (s != INVALID_SOCKET) ::closesocket(s);
    throw std::runtime_error(std::string(who) + ": no listening socket");
  }
  port = ntohs(a.sin_port);
  return s;
}

bool SocketReady(SOCKET s, bool forWriting) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{0, 100000};
  return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait) == 1;
}
