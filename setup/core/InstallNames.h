#pragma once
// Which resource names may become file names in the target folder. A name
// is a bare Windows file name: nothing that reaches another folder, another
// drive, a device or an alternate data stream.

#include <string>

// Why a name is refused, in both languages of the programs; both empty when
// the name is safe to create in the target folder.
struct InstallNameFault {
  std::string English, German;
  bool Refused() const { return !English.empty(); }
};

InstallNameFault InstallNameCheck(const std::string& Name);

// The English reason alone (the builder's messages), empty when safe.
std::string InstallNameProblem(const std::string& Name);
