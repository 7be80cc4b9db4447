#pragma once
// The SOCKS layer of the socket: with a SOCKS server assigned, Connect goes
// to that server and the SOCKS 4, 4A or 5 handshake runs before the
// application sees the connection. Without one the layer is transparent.

#include <memory>
#include <string>
#include <vector>

#include "net/WSocket.h"
#include "net/core/Socks.h"

enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };

class TCustomSocksWSocket : public TCustomWSocket {
public:
  using TCustomWSocket::TCustomWSocket;

  const std::string& SocksServer() const { return FSocksServer; }
  void SetSocksServer(const std::string& value);
  const std::string& SocksPort() const { return FSocksPort; }
  void SetSocksPort(const std::string& value);
  const std::string& SocksLevel() const { return FSocksLevel; }
  void SetSocksLevel(const std::string& value);
  std::string SocksUsercode, SocksPassword;
  TSocksAuthentication SocksAuthentication = socksNoAuthentication;

  void Connect() override;
  void Listen() override;
  int RcvdCount() override;

  std::function<void(TCustomWSocket&, std::uint16_t)> OnSocksConnected;
  std::function<void(TCustomWSocket&, int error, const std::string& msg)> OnSocksError;
  std::function<void(TCustomWSocket&, TSocksAuthState)> OnSocksAuthState;

protected:
  void ResetToDefaults() override;
  int RawReceive(void* buffer, int size, int flags) override;
  bool TriggerDataAvailable(std::uint16_t error) override;
  void TriggerSessionConnected(std::uint16_t error) override;
  void TriggerSessionClosed(std::uint16_t error) override;

  bool Negotiating() const { return FNegotiator && FNegotiator->CurrentPhase() != TSocksNegotiator::Phase::None; }

private:
  static constexpr int kSocksReplyBuffer = 262;

  // Marks a call into the negotiator for as long as it runs.
  class TNegotiatorCall {
  public:
    explicit TNegotiatorCall(TCustomSocksWSocket& socket);
    ~TNegotiatorCall();
    TNegotiatorCall(const TNegotiatorCall&) = delete;
    TNegotiatorCall& operator=(const TNegotiatorCall&) = delete;

  private:
    TCustomSocksWSocket& FSocket;
  };

  void SocksError(int error, const std::string& msg);

  std::string FSocksServer, FSocksPort, FSocksLevel = "5";
  bool FConnectingThroughServer = false;
  std::unique_ptr<TSocksNegotiator> FNegotiator;
  // Negotiators let go of while one of their calls was still running.
  std::vector<std::unique_ptr<TSocksNegotiator>> FRetired;
  int FNegotiatorCalls = 0;
  std::string FLeftover;
};
