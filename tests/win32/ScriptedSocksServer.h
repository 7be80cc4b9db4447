#pragma once
// A SOCKS server of the tests' own on loopback. It reads the client's
// messages by their lengths, answers each with the bytes the test scripts,
// and records what it got. After a grant it can go on as the destination
// server: AfterGrant answers the application's data.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "net/WSocket.h"

inline std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

struct ScriptedSocksServer {
  // The version the client is to speak (4 covers 4A) and the final reply.
  ScriptedSocksServer(int version, std::string finalReply) : Version(version), FinalReply(std::move(finalReply)) {
    if (Version == 4) step = Request;  // no method negotiation
    listening.SetAddr("127.0.0.1");
    listening.SetPort("0");
    listening.OnSessionAvailable = [this](TCustomWSocket&, std::uint16_t) {
      server = std::make_unique<TWSocket>(nullptr);
      server->OnDataAvailable = [this](TCustomWSocket& s, std::uint16_t) {
        received += s.ReceiveText();
        Advance(s);
      };
      server->Dup(listening.Accept());
    };
    listening.Listen();
  }
  std::string Port() const { return listening.LocalPort(); }

  int Version;
  std::string MethodReply = B({5, 0});
  std::string AuthReply = B({1, 0});
  std::string FinalReply;
  // Answers what the application sent after the grant ("" waits for more).
  std::function<std::string(const std::string&)> AfterGrant;

  std::string greeting, auth, request, afterGrant;
  TWSocket listening{nullptr};
  std::unique_ptr<TWSocket> server;

private:
  enum Step { Greeting, Auth, Request, Granted, Done };

  // The length of the message at the front of the received bytes, or 0 while
  // it is incomplete.
  size_t MessageLength() const {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(received[i]); };
    switch (step) {
      case Greeting: return received.size() >= 2 && received.size() >= 2u + at(1) ? 2u + at(1) : 0;
      case Auth: {
        if (received.size() < 2) return 0;
        const size_t p = 2u + at(1);
        return received.size() > p && received.size() >= p + 1 + at(p) ? p + 1 + at(p) : 0;
      }
      case Request:
        if (Version == 5) return received.size() >= 5 && received.size() >= 7u + at(4) ? 7u + at(4) : 0;
        return Socks4Length();
      default: return 0;
    }
  }
  size_t Socks4Length() const {
    if (received.size() < 9) return 0;
    const size_t user = received.find('\0', 8);
    if (user == std::string::npos) return 0;
    const bool named = received.compare(4, 3, std::string(3, '\0')) == 0 && received[7] != 0;  // 4A
    if (!named) return user + 1;
    const size_t host = received.find('\0', user + 1);
    return host == std::string::npos ? 0 : host + 1;
  }

  void Advance(TCustomWSocket& s) {
    for (size_t n; step != Granted && step != Done && (n = MessageLength()) != 0;) {
      const std::string message = received.substr(0, n);
      received.erase(0, n);
      if (step == Greeting) {
        greeting = message;
        s.SendText(MethodReply);
        step = MethodReply.size() == 2 && MethodReply[1] == 2 ? Auth : MethodReply[1] == 0 ? Request : Done;
      } else if (step == Auth) {
        auth = message;
        s.SendText(AuthReply);
        step = AuthReply.size() == 2 && AuthReply[1] == 0 ? Request : Done;
      } else {
        request = message;
        s.SendText(FinalReply);
        step = FinalReply.size() > 1 && (FinalReply[1] == 0 || FinalReply[1] == 90) ? Granted : Done;
      }
    }
    if (step == Granted && !received.empty()) {
      afterGrant += received;
      received.clear();
      const std::string answer = AfterGrant ? AfterGrant(afterGrant) : std::string();
      if (!answer.empty()) {
        s.SendText(answer);
        s.Flush();
        s.CloseLater();
        step = Done;
      }
    }
  }

  Step step = Greeting;
  std::string received;
};
