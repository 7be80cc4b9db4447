#include "net/core/Socks.h"

#include <exception>

namespace {

constexpr size_t kBuffer = 128;
// The longest reply of a version 5 server (RFC 1928): 7 bytes and a bound
// name of up to 255.
constexpr size_t kLongestReply5 = 7 + 255;

bool Version4(const std::string& level) { return !level.empty() && level[0] == '4'; }

std::string PortBytes(std::uint16_t port) {
  return std::string{static_cast<char>(port >> 8), static_cast<char>(port & 0xFF)};
}

std::string DottedOf(const unsigned char* p) {
  return std::to_string(p[0]) + "." + std::to_string(p[1]) + "." + std::to_string(p[2]) + "." + std::to_string(p[3]);
}

}  // namespace

std::string SocksRequestProblem(const TSocksRequest& R) {
  if (Version4(R.Level)) {
    size_t size = 8 + R.Usercode.size() + 1;
    if (R.Level == "4A") size += R.Host.size() + 1;
    if (size > kBuffer)
      return "The SOCKS " + R.Level + " request needs " + std::to_string(size) + " bytes; at most 128 fit";
    return std::string();
  }
  if (R.Host.size() + 7 > kBuffer)
    return "The host name is " + std::to_string(R.Host.size()) + " characters long; a SOCKS 5 request carries at most 121";
  if (R.Authenticate && 3 + R.Usercode.size() + R.Password.size() > kBuffer)
    return "The SOCKS user name and password take " + std::to_string(R.Usercode.size() + R.Password.size()) +
           " characters; at most 125 fit";
  return std::string();
}

void TSocksNegotiator::Start() {
  FReply.clear();
  FLeftover.clear();
  FPhase = Phase::Method;
  if (Version4(FRequest.Level)) {
    SendConnectRequest();
    return;
  }
  FOfferedMethod = FRequest.Authenticate ? 2 : 0;
  if (OnSend) OnSend(std::string{5, 1, static_cast<char>(FOfferedMethod)});
}

int TSocksNegotiator::Room() const {
  size_t limit = kBuffer - 1;
  if (FPhase == Phase::ConnectRequest) limit = Version4(FRequest.Level) ? 8 : kLongestReply5;
  return FReply.size() >= limit ? 0 : static_cast<int>(limit - FReply.size());
}

void TSocksNegotiator::SendConnectRequest() {
  FPhase = Phase::ConnectRequest;
  std::string request;
  if (Version4(FRequest.Level)) {
    std::string address{0, 0, 0, 1};
    if (FRequest.Level != "4A") {
      try {
        const std::uint32_t a = FRequest.ResolveHost ? FRequest.ResolveHost(FRequest.Host) : 0;
        address.assign(reinterpret_cast<const char*>(&a), 4);
      } catch (const std::exception& e) {
        Fail(TSocksError::Unresolved, e.what());
        return;
      }
    }
    request = std::string{4, 1} + PortBytes(FRequest.Port) + address + FRequest.Usercode + '\0';
    if (FRequest.Level == "4A") request += FRequest.Host + '\0';
  } else {
    request = std::string{5, 1, 0, 3} + static_cast<char>(FRequest.Host.size()) + FRequest.Host + PortBytes(FRequest.Port);
  }
  if (OnSend) OnSend(request);
}

void TSocksNegotiator::SendAuthentication() {
  FPhase = Phase::Authentication;
  if (OnAuthState) OnAuthState(socksAuthStart);
  if (OnSend)
    OnSend(std::string{1} + static_cast<char>(FRequest.Usercode.size()) + FRequest.Usercode +
           static_cast<char>(FRequest.Password.size()) + FRequest.Password);
}

void TSocksNegotiator::Fail(int error, const std::string& msg) {
  FPhase = Phase::None;
  if (OnError) OnError(error, msg);
}

void TSocksNegotiator::Grant(size_t replyLength) {
  FPhase = Phase::None;
  if (FReply.size() > replyLength) FLeftover = FReply.substr(replyLength);
  FReply.clear();
  if (OnGranted) OnGranted();
}

std::string TSocksNegotiator::TakeLeftover() {
  std::string out;
  out.swap(FLeftover);
  return out;
}

void TSocksNegotiator::ReceiveError(int error) { Fail(error, "data receive error"); }

