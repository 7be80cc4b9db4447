#pragma once
// The SOCKS 4, 4A and 5 client handshake (RFC 1928, RFC 1929) as bytes in
// and bytes out. The socket layer feeds the server's replies in and sends
// what the negotiator hands out; the negotiator says when the connection is
// granted, what failed, and which received bytes already belong to the
// application.

#include <cstdint>
#include <functional>
#include <string>

enum TSocksAuthState { socksAuthStart, socksAuthSuccess, socksAuthFailure, socksAuthNotRequired };

struct TSocksRequest {
  std::string Level = "5";  // "4", "4A" or "5"
  std::string Host;         // the destination as the application named it
  std::uint16_t Port = 0;   // destination port, host order
  bool Authenticate = false;
  std::string Usercode, Password;
  // For level "4": the destination's IPv4 address in network order. It may
  // raise; the negotiator reports that as error 20017.
  std::function<std::uint32_t(const std::string&)> ResolveHost;
};

// Empty when the requests of R fit the 128-byte buffer (and their one-byte
// lengths), else what does not fit. Checked before connecting, so that
// nothing is ever cut or sent in part.
std::string SocksRequestProblem(const TSocksRequest& R);

class TSocksNegotiator {
public:
  enum class Phase { None, Method, Authentication, ConnectRequest };

  // What the negotiator asks of its socket.
  std::function<void(const std::string& bytes)> OnSend;
  std::function<void(TSocksAuthState)> OnAuthState;
  // The handshake failed: Error 20001..20017 and its text. The socket then
  // reports the error as the connect outcome and closes.
  std::function<void(int error, const std::string& msg)> OnError;
  // The server granted the connection.
  std::function<void()> OnGranted;

  explicit TSocksNegotiator(TSocksRequest request) : FRequest(std::move(request)) {}

  Phase CurrentPhase() const { return FPhase; }
  // The TCP connection to the server is made: sends the first message.
  void Start();
  // How many bytes the next read may take (the reply buffer's room).
  int Room() const;
  // Bytes read from the server, at most Room() of them.
  void Feed(const char* data, int length);
  // A read failed with Error while negotiating.
  void ReceiveError(int error);
  // The connection went away: no phase any more, nothing reported.
  void Abandon() { FPhase = Phase::None; }

  // Bytes that followed the server's final reply; they are the
  // application's first bytes.
  const std::string& Leftover() const { return FLeftover; }
  std::string TakeLeftover();
  const std::string& BoundAddress() const { return FBoundAddress; }
  const std::string& BoundPort() const { return FBoundPort; }

private:
  void SendConnectRequest();
  void SendAuthentication();
  void Fail(int error, const std::string& msg);
  void Grant(size_t replyLength);
  void HandleMethodReply();
  void HandleAuthReply();
  void HandleConnectReply4();
  void HandleConnectReply5();

  TSocksRequest FRequest;
  Phase FPhase = Phase::None;
  int FOfferedMethod = 0;
  std::string FReply;  // the reply buffer: 262 bytes for a version 5 reply, else 127
  std::string FLeftover;
  std::string FBoundAddress, FBoundPort;
};
