#include "net/core/TlsSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string Record(int type, const std::string& payload) {
  std::string r{static_cast<char>(type), 3, 3, static_cast<char>(payload.size() >> 8),
                static_cast<char>(payload.size() & 0xFF)};
  return r + payload;
}

// Plays the TLS engine. Handshake records carry one letter: "A" must come
// with a "B" in the same step (else the message is incomplete) and makes
// the client send "KEYS"; "F" finishes; "X" is refused with an alert.
// Data records are "encrypted" by flipping the case of letters; alert "N"
// reads as nothing (a close notice as Wine gives it), alert "E" is the
// close notice as Windows gives it; handshake "R" asks for renegotiation,
// data "?" cannot be read. Each call uses only what it needs and reports
// the rest as extra.
struct Engine : TTlsContext {
  std::string problem;
  bool tls13 = false;
  size_t piece = 16384;
  int steps = 0;

  static std::string Flip(std::string s) {
    for (char& c : s) c ^= 0x20;
    return s;
  }
  TTlsResult Handshake(const std::string& in) override {
    TTlsResult r;
    if (steps++ == 0) return {TTlsStatus::Continue, "HELLO", in.size(), 0};
    size_t at = 0;
    while (at < in.size()) {
      const size_t end = at + 5 + (static_cast<unsigned char>(in[at + 3]) << 8 | static_cast<unsigned char>(in[at + 4]));
      const std::string body = in.substr(at + 5, end - at - 5);
      if (in[at] != 0x16) break;  // not ours: a message after the handshake ends here
      if (body == "X") return {TTlsStatus::Failed, "ALERT", 0, 0x80090304u};
      if (body == "F") return {TTlsStatus::Ok, "", in.size() - end, 0};
      if (body == "A") {
        if (end == in.size()) return {TTlsStatus::Incomplete, "", 0, 0};
        const size_t next = end + 5 + static_cast<unsigned char>(in[end + 4]);
        if (in.substr(end + 5, next - end - 5) != "B") return {TTlsStatus::Incomplete, "", 0, 0};
        return {TTlsStatus::Continue, "KEYS", in.size() - next, 0};
      }
      at = end;
    }
    return {TTlsStatus::Ok, "ACK", in.size() - at, 0};
  }
  std::string CheckPeer() override { return problem; }
  TTlsResult Decrypt(char* data, size_t length) override {
    const std::string body(data + 5, length - 5);
    if (data[0] == 0x15) return {body == "E" ? TTlsStatus::Expired : TTlsStatus::Ok, "", 0, 0};
    if (data[0] == 0x16 && body == "R") return {TTlsStatus::Renegotiate, "", 0, 0x00090321u};
    if (body == "?") return {TTlsStatus::Failed, "", 0, 0x80090330u};
    return {TTlsStatus::Ok, Flip(body), 0, 0};
  }
  size_t MaxPlainPiece() override { return piece; }
  TTlsResult Encrypt(const std::string& plain) override { return {TTlsStatus::Ok, Record(0x17, Flip(plain)), 0, 0}; }
  TTlsResult CloseNotify() override { return {TTlsStatus::Ok, "BYE", 0, 0}; }
  bool Tls13() override { return tls13; }
};

// One session over the engine, recording every event.
struct Client {
  Engine engine;
  TTlsSession s{engine, "localhost"};
  std::vector<std::string> sent;
  std::string data;
  int established = 0;
  int closed = -1;  // -1 not closed, 0 without notice, 1 with it
  int error = -1;
  std::string message;

  Client() {
    s.OnSend = [this](const std::string& b) { sent.push_back(b); };
    s.OnEstablished = [this] { ++established; };
    s.OnData = [this](const std::string& d) { data += d; };
    s.OnClosed = [this](bool notice) { closed = notice; };
    s.OnError = [this](TTlsError e, const std::string& m) {
      error = static_cast<int>(e);
      message = m;
    };
  }
  // Feeds Bytes cut at the offsets in Cuts, each piece within Room().
  void Serve(const std::string& bytes, std::vector<size_t> cuts = {}) {
    cuts.push_back(bytes.size());
    size_t at = 0;
    for (size_t cut : cuts) {
      while (at < cut && s.Room() > 0) {
        const size_t take = std::min(cut - at, s.Room());
        s.Feed(bytes.data() + at, take);
        at += take;
      }
    }
  }
};

const std::string kHandshake = Record(0x16, "A") + Record(0x16, "B") + Record(0x16, "F");
const std::string kConversation = kHandshake + Record(0x17, "HEL") + Record(0x17, "") + Record(0x17, "LO") +
                                  Record(0x17, std::string(300, 'w')) + Record(0x15, "N") + Record(0x17, "LATE");

