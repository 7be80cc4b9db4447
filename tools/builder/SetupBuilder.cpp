// setupbuild: makes a setup executable from the setup runtime and the files
// to install. The output is a copy of the runtime with a resource container
// appended: entry 0 the setup list, then the files under their bare names,
// then the readme as "readme.force".

#include <cstdio>
#include <cstring>
#include <memory>
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

struct Job {
  std::string runtime, output, readme;
  SetupListOptions list;
  std::vector<std::string> files;
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
    if (arg == "--title") job.list.Title = value("--title");
    else if (arg == "--path") job.list.Path = value("--path");
    else if (arg == "--info") job.list.Info = value("--info");
    else if (arg == "--autostart") job.list.AutoStart = value("--autostart");
    else if (arg == "--readme") job.readme = value("--readme");
    else if (arg == "--locked") job.list.Locked = true;
    else if (arg == "--compressed") job.list.Compressed = true;
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

std::unique_ptr<rtl::TFileStream> OpenInput(const std::string& name, const char* what) {
  if (rtl::DirectoryExists(name)) throw rtl::Exception(std::string(what) + " is a folder: " + name);
  try {
    return std::make_unique<rtl::TFileStream>(name, rtl::FileStreamMode::OpenRead);
  } catch (const rtl::EFOpenError&) {
    throw rtl::Exception(std::string(what) + " cannot be read: " + name + " (" +
                         rtl::FileErrorText(rtl::LastFileError()) + ")");
  }
}

void Build(Job& job) {
  // Everything is checked before the output is touched.
  auto runtime = OpenInput(job.runtime, "The runtime");
  std::vector<std::unique_ptr<rtl::TFileStream>> inputs;
  std::vector<ContainerEntry> entries;
  std::set<std::string> seen = {rtl::UpperCase(kSetupListName), rtl::UpperCase(kReadmeResourceName)};

  for (const auto& file : job.files) {
    const std::string name = BareName(file);
    const std::string problem = InstallNameProblem(name);
    if (!problem.empty()) throw rtl::Exception("The file name \"" + name + "\" cannot be installed: " + problem);
    if (!seen.insert(rtl::UpperCase(name)).second)
      throw rtl::Exception("Two files have the name \"" + name +
                           "\" (names are compared without regard to case, and \"" +
                           kSetupListName + "\" and \"" + kReadmeResourceName + "\" are taken)");
    inputs.push_back(OpenInput(file, "The file"));
    job.list.Files.push_back(file);
  }
  if (!job.readme.empty()) {
    inputs.push_back(OpenInput(job.readme, "The readme"));
    job.list.Files.push_back(rtl::ExtractFilePath(job.readme) + kReadmeResourceName);
  }
  job.list.BuilderVersion = kBuilderVersion;
  const std::string listText = BuildSetupList(job.list);

  rtl::TMemoryStream list;
  list.WriteBuffer(listText.data(), static_cast<std::int32_t>(listText.size()));
  entries.push_back({0, kSetupListName, &list});
  for (size_t i = 0; i < job.files.size(); ++i)
    entries.push_back({static_cast<std::int32_t>(i + 1), BareName(job.files[i]), inputs[i].get()});
  if (!job.readme.empty())
    entries.push_back({static_cast<std::int32_t>(job.files.size() + 1), kReadmeResourceName,
                       inputs.back().get()});

  // Written under a scratch name and renamed when complete, so that a failure
  // leaves no half-written installer behind.
  const std::string partial = job.output + ".part";
  try {
    {
      rtl::TFileStream out(partial, rtl::FileStreamMode::Create);
      out.CopyFrom(*runtime, 0);
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
