// The summary bar of the running program: its marks stand where the
// differences are, its clicks move the caret there, and it hides with its
// View toggle.
#include <cstdlib>
#include <string>

#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

constexpr int kToggleSummary = 20202;

// 300 lines; on the right lines 40-49 edited, five lines added after line
// 150 and lines 250-259 gone. Rows: 40-49 changed, 151-155 right only,
// 255-264 left only, 306 in all (the last one empty).
void MakeFiles(TempDir& dir, std::string* left, std::string* right) {
  std::string a, b;
  for (int i = 0; i < 300; ++i) {
    const std::string line = "line " + std::to_string(i) + " of the summary test\n";
    a += line;
    if (i >= 40 && i < 50) b += "edited " + line;
    else if (i < 250 || i >= 260) b += line;
    if (i == 150)
      for (int k = 0; k < 5; ++k) b += "added line " + std::to_string(k) + "\n";
  }
  *left = dir.Write("left.txt", a);
  *right = dir.Write("right.txt", b);
}

// "Virt 41, Ln 41, Col 1" -> 41.
int CaretVirt(const TextWindowProbe& window) {
  return std::atoi(window.StatusPart(1).c_str() + 5);
}

class SummaryBar : public E2eTest {
protected:
  // The pixel row of the middle of row in the bar of a window that scrolls.
  int RowY(HWND bar, double row, int rows) {
    RECT client;
    GetClientRect(bar, &client);
    const int margin = GetSystemMetrics(SM_CYVSCROLL);
    const int height = client.bottom - 2 * margin;
    return margin + static_cast<int>(row * height / rows);
  }
  void Click(const TextWindowProbe& window, HWND bar, UINT message, int y) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(bar, message, 0, MAKELPARAM(8, y), SMTO_ABORTIFHUNG, 5000, &ignored);
    program_.Settle(window.Handle());
  }
};

TEST_F(SummaryBar, MarksTakeTheCaretToTheirDifferencesAndTheBarHidesWithItsToggle) {
  std::string left, right;
  MakeFiles(dir_, &left, &right);
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 3, Lines: 25")) << window.StatusPart(3);
  HWND bar = FindWindowExA(window.Handle(), nullptr, "Summary", nullptr);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(IsWindowVisible(bar));
  const int rows = 306;

  // A right click in the middle of a block goes to its first row.
  Click(window, bar, WM_RBUTTONDOWN, RowY(bar, 260, rows));
  EXPECT_EQ(CaretVirt(window), 256) << window.StatusPart(1);
  Click(window, bar, WM_RBUTTONDOWN, RowY(bar, 45, rows));
  EXPECT_EQ(CaretVirt(window), 41) << window.StatusPart(1);
  // Nearer the added lines than the edited ones: to the added lines.
  Click(window, bar, WM_RBUTTONDOWN, RowY(bar, 130, rows));
  EXPECT_EQ(CaretVirt(window), 152) << window.StatusPart(1);
  // A left click goes to the row under it, give or take the rows that
  // share its pixel.
  Click(window, bar, WM_LBUTTONDOWN, RowY(bar, 200.5, rows));
  EXPECT_LE(std::abs(CaretVirt(window) - 201), 2) << window.StatusPart(1);
  Shot(window, "summary-bar");

  window.Send(kToggleSummary);
  EXPECT_FALSE(IsWindowVisible(bar));
  Shot(window, "summary-bar-hidden");
  window.Send(kToggleSummary);
  EXPECT_TRUE(IsWindowVisible(bar));
}

}  // namespace
}  // namespace qm::e2e
