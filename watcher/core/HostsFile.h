#pragma once
// The hosts file's one line for the watched machine: the line itself, which
// host names may go into it, and the rewrite of the whole file.

#include <string>

// Refused: empty, or holding a blank, '#', a control character (tab, CR
// and LF among them) or DEL. Any of these would split the host line or add
// lines of its own to the hosts file.
bool IsAcceptableHostName(const std::string& hostName);

// Address, tab, host name, tab, "# " and the comment.
std::string HostLine(const std::string& address, const std::string& hostName, const std::string& comment);

// True when one of the line's name fields (the words after the address,
// before any '#') is HostName, comparing a to z without regard to case.
bool LineNamesHost(const std::string& line, const std::string& hostName);

// The line without HostName among its name fields: each such field goes
// with the blanks that part it from the next name (or, for the last name,
// from the one before). Every other byte stays as it was.
std::string LineWithoutHost(const std::string& line, const std::string& hostName);

// True when the line has a name field at all.
bool LineHasNames(const std::string& line);

// The file with HostName on exactly one line, HostLine, which stands where
// the first line that named HostName stood (or at the end when none did).
// A line that named it beside other names keeps them, its address and its
// comment, and follows the host line's place; a line that named it alone is
// dropped. Lines that do not name it are kept byte for byte. Line ends of
// the forms CR LF, LF and CR all become CR LF; the result ends with a line
// end exactly when Content did, except that an empty file becomes HostLine
// and CR LF, and that a dropped last line leaves the line before it with
// its line end.
std::string RewriteHosts(const std::string& content, const std::string& hostName, const std::string& hostLine);
