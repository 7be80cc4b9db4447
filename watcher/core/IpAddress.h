#pragma once
// Whether a text cut out of a page is an IPv4 address, and its canonical
// dotted-decimal form.

#include <string>

// Blanks, tabs, CR and LF around Text are dropped first. The rest splits at
// the first three dots into four parts (the fourth takes everything after
// the third dot); each converts with the runtime's integer rules. The first
// part must lie in 1..255, the others in 0..255. On success Dotted holds the
// four values written plainly ("$50.1.2.3" gives "80.1.2.3"), so nothing
// but digits and dots ever leaves here.
bool CanonicalAddress(const std::string& text, std::string& dotted);
