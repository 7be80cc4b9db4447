// The asynchronous socket over loopback: a listening TWSocket and a client
// TWSocket in one thread, driven by the message loop.

#include "net/LineWSocket.h"
#include "net/Ping.h"

#include <gtest/gtest.h>

#include "tests/win32/TestSupport.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include "rtl/win32/Application.h"
#include "rtl/win32/HiddenWindow.h"

namespace {



// A loopback listener that takes one connection into Server and collects
// what it receives.
struct Listener {
  Listener() {
    listening.SetAddr("127.0.0.1");
    listening.SetPort("0");
    listening.OnSessionAvailable = [this](TCustomWSocket&, std::uint16_t) {
      server = std::make_unique<TWSocket>(nullptr);
      server->OnDataAvailable = [this](TCustomWSocket& s, std::uint16_t) { received += s.ReceiveText(); };
      server->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { serverClosed = true; };
      server->Dup(listening.Accept());
    };
    listening.Listen();
  }
  std::string Port() const { return listening.LocalPort(); }
  TWSocket listening{nullptr};
  std::unique_ptr<TWSocket> server;
  std::string received;
  bool serverClosed = false;
};

}  // namespace

TEST(WSocket, ConnectSendAndClose) {
  Listener listener;
  ASSERT_EQ(wsListening, listener.listening.State());
  ASSERT_NE("0", listener.Port());

  TWSocket client(nullptr);
  std::vector<TSocketState> states;
  int connected = -1, dataSent = 0;
  client.OnChangeState = [&](TCustomWSocket&, TSocketState, TSocketState s) { states.push_back(s); };
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t e) { connected = e; };
  client.OnDataSent = [&](TCustomWSocket&, std::uint16_t) { ++dataSent; };
  client.SetAddr("127.0.0.1");
  client.SetPort(listener.Port());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return connected >= 0 && listener.server; }));
  EXPECT_EQ(0, connected);
  EXPECT_EQ((std::vector<TSocketState>{wsOpened, wsConnecting, wsConnected}), states);
  EXPECT_EQ("127.0.0.1", client.PeerAddr());
  EXPECT_EQ(listener.Port(), client.PeerPort());
  EXPECT_EQ("Cannot change Addr if not closed", ErrorOf([&] { client.SetAddr("127.0.0.2"); }));

  std::string data;
  for (int i = 0; i < 4000; ++i) data.push_back(static_cast<char>('a' + i % 26));
  const int before = dataSent;
  EXPECT_EQ(4000, client.Send(data.data(), 4000));
  EXPECT_EQ(before, dataSent) << "OnDataSent never fires inside Send";
  ASSERT_TRUE(PumpUntil([&] { return listener.received.size() >= 4000; }));
  EXPECT_EQ(data, listener.received);
  EXPECT_GT(dataSent, before);

  client.Close();
  EXPECT_EQ(wsClosed, client.State());
  ASSERT_TRUE(PumpUntil([&] { return listener.serverClosed; }));

  // After a close the destination must be given again; the same text is
  // accepted.
  EXPECT_EQ("Connect: No Port Specified", ErrorOf([&] { client.Connect(); }));
  client.SetPort(listener.Port());
  EXPECT_EQ("Connect: No IP Address Specified", ErrorOf([&] { client.Connect(); }));
  EXPECT_EQ("(no error)", ErrorOf([&] { client.SetAddr("127.0.0.1"); }));
}

TEST(WSocket, ConnectToAClosedPort) {
  std::string port;
  {
    Listener gone;
    port = gone.Port();
  }
  TWSocket client(nullptr);
  int connected = -1, closed = -1;
  std::vector<TSocketState> states;
  client.OnChangeState = [&](TCustomWSocket&, TSocketState, TSocketState s) { states.push_back(s); };
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t e) { connected = e; };
  client.OnSessionClosed = [&](TCustomWSocket&, std::uint16_t e) { closed = e; };
  client.SetAddr("127.0.0.1");
  client.SetPort(port);
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return closed >= 0; }));
  EXPECT_EQ(WSAECONNREFUSED, connected);
  EXPECT_EQ(0, closed);
  EXPECT_EQ(wsClosed, client.State());
  ASSERT_GE(states.size(), 2u);
  EXPECT_EQ(wsConnected, states[states.size() - 2]) << "a failed connect passes through wsConnected";
}

