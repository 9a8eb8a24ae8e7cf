#include "app/command_line.h"

#include <sys/stat.h>

#include "controls/code_page.h"
#include "resources/resource.h"

namespace qm {

std::string FileSystemProbe::FullPath(const std::string& argument) const {
  char full[kMaxPathBytes];
  const DWORD n = GetFullPathNameA(argument.c_str(), kMaxPathBytes, full, nullptr);
  // A path that does not fit is not one the program can open.
  if (n == 0 || n >= kMaxPathBytes) return std::string();
  return std::string(full, n);
}

PathKind FileSystemProbe::Kind(const std::string& fullPath) const {
  if (fullPath.empty()) return PathKind::None;
  struct _stat info {};
  if (_stat(fullPath.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG) {
    return PathKind::File;
  }
  const DWORD attributes = GetFileAttributesA(fullPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return PathKind::Folder;
  }
  return PathKind::None;
}

CommandLinePlan PlanCommandLine(const std::vector<std::string>& args, const PathProbe& probe) {
  CommandLinePlan plan;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.empty()) continue;
    if (arg[0] == '/') {
      if (arg == "/ctx") {
        plan.context = true;
      } else {
        plan.notices.push_back({IDS_COMMAND_LINE_HELP, std::string()});
      }
      continue;
    }
    if (plan.paths.size() >= 2) continue;
    const std::string full = probe.FullPath(arg);
    const PathKind kind = probe.Kind(full);
    if (kind == PathKind::None) {
      plan.notices.push_back({IDS_PATH_NOT_FOUND, arg});
      continue;
    }
    if (plan.kind != PathKind::None && plan.kind != kind) continue;
    plan.kind = kind;
    plan.paths.push_back(full);
  }
  plan.compareNow = !plan.context || (plan.paths.size() == 2 && plan.paths[0] != plan.paths[1]);
  return plan;
}

}  // namespace qm
