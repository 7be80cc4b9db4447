#pragma once
// The HTTP client's own failure numbers. They reach the program as the Error
// of OnRequestDone (DoneError) and as EHttpException::ErrorCode of a refused
// start; the socket's failures (10004 to 11004) and the SOCKS handshake's
// (20001 to 20017) keep their own numbers there. An HTTP status code is
// another kind of number: StatusCode and the synchronous call's ErrorCode
// carry it, and a local failure shows there as status 404.

#include <cstdint>

enum class THttpError : std::uint16_t {
  Busy = 1,
  NothingToPost = 2,
  LineTooLong = 4,
  HeaderTooLarge = 5,
  BodyLimit = 6,
  Timeout = 7,
  NoReply = 8,
  HeaderCut = 9,
  NoStatusLine = 10,
  Data = 11,
  Quit = 12,
  NotConnected = 13,
  Redirections = 14,
  Aborted = 15,
  // A value of the request holds CR, LF or NUL (raised by StartRequest, or
  // the request's end when a handler put it there).
  FieldRefused = 16,
  // A redirection whose Location holds a control character.
  BadLocation = 17,
  // An https request: the TLS handshake failed, the server spoke no TLS or
  // closed during it, or the data could not be read.
  Tls = 18,
  // The server's certificate is not trusted for its name (untrusted,
  // another name, expired, revoked).
  Certificate = 19,
  // A redirection from https to http, which would drop the protection.
  Downgrade = 20,
  // The HTTP proxy refused the tunnel for an https request, or its answer
  // was no HTTP.
  Tunnel = 21,
};

// The number as the program sees it.
constexpr std::uint16_t ErrorNumber(THttpError error) { return static_cast<std::uint16_t>(error); }
