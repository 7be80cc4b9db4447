// setupbuild: makes a setup executable from the setup runtime and the files
// to install. The output is a copy of the runtime with a resource container
// appended: entry 0 the setup list, then the files under their bare names,
// then the readme as "readme.force".

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/Streams.h"
#include "setup/core/ContainerWriter.h"
#include "setup/core/InstallNames.h"
#include "setup/core/SetupList.h"
#include "setup/core/Windows1252.h"

namespace {

const char kBuilderVersion[] = "1.0.0.0";

const char kUsage[] =
    "usage: setupbuild RUNTIME OUTPUT [options] FILE...\n"
    "  RUNTIME           the setup runtime (setup.exe without a container)\n"
    "  OUTPUT            the setup executable to write\n"
    "  --title TEXT      window title of the installer\n"
    "  --path TEXT       proposed target folder; may start with %WINDOWS%,\n"
    "                    %SYSTEM%, %PROGRAMS% or %TEMP%\n"
    "  --info TEXT       one line of description\n"
    "  --autostart NAME  installed program offered for starting afterwards\n"
    "  --locked          the target folder cannot be changed\n"
    "  --compressed      show the note that the archive is packed\n"
    "  --readme FILE     text shown when the installer starts\n";

struct UsageError : rtl::Exception {
  using rtl::Exception::Exception;
};

// The file's own name, by the rules of the machine the builder runs on.
std::string BareName(const std::string& path) {
#if defined(_WIN32)
  return rtl::ExtractFileName(path);
#else
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
#endif
}

// An argument as UTF-8 text. Linux hands over the bytes typed, which are
// UTF-8 there; Windows hands them over in its ANSI code page.
std::string ArgumentText(const std::string& argument) {
#if defined(_WIN32)
  if (argument.empty()) return argument;
  const int wide = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, argument.data(),
                                         static_cast<int>(argument.size()), nullptr, 0);
  if (wide <= 0) throw rtl::Exception("The argument \"" + argument + "\" is no text of this system's code page");
  std::wstring text(static_cast<size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, argument.data(), static_cast<int>(argument.size()), &text[0], wide);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
#else
  return argument;
#endif
}

// What the installer gets of an argument: its text in Windows-1252. What
// that code page cannot hold would reach the user garbled, so it is refused.
std::string InstallerText(const std::string& argument, const std::string& what) {
  const Windows1252Text converted = Windows1252FromUtf8(ArgumentText(argument));
  if (!converted.Problem.empty())
    throw rtl::Exception(what + " \"" + argument + "\" cannot be carried into the installer: " + converted.Problem);
  return converted.Text;
}

struct Job {
  std::string runtime, output, readme, autoStart;
  std::optional<std::string> path;
  std::string title, info;
  bool locked = false, compressed = false;
  std::vector<std::string> files;  // as given, to be opened
};

Job ParseArguments(int argc, char** argv) {
  Job job;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* option) -> std::string {
      if (i + 1 >= argc) throw UsageError(std::string(option) + " needs a value");
      return argv[++i];
    };
    if (arg == "--title") job.title = value("--title");
    else if (arg == "--path") job.path = value("--path");
    else if (arg == "--info") job.info = value("--info");
    else if (arg == "--autostart") job.autoStart = value("--autostart");
    else if (arg == "--readme") job.readme = value("--readme");
    else if (arg == "--locked") job.locked = true;
    else if (arg == "--compressed") job.compressed = true;
    else if (arg == "--help" || arg == "-h") throw UsageError("");
    else if (arg.size() > 1 && arg[0] == '-' && arg != "-") throw UsageError("unknown option " + arg);
    else positional.push_back(arg);
  }
  if (positional.size() < 2) throw UsageError("RUNTIME and OUTPUT are needed");
  job.runtime = positional[0];
  job.output = positional[1];
  job.files.assign(positional.begin() + 2, positional.end());
  return job;
}

// Opens the file to see that it can be read, and closes it again: the
// bytes are read later, one file at a time.
void CheckReadable(const std::string& name, const char* what) {
  if (rtl::DirectoryExists(name)) throw rtl::Exception(std::string(what) + " is a folder: " + name);
  rtl::FileHandle file(rtl::FileOpen(name, rtl::FileAccess::Read));
  if (!file.Valid())
    throw rtl::Exception(std::string(what) + " cannot be read: " + name + " (" +
                         rtl::FileErrorText(rtl::LastFileError()) + ")");
}

