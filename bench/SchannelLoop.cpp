// The least a program can do to fetch a page over TLS with the platform's
// Schannel: a blocking socket, the handshake, one GET, then DecryptMessage
// in place over what arrives until the server closes, the body written to a
// file. No event loop and no copy it can avoid: the ceiling that the HTTP
// client's TLS is measured against (bench/net-bench.sh). With "check" it
// also makes the client's own certificate check, the one thing of the
// project it uses, as any client that trusts what it reads must; without
// it, no certificate is checked at all.
//
// Usage: schannelloop PORT HOST PATH OUTPUT [check]   (the server on 127.0.0.1)
// Prints "times: cpu C ms, wall W ms, handshake H ms, ..." to standard
// error, the form netprobe --times uses; exit 1 with a reason on any
// failure.

#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/LoopbackConnection.h"
#include "net/TlsCertificate.h"

namespace {

struct TFailure {
  std::string What;
};

[[noreturn]] void Fail(const std::string& what, long code = 0) {
  char text[16] = "";
  if (code) std::snprintf(text, sizeof text, " (0x%08lX)", static_cast<unsigned long>(code));
  throw TFailure{what + text};
}

double Seconds(LARGE_INTEGER from) {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuMs() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto v = [](const FILETIME& f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  return static_cast<double>(v(kernel) + v(user)) / 10000.0;
}

// The connection and what the server sent that is not yet used: In holds
// Used bytes at the front.
class TLoop {
public:
  TLoop(SOCKET s, std::string host) : FSocket(s), FHost(std::move(host)), FIn(1 << 20) {}
  ~TLoop() {
    if (FHaveContext) ::DeleteSecurityContext(&FContext);
    if (FHaveCredentials) ::FreeCredentialsHandle(&FCredentials);
  }

  void Handshake() {
    SCHANNEL_CRED cred{};
    cred.dwVersion = SCHANNEL_CRED_VERSION;
    cred.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
    cred.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    char package[] = UNISP_NAME_A;
    TimeStamp expiry;
    SECURITY_STATUS status = ::AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &cred,
                                                         nullptr, nullptr, &FCredentials, &expiry);
    if (status != SEC_E_OK) Fail("AcquireCredentialsHandle", status);
    FHaveCredentials = true;
    status = Step(nullptr);
    while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE) {
      if ((status == SEC_E_INCOMPLETE_MESSAGE || FUsed == 0) && !Receive()) Fail("the server closed during the handshake");
      SecBuffer in[] = {{static_cast<unsigned long>(FUsed), SECBUFFER_TOKEN, FIn.data()}, {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
      status = Step(&inDesc);
      if (status != SEC_E_INCOMPLETE_MESSAGE) KeepExtra(in[1].BufferType == SECBUFFER_EXTRA ? in[1].cbBuffer : 0);
    }
    if (status != SEC_E_OK) Fail("the handshake failed", status);
    status = ::QueryContextAttributesA(&FContext, SECPKG_ATTR_STREAM_SIZES, &FSizes);
    if (status != SEC_E_OK) Fail("QueryContextAttributes", status);
  }

  // The check the client makes after its handshake (net/TlsCertificate.h):
  // the chain to the system's roots, the SSL policy for the host's name,
  // revocation.
  void CheckPeer(const std::string& host) {
    PCCERT_CONTEXT certificate = nullptr;
    SECURITY_STATUS status = ::QueryContextAttributesA(&FContext, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    if (status != SEC_E_OK || !certificate) Fail("no certificate from the server", status);
    const std::string problem = CertificateProblem(certificate, host);
    ::CertFreeCertificateContext(certificate);
    if (!problem.empty()) Fail(problem);
  }

  // The protocol and the cipher, for comparing with curl's.
  std::string Connection() {
    SecPkgContext_ConnectionInfo info{};
    if (::QueryContextAttributesA(&FContext, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK) return "unknown";
    char text[80];
    std::snprintf(text, sizeof text, "%s, cipher 0x%04X %lu bits",
                  info.dwProtocol & SP_PROT_TLS1_3_CLIENT   ? "TLS 1.3"
                  : info.dwProtocol & SP_PROT_TLS1_2_CLIENT ? "TLS 1.2"
                                                            : "older TLS",
                  static_cast<unsigned>(info.aiCipher), static_cast<unsigned long>(info.dwCipherStrength));
    return text;
  }

  void Send(const std::string& plain) {
    std::vector<char> record(FSizes.cbHeader + plain.size() + FSizes.cbTrailer);
    std::memcpy(record.data() + FSizes.cbHeader, plain.data(), plain.size());
    SecBuffer b[] = {{FSizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                     {static_cast<unsigned long>(plain.size()), SECBUFFER_DATA, record.data() + FSizes.cbHeader},
                     {FSizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + FSizes.cbHeader + plain.size()},
                     {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, b};
    const SECURITY_STATUS status = ::EncryptMessage(&FContext, 0, &desc, 0);
    if (status != SEC_E_OK) Fail("EncryptMessage", status);
    SendAll(record.data(), b[0].cbBuffer + b[1].cbBuffer + b[2].cbBuffer);
  }

  // Decrypts records in place until the server's close notice or the end
  // of the connection; Sink gets the plain text of each record.
  template <typename F> void ReadAll(F sink) {
    size_t at = 0;  // the next record in FIn
    for (;;) {
      if (at == FUsed) {
        at = FUsed = 0;
        if (!Receive()) return;
      }
      SecBuffer b[] = {{static_cast<unsigned long>(FUsed - at), SECBUFFER_DATA, FIn.data() + at},
                       {0, SECBUFFER_EMPTY, nullptr}, {0, SECBUFFER_EMPTY, nullptr}, {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, b};
      const SECURITY_STATUS status = ::DecryptMessage(&FContext, &desc, 0, nullptr);
      if (status == SEC_E_INCOMPLETE_MESSAGE) {
        std::memmove(FIn.data(), FIn.data() + at, FUsed - at);
        FUsed -= at;
        at = 0;
        if (!Receive()) Fail("the connection ended inside a record");
        continue;
      }
      if (status == SEC_I_CONTEXT_EXPIRED) return;  // the close notice (Windows)
      if (status != SEC_E_OK) Fail("DecryptMessage", status);
      size_t extra = 0;
      bool data = false;
      for (const SecBuffer& x : b) {
        if (x.BufferType == SECBUFFER_DATA && x.cbBuffer) {
          sink(static_cast<const char*>(x.pvBuffer), x.cbBuffer);
          data = true;
        }
        if (x.BufferType == SECBUFFER_EXTRA) extra = x.cbBuffer;
      }
      if (!data && !extra) return;  // the close notice (Wine)
      at = FUsed - extra;
    }
  }

private:
  SECURITY_STATUS Step(SecBufferDesc* input) {
    SecBuffer out[] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    ULONG attributes = 0;
    TimeStamp expiry;
    const ULONG request = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                          ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;
    const SECURITY_STATUS status = ::InitializeSecurityContextA(
        &FCredentials, FHaveContext ? &FContext : nullptr, &FHost[0], request, 0, 0, input, 0,
        FHaveContext ? nullptr : &FContext, &outDesc, &attributes, &expiry);
    if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) FHaveContext = true;
    if (out[0].pvBuffer) {
      SendAll(static_cast<const char*>(out[0].pvBuffer), out[0].cbBuffer);
      ::FreeContextBuffer(out[0].pvBuffer);
    }
    return status;
  }

  void KeepExtra(size_t extra) {
    std::memmove(FIn.data(), FIn.data() + FUsed - extra, extra);
    FUsed = extra;
  }

  // Appends what the socket has; false at its end.
  bool Receive() {
    if (FUsed == FIn.size()) Fail("no record fits the buffer");
    const int n = ::recv(FSocket, FIn.data() + FUsed, static_cast<int>(FIn.size() - FUsed), 0);
    if (n < 0) Fail("recv", ::WSAGetLastError());
    FUsed += static_cast<size_t>(n);
    return n > 0;
  }

  void SendAll(const char* data, size_t length) {
    while (length) {
      const int n = ::send(FSocket, data, static_cast<int>(length), 0);
      if (n <= 0) Fail("send", ::WSAGetLastError());
      data += n;
      length -= static_cast<size_t>(n);
    }
  }

  SOCKET FSocket;
  std::string FHost;
  std::vector<char> FIn;
  size_t FUsed = 0;
  CredHandle FCredentials{};
  bool FHaveCredentials = false;
  CtxtHandle FContext{};
  bool FHaveContext = false;
  SecPkgContext_StreamSizes FSizes{};
};

// The reply's header is checked and dropped; the body goes to the file as
// it comes.
class TBody {
public:
  explicit TBody(const char* path)
      : FFile(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (FFile == INVALID_HANDLE_VALUE) Fail("cannot make the output file", static_cast<long>(::GetLastError()));
  }
  ~TBody() { ::CloseHandle(FFile); }
  TBody(const TBody&) = delete;
  TBody& operator=(const TBody&) = delete;

  void operator()(const char* data, size_t length) {
    if (FInBody) return Write(data, length);
    FHeader.append(data, length);
    const size_t end = FHeader.find("\r\n\r\n");
    if (end == std::string::npos) {
      if (FHeader.size() > kMaxHeader) Fail("no end of the reply's header");
      return;
    }
    if (FHeader.compare(0, 12, "HTTP/1.1 200") != 0) Fail("the reply is not 200 OK");
    const size_t field = FHeader.find("\r\nContent-Length: ");
    if (field == std::string::npos || field > end) Fail("the reply has no Content-Length");
    Expected = std::strtoull(FHeader.c_str() + field + 18, nullptr, 10);
    FInBody = true;
    Write(FHeader.data() + end + 4, FHeader.size() - end - 4);
  }
  unsigned long long Bytes = 0, Expected = 0;

private:
  static constexpr size_t kMaxHeader = 65536;
  void Write(const char* data, size_t length) {
    DWORD written = 0;
    if (length && (!::WriteFile(FFile, data, static_cast<DWORD>(length), &written, nullptr) || written != length))
      Fail("WriteFile", static_cast<long>(::GetLastError()));
    Bytes += length;
  }
  HANDLE FFile;
  bool FInBody = false;
  std::string FHeader;
};

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 6 && std::strcmp(argv[5], "check") == 0;
  if (argc != 5 && !check) {
    std::fprintf(stderr, "usage: schannelloop PORT HOST PATH OUTPUT [check]\n");
    return 2;
  }
  try {
    TBody body(argv[4]);
    const double cpu0 = CpuMs();
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    TLoopbackConnection s(static_cast<unsigned short>(std::atoi(argv[1])));
    if (s.Error) Fail("connect", s.Error);
    // A server that stops answering ends the run rather than holding it.
    DWORD limit = 20000;
    ::setsockopt(s.Handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
    TLoop loop(s.Handle, argv[2]);
    loop.Handshake();
    if (check) loop.CheckPeer(argv[2]);
    const double handshake = Seconds(start);
    loop.Send(std::string("GET ") + argv[3] + " HTTP/1.0\r\nHost: " + argv[2] + "\r\n\r\n");
    loop.ReadAll([&](const char* data, size_t length) { body(data, length); });
    if (body.Bytes != body.Expected) Fail("the body was cut at " + std::to_string(body.Bytes) + " bytes");
    std::fprintf(stderr, "times: cpu %.1f ms, wall %.0f ms, %s %.1f ms, body %llu bytes, %s\n", CpuMs() - cpu0,
                 Seconds(start) * 1000.0, check ? "handshake and check" : "handshake", handshake * 1000.0, body.Bytes, loop.Connection().c_str());
    return 0;
  } catch (const TFailure& f) {
    std::fprintf(stderr, "schannelloop: %s\n", f.What.c_str());
    return 1;
  }
}
