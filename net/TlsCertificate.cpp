#include "net/TlsCertificate.h"

#include <vector>

#include "rtl/core/SysUtils.h"

namespace {

// How long the revocation lists and answers of one chain may take to fetch
// altogether. A certificate whose revocation cannot be learnt in time is
// taken as not revoked, as browsers do; one known to be revoked fails.
constexpr DWORD kRevocationTimeoutMs = 10000;

std::wstring Wide(const std::string& text) {
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(n));
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), n);
  return std::wstring(buffer.data());
}

// The DNS name (or, lacking one, the common name) the certificate is for.
std::string NameOf(PCCERT_CONTEXT certificate) {
  char name[256] = "";
  SecurityApi().CertGetNameStringA(certificate, CERT_NAME_DNS_TYPE, 0, nullptr, name, sizeof name);
  return name;
}

std::string Reason(DWORD error, PCCERT_CONTEXT certificate, const std::string& host) {
  const std::string of = "The certificate of " + host;
  const std::string code = rtl::Format(" (0x%08lX)", static_cast<unsigned long>(error));
  switch (static_cast<HRESULT>(error)) {
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
      return of + " is not trusted: it does not lead to a trusted root authority" + code;
    case TRUST_E_CERT_SIGNATURE:
      return of + " is not trusted: a signature in its chain is not valid" + code;
    case CERT_E_CN_NO_MATCH:
      return of + " is for another name (" + NameOf(certificate) + ")" + code;
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
      return of + " has expired or is not yet valid" + code;
    case CERT_E_REVOKED:
      return of + " has been revoked" + code;
    case CRYPT_E_REVOCATION_OFFLINE:
    case CRYPT_E_NO_REVOCATION_CHECK:
      return of + " could not be checked for revocation" + code;
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
      return of + " is not meant for a server" + code;
    default:
      return of + " is not accepted" + code;
  }
}

std::string CannotCheck(const std::string& host, DWORD error) {
  return rtl::Format("The certificate of %s could not be checked (0x%08lX)", host.c_str(),
                     static_cast<unsigned long>(error));
}

// The chain of a server certificate up to a root of the system, built for
// a server's use; freed with the owner.
struct TChain {
  PCCERT_CHAIN_CONTEXT Context = nullptr;
  DWORD Error = 0;
  TChain(PCCERT_CONTEXT certificate, DWORD flags) {
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    para.dwUrlRetrievalTimeout = kRevocationTimeoutMs;
    if (!SecurityApi().CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &para, flags,
                                               nullptr, &Context)) {
      Context = nullptr;
      Error = ::GetLastError();
    }
  }
  ~TChain() {
    if (Context) SecurityApi().CertFreeCertificateChain(Context);
  }
  TChain(const TChain&) = delete;
  TChain& operator=(const TChain&) = delete;
};

}  // namespace

std::string CertificateProblem(PCCERT_CONTEXT certificate, const std::string& host) {
  const TSecurityApi& api = SecurityApi();
  TChain chain(certificate, 0);
  if (!chain.Context) return CannotCheck(host, chain.Error);

  std::wstring name = Wide(host);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = &name[0];
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!api.CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.Context, &policy, &status))
    return CannotCheck(host, ::GetLastError());
  if (status.dwError != 0) return Reason(status.dwError, certificate, host);
  // The chain's own verdict as well: a policy may pass a chain that ends
  // at no root (Wine's does).
  const DWORD trust = chain.Context->TrustStatus.dwErrorStatus;
  if (trust & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_CYCLIC))
    return Reason(static_cast<DWORD>(CERT_E_UNTRUSTEDROOT), certificate, host);
  if (trust & CERT_TRUST_IS_NOT_SIGNATURE_VALID)
    return Reason(static_cast<DWORD>(TRUST_E_CERT_SIGNATURE), certificate, host);
  if (trust & CERT_TRUST_IS_NOT_TIME_VALID) return Reason(static_cast<DWORD>(CERT_E_EXPIRED), certificate, host);
  if (trust & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
    return Reason(static_cast<DWORD>(CERT_E_WRONG_USAGE), certificate, host);

  // Revocation on a chain of its own: where it cannot be learnt (no list
  // named, the server of the list out of reach) the policy would fail
  // before it looks at the name, and an unknown status is no revocation.
  TChain revocation(certificate, CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT |
                                     CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT);
  if (!revocation.Context) return CannotCheck(host, revocation.Error);
  if (revocation.Context->TrustStatus.dwErrorStatus & CERT_TRUST_IS_REVOKED)
    return Reason(static_cast<DWORD>(CERT_E_REVOKED), certificate, host);
  return std::string();
}
