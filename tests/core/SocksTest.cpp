#include "net/core/Socks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// Records what a negotiator asks of its socket.
struct Socket {
  explicit Socket(TSocksRequest r) : n(std::move(r)) {
    n.OnSend = [this](const std::string& bytes) { sent.push_back(bytes); };
    n.OnAuthState = [this](TSocksAuthState s) { auth.push_back(s); };
    n.OnError = [this](int e, const std::string& m) { error = e; message = m; };
    n.OnGranted = [this] { granted = true; };
  }
  // Delivers Reply as the server's bytes in pieces of at most Piece bytes,
  // never more than the negotiator has room for, as the socket reads.
  std::string Serve(const std::string& reply, size_t piece) {
    size_t at = 0;
    while (at < reply.size() && !granted && error == 0 && n.CurrentPhase() != TSocksNegotiator::Phase::None) {
      const size_t take = std::min({piece, reply.size() - at, static_cast<size_t>(n.Room())});
      if (take == 0) break;
      n.Feed(reply.data() + at, static_cast<int>(take));
      at += take;
    }
    return reply.substr(at);  // still in the socket
  }
  TSocksNegotiator n;
  std::vector<std::string> sent;
  std::vector<TSocksAuthState> auth;
  int error = 0;
  std::string message;
  bool granted = false;
};

TSocksRequest Request(const char* level, bool authenticate = false) {
  TSocksRequest r;
  r.Level = level;
  r.Host = "www.host.test";
  r.Port = 8080;
  r.Authenticate = authenticate;
  r.Usercode = "joe";
  r.Password = "pw";
  r.ResolveHost = [](const std::string&) { return 0x0100007Fu; };
  return r;
}

const std::string kV5Request = B({5, 1, 0, 3, 13}) + "www.host.test" + B({0x1F, 0x90});
const std::string kV5Granted = B({5, 0, 0, 1, 10, 0, 0, 7, 0x04, 0x38});

}  // namespace

TEST(Socks, Version5WithoutAuthenticationInEveryPacketing) {
  const std::string server = B({5, 0}) + kV5Granted + "first bytes";
  for (size_t piece = 1; piece <= server.size(); ++piece) {
    Socket s(Request("5"));
    s.n.Start();
    std::string rest = s.Serve(server.substr(0, 2), piece);
    rest += s.Serve(server.substr(2), piece);
    ASSERT_TRUE(s.granted) << piece;
    EXPECT_EQ((std::vector<std::string>{B({5, 1, 0}), kV5Request}), s.sent);
    EXPECT_EQ("10.0.0.7", s.n.BoundAddress());
    EXPECT_EQ("1080", s.n.BoundPort());
    // What came with the final reply is the application's, then the rest.
    EXPECT_EQ("first bytes", s.n.TakeLeftover() + rest) << piece;
    EXPECT_TRUE(s.auth.empty());
  }
}

TEST(Socks, Version5WithUserAndPassword) {
  Socket s(Request("5", true));
  s.n.Start();
  EXPECT_EQ(B({5, 1, 2}), s.sent.at(0));
  s.Serve(B({5, 2}), 2);
  EXPECT_EQ(B({1, 3}) + "joe" + B({2}) + "pw", s.sent.at(1));
  s.Serve(B({1, 0}), 2);
  EXPECT_EQ((std::vector<TSocksAuthState>{socksAuthStart, socksAuthSuccess}), s.auth);
  EXPECT_EQ(kV5Request, s.sent.at(2));
  s.Serve(B({5, 0, 0, 3, 4}) + "abcd" + B({0, 80}), 100);
  EXPECT_TRUE(s.granted);
  EXPECT_EQ("abcd", s.n.BoundAddress());
  EXPECT_EQ("80", s.n.BoundPort());

  Socket notRequired(Request("5", true));
  notRequired.n.Start();
  notRequired.Serve(B({5, 0}), 2);
  EXPECT_EQ((std::vector<TSocksAuthState>{socksAuthNotRequired}), notRequired.auth);
  EXPECT_EQ(kV5Request, notRequired.sent.at(1));

  Socket refused(Request("5", true));
  refused.n.Start();
  refused.Serve(B({5, 2, 1, 1}), 2);
  EXPECT_EQ(20015, refused.error);
  EXPECT_EQ("socks authentication failed", refused.message);
}

