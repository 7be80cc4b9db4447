#pragma once
// The check of a server's certificate after the TLS handshake: the chain is
// built by crypt32 up to the system's roots and tested with the SSL policy
// for the server's name. Schannel is told not to check it itself, so that
// this check is the one that counts on every system (Wine's Schannel checks
// nothing at all).

#include "net/SecurityLib.h"

#include <string>

// Empty when Certificate is trusted for Host; else a sentence that names
// the host and says which check failed, with the system's code.
std::string CertificateProblem(PCCERT_CONTEXT certificate, const std::string& host);