void TSocksNegotiator::Feed(const char* data, int length) {
  if (length > Room()) length = Room();
  if (length > 0) FReply.append(data, static_cast<size_t>(length));
  switch (FPhase) {
    case Phase::Method: HandleMethodReply(); break;
    case Phase::Authentication: HandleAuthReply(); break;
    case Phase::ConnectRequest:
      if (Version4(FRequest.Level)) HandleConnectReply4();
      else HandleConnectReply5();
      break;
    case Phase::None: Fail(TSocksError::Internal, "internal error"); break;
  }
}

void TSocksNegotiator::HandleMethodReply() {
  if (Version4(FRequest.Level)) return Fail(TSocksError::Logic, "TWSocket logic error");
  if (FReply.size() < 2) return;
  const std::string reply = FReply;
  FReply.clear();
  if (reply[0] != 5) return Fail(TSocksError::Version, "socks version error");
  if (reply[1] == 0) {
    if (FOfferedMethod == 2 && OnAuthState) OnAuthState(socksAuthNotRequired);
    SendConnectRequest();
  } else if (reply[1] == 2) {
    SendAuthentication();
  } else {
    Fail(TSocksError::MethodNotAcceptable, "authentification method not acceptable");
  }
}

void TSocksNegotiator::HandleAuthReply() {
  if (!FReply.empty() && FReply[0] != 1) return Fail(TSocksError::Version, "socks version error");
  if (FReply.size() < 2) return;
  if (FReply.size() > 2) return Fail(TSocksError::Logic, "too much data availaible");
  if (FReply[1] != 0) return Fail(TSocksError::AuthenticationFailed, "socks authentication failed");
  FReply.clear();
  if (OnAuthState) OnAuthState(socksAuthSuccess);
  SendConnectRequest();
}

void TSocksNegotiator::HandleConnectReply4() {
  if (FReply.size() < 8) return;
  const std::string reply = FReply;
  FReply.clear();
  if (reply[0] != 0) return Fail(TSocksError::Version, "socks version error");
  const int code = static_cast<unsigned char>(reply[1]);
  switch (code) {
    case 90: Grant(8); return;
    case 91: return Fail(TSocksError::RequestRejected, "request rejected or failed");
    case 92: return Fail(TSocksError::ConnectionRefused, "connection refused");
    case 93: return Fail(TSocksError::AuthenticationFailed, "authentification failed");
    default: return Fail(TSocksError::Unassigned, "unassigned error #" + std::to_string(code));
  }
}

void TSocksNegotiator::HandleConnectReply5() {
  if (!FReply.empty() && FReply[0] != 5) return Fail(TSocksError::Version, "socks version error");
  if (FReply.size() >= 2 && FReply[1] != 0) {
    const int code = static_cast<unsigned char>(FReply[1]);
    static const struct {
      TSocksError error;
      const char* text;
    } kReplies[] = {{TSocksError::GeneralFailure, "general SOCKS server failure"},
                    {TSocksError::NotAllowed, "connection not allowed by ruleset"},
                    {TSocksError::NetworkUnreachable, "network unreachable"},
                    {TSocksError::HostUnreachable, "host unreachable"},
                    {TSocksError::ConnectionRefused, "connection refused"},
                    {TSocksError::TtlExpired, "time to live expired"},
                    {TSocksError::CommandNotSupported, "command not supported"},
                    {TSocksError::AddressTypeNotSupported, "address type not supported"}};
    if (code >= 1 && code <= 8) return Fail(kReplies[code - 1].error, kReplies[code - 1].text);
    return Fail(TSocksError::Unassigned, "unassigned error #" + std::to_string(code));
  }
  if (FReply.size() < 5) return;
  const auto* p = reinterpret_cast<const unsigned char*>(FReply.data());
  const size_t needed = p[3] == 1 ? 10 : p[3] == 3 ? 7u + p[4] : 5;
  if (FReply.size() < needed) return;
  if (p[3] == 1) {
    FBoundAddress = DottedOf(p + 4);
    FBoundPort = std::to_string((p[8] << 8) | p[9]);
  } else if (p[3] == 3) {
    FBoundAddress = FReply.substr(5, p[4]);
    FBoundPort = std::to_string((p[5 + p[4]] << 8) | p[6 + p[4]]);
  } else {
    return Fail(TSocksError::AddressTypeNotSupported, "address type not supported");
  }
  Grant(needed);
}
