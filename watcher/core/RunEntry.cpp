#include "watcher/core/RunEntry.h"

#include "rtl/core/Paths.h"

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

std::string RunEntryText(const std::string& programPath, bool hidden) {
  return hidden ? programPath + kHideSuffix : programPath;
}

std::string SwapLastThree(const std::string& path, const std::string& extension) {
  if (path.size() < 3) return path + extension;
  return path.substr(0, path.size() - 3) + extension;
}

AutostartPlan PlanAutostart(const std::string& shortProgramFolder, const std::string& longFileName,
                            const std::string& shortWindowsFolder) {
  AutostartPlan plan;
  plan.Source = JoinFolder(shortProgramFolder, longFileName);
  plan.Target = JoinFolder(shortWindowsFolder, longFileName);
  plan.CopyNeeded = !rtl::SameText(plan.Source, plan.Target);
  return plan;
}

std::string RunEntryProgram(const AutostartPlan& plan, bool copied, bool targetIsFile,
                            const std::string& ownShortPath) {
  if (!plan.CopyNeeded || copied || targetIsFile) return plan.Target;
  return ownShortPath.empty() ? plan.Source : ownShortPath;
}
