#include "net/core/HttpUrl.h"

#include "rtl/core/Paths.h"

namespace {

std::string UpToLastSlash(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "/" : path.substr(0, slash + 1);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const std::string p = prefix;
  return text.size() >= p.size() && rtl::SameText(text.substr(0, p.size()), p);
}

std::string Lower(std::string text) {
  for (auto& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// Host part, then path: the host part ends at the first "/" or at a "?"
// before it; user, password, host and port come out of the host part.
void SplitHostPart(const std::string& text, THttpUrlParts& parts) {
  const size_t end = text.find_first_of("/?");
  const std::string hostPart = text.substr(0, end);
  if (end != std::string::npos) parts.Path = text.substr(end);

  const size_t colon = hostPart.rfind(':');
  const size_t at = hostPart.rfind('@');
  if (colon == std::string::npos && at == std::string::npos) {
    parts.Host = hostPart;
    return;
  }
  if (colon != std::string::npos && (at == std::string::npos || colon > at)) {
    parts.Port = hostPart.substr(colon + 1);
    const size_t hostStart = at == std::string::npos ? 0 : at + 1;
    parts.Host = hostPart.substr(hostStart, colon - hostStart);
  } else {
    parts.Host = hostPart.substr(at + 1);
  }
  if (at != std::string::npos) {
    const std::string userInfo = hostPart.substr(0, at);
    const size_t split = userInfo.find(':');
    parts.User = userInfo.substr(0, split);
    if (split != std::string::npos) parts.Password = userInfo.substr(split + 1);
  }
}

}  // namespace

THttpUrlParts ParseURL(const std::string& Url, const std::string& CurrentPath) {
  THttpUrlParts parts;
  if (Url.compare(0, 2, "./") == 0) {
    parts.Path = UpToLastSlash(CurrentPath) + Url.substr(2);
    return parts;
  }
  if (Url.compare(0, 3, "../") == 0) {
    std::string base = UpToLastSlash(CurrentPath);
    std::string rest = Url;
    while (rest.compare(0, 3, "../") == 0) {
      // Drop the last directory of the base: "/a/b/" becomes "/a/".
      if (base.size() > 1) {
        const size_t slash = base.rfind('/', base.size() - 2);
        base = slash == std::string::npos ? "/" : base.substr(0, slash + 1);
      }
      rest = rest.substr(3);
    }
    parts.Path = base + rest;
    return parts;
  }

  const size_t mark = Url.find("://");
  if (mark != std::string::npos) {
    bool plain = true;
    for (size_t i = 0; i < mark; ++i) plain = plain && IsSchemeChar(Url[i]);
    if (plain) {
      parts.Scheme = Url.substr(0, mark);
      SplitHostPart(Url.substr(mark + 3), parts);
      return parts;
    }
    parts.Scheme = "http";
  }

  if (!Url.empty() && Url[0] == '/' && (Url.size() < 2 || Url[1] != '/') && Url.size() > 1) {
    parts.Scheme = "http";
    parts.Path = Url;
  } else if (Url == "/" || Url.compare(0, 2, "//") == 0) {
    parts.Scheme = "http";
    SplitHostPart(Url.substr(1), parts);
  } else if (StartsWithNoCase(Url, "http:")) {
    parts.Scheme = "http";
    if (Url.size() > 6 && Url[6] != '/')
      parts.Path = Url.substr(5);
    else
      SplitHostPart(Url.size() > 7 ? Url.substr(7) : std::string(), parts);
  } else if (StartsWithNoCase(Url, "mailto:")) {
    parts.Scheme = "mailto";
    SplitHostPart(Url.substr(Url.find(':') + 1), parts);
  } else {
    SplitHostPart(Url, parts);
  }
  return parts;
}

bool IsHttpsUrl(const std::string& Url) { return StartsWithNoCase(Url, "https://"); }

std::string HttpsSchemeLowered(const std::string& Url) {
  return IsHttpsUrl(Url) ? "https://" + Url.substr(8) : Url;
}

std::string HttpOrigin(const std::string& Scheme, const std::string& Host, const std::string& Port) {
  const std::string scheme = Scheme.empty() ? "http" : Lower(Scheme);
  std::string port = Port;
  if (port.empty()) port = scheme == "https" ? "443" : scheme == "http" ? "80" : "";
  return scheme + "://" + Lower(Host) + ":" + port;
}

std::string DocumentNameOf(const std::string& Path) {
  const std::string path = Path.substr(0, Path.find('?'));
  if (path.empty() || path.back() == '/') return "document.htm";
  const size_t slash = path.rfind('/');
  return path.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 255);
}

std::string HtmlDocumentName(const std::string& DocumentName, const std::string& ContentType) {
  if (ContentType != "text/html") return DocumentName;
  const size_t dot = DocumentName.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : rtl::UpperCase(DocumentName.substr(dot));
  if (dot == std::string::npos) return DocumentName + ".htm";
  if (extension == ".EXE") return DocumentName.substr(0, dot + 1) + "htm";
  return DocumentName;
}
