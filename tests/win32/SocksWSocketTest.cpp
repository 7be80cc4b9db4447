// The socket's SOCKS layer against a scripted SOCKS 5 server on loopback.

#include "net/LineWSocket.h"

#include <gtest/gtest.h>

#include "tests/win32/TestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/Application.h"

namespace {


std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// A SOCKS 5 server of the test's own: answers the greeting with "no
// authentication", the request with Reply, and records what it got.
struct ScriptedSocksServer {
  explicit ScriptedSocksServer(std::string reply) : Reply(std::move(reply)) {
    listening.SetAddr("127.0.0.1");
    listening.SetPort("0");
    listening.OnSessionAvailable = [this](TCustomWSocket&, std::uint16_t) {
      server = std::make_unique<TWSocket>(nullptr);
      server->OnDataAvailable = [this](TCustomWSocket& s, std::uint16_t) {
        received += s.ReceiveText();
        if (step == 0 && received.size() >= 3) {
          greeting = received.substr(0, 3);
          received.erase(0, 3);
          s.SendText(B({5, 0}));
          step = 1;
        }
        if (step == 1 && received.size() >= 5 && received.size() >= 7u + static_cast<unsigned char>(received[4])) {
          request = received;
          received.clear();
          s.SendText(Reply);
          step = 2;
        }
      };
      server->Dup(listening.Accept());
    };
    listening.Listen();
  }
  std::string Reply;
  TWSocket listening{nullptr};
  std::unique_ptr<TWSocket> server;
  int step = 0;
  std::string received, greeting, request;
};

}  // namespace

TEST(SocksWSocket, Version5GrantedWithDataInTheSamePacket) {
  ScriptedSocksServer socks(B({5, 0, 0, 1, 10, 1, 2, 3, 0x1F, 0x90}) + "hello");
  TWSocket client(nullptr);
  std::vector<std::string> events;
  std::string data;
  client.OnSocksConnected = [&](TCustomWSocket&, std::uint16_t e) { events.push_back("socks connected " + std::to_string(e)); };
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t e) { events.push_back("connected " + std::to_string(e)); };
  client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) { data += s.ReceiveText(); };
  client.SetAddr("www.destination.test");
  client.SetPort("80");
  client.SetSocksServer("127.0.0.1");
  client.SetSocksPort(socks.listening.LocalPort());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return data == "hello"; })) << data;
  EXPECT_EQ((std::vector<std::string>{"socks connected 0", "connected 0"}), events);
  EXPECT_EQ(B({5, 1, 0}), socks.greeting);
  EXPECT_EQ(B({5, 1, 0, 3, 20}) + "www.destination.test" + B({0, 80}), socks.request);

  client.Close();
  EXPECT_EQ("", client.SocksServer()) << "reset after the close";
}

TEST(SocksWSocket, Version5RefusedClosesWithTheError) {
  ScriptedSocksServer socks(B({5, 5, 0, 1, 0, 0, 0, 0, 0, 0}));
  TWSocket client(nullptr);
  std::vector<std::string> events;
  client.OnSocksError = [&](TCustomWSocket&, int e, const std::string& m) {
    events.push_back("socks error " + std::to_string(e) + " " + m);
  };
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t e) { events.push_back("connected " + std::to_string(e)); };
  client.OnSessionClosed = [&](TCustomWSocket&, std::uint16_t e) { events.push_back("closed " + std::to_string(e)); };
  client.SetAddr("host.test");
  client.SetPort("80");
  client.SetSocksServer("127.0.0.1");
  client.SetSocksPort(socks.listening.LocalPort());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return events.size() >= 3; }));
  EXPECT_EQ((std::vector<std::string>{"socks error 20008 connection refused", "connected 20008", "closed 20008"}), events);
  EXPECT_EQ(wsClosed, client.State());
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
