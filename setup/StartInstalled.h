#pragma once
// Starting the program an install wrote and opening the readme. The
// installer asks for the highest rights its user has, and then runs with
// more rights than the user's ordinary programs, which can write the
// temporary folder, the target folder when it lies in the user's own files,
// and the user's file-type settings. So nothing they can change may choose
// what the installer starts: the program is started only as the very bytes
// the installer wrote, and with those rights the shell is not asked (it
// would start whatever program the user's settings name for a file type).

#include <windows.h>

#include <string>

#include "rtl/core/Streams.h"

// True when this process runs with more rights than the user's ordinary
// programs: elevated, with a limited token beside it.
bool HasMoreRightsThanUsersPrograms();

// Opens the readme: with the shell's "open", or with more rights, in the
// system's own Notepad. False when that failed, with the system's reason
// in Reason where there is one.
bool OpenReadme(const std::string& FileName, std::string& Reason);

enum class StartOutcome { Started, Changed, NotAProgram, Failed };

// Starts Folder + Name, which must hold exactly the bytes of Installed (the
// container's entry). It is held open from the comparison until it has been
// started, so that no other program can change it in between. With the
// target folder as working folder; through the shell's "open", or with
// more rights directly, and then only a program (".exe"). Failed carries
// the reason in Reason.
StartOutcome StartInstalled(HWND Owner, const std::string& Folder, const std::string& Name, rtl::TStream& Installed,
                            std::string& Reason);
