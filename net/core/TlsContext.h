#pragma once
// The calls a TLS session makes of the platform's TLS engine (one security
// context for one connection). The engine does the cryptography; the
// session around it (TlsSession.h) frames the records, keeps what arrived
// but was not yet used, and decides what each answer means. Tests play the
// engine with a double.

#include <cstddef>
#include <cstdint>
#include <string>

enum class TTlsStatus {
  Ok,           // done: the handshake is complete, or a record was read
  Continue,     // the handshake goes on: send Output, wait for the answer
  Incomplete,   // the input ends inside a message: more bytes are needed
  Renegotiate,  // the record asks for another handshake (or, in TLS 1.3, carries a post-handshake message)
  Expired,      // the record was the server's close notice
  Failed
};

struct TTlsResult {
  TTlsStatus Status = TTlsStatus::Failed;
  // What the call produced: a token to send (handshake, close notice), the
  // plain text of a record, or an encrypted record.
  std::string Output;
  // How many bytes at the end of the input the call did not use; they are
  // the start of the next message.
  size_t Extra = 0;
  // The engine's own status, for error texts.
  std::uint32_t Code = 0;
};

class TTlsContext {
public:
  virtual ~TTlsContext() = default;
  // One handshake step over Input: the bytes of whole records received
  // since the last step (nothing for the first step, which makes the
  // client's hello). Output is sent whatever the status, an alert on a
  // failure included.
  virtual TTlsResult Handshake(const std::string& input) = 0;
  // After a complete handshake: empty when the server's certificate is
  // trusted for the host, else the reason as a sentence naming the host.
  virtual std::string CheckPeer() = 0;
  // Reads one record (Data may be changed in place).
  virtual TTlsResult Decrypt(char* data, size_t length) = 0;
  // The most plain text one record may carry.
  virtual size_t MaxPlainPiece() = 0;
  // Encrypts Plain (at most MaxPlainPiece bytes) into one record.
  virtual TTlsResult Encrypt(const std::string& plain) = 0;
  // The client's close notice to send.
  virtual TTlsResult CloseNotify() = 0;
  // The protocol version and cipher of the connection for a person to
  // read ("TLS 1.2, AES 256-bit, ..."), after the handshake.
  virtual std::string Description() { return std::string(); }
  // Whether the connection runs TLS 1.3, where messages after the
  // handshake (tickets, key updates) are normal and no renegotiation.
  virtual bool Tls13() = 0;
};