void ExpectConversation(const Client& c, const std::string& how) {
  EXPECT_EQ((std::vector<std::string>{"HELLO", "KEYS"}), c.sent) << how;
  EXPECT_EQ(1, c.established) << how;
  EXPECT_EQ("hello" + std::string(300, 'W'), c.data) << how;
  EXPECT_EQ(1, c.closed) << how;
  EXPECT_EQ(-1, c.error) << how << ": " << c.message;
  EXPECT_EQ(TTlsSession::Phase::Ended, c.s.CurrentPhase()) << how;
}

}  // namespace

TEST(TlsSession, OneConversationWholeByteByByteAndSplitAnywhere) {
  {
    Client c;
    c.s.Start();
    c.Serve(kConversation);
    ExpectConversation(c, "whole");
  }
  {
    Client c;
    c.s.Start();
    std::vector<size_t> every;
    for (size_t i = 1; i < kConversation.size(); ++i) every.push_back(i);
    c.Serve(kConversation, every);
    ExpectConversation(c, "byte by byte");
  }
  for (size_t cut = 1; cut < kConversation.size(); ++cut) {
    Client c;
    c.s.Start();
    c.Serve(kConversation, {cut});
    ExpectConversation(c, "cut at " + std::to_string(cut));
  }
}

TEST(TlsSession, FailuresNameTheHostAndEndTheSession) {
  const std::string tooLong = std::string{0x17, 3, 3, 0x48, 0x01};  // 18433 bytes
  const struct {
    const char* name;
    std::string server, problem;
    TTlsError error;
    const char* message;
  } cases[] = {
      {"plain HTTP on the TLS port", "HTTP/1.1 400 Bad Request\r\n", "", TTlsError::NotTls,
       "localhost does not answer in TLS: a record cannot begin with 0x48"},
      {"a type byte in range, then no TLS version", "\x16\x48TTP", "", TTlsError::NotTls,
       "localhost does not answer in TLS: a record cannot carry version 0x48"},
      {"a record longer than TLS allows", kHandshake + tooLong, "", TTlsError::NotTls,
       "localhost does not answer in TLS: a record of 18433 bytes is longer than TLS allows"},
      {"a bad header behind good records in one step", Record(0x16, "A") + "\x01", "", TTlsError::NotTls,
       "a record cannot begin with 0x01"},
      {"the engine refuses the handshake", Record(0x16, "X"), "", TTlsError::HandshakeFailed,
       "The TLS handshake with localhost failed (0x80090304)"},
      {"an untrusted certificate", kHandshake + Record(0x17, "NEVER"),
       "The certificate of localhost is not trusted: no trusted root", TTlsError::Untrusted,
       "The certificate of localhost is not trusted: no trusted root"},
      {"renegotiation under TLS 1.2", kHandshake + Record(0x16, "R") + Record(0x17, "NEVER"), "",
       TTlsError::Renegotiation, "localhost asked for a new TLS handshake, which is refused"},
      {"an unreadable record", kHandshake + Record(0x17, "?") + Record(0x17, "NEVER"), "", TTlsError::DecryptFailed,
       "A TLS record from localhost could not be read (0x80090330)"},
  };
  for (const auto& t : cases) {
    Client c;
    c.engine.problem = t.problem;
    c.s.Start();
    c.Serve(t.server);
    EXPECT_EQ(static_cast<int>(t.error), c.error) << t.name;
    EXPECT_NE(std::string::npos, c.message.find(t.message)) << t.name << ": " << c.message;
    EXPECT_EQ(TTlsSession::Phase::Ended, c.s.CurrentPhase()) << t.name;
    EXPECT_EQ(std::string::npos, c.data.find("never")) << t.name;
    EXPECT_EQ(-1, c.closed) << t.name;
    EXPECT_EQ(0u, c.s.Room()) << t.name;
  }
  // The alert that came with the refusal went out before the error.
  Client refused;
  refused.s.Start();
  refused.Serve(Record(0x16, "X"));
  EXPECT_EQ((std::vector<std::string>{"HELLO", "ALERT"}), refused.sent);
}

TEST(TlsSession, EndsOfTheConnection) {
  Client inHandshake;
  inHandshake.s.Start();
  inHandshake.Serve(Record(0x16, "A"));
  inHandshake.s.TransportClosed();
  EXPECT_EQ(static_cast<int>(TTlsError::ClosedInHandshake), inHandshake.error);
  EXPECT_EQ("localhost closed the connection during the TLS handshake", inHandshake.message);

  // Without a close notice the data may have been cut: the session says so.
  Client cut;
  cut.s.Start();
  cut.Serve(kHandshake + Record(0x17, "ABC") + Record(0x17, "DE").substr(0, 6));
  cut.s.TransportClosed();
  EXPECT_EQ("abc", cut.data);
  EXPECT_EQ(0, cut.closed);

  // The close notice in the form Windows gives it.
  Client windows;
  windows.s.Start();
  windows.Serve(kHandshake + Record(0x17, "ABC") + Record(0x15, "E") + Record(0x17, "LATE"));
  windows.s.TransportClosed();
  EXPECT_EQ("abc", windows.data);
  EXPECT_EQ(1, windows.closed);

  // Our own close: the notice goes out, no event follows.
  Client ours;
  ours.s.Start();
  ours.Serve(kHandshake);
  ours.s.Close();
  ours.s.TransportClosed();
  EXPECT_EQ("BYE", ours.sent.back());
  EXPECT_EQ(-1, ours.closed);
}