TEST(Socks, ReplyCodesAndProtocolErrors) {
  const struct {
    const char* level;
    std::string greeting, reply;
    int error;
    const char* message;
  } cases[] = {
      {"5", B({5, 0}), B({5, 1}), 20004, "general SOCKS server failure"},
      {"5", B({5, 0}), B({5, 2}), 20005, "connection not allowed by ruleset"},
      {"5", B({5, 0}), B({5, 3}), 20006, "network unreachable"},
      {"5", B({5, 0}), B({5, 4}), 20007, "host unreachable"},
      {"5", B({5, 0}), B({5, 5}), 20008, "connection refused"},
      {"5", B({5, 0}), B({5, 6}), 20009, "time to live expired"},
      {"5", B({5, 0}), B({5, 7}), 20010, "command not supported"},
      {"5", B({5, 0}), B({5, 8}), 20011, "address type not supported"},
      {"5", B({5, 0}), B({5, 9}), 20012, "unassigned error #9"},
      {"5", B({5, 0}), B({4, 0}), 20002, "socks version error"},
      {"5", B({5, 0}), B({5, 0, 0, 4, 1}), 20011, "address type not supported"},
      {"5", B({4, 0}), "", 20002, "socks version error"},
      {"5", B({5, 0xFF}), "", 20003, "authentification method not acceptable"},
      {"4", "", B({0, 91, 0, 0, 0, 0, 0, 0}), 20016, "request rejected or failed"},
      {"4", "", B({0, 92, 0, 0, 0, 0, 0, 0}), 20008, "connection refused"},
      {"4", "", B({0, 93, 0, 0, 0, 0, 0, 0}), 20015, "authentification failed"},
      {"4", "", B({0, 94, 0, 0, 0, 0, 0, 0}), 20012, "unassigned error #94"},
      {"4A", "", B({4, 90, 0, 0, 0, 0, 0, 0}), 20002, "socks version error"},
  };
  for (const auto& c : cases) {
    Socket s(Request(c.level));
    s.n.Start();
    s.Serve(c.greeting, 64);
    s.Serve(c.reply, 64);
    EXPECT_EQ(c.error, s.error) << c.level << " " << c.message;
    EXPECT_EQ(c.message, s.message);
    EXPECT_FALSE(s.granted);
    EXPECT_EQ(TSocksNegotiator::Phase::None, s.n.CurrentPhase());
  }
}

TEST(Socks, Version5BoundNameOfEveryLengthSplitAtEveryOffset) {
  // RFC 1928 allows a bound name of up to 255 bytes: a reply of 262 bytes.
  for (size_t length : {size_t{0}, size_t{1}, size_t{120}, size_t{121}, size_t{200}, size_t{255}}) {
    const std::string name(length, 'n');
    const std::string reply = B({5, 0, 0, 3, static_cast<int>(length)}) + name + B({0x1F, 0x90});
    const std::string server = reply + "after";
    for (size_t split = 1; split < server.size(); ++split) {
      Socket s(Request("5"));
      s.n.Start();
      s.Serve(B({5, 0}), 2);
      std::string rest = s.Serve(server.substr(0, split), server.size());
      rest += s.Serve(server.substr(split), server.size());
      ASSERT_TRUE(s.granted) << length << " split at " << split;
      EXPECT_EQ(name, s.n.BoundAddress());
      EXPECT_EQ("8080", s.n.BoundPort());
      EXPECT_EQ("after", s.n.TakeLeftover() + rest) << length << " split at " << split;
    }
  }
}

TEST(Socks, Version4And4ARequests) {
  Socket v4(Request("4"));
  v4.n.Start();
  EXPECT_EQ(B({4, 1, 0x1F, 0x90, 127, 0, 0, 1}) + "joe" + B({0}), v4.sent.at(0));
  // Only the 8-byte reply is taken; what follows stays in the socket.
  EXPECT_EQ("data", v4.Serve(B({0, 90, 0, 0, 0, 0, 0, 0}) + "data", 100));
  EXPECT_TRUE(v4.granted);
  EXPECT_EQ("", v4.n.Leftover());

  Socket v4a(Request("4A"));
  v4a.n.Start();
  EXPECT_EQ(B({4, 1, 0x1F, 0x90, 0, 0, 0, 1}) + "joe" + B({0}) + "www.host.test" + B({0}), v4a.sent.at(0));

  TSocksRequest unresolvable = Request("4");
  unresolvable.ResolveHost = [](const std::string&) -> std::uint32_t { throw std::runtime_error("no such host"); };
  Socket failed(unresolvable);
  failed.n.Start();
  EXPECT_EQ(20017, failed.error);
  EXPECT_EQ("no such host", failed.message) << "the error's own text";
  EXPECT_TRUE(failed.sent.empty()) << "nothing is sent for a host that cannot be resolved";
}

TEST(Socks, RequestsThatDoNotFitAreRefusedBeforehand) {
  TSocksRequest r = Request("5");
  r.Host = std::string(121, 'h');
  EXPECT_EQ("", SocksRequestProblem(r));
  r.Host += 'h';
  EXPECT_NE("", SocksRequestProblem(r));

  TSocksRequest a = Request("5", true);
  a.Usercode = std::string(100, 'u');
  a.Password = std::string(25, 'p');
  EXPECT_EQ("", SocksRequestProblem(a));
  a.Password += 'p';
  EXPECT_NE("", SocksRequestProblem(a));

  TSocksRequest v4a = Request("4A");
  v4a.Usercode = std::string(50, 'u');
  v4a.Host = std::string(68, 'h');  // 8 + 50 + 1 + 68 + 1 = 128
  EXPECT_EQ("", SocksRequestProblem(v4a));
  v4a.Host += 'h';
  EXPECT_NE("", SocksRequestProblem(v4a));
}

TEST(Socks, TooMuchDataDuringAuthentication) {
  Socket s(Request("5", true));
  s.n.Start();
  s.Serve(B({5, 2}), 2);
  s.Serve(B({1, 0, 9}), 3);
  EXPECT_EQ(20001, s.error);
  EXPECT_EQ("too much data availaible", s.message);
}
