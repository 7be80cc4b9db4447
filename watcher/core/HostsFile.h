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

// The file with every line that names HostName replaced by HostLine, or
// HostLine appended when none did. Line ends of the forms CR LF, LF and CR
// all become CR LF; the result ends with a line end exactly when Content
// did, except that an empty file becomes HostLine and CR LF. Every other
// byte is kept.
std::string RewriteHosts(const std::string& content, const std::string& hostName, const std::string& hostLine);