TEST(WSocket, SendWhileNotConnected) {
  TWSocket socket(nullptr);
  EXPECT_EQ("Error 10057 in function Send\r\nSocket is not connected", ErrorOf([&] { socket.Send("x", 1); }));
  bool reported = false;
  socket.OnError = [&](TCustomWSocket&) { reported = true; };
  EXPECT_EQ(-1, socket.Send("x", 1));
  EXPECT_TRUE(reported);
  EXPECT_EQ(WSAENOTCONN, socket.LastError());
}

TEST(WSocket, NameLookups) {
  TWSocket socket(nullptr);
  std::vector<int> done;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, std::uint16_t e) { done.push_back(e); };
  socket.DnsLookup("192.168.1.1");
  EXPECT_EQ((std::vector<int>{0}), done) << "a dotted address answers inside the call";
  EXPECT_EQ("192.168.1.1", socket.DnsResult());
  EXPECT_TRUE(socket.DnsResultList().empty());

  done.clear();
  socket.DnsLookup("localhost");
  ASSERT_TRUE(PumpUntil([&] { return !done.empty(); }));
  EXPECT_EQ(0, done[0]);
  EXPECT_EQ("127.0.0.1", socket.DnsResult());
  EXPECT_EQ("127.0.0.1", socket.DnsResultList().at(0));

  done.clear();
  EXPECT_EQ("DNS lookup: invalid host name.", ErrorOf([&] { socket.DnsLookup(""); }));
  EXPECT_TRUE(done.empty()) << "raised: no event";
  socket.OnError = [](TCustomWSocket&) {};
  socket.DnsLookup("");
  EXPECT_EQ((std::vector<int>{WSAEINVAL}), done);
}

TEST(WSocket, DatagramsAndLocalTexts) {
  // Declared before the sockets: their destructors still report the close.
  std::vector<TSocketState> states;
  std::string got, from;
  TWSocket receiver(nullptr);
  receiver.SetProto("udp");
  receiver.SetAddr("127.0.0.1");
  receiver.SetPort("0");
  receiver.ReuseAddr = true;
  receiver.OnChangeState = [&](TCustomWSocket&, TSocketState, TSocketState s) { states.push_back(s); };
  receiver.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) {
    char buffer[256];
    sockaddr_in sender{};
    const int n = s.ReceiveFrom(buffer, sizeof buffer, sender);
    if (n > 0) got.assign(buffer, static_cast<size_t>(n));
    from = WSocketApi().inet_ntoa(sender.sin_addr);
  };
  receiver.Listen();
  EXPECT_EQ((std::vector<TSocketState>{wsBound, wsListening, wsConnected}), states);
  EXPECT_EQ("127.0.0.1", receiver.GetXAddr());
  const std::string port = receiver.GetXPort();
  EXPECT_NE("0", port);

  TWSocket sender(nullptr);
  sender.SetProto("udp");
  sender.SetAddr("127.0.0.1");
  sender.SetPort(port);
  sender.Connect();
  EXPECT_EQ(wsConnected, sender.State()) << "a datagram socket is connected at once";
  EXPECT_EQ(5, sender.SendText("hello"));
  ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
  EXPECT_EQ("hello", got);
  EXPECT_EQ("127.0.0.1", from);
  EXPECT_EQ("error", TWSocket(nullptr).GetXAddr());
}

TEST(WSocket, ReverseLookupOfLoopback) {
  TWSocket socket(nullptr);
  int done = -1;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, std::uint16_t e) { done = e; };
  socket.ReverseDnsLookup("127.0.0.1");
  ASSERT_TRUE(PumpUntil([&] { return done >= 0; }));
  EXPECT_EQ(0, done);
  EXPECT_FALSE(socket.DnsResult().empty());
  EXPECT_EQ(1u, socket.DnsResultList().size());
  EXPECT_EQ("ReverseDnsLookup: Invalid host name.", ErrorOf([&] { socket.ReverseDnsLookup(""); }));
}

TEST(WSocket, NotifyWindowsAreMessageOnly) {
  // Found among the message-only windows under their class names. (Windows'
  // FindWindow would not see them at all; Wine's does, so that is not asked.)
  TWSocket socket(nullptr);
  TPing ping(nullptr);
  for (const auto& [name, handle] : {std::pair<const char*, HWND>{"XSocketWindowClass", socket.WindowHandle()},
                                     std::pair<const char*, HWND>{"VrlPingWindowClass", ping.WindowHandle()}}) {
    ASSERT_NE(nullptr, handle) << name;
    EXPECT_EQ(handle, ::FindWindowExA(HWND_MESSAGE, nullptr, name, nullptr)) << name;
  }
}

