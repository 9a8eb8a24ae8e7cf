// The summary bar of the running program: in a comparison longer than the
// pane its marks line up with the scroll bar's track, a right click on one
// takes the caret to its difference, and the bar hides with its toggle.
#include <cstdlib>
#include <string>

#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

constexpr int kToggleSummary = 20202;

class SummaryBar : public E2eTest {};

TEST_F(SummaryBar, RightClicksOnMarksGoToTheirDifferencesAndTheToggleHidesTheBar) {
  // 300 lines; on the right lines 40-49 edited, five added after line 150,
  // lines 250-259 gone. Rows: 40-49 changed, 151-155 right only, 255-264
  // left only; 306 in all (the last one empty).
  std::string left, right;
  for (int i = 0; i < 300; ++i) {
    const std::string line = "line " + std::to_string(i) + " of the summary test\n";
    left += line;
    if (i < 250 || i >= 260) right += (i >= 40 && i < 50 ? "edited " : "") + line;
    if (i == 150)
      for (int k = 0; k < 5; ++k) right += "added line " + std::to_string(k) + "\n";
  }
  auto window = Launch(Quote(dir_.Write("left.txt", left)) + " " +
                       Quote(dir_.Write("right.txt", right)));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 3, Lines: 25")) << window.StatusPart(3);
  HWND bar = FindWindowExA(window.Handle(), nullptr, "Summary", nullptr);
  ASSERT_TRUE(bar && IsWindowVisible(bar));
  RECT client;
  GetClientRect(bar, &client);
  const int margin = GetSystemMetrics(SM_CYVSCROLL), area = client.bottom - 2 * margin;
  // Right-clicks at the middle of a block's mark; "Virt 41, Ln 41, ..." -> 41.
  for (auto [middle, first] : {std::pair{260, 256}, {45, 41}, {153, 152}}) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(bar, WM_RBUTTONDOWN, 0, MAKELPARAM(8, margin + middle * area / 306),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    EXPECT_EQ(std::atoi(window.StatusPart(1).c_str() + 5), first) << window.StatusPart(1);
  }
  Shot(window, "summary-bar");
  window.Send(kToggleSummary);
  EXPECT_FALSE(IsWindowVisible(bar));
  Shot(window, "summary-bar-hidden");
  window.Send(kToggleSummary);
  EXPECT_TRUE(IsWindowVisible(bar));
  Shot(window, "summary-bar-shown-again");
}

}  // namespace
}  // namespace qm::e2e
