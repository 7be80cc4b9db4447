#pragma once
// Writing one installed file: in bounded blocks, under a scratch name in the
// target folder, renamed to its own name only when complete, so that a
// failure (a full disk) never leaves a truncated file under the final name.

#include <string>

#include "rtl/core/Streams.h"

// The scratch name of the Attempt-th try (from 0) to write the file Name:
// never longer than Name, so that it fits wherever the final name fits, and
// never Name itself in any case. Distinct attempts below ScratchAttempts
// give distinct names.
std::string ScratchName(const std::string& Name, unsigned Attempt);
constexpr unsigned ScratchAttempts = 36;

// Copies all of Source (from its start) to Folder + Name, replacing an
// existing file. A file that cannot be written completely raises
// rtl::EFCreateError "Datei "<Folder+Name>" kann nicht erstellt werden. <reason>"
// and leaves neither the scratch file nor a new file behind.
void InstallResourceFile(rtl::TStream& Source, const std::string& Folder, const std::string& Name);

// The text the runtime library gives an input/output error code.
std::string InOutErrorText(int Code);