// The verdict may come later (from a thread of its own): records wait for
// it, and each verdict, and a close meanwhile, ends the wait its own way.
TEST(TlsSession, TheCertificatesVerdictMayComeLater) {
  const auto waiting = [](Client& c, int& asked) {
    c.s.OnCheckPeer = [&asked] { ++asked; };
    c.s.Start();
    c.Serve(kConversation, {kHandshake.size() + 3});
    EXPECT_EQ(TTlsSession::Phase::Checking, c.s.CurrentPhase());
    EXPECT_EQ(0, c.established);
    EXPECT_EQ("", c.data);
  };
  int asked = 0;
  Client trusted;
  waiting(trusted, asked);
  trusted.s.PeerChecked("");
  ExpectConversation(trusted, "verdict later");
  EXPECT_EQ(1, asked);

  Client untrusted;
  waiting(untrusted, asked);
  untrusted.s.PeerChecked("The certificate of localhost has expired");
  EXPECT_EQ(static_cast<int>(TTlsError::Untrusted), untrusted.error);
  EXPECT_EQ("The certificate of localhost has expired", untrusted.message);
  EXPECT_EQ("", untrusted.data);

  Client closed;
  waiting(closed, asked);
  closed.s.TransportClosed();
  closed.s.PeerChecked("");
  EXPECT_EQ(static_cast<int>(TTlsError::ClosedInHandshake), closed.error);
  EXPECT_EQ(0, closed.established);
}

TEST(TlsSession, HeldBytesStayBounded) {
  // A handshake message that never completes fails at the bound; until
  // then there is always room for more.
  Client endless;
  endless.s.Start();
  const std::string part = Record(0x16, "A") + Record(0x16, std::string(16000, 'a'));
  size_t fed = 0;
  while (endless.s.CurrentPhase() == TTlsSession::Phase::Handshake && fed < 4 * TTlsSession::kMaxHandshake) {
    ASSERT_GT(endless.s.Room(), 0u);
    endless.Serve(part);
    fed += part.size();
  }
  EXPECT_EQ(static_cast<int>(TTlsError::HandshakeTooLong), endless.error);
  EXPECT_EQ("The TLS handshake of localhost exceeded 131072 bytes", endless.message);

  // Endless data, many records per read (the last one cut): every record
  // is handed on and nothing piles up.
  Client flood;
  flood.s.Start();
  flood.Serve(kHandshake);
  const std::string record = Record(0x17, std::string(16384 + 2048, 'x'));
  std::string read;
  while (read.size() + record.size() <= TTlsSession::kMaxHeld) read += record;
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(TTlsSession::kMaxHeld, flood.s.Room());
    flood.s.Feed(read.data(), read.size() - 7);
    flood.s.Feed(read.data() + read.size() - 7, 7);
  }
  EXPECT_EQ(4 * read.size() / record.size() * (16384 + 2048), flood.data.size());
}

TEST(TlsSession, SendingInRecordsOnlyWhenOpen) {
  Client c;
  c.engine.piece = 4;
  EXPECT_THROW(c.s.Send("early"), std::logic_error);
  c.s.Start();
  c.Serve(Record(0x16, "A"));
  EXPECT_THROW(c.s.Send("early"), std::logic_error);
  c.Serve(Record(0x16, "B") + Record(0x16, "F"));
  c.s.Send("GETxHTTPab");
  EXPECT_EQ((std::vector<std::string>{"HELLO", "KEYS", Record(0x17, "getX"), Record(0x17, "http"), Record(0x17, "AB")}),
            c.sent);
}

TEST(TlsSession, Tls13MessagesAfterTheHandshakeAreTakenNotRefused) {
  Client c;
  c.engine.tls13 = true;
  c.s.Start();
  c.Serve(kHandshake + Record(0x17, "ONE") + Record(0x16, "R") + Record(0x17, "TWO"));
  EXPECT_EQ(-1, c.error) << c.message;
  EXPECT_EQ("onetwo", c.data);
  EXPECT_EQ("ACK", c.sent.back());
  EXPECT_EQ(1, c.established);
  EXPECT_EQ(TTlsSession::Phase::Open, c.s.CurrentPhase());
}

TEST(TlsSession, AHandlerMayDestroyTheSession) {
  Engine engine;
  auto* s = new TTlsSession(engine, "localhost");
  std::string data;
  s->OnData = [&](const std::string& d) {
    data += d;
    delete s;
  };
  s->Start();
  s->Feed(kConversation.data(), kConversation.size());
  EXPECT_EQ("hel", data);
}
