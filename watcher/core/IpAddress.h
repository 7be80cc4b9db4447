#pragma once
// Whether a text is an IPv4 address, and its canonical dotted-decimal form.

#include <string>

// Blanks, tabs, CR and LF around Text are dropped first. The rest splits at
// the first three dots into four parts (the fourth takes everything after
// the third dot); each converts with the runtime's integer rules. The first
// part must lie in 1..255, the others in 0..255. On success Dotted holds the
// four values written plainly ("$50.1.2.3" gives "80.1.2.3"), so nothing
// but digits and dots ever leaves here.
bool CanonicalAddress(const std::string& text, std::string& dotted);

// An address as a cycle found it, checked once where it came in: Text is
// shown and goes into the text file; Dotted is its canonical form, the only
// one the hosts file takes, and empty when Text is no address (a host name
// that an error outcome took over from the intranet field).
struct TAddress {
  std::string Text;
  std::string Dotted;
};

TAddress ReadAddress(const std::string& text);
