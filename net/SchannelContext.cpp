#include "net/SchannelContext.h"

#include <memory>
#include <utility>
#include <vector>

#include "net/TlsCertificate.h"
#include "net/core/SocketException.h"
#include "rtl/core/SysUtils.h"

namespace {

constexpr DWORD kProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
// Schannel is asked not to judge the certificate (CheckPeer does), to
// allocate its tokens, and to say what went wrong in an alert.
constexpr ULONG kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                           ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR |
                           ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr DWORD kCredentialFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;

// A token Schannel allocated, released with its own function.
class TContextBuffer {
public:
  TContextBuffer(const TSecurityApi& api, SecBuffer& buffer) : FApi(api), FBuffer(buffer) {}
  ~TContextBuffer() {
    if (FBuffer.pvBuffer) FApi.FreeContextBuffer(FBuffer.pvBuffer);
  }
  TContextBuffer(const TContextBuffer&) = delete;
  TContextBuffer& operator=(const TContextBuffer&) = delete;
  std::string Bytes() const {
    return FBuffer.pvBuffer ? std::string(static_cast<const char*>(FBuffer.pvBuffer), FBuffer.cbBuffer) : std::string();
  }

private:
  const TSecurityApi& FApi;
  SecBuffer& FBuffer;
};

SecBuffer Buffer(unsigned long type, void* data = nullptr, unsigned long size = 0) {
  SecBuffer b;
  b.BufferType = type;
  b.pvBuffer = data;
  b.cbBuffer = size;
  return b;
}

size_t ExtraOf(const SecBuffer* buffers, int count) {
  for (int i = 0; i < count; ++i)
    if (buffers[i].BufferType == SECBUFFER_EXTRA) return buffers[i].cbBuffer;
  return 0;
}

}  // namespace

TSchannelContext::TSchannelContext(std::string host) : FApi(SecurityApi()), FHost(std::move(host)) {}

TSchannelContext::~TSchannelContext() {
  if (FHaveContext) FApi.DeleteSecurityContext(&FContext);
  if (FHaveCredentials) FApi.FreeCredentialsHandle(&FCredentials);
}

void TSchannelContext::AcquireCredentials() {
  char package[] = UNISP_NAME_A;
  TimeStamp expiry;
  // The newer form first: only it offers TLS 1.3 where the system has it.
  TLS_PARAMETERS parameters{};
  parameters.grbitDisabledProtocols = ~kProtocols;
  SCH_CREDENTIALS modern{};
  modern.dwVersion = SCH_CREDENTIALS_VERSION;
  modern.dwFlags = kCredentialFlags;
  modern.cTlsParameters = 1;
  modern.pTlsParameters = &parameters;
  SECURITY_STATUS status = FApi.AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &modern,
                                                          nullptr, nullptr, &FCredentials, &expiry);
  if (status != SEC_E_OK) {
    // Systems before Windows 10 1809 know only this form.
    SCHANNEL_CRED classic{};
    classic.dwVersion = SCHANNEL_CRED_VERSION;
    classic.grbitEnabledProtocols = kProtocols;
    classic.dwFlags = kCredentialFlags;
    status = FApi.AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &classic, nullptr,
                                            nullptr, &FCredentials, &expiry);
  }
  if (status != SEC_E_OK)
    throw ESocketException(rtl::Format("No TLS credentials for %s (0x%08lX)", FHost.c_str(),
                                       static_cast<unsigned long>(status)));
  FHaveCredentials = true;
}

