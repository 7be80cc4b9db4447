#include "net/core/TlsSession.h"

#include <stdexcept>
#include <utility>

#include "rtl/core/SysUtils.h"

namespace {

constexpr unsigned char kFirstRecordType = 0x14;  // change_cipher_spec
constexpr unsigned char kAlert = 0x15;
constexpr unsigned char kLastRecordType = 0x17;  // application_data
constexpr unsigned char kVersionMajor = 0x03;    // every TLS and SSL 3 record
constexpr size_t kHeader = 5;

}  // namespace

TTlsSession::TTlsSession(TTlsContext& context, std::string host)
    : FContext(context), FHost(std::move(host)), FAlive(std::make_shared<bool>(true)) {}

TTlsSession::~TTlsSession() { *FAlive = false; }

std::string TTlsSession::Hex(std::uint32_t code) {
  return rtl::Format("0x%08lX", static_cast<unsigned long>(code));
}

void TTlsSession::Start() {
  if (FPhase != Phase::Idle) throw std::logic_error("TLS session: started twice");
  FPhase = Phase::Handshake;
  FStepNow = true;
  Process();
}

size_t TTlsSession::Room() const {
  switch (FPhase) {
    case Phase::Handshake:
      return Held() < kMaxHandshake ? kMaxHandshake - Held() : 0;
    case Phase::Checking:
    case Phase::Open:
      return Held() < kMaxHeld ? kMaxHeld - Held() : 0;
    default:
      return 0;
  }
}

void TTlsSession::Feed(const char* data, size_t length) {
  if (FPhase != Phase::Handshake && FPhase != Phase::Checking && FPhase != Phase::Open) return;
  if (length > Room()) throw std::length_error("TLS session: more bytes fed than it has room for");
  FIn.erase(0, FAt);
  FAt = 0;
  FIn.append(data, length);
  Process();
}

void TTlsSession::TransportClosed() {
  if (FPhase == Phase::Handshake || FPhase == Phase::Checking) {
    Fail(TTlsError::ClosedInHandshake, FHost + " closed the connection during the TLS handshake");
  } else if (FPhase == Phase::Open) {
    FPhase = Phase::Ended;
    DropHeld();
    if (OnClosed) OnClosed(false);
  }
}

void TTlsSession::Send(const std::string& data) {
  if (FPhase != Phase::Open) throw std::logic_error("TLS session: nothing can be sent before the handshake is done");
  const std::shared_ptr<bool> alive = FAlive;
  size_t piece = FContext.MaxPlainPiece();
  if (piece == 0 || piece > 16384) piece = 16384;
  for (size_t at = 0; at < data.size(); at += piece) {
    TTlsResult r = FContext.Encrypt(data.substr(at, piece));
    if (r.Status != TTlsStatus::Ok) {
      Fail(TTlsError::EncryptFailed, "Data for " + FHost + " could not be encrypted (" + Hex(r.Code) + ")");
      return;
    }
    if (!Emit(r.Output) || FPhase != Phase::Open) return;
  }
}

void TTlsSession::Close() {
  const Phase was = FPhase;
  FPhase = Phase::Ended;
  DropHeld();
  if (was != Phase::Open) return;
  TTlsResult r = FContext.CloseNotify();
  // A notice that cannot be made leaves only the transport's close, which
  // the server takes as an end without notice: nothing is lost for us.
  if (r.Status == TTlsStatus::Ok && !r.Output.empty()) Emit(r.Output);
}

void TTlsSession::Process() {
  const std::shared_ptr<bool> alive = FAlive;
  // Every pass uses up received bytes or returns, and what is held is
  // bounded by Room(), so this ends.
  for (bool more = true; more;) {
    if (FPhase == Phase::Handshake)
      more = HandshakeStep();
    else if (FPhase == Phase::Open)
      more = ReadRecord();
    else
      return;
    if (!*alive) return;
  }
}

// The length of the whole records at the front of what is held (only the
// first with FirstOnly), checking every header that has arrived. Problem
// says why the header after them is no TLS; the records before a bad one
// are still used, so that the session does the same whatever the packets.
size_t TTlsSession::WholeRecords(bool firstOnly, std::string& problem) const {
  size_t at = FAt;
  while (at < FIn.size()) {
    const auto type = static_cast<unsigned char>(FIn[at]);
    if (type < kFirstRecordType || type > kLastRecordType) {
      problem = rtl::Format("%s does not answer in TLS: a record cannot begin with 0x%02X", FHost.c_str(), type);
      break;
    }
    if (FIn.size() - at >= 2 && static_cast<unsigned char>(FIn[at + 1]) != kVersionMajor) {
      problem = rtl::Format("%s does not answer in TLS: a record cannot carry version 0x%02X", FHost.c_str(),
                            static_cast<unsigned char>(FIn[at + 1]));
      break;
    }
    if (FIn.size() - at < kHeader) break;
    const size_t body =
        static_cast<size_t>(static_cast<unsigned char>(FIn[at + 3])) << 8 | static_cast<unsigned char>(FIn[at + 4]);
    if (body > kMaxRecord - kHeader) {
      problem = rtl::Format("%s does not answer in TLS: a record of %u bytes is longer than TLS allows", FHost.c_str(),
                            static_cast<unsigned>(body));
      break;
    }
    if (FIn.size() - at - kHeader < body) break;
    at += kHeader + body;
    if (firstOnly) break;
  }
  return at - FAt;
}

