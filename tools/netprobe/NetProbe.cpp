// netprobe: checks network settings with the program's own components.
//   netprobe get URL [--proxy HOST[:PORT]] [--socks HOST:PORT [--socks-level 4|4A|5]
//                    [--socks-user U --socks-password P]] [--timeout S] [--max-body BYTES] [-o FILE] [-v]
// URL may be http:// or https://; -v also prints the TLS protocol and cipher.
//   netprobe ping HOST [--timeout MS] [--size N] [--ttl N]
//   netprobe lookup NAME
// Exit code 0 on success, 1 with a one-line message on failure, 2 on bad
// arguments.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

#include "net/HttpCli.h"
#include "net/LineWSocket.h"
#include "net/Ping.h"
#include "net/core/SocketText.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/Application.h"

namespace {

const char kUsage[] =
    "usage: netprobe get URL [--proxy HOST[:PORT]] [--socks HOST:PORT [--socks-level 4|4A|5]\n"
    "                        [--socks-user U --socks-password P]] [--timeout S] [--max-body BYTES] [-o FILE] [-v]\n"
    "       netprobe ping HOST [--timeout MS] [--size N] [--ttl N]\n"
    "       netprobe lookup NAME\n";

struct Usage {
  std::string message;
};

// The body goes to standard output as it arrives.
class TStdoutStream : public rtl::TStream {
public:
  std::int32_t Read(void*, std::int32_t) override { return 0; }
  std::int32_t Write(const void* buffer, std::int32_t count) override {
    return static_cast<std::int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), stdout));
  }
  std::int64_t Seek(std::int64_t, rtl::SeekOrigin) override { return 0; }
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};

// Known: the options that take a value; Flags: those that stand alone (their
// value reads "1").
Arguments Parse(int argc, char** argv, const std::vector<std::string>& known,
                const std::vector<std::string>& flags = {}) {
  Arguments a;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() > 1 && arg[0] == '-') {
      bool ok = false, flag = false;
      for (const auto& k : known) ok = ok || k == arg;
      for (const auto& f : flags) flag = flag || f == arg;
      if (flag) {
        a.options[arg] = "1";
        continue;
      }
      if (!ok) throw Usage{"unknown option " + arg};
      if (i + 1 >= argc) throw Usage{arg + " needs a value"};
      a.options[arg] = argv[++i];
    } else {
      a.positional.push_back(arg);
    }
  }
  return a;
}

int Number(const std::string& text, const char* what) {
  try {
    size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size()) throw std::invalid_argument(text);
    return value;
  } catch (const std::exception&) {
    throw Usage{std::string(what) + " is not a number: " + text};
  }
}

int Get(const Arguments& a) {
  if (a.positional.size() != 1) throw Usage{"get needs one URL"};
  THttpCli http(nullptr);
  http.URL = a.positional[0];
  http.Agent = "netprobe";
  if (a.options.count("--proxy")) {
    const std::string proxy = a.options.at("--proxy");
    http.Proxy = "http://" + proxy;
  }
  if (a.options.count("--socks")) {
    const std::string socks = a.options.at("--socks");
    const size_t colon = socks.rfind(':');
    if (colon == std::string::npos) throw Usage{"--socks needs HOST:PORT"};
    http.SocksServer = socks.substr(0, colon);
    http.SocksPort = socks.substr(colon + 1);
    if (a.options.count("--socks-level")) http.SocksLevel = a.options.at("--socks-level");
    if (a.options.count("--socks-user")) {
      http.SocksUsercode = a.options.at("--socks-user");
      http.SocksPassword = a.options.count("--socks-password") ? a.options.at("--socks-password") : "";
      http.SocksAuthentication = socksAuthenticateUsercode;
    }
  }
  if (a.options.count("--timeout")) http.Timeout = Number(a.options.at("--timeout"), "--timeout") * 1000;
  if (a.options.count("--max-body")) http.BodyLimit = Number(a.options.at("--max-body"), "--max-body");
  std::unique_ptr<rtl::TStream> out;
  if (a.options.count("-o")) {
    out = std::make_unique<rtl::TFileStream>(a.options.at("-o"), rtl::FileStreamMode::Create);
  } else {
    _setmode(_fileno(stdout), _O_BINARY);
    out = std::make_unique<TStdoutStream>();
  }
  http.ReceiveStream = out.get();
  http.OnHeaderEnd = [](THttpCli& h) {
    for (const auto& line : h.HeaderLines()) std::fprintf(stderr, "%s\n", line.c_str());
  };
  // --times: the CPU and wall time of the request itself, for benchmarks.
  const bool times = a.options.count("--times") && a.options.at("--times") == "1";
  FILETIME created, exited, kernel0, user0, kernel1, user1;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel0, &user0);
  const DWORD start = ::GetTickCount();
  int status = 0;
  try {
    http.Get();
  } catch (const EHttpException& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "netprobe: %d %s\n", e.ErrorCode, e.what());
    status = 1;
  }
  std::fflush(stdout);
  if (a.options.count("-v") && !http.Socket().TlsDescription().empty())
    std::fprintf(stderr, "TLS: %s\n", http.Socket().TlsDescription().c_str());
  if (times) {
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel1, &user1);
    auto ms = [](const FILETIME& a, const FILETIME& b) {
      const auto v = [](const FILETIME& f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
      return static_cast<double>(v(b) - v(a)) / 10000.0;
    };
    std::fprintf(stderr, "times: cpu %.1f ms, wall %lu ms\n", ms(user0, user1) + ms(kernel0, kernel1),
                 static_cast<unsigned long>(::GetTickCount() - start));
  }
  return status;
}

