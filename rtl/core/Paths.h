#pragma once
// File name helpers. Windows names use backslashes; the native build of the
// portable code uses the host's slash, so that its tests touch real files.

#include <string>

namespace rtl {

#if defined(_WIN32)
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// Surrounding blanks and control characters removed, as the UI library trims.
std::string Trim(const std::string& text);

// Text with a trailing PathDelim; empty text becomes a lone PathDelim.
std::string IncludeTrailingPathDelimiter(const std::string& path);

// Everything up to and including the last separator (backslash, slash or
// drive colon); empty when there is none.
std::string ExtractFilePath(const std::string& fileName);
// Everything after the last separator.
std::string ExtractFileName(const std::string& fileName);

// ASCII case-insensitive comparison, as the system compares file names.
bool SameText(const std::string& a, const std::string& b);
std::string UpperCase(const std::string& text);

}  // namespace rtl
