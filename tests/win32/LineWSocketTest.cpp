// Line mode over a loopback connection: the test's server side sends, the
// client in line mode receives line by line.

#include "net/LineWSocket.h"

#include <gtest/gtest.h>

#include "tests/win32/TestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/Application.h"

namespace {



// A connected pair: Server (plain) and Client (line mode).
struct Pair {
  Pair() {
    listening.SetAddr("127.0.0.1");
    listening.SetPort("0");
    listening.OnSessionAvailable = [this](TCustomWSocket&, std::uint16_t) {
      server = std::make_unique<TWSocket>(nullptr);
      server->OnDataAvailable = [this](TCustomWSocket& s, std::uint16_t) { echoed += s.ReceiveText(); };
      server->Dup(listening.Accept());
    };
    listening.Listen();
    client.SetLineMode(true);
    client.OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { lines.push_back("<closed>"); };
    client.SetAddr("127.0.0.1");
    client.SetPort(listening.LocalPort());
    client.Connect();
    PumpUntil([this] { return server && client.State() == wsConnected; });
  }
  void ServerSends(const std::string& bytes) {
    server->SendText(bytes);
    server->Flush();
  }
  TWSocket listening{nullptr};
  std::unique_ptr<TWSocket> server;
  TWSocket client{nullptr};
  std::vector<std::string> lines;
  std::string echoed;
};

}  // namespace

TEST(LineWSocket, TwoLinesInOnePacketAndAnEndSplitAcrossPackets) {
  Pair p;
  ASSERT_TRUE(p.server);
  p.client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) { p.lines.push_back(s.ReceiveText()); };
  p.ServerSends("one\r\ntwo\r\n");
  ASSERT_TRUE(PumpUntil([&] { return p.lines.size() >= 2; }));
  EXPECT_EQ((std::vector<std::string>{"one\r\n", "two\r\n"}), p.lines);

  p.lines.clear();
  p.ServerSends("abc\r");
  Pump(100);
  EXPECT_TRUE(p.lines.empty());
  p.ServerSends("\ndef\r\n");
  ASSERT_TRUE(PumpUntil([&] { return p.lines.size() >= 2; }));
  EXPECT_EQ((std::vector<std::string>{"abc\r\n", "def\r\n"}), p.lines);
}

TEST(LineWSocket, LongLineInPiecesAndTheLastLineAtClose) {
  Pair p;
  ASSERT_TRUE(p.server);
  std::vector<int> reads;
  p.client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) {
    char piece[100];
    const int n = s.Receive(piece, 100);
    reads.push_back(n);
    if (n > 0) p.lines.push_back(std::string(piece, static_cast<size_t>(n)));
  };
  p.ServerSends(std::string(298, 'x') + "\r\nnext\r\npartial");
  ASSERT_TRUE(PumpUntil([&] { return reads.size() >= 4; }));
  EXPECT_EQ((std::vector<int>{100, 100, 100, 6}), reads);
  p.lines.clear();
  p.server->Close();
  ASSERT_TRUE(PumpUntil([&] { return !p.lines.empty() && p.lines.back() == "<closed>"; }));
  EXPECT_EQ((std::vector<std::string>{"partial", "<closed>"}), p.lines);
}

TEST(LineWSocket, LimitExceededClearsTheBuffer) {
  Pair p;
  ASSERT_TRUE(p.server);
  int exceeded = 0;
  p.client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) { p.lines.push_back(s.ReceiveText()); };
  p.client.OnLineLimitExceeded = [&](TCustomWSocket&, int length, bool& clear) {
    exceeded = length;
    clear = true;
  };
  p.ServerSends(std::string(70000, 'z'));
  ASSERT_TRUE(PumpUntil([&] { return exceeded > 0; }));
  EXPECT_GT(exceeded, 65536);
  p.ServerSends("after\r\n");
  ASSERT_TRUE(PumpUntil([&] { return !p.lines.empty(); }));
  EXPECT_NE(std::string::npos, p.lines.back().find("after\r\n"));
}

TEST(LineWSocket, EditingAndEcho) {
  Pair p;
  ASSERT_TRUE(p.server);
  p.client.SetLineEdit(true);
  p.client.SetLineEcho(true);
  p.client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) { p.lines.push_back(s.ReceiveText()); };
  p.ServerSends(std::string("ab\bc\r\n"));
  ASSERT_TRUE(PumpUntil([&] { return !p.lines.empty(); }));
  EXPECT_EQ("ac\r\n", p.lines[0]);
  ASSERT_TRUE(PumpUntil([&] { return p.echoed.size() >= 8; }));
  EXPECT_EQ(std::string("ab\b \bc\r\n"), p.echoed);
}

TEST(SyncWSocket, WaitsForAnEventOrTheTimeLimit) {
  TWSocket listening(nullptr);
  listening.SetAddr("127.0.0.1");
  listening.SetPort("0");
  listening.Listen();
  TWSocket client(nullptr);
  bool connected = false;
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t) { connected = true; };
  client.SetAddr("127.0.0.1");
  client.SetPort(listening.LocalPort());
  client.TimeLimit = 10000;
  EXPECT_EQ(0, client.RunAndWait([&] { client.Connect(); }, connected));
  EXPECT_TRUE(connected);

  bool never = false;
  client.TimeLimit = 150;
  EXPECT_EQ(12001, client.WaitUntilSet(never));
  EXPECT_FALSE(never);
}

TEST(LineWSocket, LinesStayInOrderWhenAHandlerSkipsACall) {
  Pair p;
  ASSERT_TRUE(p.server);
  int calls = 0;
  p.client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) {
    if (++calls == 1) return;  // the first call reads nothing
    p.lines.push_back(s.ReceiveText());
  };
  p.ServerSends("one\r\ntwo\r\n");
  ASSERT_TRUE(PumpUntil([&] { return calls >= 1; }));
  p.ServerSends("three\r\n");
  ASSERT_TRUE(PumpUntil([&] { return p.lines.size() >= 3; }));
  EXPECT_EQ((std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n"}), p.lines);
}