int Ping(const Arguments& a) {
  if (a.positional.size() != 1) throw Usage{"ping needs one HOST"};
  TPing ping(nullptr);
  ping.SetAddress(a.positional[0]);
  ping.SetTimeout(a.options.count("--timeout") ? Number(a.options.at("--timeout"), "--timeout") : 2000);
  if (a.options.count("--size")) ping.SetSize(Number(a.options.at("--size"), "--size"));
  if (a.options.count("--ttl")) ping.SetTTL(Number(a.options.at("--ttl"), "--ttl"));
  std::string shown;
  ping.OnDisplay = [&](TPing&, TICMP&, const std::string& msg) { shown += (shown.empty() ? "" : "; ") + msg; };
  const int replies = ping.Ping();
  std::printf("replies %d\nHostName %s\nHostIP %s\n", replies, ping.HostName().c_str(), ping.HostIP().c_str());
  if (replies < 1) {
    std::fprintf(stderr, "netprobe: no reply from %s%s%s (error %lu)\n", a.positional[0].c_str(),
                 shown.empty() ? "" : ": ", shown.c_str(), static_cast<unsigned long>(ping.Icmp().LastError()));
    return 1;
  }
  return 0;
}

int Lookup(const Arguments& a) {
  if (a.positional.size() != 1) throw Usage{"lookup needs one NAME"};
  TWSocket socket(nullptr);
  int result = -1;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, std::uint16_t error) { result = error; };
  socket.DnsLookup(a.positional[0]);
  rtl::WaitForMessages([&] { return result >= 0; }, 30000, rtl::TWake::OnMessages);
  if (result < 0) {
    std::fprintf(stderr, "netprobe: the lookup did not end within 30 s\n");
    return 1;
  }
  if (result != 0) {
    std::printf("error %d %s\n", result, SocketErrorText(result).c_str());
    return 1;
  }
  std::printf("%s\n", socket.DnsResult().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A console tool: what would be an error box goes to standard error.
  rtl::Application().OnException = [](const std::string& text) { std::fprintf(stderr, "netprobe: %s\n", text.c_str()); };
  try {
    if (argc < 2) throw Usage{""};
    const std::string command = argv[1];
    if (command == "get")
      return Get(Parse(argc, argv, {"--proxy", "--socks", "--socks-level", "--socks-user", "--socks-password",
                                     "--timeout", "--max-body", "-o", "--times"},
                                 {"-v"}));
    if (command == "ping") return Ping(Parse(argc, argv, {"--timeout", "--size", "--ttl"}));
    if (command == "lookup") return Lookup(Parse(argc, argv, {}));
    throw Usage{"unknown command " + command};
  } catch (const Usage& u) {
    if (!u.message.empty()) std::fprintf(stderr, "netprobe: %s\n", u.message.c_str());
    std::fputs(kUsage, stderr);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "netprobe: %s\n", e.what());
    return 1;
  }
}
