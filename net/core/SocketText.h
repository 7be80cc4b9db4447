#pragma once
// Texts of the socket layer: dotted addresses, leading numbers and the
// English texts of the Windows Sockets error numbers.

#include <string>

// Four decimal groups of at most 255 joined by three dots; blanks may lead
// and trail. "1.2.3.4" and " 1.2.3.4 " are dotted; "1.2.3", "1..2.3",
// "1.2.3." and "1.2.3.256" are not.
bool IsDottedAddress(const std::string& Text);

// Leading blanks skipped, then the decimal digits up to the first other
// character; 0 without digits. Values past the int range stay at its top.
int LeadingNumber(const std::string& Text);

// "Connection timed out" for 10060; "Not a WinSock error" for numbers that
// are none.
std::string SocketErrorText(int ErrCode);