// Several events in one message, and a handler of the first closes the
// socket: the close is reported once, by the close itself.
TEST(WSocket, ClosedByAReadHandlerReportsTheCloseOnce) {
  Listener listener;
  TWSocket client(nullptr);
  int connected = -1, closed = 0, reads = 0;
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t e) { connected = e; };
  client.OnSessionClosed = [&](TCustomWSocket&, std::uint16_t) { ++closed; };
  client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) {
    ++reads;
    s.ReceiveText();
    s.Close();
  };
  client.SetAddr("127.0.0.1");
  client.SetPort(listener.Port());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return connected == 0 && listener.server; }));
  ASSERT_TRUE(::PostMessageA(client.WindowHandle(), TCustomWSocket::WM_SOCKET_EVENT, client.Handle(),
                             MAKELPARAM(FD_READ | FD_CLOSE, 0)));
  ASSERT_TRUE(PumpUntil([&] { return closed > 0; }));
  Pump(200);
  EXPECT_EQ(1, reads);
  EXPECT_EQ(1, closed);
  EXPECT_EQ(wsClosed, client.State());
}

TEST(WSocket, ListenOnATakenPortClosesItsSocket) {
  Listener taken;
  TWSocket second(nullptr);
  SOCKET atFailure = 0;
  second.OnError = [&](TCustomWSocket& s) { atFailure = s.Handle(); };
  second.SetAddr("127.0.0.1");
  second.SetPort(taken.Port());
  second.Listen();
  EXPECT_EQ(INVALID_SOCKET, atFailure) << "the unbound socket is closed before the failure is reported";
  EXPECT_EQ(WSAEADDRINUSE, second.LastError());
  EXPECT_EQ("Error 10048 in function Bind\r\nAddress already in use", second.LastErrorMessage());
  EXPECT_EQ(wsClosed, second.State());
  // The same object listens again once given a free port.
  second.SetPort("0");
  second.Listen();
  EXPECT_EQ(wsListening, second.State());
}

namespace {
struct TReleasedSocket : TWSocket {
  explicit TReleasedSocket(bool& destroyed) : TWSocket(nullptr), FDestroyed(destroyed) {}
  ~TReleasedSocket() override { FDestroyed = true; }
  bool& FDestroyed;
};
}  // namespace

TEST(WSocket, ReleasedFromInsideItsOwnHandlerDuringANestedWait) {
  Listener listener;
  bool destroyed = false, destroyedInsideHandler = true;
  int waitResult = -1;
  auto* client = new TReleasedSocket(destroyed);
  client->OnSessionConnected = [&](TCustomWSocket& s, std::uint16_t) {
    auto& self = static_cast<TReleasedSocket&>(s);
    self.ReleaseLater();
    // A nested loop inside the handler runs the release message while this
    // frame is still on the stack.
    bool never = false;
    self.TimeLimit = 200;
    waitResult = self.WaitUntilSet(never);
    destroyedInsideHandler = destroyed;
  };
  client->SetAddr("127.0.0.1");
  client->SetPort(listener.Port());
  client->Connect();
  ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
  EXPECT_EQ(12001, waitResult);
  EXPECT_FALSE(destroyedInsideHandler) << "released only after the handler returned";
}

TEST(WSocket, ExceptionsOfEventHandlersReachOnBgException) {
  Listener listener;
  TWSocket client(nullptr);
  std::vector<std::string> seen;
  client.OnBgException = [&](TCustomWSocket&, const std::exception& e, bool& canClose) {
    seen.push_back(e.what());
    canClose = true;
  };
  client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) {
    s.ReceiveText();
    throw rtl::EConvertError("'x' is not a valid integer value");
  };
  client.SetAddr("127.0.0.1");
  client.SetPort(listener.Port());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return listener.server != nullptr && client.State() == wsConnected; }));
  listener.server->SendText("data");
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ((std::vector<std::string>{"'x' is not a valid integer value"}), seen);
  EXPECT_EQ(wsClosed, client.State()) << "aborted, as CanClose asked";

  // The test hook takes the same road.
  TWSocket hooked(nullptr);
  std::string hookText;
  hooked.OnBgException = [&](TCustomWSocket&, const std::exception& e, bool&) { hookText = e.what(); };
  ::PostMessageA(hooked.WindowHandle(), TCustomWSocket::WM_TEST_EXCEPTION, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !hookText.empty(); }));
  EXPECT_EQ("Test exception in WSocket", hookText);
}

