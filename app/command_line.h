// The command line of compare.exe: "compare.exe [options] file1 file2" or
// "compare.exe [options] folder1 folder2", with the option "/ctx"
// (case-sensitive; the shell extension's mark) and "/?" (help).
//
// PlanCommandLine decides, without side effects, what the arguments ask
// for; ParseCommandLine (startup.h) shows the plan's messages in order and
// opens the window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm {

enum class PathKind { None, File, Folder };

// How an argument is looked at; the real one asks the file system.
class PathProbe {
public:
  virtual ~PathProbe() = default;
  // The full path (GetFullPathName, at most 260 characters), or empty when
  // it cannot be made.
  virtual std::string FullPath(const std::string& argument) const = 0;
  // File: the runtime's stat reports a regular file; Folder: the attributes
  // report a directory; None otherwise.
  virtual PathKind Kind(const std::string& fullPath) const = 0;
};

class FileSystemProbe : public PathProbe {
public:
  std::string FullPath(const std::string& argument) const override;
  PathKind Kind(const std::string& fullPath) const override;
};

struct CommandLinePlan {
  // A message to show (no owner, caption string 1): string 100 (the help,
  // information icon) or string 101 with the argument as typed (error icon).
  struct Notice {
    UINT stringId;
    std::string insert;
  };
  std::vector<Notice> notices;
  PathKind kind = PathKind::None;  // fixed by the first accepted path
  std::vector<std::string> paths;  // accepted full paths, at most two
  bool context = false;            // "/ctx" seen
  bool compareNow = true;          // with "/ctx", only when the paths differ

  // Two paths of one kind: a window opens with them.
  bool opensWindow() const { return kind != PathKind::None && paths.size() == 2; }
};

CommandLinePlan PlanCommandLine(const std::vector<std::string>& args, const PathProbe& probe);

}  // namespace qm
