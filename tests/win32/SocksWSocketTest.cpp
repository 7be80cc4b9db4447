// The socket's SOCKS layer against a scripted SOCKS server on loopback.

#include "net/LineWSocket.h"

#include <gtest/gtest.h>

#include "tests/win32/HostileServer.h"
#include "tests/win32/ScriptedSocksServer.h"
#include "tests/win32/TestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/Application.h"

namespace {

// One client connection through Socks; records the events as texts.
struct SocksClient {
  SocksClient(const ScriptedSocksServer& socks, const std::string& level, const std::string& host)
      : SocksClient(socks.Port(), level, host) {}
  SocksClient(const std::string& socksPort, const std::string& level, const std::string& host) {
    client.OnSocksConnected = [this](TCustomWSocket&, std::uint16_t e) { Add("socks connected", e); };
    client.OnSocksError = [this](TCustomWSocket&, int e, const std::string& m) {
      events.push_back("socks error " + std::to_string(e) + " " + m);
    };
    client.OnSocksAuthState = [this](TCustomWSocket&, TSocksAuthState a) { Add("auth", a); };
    client.OnSessionConnected = [this](TCustomWSocket&, std::uint16_t e) { Add("connected", e); };
    client.OnSessionClosed = [this](TCustomWSocket&, std::uint16_t e) {
      Add("closed", e);
      closed = true;
    };
    client.OnDataAvailable = [this](TCustomWSocket& s, std::uint16_t) { data += s.ReceiveText(); };
    client.SetAddr(host);
    client.SetPort("80");
    client.SetSocksServer("127.0.0.1");
    client.SetSocksPort(socksPort);
    client.SetSocksLevel(level);
  }
  void Add(const std::string& what, int n) { events.push_back(what + " " + std::to_string(n)); }

  TWSocket client{nullptr};
  std::vector<std::string> events;
  std::string data;
  bool closed = false;
};

using Events = std::vector<std::string>;

}  // namespace

TEST(SocksWSocket, Version5GrantedWithDataInTheSamePacket) {
  ScriptedSocksServer socks(5, B({5, 0, 0, 1, 10, 1, 2, 3, 0x1F, 0x90}) + "hello");
  SocksClient c(socks, "5", "www.destination.test");
  c.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return c.data == "hello"; })) << c.data;
  EXPECT_EQ((Events{"socks connected 0", "connected 0"}), c.events);
  EXPECT_EQ(B({5, 1, 0}), socks.greeting);
  EXPECT_EQ(B({5, 1, 0, 3, 20}) + "www.destination.test" + B({0, 80}), socks.request);

  c.client.Close();
  EXPECT_EQ("", c.client.SocksServer()) << "reset after the close";
  EXPECT_EQ("5", c.client.SocksLevel());
}

TEST(SocksWSocket, EachVersion5ReplyCode) {
  const std::vector<std::pair<int, std::string>> expected = {
      {20004, "general SOCKS server failure"}, {20005, "connection not allowed by ruleset"},
      {20006, "network unreachable"},          {20007, "host unreachable"},
      {20008, "connection refused"},           {20009, "time to live expired"},
      {20010, "command not supported"},        {20011, "address type not supported"},
      {20012, "unassigned error #9"},          {20012, "unassigned error #255"}};
  const int codes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 255};
  for (size_t i = 0; i < expected.size(); ++i) {
    ScriptedSocksServer socks(5, B({5, codes[i], 0, 1, 0, 0, 0, 0, 0, 0}));
    SocksClient c(socks, "5", "host.test");
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.closed; })) << codes[i];
    const std::string n = std::to_string(expected[i].first);
    EXPECT_EQ((Events{"socks connected 0", "socks error " + n + " " + expected[i].second, "connected " + n,
                      "closed " + n}),
              c.events);
    EXPECT_EQ(wsClosed, c.client.State());
  }
}

