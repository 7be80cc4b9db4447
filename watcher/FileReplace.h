#pragma once
// Writing a whole file so that nobody sees half of it: the hosts file and
// the address text file.

#include <string>

// Puts Content in Path's place. The new file is written beside Path and put
// over it by the platform's replacement, which keeps Path's attributes and
// security (or renamed over it where there is no such replacement, or no
// Path yet), so Path is always either the old file or the new one.
//
// Where the folder refuses a new file, Path itself is written: first made
// long enough, so that a full disk fails before a byte changes, then the
// whole content, then cut to its length. A write that fails in between
// says that the file is left incomplete.
//
// Raises the file layer's errors, naming Path and the reason.
void ReplaceFileContent(const std::string& path, const std::string& content);