TEST(WSocket, ExceptionWithoutOnBgExceptionReachesTheErrorDisplay) {
  std::vector<std::string> shown;
  rtl::Application().OnException = [&](const std::string& text) { shown.push_back(text); };
  TWSocket socket(nullptr);
  ::PostMessageA(socket.WindowHandle(), TCustomWSocket::WM_TEST_EXCEPTION, 0, 0);
  const bool reached = PumpUntil([&] { return !shown.empty(); });
  rtl::Application().OnException = nullptr;
  ASSERT_TRUE(reached);
  EXPECT_EQ((std::vector<std::string>{"Test exception in WSocket"}), shown);
}

TEST(WSocket, LingerTimeoutMustFitSixteenBits) {
  Listener listener;
  TWSocket client(nullptr);
  client.SetAddr("127.0.0.1");
  client.SetPort(listener.Port());
  client.LingerTimeout = 70000;
  EXPECT_EQ("Linger timeout 70000 s does not fit 16 bits (0 to 65535)", ErrorOf([&] { client.Connect(); }));
}

TEST(WSocket, FirstWindowsOfAClassOnSeveralThreadsAtOnce) {
  // Each thread makes the first window of a new class at the same moment, as
  // two threads do with their first sockets; every one must get its window.
  constexpr int kThreads = 8;
  const std::string className = "OrvRaceClass" + std::to_string(::GetCurrentProcessId());
  std::atomic<int> ready{0}, made{0};
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      ++ready;
      for (int spin = 0; spin < 100000 && ready < kThreads; ++spin) ::Sleep(0);
      try {
        // A window of a class that no window of this process has used yet.
        rtl::THiddenWindow window(className.c_str(), WM_USER, WM_USER, nullptr);
        if (window.Handle()) ++made;
      } catch (const std::exception& e) {
        failures[static_cast<size_t>(i)] = e.what();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(kThreads, made.load());
  for (const auto& f : failures) EXPECT_EQ("", f);
}

// The system posts a connection's events to the socket's window, where they
// may still wait when the connection is closed; a new connection often gets
// the same handle number, and must not take them for its own.
TEST(WSocket, EventsOfAClosedConnectionNeverReachTheNextOne) {
  std::vector<std::string> events;
  // A stray event makes the socket fail: shown here, not in a message box.
  rtl::Application().OnException = [&](const std::string& text) { events.push_back("error " + text); };
  Listener listener;
  TWSocket client(nullptr);
  client.OnSessionConnected = [&](TCustomWSocket&, std::uint16_t e) { events.push_back("connected " + std::to_string(e)); };
  client.OnDataAvailable = [&](TCustomWSocket& s, std::uint16_t) { events.push_back("data " + s.ReceiveText()); };
  client.OnSessionClosed = [&](TCustomWSocket&, std::uint16_t) { events.push_back("closed"); };
  client.SetAddr("127.0.0.1");
  client.SetPort(listener.Port());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return !events.empty() && listener.server; }));
  // The server sends and ends; the client's events for that wait unhandled.
  listener.server->SendText("old");
  listener.server->Shutdown(1);
  MSG waiting;
  for (int slice = 0; slice < 1000 && !::PeekMessageA(&waiting, client.WindowHandle(), TCustomWSocket::WM_SOCKET_EVENT,
                                                      TCustomWSocket::WM_SOCKET_EVENT, PM_NOREMOVE);
       ++slice)
    ::Sleep(10);
  const SOCKET old = client.Handle();
  client.Close();
  events.clear();
  client.SetAddr("127.0.0.1");
  client.SetPort(listener.Port());
  client.Connect();
  if (client.Handle() != old) GTEST_SKIP() << "the system gave the new connection another handle number";
  ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
  Pump(200);  // time for a stray event
  rtl::Application().OnException = nullptr;
  EXPECT_EQ((std::vector<std::string>{"connected 0"}), events);
  EXPECT_EQ(wsConnected, client.State());
}

namespace {
// A system read that reports a full buffer and writes nothing.
class TEndlessSocket : public TWSocket {
public:
  using TWSocket::TWSocket;

protected:
  int RawReceive(void*, int size, int) override { return size; }
};
}  // namespace

TEST(WSocket, ReadCountCountsPastTwoGibibytes) {
  TEndlessSocket socket(nullptr);
  char buffer[1];
  for (int i = 0; i < 3; ++i) ASSERT_EQ(1 << 30, socket.Receive(buffer, 1 << 30));
  EXPECT_EQ(3LL << 30, socket.ReadCount());
}
