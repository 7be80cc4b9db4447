#pragma once
// Which resource names may become file names in the target folder. A name
// is a bare Windows file name: nothing that reaches another folder, another
// drive, a device or an alternate data stream.

#include <string>

// Empty when Name is safe to create in the target folder, else a short
// English reason.
std::string InstallNameProblem(const std::string& Name);
