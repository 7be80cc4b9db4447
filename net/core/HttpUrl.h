#pragma once
// Splitting addresses the way the HTTP client reads them, and the document
// name of a path.

#include <string>

struct THttpUrlParts {
  std::string Scheme, User, Password, Host, Port, Path;
};

// Splits Url; CurrentPath is the path of the previous request, against
// which "./" and "../" addresses are taken.
THttpUrlParts ParseURL(const std::string& Url, const std::string& CurrentPath);

// Whether Url asks for TLS: it begins with "https://" in any case.
bool IsHttpsUrl(const std::string& Url);
// Url with an "https://" in any case at its start written in lower case,
// so that ParseURL takes it as the scheme.
std::string HttpsSchemeLowered(const std::string& Url);

// Where an address leads, in one form for comparing: "scheme://host:port"
// with scheme and host in lower case, "http" for no scheme, and the
// scheme's own port (80, 443) for none. Credentials belong to one origin.
std::string HttpOrigin(const std::string& Scheme, const std::string& Host, const std::string& Port);

// The file-style name of a path: query cut off; "document.htm" for an empty
// path or one ending in "/"; otherwise its last segment, at most 255
// characters.
std::string DocumentNameOf(const std::string& Path);

// A document served as "text/html" whose name has the extension ".exe" or
// none gets the extension "htm".
std::string HtmlDocumentName(const std::string& DocumentName, const std::string& ContentType);
