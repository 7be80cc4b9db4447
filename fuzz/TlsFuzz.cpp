// Fuzzes the TLS session's record handling with arbitrary server bytes over
// an engine whose answers follow from the records it is given: the first
// byte of a record's body picks the answer (incomplete without a next
// record, go on, done, refused; read, read as nothing, close notice,
// renegotiation, unreadable). The first input byte picks TLS 1.3 and a
// failing certificate check, the second the packet size; the rest is what
// the server sends. The events must be the same whether the bytes arrive
// whole or in packets, there must be room for more until the session ends,
// and nothing held may pass its bounds.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/core/TlsSession.h"

namespace {

size_t RecordEnd(const std::string& in, size_t at) {
  return at + 5 + (static_cast<unsigned char>(in[at + 3]) << 8 | static_cast<unsigned char>(in[at + 4]));
}

unsigned char Pick(const std::string& in, size_t at) {
  return RecordEnd(in, at) > at + 5 ? static_cast<unsigned char>(in[at + 5]) : 0xFF;
}

struct Engine : TTlsContext {
  bool tls13 = false, untrusted = false;
  bool first = true, done = false;
  TTlsResult Handshake(const std::string& in) override {
    // After the handshake (TLS 1.3): one step that takes nothing.
    if (done) return {TTlsStatus::Ok, "ack", in.size(), 0};
    if (first || in.empty()) {
      first = false;
      return {TTlsStatus::Continue, "hello", in.size(), 0};
    }
    const size_t end = RecordEnd(in, 0);
    const std::string token(1, static_cast<char>(Pick(in, 0)));
    switch (Pick(in, 0) % 4) {
      case 0:
        if (end == in.size()) return {TTlsStatus::Incomplete, "", 0, 0};
        return {TTlsStatus::Continue, token, in.size() - RecordEnd(in, end), 0};
      case 1:
        return {TTlsStatus::Continue, token, in.size() - end, 0};
      case 2:
        done = true;
        return {TTlsStatus::Ok, "", in.size() - end, 0};
      default:
        return {TTlsStatus::Failed, "alert", 0, 1};
    }
  }
  std::string CheckPeer() override { return untrusted ? "untrusted" : ""; }
  TTlsResult Decrypt(char* data, size_t length) override {
    const std::string in(data, length);
    const std::string body = in.substr(5);
    switch (Pick(in, 0) % 6) {
      case 1:
        return {TTlsStatus::Ok, "", 0, 0};
      case 2:
        return {TTlsStatus::Expired, "", 0, 0};
      case 3:
        return {TTlsStatus::Renegotiate, "", 0, 0};
      case 4:
        return {TTlsStatus::Failed, "", 0, 2};
      default:
        return {TTlsStatus::Ok, body, 0, 0};
    }
  }
  size_t MaxPlainPiece() override { return 100; }
  TTlsResult Encrypt(const std::string& plain) override { return {TTlsStatus::Ok, plain, 0, 0}; }
  TTlsResult CloseNotify() override { return {TTlsStatus::Ok, "bye", 0, 0}; }
  bool Tls13() override { return tls13; }
};

// Every event in order, as text.
std::string Run(unsigned options, const std::string& input, size_t packet) {
  Engine engine;
  engine.tls13 = options & 1;
  engine.untrusted = options & 2;
  TTlsSession s(engine, "host.test");
  std::string log;
  size_t held = 0;
  s.OnSend = [&](const std::string& b) { log += "send " + b + "\n"; };
  s.OnEstablished = [&] {
    log += "established\n";
    s.Send("request");
  };
  s.OnData = [&](const std::string& d) {
    held += d.size();
    log += "data " + d + "\n";
  };
  s.OnClosed = [&](bool notice) { log += notice ? "closed\n" : "cut\n"; };
  s.OnError = [&](TTlsError e, const std::string& m) { log += "error " + std::to_string(static_cast<int>(e)) + m + "\n"; };
  // The verdict later, as from a thread of its own: right after the bytes
  // that asked for it, so that every split gives the same events.
  bool asked = false;
  if (options & 4) s.OnCheckPeer = [&] { asked = true; };
  s.Start();
  size_t at = 0;
  while (at < input.size() && s.CurrentPhase() != TTlsSession::Phase::Ended) {
    const size_t room = s.Room();
    if (room == 0 || room > std::max(TTlsSession::kMaxHandshake, TTlsSession::kMaxHeld)) std::abort();
    const size_t take = std::min({packet, input.size() - at, room});
    s.Feed(input.data() + at, take);
    at += take;
    if (asked) {
      asked = false;
      s.PeerChecked(engine.untrusted ? "untrusted" : "");
    }
  }
  if (held > input.size()) std::abort();
  s.TransportClosed();
  if (s.CurrentPhase() != TTlsSession::Phase::Ended || s.Room() != 0) std::abort();
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t packet = 1 + data[1] % 64;
  if (Run(data[0], input, input.size() + 1) != Run(data[0], input, packet)) std::abort();
  return 0;
}
