#pragma once
// The installer's command line, for people who roll it out to many
// machines: "/S" installs without a window or a question, "/D=FOLDER"
// names the target folder. "/D=" comes last and takes the rest of the line,
// blanks included and without quotation marks, as installers of that habit
// do. A plain start has no options and behaves as it always did.

#include <optional>
#include <string>

// What an installer run ends with, as its exit code.
enum class SetupExitCode : int {
  Installed = 0,
  Cancelled = 1,     // the user left without installing
  Damaged = 2,       // a damaged container or setup list, or wrong options
  CannotWrite = 3,   // the target folder or a file could not be written
};

// What ends a start-up or an install early: the message (in the user's
// language where the installer words it) and the exit code it stands for.
struct SetupFault {
  SetupExitCode Code = SetupExitCode::Damaged;
  std::string Text;
};

struct SetupCommandLine {
  bool Silent = false;
  std::optional<std::string> Folder;  // as given after "/D=", verbatim
  // Why the options are wrong, in English and German; empty when they are
  // fine.
  std::string ErrorEnglish, ErrorGerman;
};

// The arguments of a full command line: what follows the program's name
// (quoted, or up to the first blank or tab) and the blanks after it.
std::string ArgumentsOf(const std::string& CommandLine);

// Options in Arguments, which may be empty. Options are separated by blanks
// or tabs; "/S" and "/D=" in either case. "/D=" quoted as a whole, up to
// the end of the line, is taken as well.
SetupCommandLine ParseSetupCommandLine(const std::string& Arguments);

// True when Folder, given by "/D=", names the locked folder Locked: the
// same text apart from the case of ASCII letters, doubled backslashes and
// a trailing backslash.
bool SameFolder(const std::string& Folder, const std::string& Locked);
