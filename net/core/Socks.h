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

// The handshake's failure numbers: the Error of OnSocksError, and of the
// connect outcome and the close that follow it. A read that fails during
// the handshake reports the socket's own number instead.
enum class TSocksError : int {
  Logic = 20001,  // a reply the phase cannot have: "TWSocket logic error", "too much data availaible"
  Version = 20002,
  MethodNotAcceptable = 20003,
  // The version 5 reply codes 1 to 8, in their order.
  GeneralFailure = 20004,
  NotAllowed = 20005,
  NetworkUnreachable = 20006,
  HostUnreachable = 20007,
  ConnectionRefused = 20008,
  TtlExpired = 20009,
  CommandNotSupported = 20010,
  AddressTypeNotSupported = 20011,
  Unassigned = 20012,  // a reply code without a meaning
  Internal = 20013,
  AuthenticationFailed = 20015,
  RequestRejected = 20016,  // version 4 reply 91
  Unresolved = 20017,       // a version 4 destination without an address
};
constexpr TSocksError kFirstSocksError = TSocksError::Logic;
constexpr TSocksError kLastSocksError = TSocksError::Unresolved;

// The number as the program sees it.
constexpr int ErrorNumber(TSocksError error) { return static_cast<int>(error); }

struct TSocksRequest {
  std::string Level = "5";  // "4", "4A" or "5"
  std::string Host;         // the destination as the application named it
  std::uint16_t Port = 0;   // destination port, host order
  bool Authenticate = false;
  std::string Usercode, Password;
  // For level "4": the destination's IPv4 address in network order. It may
  // raise; the negotiator reports that as TSocksError::Unresolved.
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
  // The handshake failed: Error (a TSocksError, or the socket's number for
  // a failed read) and its text. The socket then
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
  void Fail(TSocksError error, const std::string& msg) { Fail(ErrorNumber(error), msg); }
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