TEST(SocksWSocket, EachVersion4ReplyCode) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {B({0, 91, 0, 0, 0, 0, 0, 0}), "20016 request rejected or failed"},
      {B({0, 92, 0, 0, 0, 0, 0, 0}), "20008 connection refused"},
      {B({0, 93, 0, 0, 0, 0, 0, 0}), "20015 authentification failed"},
      {B({0, 94, 0, 0, 0, 0, 0, 0}), "20012 unassigned error #94"},
      {B({4, 90, 0, 0, 0, 0, 0, 0}), "20002 socks version error"}};
  for (const auto& [reply, error] : cases) {
    ScriptedSocksServer socks(4, reply);
    SocksClient c(socks, "4", "127.0.0.1");
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.closed; })) << error;
    const std::string n = error.substr(0, 5);
    EXPECT_EQ((Events{"socks connected 0", "socks error " + error, "connected " + n, "closed " + n}), c.events);
  }
}

TEST(SocksWSocket, Version4And4ARequests) {
  // 4: the resolved address and the user code.
  {
    ScriptedSocksServer socks(4, B({0, 90, 0, 0, 0, 0, 0, 0}) + "four");
    SocksClient c(socks, "4", "127.0.0.1");
    c.client.SocksUsercode = "joe";
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.data == "four"; })) << c.data;
    EXPECT_EQ(B({4, 1, 0, 80, 127, 0, 0, 1}) + "joe" + B({0}), socks.request);
    EXPECT_EQ((Events{"socks connected 0", "connected 0"}), c.events);
  }
  // 4A: the address 0.0.0.1, then the user code and the host text for the
  // server to resolve.
  {
    ScriptedSocksServer socks(4, B({0, 90, 0, 0, 0, 0, 0, 0}) + "four A");
    SocksClient c(socks, "4a", "name.only.test");
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.data == "four A"; })) << c.data;
    EXPECT_EQ(B({4, 1, 0, 80, 0, 0, 0, 1, 0}) + "name.only.test" + B({0}), socks.request);
  }
}

TEST(SocksWSocket, Version5Authentication) {
  // Accepted.
  {
    ScriptedSocksServer socks(5, B({5, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
    socks.MethodReply = B({5, 2});
    SocksClient c(socks, "5", "h.test");
    c.client.SocksAuthentication = socksAuthenticateUsercode;
    c.client.SocksUsercode = "orv";
    c.client.SocksPassword = "secret";
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.events.size() >= 4; }));
    EXPECT_EQ(B({5, 1, 2}), socks.greeting);
    EXPECT_EQ(B({1, 3}) + "orv" + B({6}) + "secret", socks.auth);
    EXPECT_EQ((Events{"socks connected 0", "auth 0", "auth 1", "connected 0"}), c.events);
  }
  // Refused.
  {
    ScriptedSocksServer socks(5, "");
    socks.MethodReply = B({5, 2});
    socks.AuthReply = B({1, 1});
    SocksClient c(socks, "5", "h.test");
    c.client.SocksAuthentication = socksAuthenticateUsercode;
    c.client.SocksUsercode = "orv";
    c.client.SocksPassword = "wrong";
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.closed; }));
    EXPECT_EQ((Events{"socks connected 0", "auth 0", "socks error 20015 socks authentication failed",
                      "connected 20015", "closed 20015"}),
              c.events);
  }
  // Offered, but the server wants none.
  {
    ScriptedSocksServer socks(5, B({5, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
    SocksClient c(socks, "5", "h.test");
    c.client.SocksAuthentication = socksAuthenticateUsercode;
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.events.size() >= 3; }));
    EXPECT_EQ((Events{"socks connected 0", "auth 3", "connected 0"}), c.events);
  }
  // No acceptable method.
  {
    ScriptedSocksServer socks(5, "");
    socks.MethodReply = B({5, 0xFF});
    SocksClient c(socks, "5", "h.test");
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.closed; }));
    EXPECT_EQ("socks error 20003 authentification method not acceptable", c.events.at(1));
  }
}

