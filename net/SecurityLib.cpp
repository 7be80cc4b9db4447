#include "net/SecurityLib.h"

#include <string>

#include "net/core/SocketException.h"
#include "rtl/win32/SystemFiles.h"

namespace {

HMODULE Load(const char* name) {
  HMODULE module = rtl::LoadSystemLibrary(name);
  if (!module)
    throw ESocketException("Unable to load " + std::string(name) + " Error #" + std::to_string(::GetLastError()));
  return module;
}

template <typename F>
void Bind(HMODULE module, const char* library, const char* name, F& entry) {
  entry = rtl::BoundFunction<F>(module, name);
  if (!entry) throw ESocketException("Procedure " + std::string(name) + " not found in " + library);
}

TSecurityApi BindAll() {
  // Loaded once and never released: a context or certificate of theirs may
  // live as long as any connection does.
  static const HMODULE secur32 = Load("secur32.dll");
  static const HMODULE crypt32 = Load("crypt32.dll");
  TSecurityApi api;
#define ORV_BIND(module, function) Bind(module, #module ".dll", #function, api.function)
  ORV_BIND(secur32, AcquireCredentialsHandleA);
  ORV_BIND(secur32, FreeCredentialsHandle);
  ORV_BIND(secur32, InitializeSecurityContextA);
  ORV_BIND(secur32, DeleteSecurityContext);
  ORV_BIND(secur32, ApplyControlToken);
  ORV_BIND(secur32, QueryContextAttributesA);
  ORV_BIND(secur32, FreeContextBuffer);
  ORV_BIND(secur32, EncryptMessage);
  ORV_BIND(secur32, DecryptMessage);
  ORV_BIND(crypt32, CertGetCertificateChain);
  ORV_BIND(crypt32, CertVerifyCertificateChainPolicy);
  ORV_BIND(crypt32, CertFreeCertificateChain);
  ORV_BIND(crypt32, CertFreeCertificateContext);
  ORV_BIND(crypt32, CertGetNameStringA);
#undef ORV_BIND
  return api;
}

}  // namespace

const TSecurityApi& SecurityApi() {
  static const TSecurityApi api = BindAll();
  return api;
}
