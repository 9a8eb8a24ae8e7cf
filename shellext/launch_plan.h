// What choosing "Compare..." does with the selected items: the decision and
// the argument list for compare.exe, apart from the shell and the process
// start so that it can be tested anywhere.
//
// Paths are UTF-16 text as the shell hands them over (std::wstring holds
// them on every platform). Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qm::shellext {

// The longest path compare.exe takes: its buffers hold 260 characters with
// the terminating zero.
constexpr size_t kMaxPathLength = 259;

enum class LaunchDecision {
  Start,        // args holds the argument list
  TooMany,      // three or more items: nothing is started
  PathTooLong,  // an item is longer than kMaxPathLength: nothing is started
  NoItems,      // nothing selected (the shell never invokes us so)
};

struct LaunchPlan {
  LaunchDecision decision = LaunchDecision::NoItems;
  // "compare.exe", "/ctx", then two quoted paths: the second selected item
  // then the first, or the one item twice.
  std::vector<std::wstring> args;
  // PathTooLong: the offending path, unquoted.
  std::wstring longPath;
};

LaunchPlan PlanLaunch(const std::vector<std::wstring>& items);

// The path in double quotes, read back by the runtime's argument parser as
// exactly the path: backslashes before the closing quote are doubled, so a
// drive root "C:\" does not turn the quote into a literal one.
std::wstring QuoteArgument(const std::wstring& path);

// The program to start: the installation folder without its trailing
// backslashes, one backslash, "compare.exe". Empty when the folder is empty
// or only backslashes.
std::wstring ProgramPath(const std::wstring& installDir);

}  // namespace qm::shellext
