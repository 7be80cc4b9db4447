// traywatch: runs the watcher with this program as the shell's tray window
// and reports, one line per event, what the shell receives and what the
// watcher writes to "Location", with the seconds since its start. It can
// measure the watcher from outside (handles, memory, processor time) after
// its outcomes, and it ends the watcher as the title bar's close button
// would. The main job, the soak test and the benchmark read its lines.

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rtl/win32/Registry.h"
#include "tools/driver/TrayRecorder.h"
#include "tools/driver/WatcherProcess.h"
#include "watcher/SettingsKeys.h"
#include "watcher/WatcherControlIds.h"

namespace {

const char kUsage[] =
    "usage: traywatch WATCHER.EXE [--known] [--outcomes N] [--stop-file FILE]\n"
    "                 [--timeout SECONDS] [--sample-every N]\n"
    "  --known         write the program's version first, so that it starts in the tray\n"
    "  --outcomes N    end the watcher after N outcomes in the tray\n"
    "  --stop-file F   end the watcher once the file F exists\n"
    "  --timeout S     end it after S seconds in any case (default 120); exit code 1\n"
    "  --sample-every N  measure the watcher after every N-th outcome and at the end\n";

struct Options {
  std::string Exe;
  bool Known = false;
  unsigned long Outcomes = 0;
  std::string StopFile;
  unsigned long TimeoutSeconds = 120;
  unsigned long SampleEvery = 0;
};

bool ParseCount(const char* text, unsigned long& value) {
  char* end = nullptr;
  value = std::strtoul(text, &end, 10);
  return *text >= '0' && *text <= '9' && *end == '\0' && value <= 1000000;
}

bool Parse(int argc, char** argv, Options& options) {
  if (argc < 2) return false;
  options.Exe = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string name = argv[i];
    const bool hasValue = i + 1 < argc;
    if (name == "--known") {
      options.Known = true;
    } else if (name == "--outcomes" && hasValue) {
      if (!ParseCount(argv[++i], options.Outcomes)) return false;
    } else if (name == "--stop-file" && hasValue) {
      options.StopFile = argv[++i];
    } else if (name == "--timeout" && hasValue) {
      if (!ParseCount(argv[++i], options.TimeoutSeconds) || options.TimeoutSeconds == 0) return false;
    } else if (name == "--sample-every" && hasValue) {
      if (!ParseCount(argv[++i], options.SampleEvery)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// The program's file version as the watcher itself reports it.
std::string FileVersion(const std::string& exe) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  if (size == 0) return "";
  std::vector<char> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::GetFileVersionInfoA(exe.c_str(), 0, size, block.data()) ||
      !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
    return "";
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

std::string ReadLocation() {
  rtl::TRegistry reg(KEY_READ);
  if (!reg.OpenKeyReadOnly(kSettingsKey) || !reg.ValueExists("Location")) return "(none)";
  try {
    return reg.ReadString("Location");
  } catch (const rtl::ERegistryException& e) {
    return std::string("(") + e.what() + ")";
  }
}

const char* CommandName(DWORD command) {
  switch (command) {
    case NIM_ADD: return "tray-add";
    case NIM_MODIFY: return "tray-modify";
    case NIM_DELETE: return "tray-delete";
    default: return "tray-other";
  }
}

class Report {
public:
  Report() {
    ::QueryPerformanceFrequency(&FFrequency);
    ::QueryPerformanceCounter(&FStart);
  }
  double Seconds() const {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - FStart.QuadPart) / static_cast<double>(FFrequency.QuadPart);
  }
  // Each line goes out at once: the job scripts read it while we run.
  void Line(const std::string& event, const std::string& text) const {
    std::printf("%.3f %s %s\n", Seconds(), event.c_str(), text.c_str());
    std::fflush(stdout);
  }

private:
  LARGE_INTEGER FFrequency{}, FStart{};
};

bool Sample(const Report& report, const WatcherProcess& watcher, size_t outcomes) {
  ProcessUsage usage;
  if (!MeasureProcess(watcher.Handle(), usage)) {
    report.Line("sample", "refused (error " + std::to_string(::GetLastError()) + ")");
    return false;
  }
  char text[200];
  std::snprintf(text, sizeof text, "outcomes=%u handles=%lu private-kib=%lu working-set-kib=%lu peak-working-set-kib=%lu cpu-ms=%.1f",
                static_cast<unsigned>(outcomes), static_cast<unsigned long>(usage.Handles),
                static_cast<unsigned long>(usage.PrivateBytes / 1024),
                static_cast<unsigned long>(usage.WorkingSet / 1024), static_cast<unsigned long>(usage.PeakWorkingSet / 1024),
                usage.CpuSeconds * 1000);
  report.Line("sample", text);
  return true;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int Run(const Options& options) {
  if (options.Known) {
    const std::string version = FileVersion(options.Exe);
    if (version.empty()) {
      std::fprintf(stderr, "traywatch: %s has no version resource\n", options.Exe.c_str());
      return 1;
    }
    rtl::TRegistry reg;
    if (!reg.OpenKey(kSettingsKey, true)) {
      std::fprintf(stderr, "traywatch: cannot open the watcher's settings key\n");
      return 1;
    }
    reg.WriteString("Version", version);
  }

  TrayRecorder tray;
  const Report report;
  WatcherProcess watcher(options.Exe);
  report.Line("start", "pid=" + std::to_string(watcher.Id()));

  size_t shown = 0, outcomes = 0;
  std::string location = ReadLocation();
  report.Line("location", location);
  bool sampled = true;
  const DWORD limit = options.TimeoutSeconds * 1000;
  const DWORD started = ::GetTickCount();
  bool done = false;
  // One pass per 20 ms at most: records and "Location" are reported in
  // the order they came, within one pass of their arrival.
  PumpUntil(
      [&] {
        const auto& records = tray.Records();
        for (; shown < records.size(); ++shown) {
          report.Line(CommandName(records[shown].Command), records[shown].Tip);
          if (records[shown].Command != NIM_MODIFY) continue;
          ++outcomes;
          if (options.SampleEvery && outcomes % options.SampleEvery == 0) sampled &= Sample(report, watcher, outcomes);
        }
        const std::string now = ReadLocation();
        if (now != location) report.Line("location", location = now);
        done = (options.Outcomes && outcomes >= options.Outcomes) ||
               (!options.StopFile.empty() && FileExists(options.StopFile));
        return done || !watcher.Running();
      },
      limit);

  bool ok = done && sampled;
  if (!watcher.Running()) {
    report.Line("gone", "exit-code=" + std::to_string(watcher.ExitCode()));
    return 1;
  }
  if (!done) report.Line("timeout", std::to_string(::GetTickCount() - started) + " ms");
  if (options.SampleEvery) ok &= Sample(report, watcher, outcomes);

  // The close button ends it without a question; it takes its icon along.
  if (HWND settings = watcher.Find(kSettingsFormClass)) ::PostMessageA(settings, WM_SYSCOMMAND, SC_CLOSE, 0);
  const bool ended = watcher.WaitForExit(10000);
  for (; shown < tray.Records().size(); ++shown)
    report.Line(CommandName(tray.Records()[shown].Command), tray.Records()[shown].Tip);
  report.Line(ended ? "end" : "killed", ended ? "exit-code=" + std::to_string(watcher.ExitCode()) : "no end within 10 s");
  return ok && ended ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Lines end in LF alone: the job scripts match them to the line's end.
  _setmode(_fileno(stdout), _O_BINARY);
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    return Run(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "traywatch: %s\n", e.what());
    return 1;
  }
}