TTlsResult TSchannelContext::Step(SecBufferDesc* input) {
  SecBuffer out[] = {Buffer(SECBUFFER_TOKEN)};
  SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
  ULONG attributes = 0;
  TimeStamp expiry;
  // The name goes into the hello (SNI); Schannel does not check it here.
  std::string target = FHost;
  const SECURITY_STATUS status =
      FApi.InitializeSecurityContextA(&FCredentials, FHaveContext ? &FContext : nullptr, &target[0], kRequest, 0, 0,
                                      input, 0, FHaveContext ? nullptr : &FContext, &outDesc, &attributes, &expiry);
  TContextBuffer token(FApi, out[0]);
  TTlsResult r;
  r.Code = static_cast<std::uint32_t>(status);
  r.Output = token.Bytes();
  if (input) r.Extra = ExtraOf(input->pBuffers, static_cast<int>(input->cBuffers));
  switch (status) {
    case SEC_E_OK:
      FHaveContext = true;
      r.Status = TTlsStatus::Ok;
      break;
    case SEC_I_CONTINUE_NEEDED:
      FHaveContext = true;
      r.Status = TTlsStatus::Continue;
      break;
    case SEC_E_INCOMPLETE_MESSAGE:
      r.Status = TTlsStatus::Incomplete;
      r.Extra = 0;
      break;
    default:
      // A context made by an earlier step stays until the destructor.
      r.Status = TTlsStatus::Failed;
      break;
  }
  return r;
}

TTlsResult TSchannelContext::Handshake(const std::string& input) {
  if (!FHaveCredentials) {
    AcquireCredentials();
    return Step(nullptr);
  }
  std::vector<char> bytes(input.begin(), input.end());
  SecBuffer in[] = {Buffer(SECBUFFER_TOKEN, bytes.data(), static_cast<unsigned long>(bytes.size())),
                    Buffer(SECBUFFER_EMPTY)};
  SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
  TTlsResult r = Step(&inDesc);
  if (r.Status == TTlsStatus::Ok) {
    const SECURITY_STATUS sizes = FApi.QueryContextAttributesA(&FContext, SECPKG_ATTR_STREAM_SIZES, &FSizes);
    if (sizes != SEC_E_OK) {
      r.Status = TTlsStatus::Failed;
      r.Code = static_cast<std::uint32_t>(sizes);
    } else {
      // The protocol is settled with the handshake: asked once here, not
      // at every message that comes after it.
      SecPkgContext_ConnectionInfo info{};
      FTls13 = FApi.QueryContextAttributesA(&FContext, SECPKG_ATTR_CONNECTION_INFO, &info) == SEC_E_OK &&
               (info.dwProtocol & SP_PROT_TLS1_3_CLIENT) != 0;
    }
  }
  return r;
}

