#pragma once
// Reading the setup list, the one time the installer reads it. The list is
// read by the platform's INI reader, which reads files only; the copy it
// reads lives in the temporary folder, which every program of the user may
// write. The installer may run with more rights than those programs, so the
// copy has a name of this process's own, is created new (never opened where
// another program put a file first), is held against writing while it is
// read, and is deleted before this returns. Nothing is read from it later.

#include <string>

#include "rtl/core/Streams.h"
#include "setup/core/CommandLine.h"
#include "setup/core/SetupList.h"

// Reads into List the values of the list whose bytes Entry holds, through a
// copy in Folder (which ends with a backslash). False, with Fault, when the
// list cannot be read, the copy cannot be made (CannotWrite), or it was
// changed before it was read.
bool ReadSetupList(rtl::TStream& Entry, const std::string& Folder, SetupListValues& List, SetupFault& Fault);