bool TTlsSession::Consume(size_t given, size_t extra) {
  if (extra > given) {
    Fail(TTlsError::HandshakeFailed, "The TLS engine reported more bytes from " + FHost + " left than it was given");
    return false;
  }
  FAt += given - extra;
  return true;
}

bool TTlsSession::HandshakeStep() {
  std::string problem;
  const size_t whole = WholeRecords(false, problem);
  // A step needs records the engine has not yet called incomplete, except
  // the first one (the client's hello) and the one right after a TLS 1.3
  // post-handshake message.
  if (!FStepNow && (whole == 0 || whole <= FTried)) {
    if (!problem.empty()) {
      Fail(TTlsError::NotTls, problem);
    } else if (Held() >= kMaxHandshake) {
      Fail(TTlsError::HandshakeTooLong,
           rtl::Format("The TLS handshake of %s exceeded %u bytes", FHost.c_str(), static_cast<unsigned>(kMaxHandshake)));
    }
    return false;
  }
  FStepNow = false;
  const TTlsResult r = FContext.Handshake(FIn.substr(FAt, whole));
  // Every token goes out, an alert after a failure too.
  if (!r.Output.empty() && !Emit(r.Output)) return false;
  if (FPhase != Phase::Handshake) return false;
  switch (r.Status) {
    case TTlsStatus::Incomplete:
      FTried = whole;
      return true;
    case TTlsStatus::Continue:
    case TTlsStatus::Ok:
      if (!Consume(whole, r.Extra)) return false;
      // Nothing used: wait for more rather than ask again.
      FTried = whole == r.Extra ? whole : 0;
      if (r.Status == TTlsStatus::Continue) return true;
      FTried = 0;
      FPhase = Phase::Open;
      if (FChecked) return true;
      if (OnCheckPeer) {
        // Records that come meanwhile wait (within Room) for the verdict.
        FPhase = Phase::Checking;
        OnCheckPeer();
        return false;
      }
      return Establish(FContext.CheckPeer());
    default:
      Fail(TTlsError::HandshakeFailed, "The TLS handshake with " + FHost + " failed (" + Hex(r.Code) + ")");
      return false;
  }
}

bool TTlsSession::Establish(const std::string& problem) {
  if (!problem.empty()) {
    Fail(TTlsError::Untrusted, problem);
    return false;
  }
  FPhase = Phase::Open;
  FChecked = true;
  if (OnEstablished) {
    const std::shared_ptr<bool> alive = FAlive;
    OnEstablished();
    if (!*alive) return false;
  }
  return true;
}

void TTlsSession::PeerChecked(const std::string& problem) {
  if (FPhase != Phase::Checking) return;
  const std::shared_ptr<bool> alive = FAlive;
  if (Establish(problem) && *alive) Process();
}

bool TTlsSession::ReadRecord() {
  std::string problem;
  const size_t first = WholeRecords(true, problem);
  if (first == 0) {
    if (!problem.empty()) Fail(TTlsError::NotTls, problem);
    return false;
  }
  const auto type = static_cast<unsigned char>(FIn[FAt]);
  TTlsResult r = FContext.Decrypt(&FIn[FAt], first);
  switch (r.Status) {
    case TTlsStatus::Ok:
      if (!Consume(first, r.Extra)) return false;
      if (!r.Output.empty()) {
        if (OnData) {
          const std::shared_ptr<bool> alive = FAlive;
          OnData(r.Output);
          if (!*alive) return false;
        }
        return true;
      }
      // An alert that reads as nothing is the close notice as some
      // engines give it; an empty data record is allowed and means nothing.
      if (type != kAlert) return true;
      [[fallthrough]];
    case TTlsStatus::Expired:
      FPhase = Phase::Ended;
      DropHeld();
      if (OnClosed) OnClosed(true);
      return false;
    case TTlsStatus::Renegotiate:
      // In TLS 1.3 this is a message after the handshake (a ticket, a key
      // update) that the engine takes in one more step. Before it, a new
      // handshake, which could bring another certificate: refused.
      if (!FContext.Tls13()) {
        Fail(TTlsError::Renegotiation, FHost + " asked for a new TLS handshake, which is refused");
        return false;
      }
      if (!Consume(first, r.Extra)) return false;
      FPhase = Phase::Handshake;
      FStepNow = true;
      FTried = 0;
      return true;
    default:
      Fail(TTlsError::DecryptFailed, "A TLS record from " + FHost + " could not be read (" + Hex(r.Code) + ")");
      return false;
  }
}

bool TTlsSession::Emit(const std::string& bytes) {
  if (!OnSend) return true;
  const std::shared_ptr<bool> alive = FAlive;
  OnSend(bytes);
  return *alive;
}

void TTlsSession::Fail(TTlsError error, const std::string& msg) {
  FPhase = Phase::Ended;
  DropHeld();
  if (OnError) OnError(error, msg);
}
