#pragma once
// Plain Winsock pieces for the tests' threaded servers, which must not use
// the components under test.

#include <winsock2.h>

#include <cstdint>

// Winsock started and a socket listening on 127.0.0.1 at a free port, for
// as long as the object lives. Throws std::runtime_error naming Who when
// there is none; nothing leaks.
class TLoopbackListener {
public:
  explicit TLoopbackListener(const char* who);
  ~TLoopbackListener();
  TLoopbackListener(const TLoopbackListener&) = delete;
  TLoopbackListener& operator=(const TLoopbackListener&) = delete;

  SOCKET Socket() const { return FSocket; }
  std::uint16_t Port() const { return FPort; }

private:
  SOCKET FSocket = INVALID_SOCKET;
  std::uint16_t FPort = 0;
};

// Waits at most 100 ms for the socket to become readable or writable.
bool SocketReady(SOCKET s, bool forWriting);

// Accepts one client within about 10 s, in 100 ms slices that end early
// when Stop is set; INVALID_SOCKET when none came.
template <typename StopFlag>
SOCKET AcceptWithin10s(SOCKET listening, const StopFlag& stop) {
  SOCKET c = INVALID_SOCKET;
  for (int slice = 0; slice < 100 && !stop && c == INVALID_SOCKET; ++slice)
    if (SocketReady(listening, false)) c = ::accept(listening, nullptr, nullptr);
  return c;
}