PCCERT_CONTEXT TSchannelContext::PeerCertificate() {
  PCCERT_CONTEXT certificate = nullptr;
  if (FApi.QueryContextAttributesA(&FContext, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK) return nullptr;
  return certificate;
}

std::string TSchannelContext::CheckPeer() {
  PCCERT_CONTEXT certificate = PeerCertificate();
  if (!certificate) return FHost + " sent no certificate";
  const std::unique_ptr<const CERT_CONTEXT, void (*)(PCCERT_CONTEXT)> owner(
      certificate, [](PCCERT_CONTEXT c) { SecurityApi().CertFreeCertificateContext(c); });
  return CertificateProblem(certificate, FHost);
}

TTlsResult TSchannelContext::Decrypt(char* data, size_t length) {
  SecBuffer buffers[] = {Buffer(SECBUFFER_DATA, data, static_cast<unsigned long>(length)), Buffer(SECBUFFER_EMPTY),
                         Buffer(SECBUFFER_EMPTY), Buffer(SECBUFFER_EMPTY)};
  SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
  const SECURITY_STATUS status = FApi.DecryptMessage(&FContext, &desc, 0, nullptr);
  TTlsResult r;
  r.Code = static_cast<std::uint32_t>(status);
  switch (status) {
    case SEC_E_OK:
      r.Status = TTlsStatus::Ok;
      break;
    case SEC_E_INCOMPLETE_MESSAGE:
      r.Status = TTlsStatus::Incomplete;
      return r;
    case SEC_I_CONTEXT_EXPIRED:
      r.Status = TTlsStatus::Expired;
      break;
    case SEC_I_RENEGOTIATE:
      r.Status = TTlsStatus::Renegotiate;
      break;
    default:
      r.Status = TTlsStatus::Failed;
      return r;
  }
  for (const SecBuffer& b : buffers)
    if (b.BufferType == SECBUFFER_DATA && b.pvBuffer && b.cbBuffer)
      r.Output.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
  r.Extra = ExtraOf(buffers, 4);
  return r;
}

TTlsResult TSchannelContext::Encrypt(const std::string& plain) {
  TTlsResult r;
  if (plain.size() > FSizes.cbMaximumMessage) return r;
  std::string record(FSizes.cbHeader + plain.size() + FSizes.cbTrailer, '\0');
  record.replace(FSizes.cbHeader, plain.size(), plain);
  SecBuffer buffers[] = {Buffer(SECBUFFER_STREAM_HEADER, &record[0], FSizes.cbHeader),
                         Buffer(SECBUFFER_DATA, &record[FSizes.cbHeader], static_cast<unsigned long>(plain.size())),
                         Buffer(SECBUFFER_STREAM_TRAILER, &record[FSizes.cbHeader + plain.size()], FSizes.cbTrailer),
                         Buffer(SECBUFFER_EMPTY)};
  SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
  const SECURITY_STATUS status = FApi.EncryptMessage(&FContext, 0, &desc, 0);
  r.Code = static_cast<std::uint32_t>(status);
  if (status != SEC_E_OK) return r;
  // The trailer may come out shorter than its room.
  record.resize(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
  r.Status = TTlsStatus::Ok;
  r.Output = std::move(record);
  return r;
}

TTlsResult TSchannelContext::CloseNotify() {
  DWORD type = SCHANNEL_SHUTDOWN;
  SecBuffer control[] = {Buffer(SECBUFFER_TOKEN, &type, sizeof type)};
  SecBufferDesc desc{SECBUFFER_VERSION, 1, control};
  TTlsResult r;
  const SECURITY_STATUS applied = FApi.ApplyControlToken(&FContext, &desc);
  r.Code = static_cast<std::uint32_t>(applied);
  if (applied != SEC_E_OK) return r;
  r = Step(nullptr);
  // The notice comes as the last token of the context.
  if (r.Status == TTlsStatus::Ok || r.Status == TTlsStatus::Continue) r.Status = TTlsStatus::Ok;
  return r;
}

namespace {

std::string ProtocolName(DWORD protocol) {
  if (protocol & SP_PROT_TLS1_3_CLIENT) return "TLS 1.3";
  if (protocol & SP_PROT_TLS1_2_CLIENT) return "TLS 1.2";
  if (protocol & SP_PROT_TLS1_1_CLIENT) return "TLS 1.1";
  if (protocol & SP_PROT_TLS1_0_CLIENT) return "TLS 1.0";
  return rtl::Format("protocol 0x%lX", static_cast<unsigned long>(protocol));
}

std::string AlgorithmName(ALG_ID id) {
  switch (id) {
    case CALG_AES_128: return "AES-128";
    case CALG_AES_192: return "AES-192";
    case CALG_AES_256: return "AES-256";
    case CALG_3DES: return "3DES";
    case CALG_RC4: return "RC4";
    case CALG_SHA1: return "SHA-1";
    case CALG_SHA_256: return "SHA-256";
    case CALG_SHA_384: return "SHA-384";
    case CALG_SHA_512: return "SHA-512";
    case CALG_MD5: return "MD5";
    case CALG_RSA_KEYX: return "RSA";
    case CALG_DH_EPHEM: return "DHE";
    case CALG_ECDH: return "ECDH";
    case CALG_ECDH_EPHEM: return "ECDHE";
    case 0: return "none";
    default: return rtl::Format("0x%04X", static_cast<unsigned>(id));
  }
}

}  // namespace

std::string TSchannelContext::Description() {
  SecPkgContext_ConnectionInfo info{};
  if (!FHaveContext || FApi.QueryContextAttributesA(&FContext, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK)
    return std::string();
  return rtl::Format("%s, cipher %s (%lu bits), hash %s, key exchange %s", ProtocolName(info.dwProtocol).c_str(),
                     AlgorithmName(info.aiCipher).c_str(), static_cast<unsigned long>(info.dwCipherStrength),
                     AlgorithmName(info.aiHash).c_str(), AlgorithmName(info.aiExch).c_str());
}
