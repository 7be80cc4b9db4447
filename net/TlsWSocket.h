#pragma once
// The TLS layer of the socket: once StartTls is called on a connection
// (made directly, through a SOCKS server, or through an HTTP proxy's
// tunnel), every byte on it is TLS through the platform's Schannel. The
// handshake and the certificate check run before the application may send;
// OnTlsEstablished or OnTlsError says how they ended. Reads then give the
// plain text, and sends are encrypted. Without StartTls the layer is
// transparent.
//
// The certificate is checked on a thread of its own (CertificateCheck.h),
// so that a slow revocation fetch never holds the message loop; the
// verdict comes back as a message to the socket's window. Line mode does not
// run over TLS.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/SocksWSocket.h"
#include "net/core/TlsSession.h"

class TCertificateCheck;
class TSchannelContext;

class TCustomTlsWSocket : public TCustomSocksWSocket {
public:
  using TCustomSocksWSocket::TCustomSocksWSocket;
  ~TCustomTlsWSocket() override;

  // Starts TLS on the connected socket for Host: the name goes into the
  // handshake (SNI) and the certificate must be valid for it. Early: bytes
  // of the server that a layer above has read already. Reports a failure to
  // start through RaiseError.
  virtual void StartTls(const std::string& host, const std::string& early = std::string());
  // TLS was started on the current connection.
  bool TlsStarted() const { return static_cast<bool>(FTls); }
  // The connection ended with the server's close notice, so nothing was
  // cut off at its end.
  bool TlsCloseNotice() const { return FCloseNotice; }
  // Protocol version and cipher of the last connection established.
  const std::string& TlsDescription() const { return FDescription; }

  int Send(const void* data, int length) override;
  int RcvdCount() override;

  // The handshake is done and the certificate accepted: Send may be used.
  std::function<void(TCustomWSocket&)> OnTlsEstablished;
  // TLS failed (Msg names the host and what was wrong); the connection is
  // closed afterwards unless the handler has closed it.
  std::function<void(TCustomWSocket&, TTlsError error, const std::string& msg)> OnTlsError;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ResetToDefaults() override;
  int RawReceive(void* buffer, int size, int flags) override;
  bool TriggerDataAvailable(std::uint16_t error) override;
  void TriggerSessionClosed(std::uint16_t error) override;

private:
  struct TState;
  // Acts on what the session reported during the last call into it: sends
  // its bytes, starts the certificate check, fires the events. False when
  // the connection is gone or no longer this TLS connection.
  bool AfterSession(const std::shared_ptr<TState>& tls);
  bool Current(const std::shared_ptr<TState>& tls) const;
  // Hands the plain text held to the application while it takes some.
  void DeliverPlain(const std::shared_ptr<TState>& tls);
  void Failed(const std::shared_ptr<TState>& tls, TTlsError error, const std::string& msg);

  // Shared with the calls that run: a close from inside one of them (an
  // event handler's) leaves the state alive until they have returned.
  std::shared_ptr<TState> FTls;
  bool FCloseNotice = false;
  std::string FDescription;
  WPARAM FCheckSerial = 0;
};
