// Fuzzes the SOCKS handshake with arbitrary server replies: the first byte
// picks level and authentication, the second the read size; the rest is
// what the server sends. Until it is done the negotiator always has room
// for more (a reader without room would spin), and every reply RFC 1928
// allows fits.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/core/Socks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const char* const kLevels[] = {"4", "4A", "5", "5"};
  TSocksRequest request;
  request.Level = kLevels[data[0] & 3];
  request.Authenticate = data[0] & 4;
  request.Host = "host.test";
  request.Port = 1080;
  request.Usercode = "u";
  request.Password = "p";
  request.ResolveHost = [](const std::string&) { return 0x0100007Fu; };
  const size_t piece = 1 + data[1] % 16;

  TSocksNegotiator n(request);
  bool done = false;
  size_t sent = 0;
  n.OnSend = [&](const std::string& bytes) {
    if (bytes.size() > 128) std::abort();
    sent += bytes.size();
  };
  n.OnError = [&](int error, const std::string&) {
    if (error < ErrorNumber(kFirstSocksError) || error > ErrorNumber(kLastSocksError)) std::abort();
    done = true;
  };
  n.OnGranted = [&] { done = true; };
  n.Start();

  size_t at = 2;
  while (at < size && !done) {
    const int room = n.Room();
    if (room <= 0) std::abort();
    const size_t take = std::min({piece, size - at, static_cast<size_t>(room)});
    n.Feed(reinterpret_cast<const char*>(data) + at, static_cast<int>(take));
    at += take;
  }
  if (n.Leftover().size() > 262 - 5) std::abort();
  if (n.BoundAddress().size() > 255) std::abort();
  if (done && n.CurrentPhase() != TSocksNegotiator::Phase::None) std::abort();
  return 0;
}