void Build(Job& job) {
  // Everything is checked before the output is touched.
  CheckReadable(job.runtime, "The runtime");
  SetupListOptions list;
  if (job.path) list.Path = InstallerText(*job.path, "The path");
  list.Title = InstallerText(job.title, "The title");
  list.Info = InstallerText(job.info, "The info text");
  list.Locked = job.locked;
  list.Compressed = job.compressed;
  list.BuilderVersion = kBuilderVersion;

  // The names as the container holds them: the list first, the readme last.
  std::vector<std::string> names = {kSetupListName};
  std::set<std::string> seen = {rtl::UpperCase(kSetupListName), rtl::UpperCase(kReadmeResourceName)};
  for (const auto& file : job.files) {
    const std::string name = InstallerText(BareName(file), "The file name");
    const std::string problem = InstallNameProblem(name);
    if (!problem.empty()) throw rtl::Exception("The file name \"" + BareName(file) + "\" cannot be installed: " + problem);
    if (!seen.insert(rtl::UpperCase(name)).second)
      throw rtl::Exception("Two files have the name \"" + BareName(file) +
                           "\" (names are compared without regard to case, and \"" +
                           kSetupListName + "\" and \"" + kReadmeResourceName + "\" are taken)");
    const std::string listed = InstallerText(file, "The file");
    // The list marks the readme by this ending; a second file with it would
    // show the readme once more.
    if (MarksReadme(listed))
      throw rtl::Exception("The file \"" + file + "\" ends in \"" + kReadmeResourceName +
                           "\", which marks the readme in the setup list; give it another name");
    CheckReadable(file, "The file");
    names.push_back(name);
    list.Files.push_back(listed);
  }
  if (!job.readme.empty()) {
    CheckReadable(job.readme, "The readme");
    names.push_back(kReadmeResourceName);
    list.Files.push_back(InstallerText(rtl::ExtractFilePath(job.readme), "The readme's folder") + kReadmeResourceName);
  }
  if (!job.autoStart.empty()) {
    list.AutoStart = InstallerText(job.autoStart, "--autostart");
    const std::string problem = InstallNameProblem(list.AutoStart);
    if (!problem.empty())
      throw rtl::Exception("--autostart \"" + job.autoStart + "\" cannot be started safely: " + problem);
    if (AutoStartEntry(names, list.AutoStart) < 0)
      throw rtl::Exception("--autostart \"" + job.autoStart + "\" is not one of the files to install");
  }
  const std::string listText = BuildSetupList(list);

  rtl::TMemoryStream listStream;
  listStream.WriteBuffer(listText.data(), static_cast<std::int32_t>(listText.size()));
  std::vector<ContainerEntry> entries = {{0, kSetupListName, &listStream}};
  for (size_t i = 0; i < job.files.size(); ++i)
    entries.push_back({static_cast<std::int32_t>(i + 1), names[i + 1], nullptr, job.files[i]});
  if (!job.readme.empty())
    entries.push_back({static_cast<std::int32_t>(job.files.size() + 1), kReadmeResourceName, nullptr, job.readme});

  // Written under a scratch name and renamed when complete, so that a failure
  // leaves no half-written installer behind.
  const std::string partial = job.output + ".part";
  try {
    {
      rtl::TFileStream runtime(job.runtime, rtl::FileStreamMode::OpenRead);
      rtl::TFileStream out(partial, rtl::FileStreamMode::Create);
      out.CopyFrom(runtime, 0);
      WriteContainer(out, entries);
    }
    if (!rtl::FileRename(partial, job.output))
      throw rtl::Exception("The output cannot be written: " + job.output + " (" +
                           rtl::FileErrorText(rtl::LastFileError()) + ")");
  } catch (...) {
    rtl::FileDelete(partial);
    throw;
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Job job = ParseArguments(argc, argv);
    Build(job);
    std::printf("%s: %zu files%s\n", job.output.c_str(), job.files.size(),
                job.readme.empty() ? "" : " and a readme");
    return 0;
  } catch (const UsageError& e) {
    if (!e.Message().empty()) std::fprintf(stderr, "setupbuild: %s\n", e.what());
    std::fputs(kUsage, stderr);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "setupbuild: %s\n", e.what());
    return 1;
  }
}