TEST(SocksWSocket, SettingsAndRefusals) {
  TWSocket client(nullptr);
  auto error = [&](const std::function<void()>& f) {
    try {
      f();
    } catch (const ESocketException& e) {
      return e.Message();
    }
    return std::string("(no error)");
  };
  EXPECT_EQ("Invalid socks level. Must be 4, 4A or 5.", error([&] { client.SetSocksLevel("6"); }));
  client.SetSocksLevel("4a");
  EXPECT_EQ("4A", client.SocksLevel());
  client.SetSocksServer(" 127.0.0.1 ");
  EXPECT_EQ("127.0.0.1", client.SocksServer());
  EXPECT_EQ("Listening is not supported thru socks server", error([&] { client.Listen(); }));
  client.SetProto("udp");
  client.SetAddr("h");
  client.SetPort("1");
  EXPECT_EQ("tcp is the only protocol supported thru socks server", error([&] { client.Connect(); }));

  // A request that does not fit is refused before anything is sent.
  TWSocket longName(nullptr);
  longName.SetAddr(std::string(122, 'h'));
  longName.SetPort("80");
  longName.SetSocksServer("127.0.0.1");
  longName.SetSocksPort("1080");
  EXPECT_NE(std::string::npos, error([&] { longName.Connect(); }).find("at most 121"));
  EXPECT_EQ(wsClosed, longName.State());
}

TEST(SocksWSocket, ServerThatClosesDuringTheHandshake) {
  const std::vector<std::pair<const char*, THostileServer::TScript>> servers = {
      {"after the greeting", [](THostileConnection& c) { c.Read(3); }},
      {"after the request",
       [](THostileConnection& c) {
         std::string request;
         if (c.Read(3) && c.Send(B({5, 0})) && c.Read(5, &request)) c.Read(static_cast<unsigned char>(request[4]) + 2u);
       }},
      {"in the middle of the reply",
       [](THostileConnection& c) {
         std::string request;
         if (c.Read(3) && c.Send(B({5, 0})) && c.Read(5, &request) && c.Read(static_cast<unsigned char>(request[4]) + 2u))
           c.Send(B({5, 0, 0, 3, 200}) + "partial");
       }}};
  for (const auto& [when, script] : servers) {
    THostileServer server(script);
    SocksClient c(server.Port(), "5", "h.test");
    c.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return c.closed; })) << when;
    EXPECT_EQ((Events{"socks connected 0", "socks error 10053 SOCKS server closed the connection during the handshake",
                      "connected 10053", "closed 10053"}),
              c.events)
        << when;
  }
}

TEST(SocksWSocket, BytesAfterTheGrantGoThroughLineMode) {
  ScriptedSocksServer socks(5, B({5, 0, 0, 1, 10, 1, 2, 3, 0x1F, 0x90}) + "one\r\ntwo\r\nthr");
  SocksClient c(socks, "5", "h.test");
  c.client.SetLineMode(true);
  std::vector<std::string> lines;
  c.client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) { lines.push_back(s.ReceiveText()); };
  c.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return lines.size() >= 2; }));
  EXPECT_EQ((std::vector<std::string>{"one\r\n", "two\r\n"}), lines);
}

TEST(SocksWSocket, Version4DestinationThatCannotBeResolved) {
  ScriptedSocksServer socks(4, B({0, 90, 0, 0, 0, 0, 0, 0}));
  // Too long to be a host name: refused without asking any resolver.
  const std::string host(257, 'h');
  SocksClient c(socks, "4", host);
  c.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return c.closed; }));
  ASSERT_EQ(3u, c.events.size());
  EXPECT_EQ("socks connected 0", c.events[0]);
  EXPECT_EQ("socks error 20017 WSocketResolveHost: '" + host + "' Invalid Hostname.", c.events[1]);
  EXPECT_EQ("closed 20017", c.events[2]) << "no connect outcome before the close";
}
