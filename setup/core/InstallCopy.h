#pragma once
// Writing one installed file: in bounded blocks, under a scratch name in the
// target folder, renamed to its own name only when complete, so that a
// failure (a full disk) never leaves a truncated file under the final name.

#include <string>

#include "rtl/core/FileLayer.h"
#include "rtl/core/Streams.h"

// The scratch name of the Attempt-th try (from 0) to write the file Name:
// "~", zeros and one base-36 digit, as long as Name (two to eight
// characters), so that it fits wherever the final name fits (a name of one
// character excepted). Distinct attempts below ScratchAttempts give
// distinct names. A name taken by anything, a folder too, is stepped over.
std::string ScratchName(const std::string& Name, unsigned Attempt);
constexpr unsigned ScratchAttempts = 36;

// Deletes the files in Folder that bear a scratch name, the leftovers of an
// install that was ended midway. Folders of such names, and files that
// another install has open, stay.
void SweepScratchFiles(const std::string& Folder);

// True when File holds exactly the bytes of Source (from its start).
bool FileHoldsStream(rtl::NativeFile File, rtl::TStream& Source);

// How the copy of one file ended, and the message when it failed.
struct CopyOutcome {
  enum class Fault { None, Read, Write };
  Fault Kind = Fault::None;
  std::string Text;
  bool Ok() const { return Kind == Fault::None; }
};

// Copies all of Source (from its start) to Folder + Name, replacing an
// existing file. A file that cannot be written completely fails with
// "Datei "<Folder+Name>" kann nicht erstellt werden. <reason>", a source that
// gives fewer bytes than its size with "Stream-Lesefehler"; either leaves
// neither the scratch file nor a new file behind.
CopyOutcome InstallResourceFile(rtl::TStream& Source, const std::string& Folder, const std::string& Name);


// The text the runtime library gives an input/output error code.
std::string InOutErrorText(int Code);
