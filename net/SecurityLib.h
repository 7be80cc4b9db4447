#pragma once
// Schannel ("secur32.dll") and the certificate functions ("crypt32.dll"),
// bound by name at run time from the system folder, so that a program that
// never opens a TLS connection never loads them and a DLL planted beside the
// program is never taken. Each entry is typed after its SDK declaration.

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
// The chain's parameters with their time limit, and the newer credentials
// form (SCH_CREDENTIALS), which needs the kernel's string type.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#define SCHANNEL_USE_BLACKLISTS
#include <windows.h>
#include <winternl.h>
#include <wincrypt.h>
#include <security.h>
#include <schannel.h>

struct TSecurityApi {
#define ORV_SECURITY_ENTRY(function) decltype(&::function) function
  ORV_SECURITY_ENTRY(AcquireCredentialsHandleA);
  ORV_SECURITY_ENTRY(FreeCredentialsHandle);
  ORV_SECURITY_ENTRY(InitializeSecurityContextA);
  ORV_SECURITY_ENTRY(DeleteSecurityContext);
  ORV_SECURITY_ENTRY(ApplyControlToken);
  ORV_SECURITY_ENTRY(QueryContextAttributesA);
  ORV_SECURITY_ENTRY(FreeContextBuffer);
  ORV_SECURITY_ENTRY(EncryptMessage);
  ORV_SECURITY_ENTRY(DecryptMessage);
  ORV_SECURITY_ENTRY(CertGetCertificateChain);
  ORV_SECURITY_ENTRY(CertVerifyCertificateChainPolicy);
  ORV_SECURITY_ENTRY(CertFreeCertificateChain);
  ORV_SECURITY_ENTRY(CertFreeCertificateContext);
  ORV_SECURITY_ENTRY(CertGetNameStringA);
#undef ORV_SECURITY_ENTRY
};

// Loads both libraries on the first call and binds every entry; they stay
// loaded for the life of the process. Raises ESocketException naming the
// library or the entry that is missing (and tries again on the next call).
const TSecurityApi& SecurityApi();
