#include "shellext/launch_plan.h"

namespace qm::shellext {

LaunchPlan PlanLaunch(const std::vector<std::wstring>& items) {
  LaunchPlan plan;
  if (items.empty()) return plan;
  if (items.size() > 2) {
    plan.decision = LaunchDecision::TooMany;
    return plan;
  }
  for (const std::wstring& item : items)
    if (item.size() > kMaxPathLength) {
      plan.decision = LaunchDecision::PathTooLong;
      plan.longPath = item;
      return plan;
    }
  // Of two items, the second in the shell's list goes to the left side.
  const std::wstring& first = items.size() == 2 ? items[1] : items[0];
  const std::wstring& second = items[0];
  plan.decision = LaunchDecision::Start;
  plan.args = {L"compare.exe", L"/ctx", QuoteArgument(first), QuoteArgument(second)};
  return plan;
}

std::wstring QuoteArgument(const std::wstring& path) {
  size_t trailing = 0;
  while (trailing < path.size() && path[path.size() - 1 - trailing] == L'\\') ++trailing;
  return L"\"" + path + std::wstring(trailing, L'\\') + L"\"";
}

std::wstring ProgramPath(const std::wstring& installDir) {
  const size_t end = installDir.find_last_not_of(L'\\');
  if (end == std::wstring::npos) return std::wstring();
  return installDir.substr(0, end + 1) + L"\\compare.exe";
}

}  // namespace qm::shellext
