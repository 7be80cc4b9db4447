#include "net/CertificateCheck.h"

#include <exception>

#include "net/TlsCertificate.h"
#include "net/core/SocketException.h"
#include "rtl/core/SysUtils.h"

// Shared by the owner and the thread; whichever lets go last frees it.
struct TCertificateCheck::TJob {
  LONG References = 2;
  LONG Finished = 0;
  PCCERT_CONTEXT Certificate;
  std::string Host, Problem;
  HWND Window;
  UINT Message;
  WPARAM Id;
};

TCertificateCheck::TCertificateCheck(PCCERT_CONTEXT certificate, const std::string& host, HWND window, UINT message,
                                     WPARAM id)
    : FJob(new TJob{2, 0, certificate, host, std::string(), window, message, id}) {
  const HANDLE thread = ::CreateThread(nullptr, 0, &Run, FJob, 0, nullptr);
  if (!thread) {
    const DWORD error = ::GetLastError();
    FJob->References = 1;
    Release(FJob);
    throw ESocketException(rtl::Format("The certificate of %s could not be checked: no thread (error %lu)",
                                       host.c_str(), static_cast<unsigned long>(error)));
  }
  ::CloseHandle(thread);
}

TCertificateCheck::~TCertificateCheck() { Release(FJob); }

WPARAM TCertificateCheck::Id() const { return FJob->Id; }

bool TCertificateCheck::Done() const { return ::InterlockedCompareExchange(&FJob->Finished, 0, 0) != 0; }

const std::string& TCertificateCheck::Problem() const { return FJob->Problem; }

void TCertificateCheck::Release(TJob* job) {
  if (::InterlockedDecrement(&job->References) != 0) return;
  if (job->Certificate) SecurityApi().CertFreeCertificateContext(job->Certificate);
  delete job;
}

DWORD WINAPI TCertificateCheck::Run(LPVOID parameter) {
  auto* job = static_cast<TJob*>(parameter);
  // Nothing may leave the thread by an exception: a failure is a verdict.
  try {
    job->Problem = CertificateProblem(job->Certificate, job->Host);
  } catch (const std::exception& e) {
    job->Problem = "The certificate of " + job->Host + " could not be checked: " + e.what();
  }
  ::InterlockedExchange(&job->Finished, 1);
  // A window that is gone takes no message; the owner has let go then.
  ::PostMessageA(job->Window, job->Message, job->Id, 0);
  Release(job);
  return 0;
}
