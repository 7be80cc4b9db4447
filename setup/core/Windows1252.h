#pragma once
// Texts in Windows-1252, the code page of the setup list and of the names in
// a container: the runtime reads them in its ANSI code page, which is 1252
// on the Western European and American systems the programs are made for.

#include <string>

struct Windows1252Text {
  std::string Text;     // the converted text, when Problem is empty
  std::string Problem;  // why Text cannot be written in Windows-1252
};

// UTF-8 text (as the builder receives its arguments) in Windows-1252.
Windows1252Text Windows1252FromUtf8(const std::string& Utf8);
