#pragma once
// The publishing of a changed address: the host line in the Windows hosts
// file, and the text file with the address alone. It keeps no state; the
// watch cycle hands it each address once, when it differs from the one
// published last.

#include <functional>
#include <string>

#include "watcher/core/IpAddress.h"
#include "watcher/core/WatchSettings.h"

// Writes Address where Settings say, the hosts file first. The steps stand
// apart: a hosts file closed to the user must not keep the address from the
// text file. Failed is called inside the handler of each step's error.
void UpdateIP(const TAddress& address, const TPublishSettings& settings, const std::function<void()>& failed);

// Replaces every line that names HostName, or appends one, with the host
// line of Address; only a dotted address goes there, and only an acceptable
// host name. A missing hosts file is left alone.
void UpdateHostsFile(const TAddress& address, const std::string& hostName);
