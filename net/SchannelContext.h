#pragma once
// The platform's TLS engine for one client connection: Schannel, with the
// server's name for SNI and for the certificate check, TLS 1.2 and 1.3
// offered, and the certificate checked by crypt32 rather than by Schannel.

#include <string>

#include "net/SecurityLib.h"
#include "net/core/TlsContext.h"

class TSchannelContext : public TTlsContext {
public:
  // Host: the server's name as the URL gives it.
  explicit TSchannelContext(std::string host);
  ~TSchannelContext() override;
  TSchannelContext(const TSchannelContext&) = delete;
  TSchannelContext& operator=(const TSchannelContext&) = delete;

  TTlsResult Handshake(const std::string& input) override;
  std::string CheckPeer() override;
  TTlsResult Decrypt(char* data, size_t length) override;
  size_t MaxPlainPiece() override { return FSizes.cbMaximumMessage; }
  TTlsResult Encrypt(const std::string& plain) override;
  TTlsResult CloseNotify() override;
  bool Tls13() override { return FTls13; }
  std::string Description() override;
  // The server's certificate after the handshake, for the caller to free
  // (CertFreeCertificateContext); nullptr when it sent none.
  PCCERT_CONTEXT PeerCertificate();

private:
  void AcquireCredentials();
  TTlsResult Step(SecBufferDesc* input);

  const TSecurityApi& FApi;
  std::string FHost;
  CredHandle FCredentials{};
  bool FHaveCredentials = false;
  CtxtHandle FContext{};
  bool FHaveContext = false;
  SecPkgContext_StreamSizes FSizes{};
  bool FTls13 = false;
};
