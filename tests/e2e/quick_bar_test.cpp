// The Quick Bar and the name boxes as a user works them: choosing a recent
// comparison opens and compares that pair, typing the start of a known path
// completes it, and Enter in a name box compares.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

constexpr int kQuickBarCombo = 20414;

// Two pairs whose status lines differ.
const std::string kA1 = "a\nb\nc\nd\ngone\ne\n";
const std::string kA2 = "a\nnew 1\nnew 2\nb\nc\nd\ne\n";
const std::string kB1 = "one\ntwo\nthree\n";
const std::string kB2 = "one\n2\nthree\n";
const std::string kStatusA = "Diffs: 2, Lines: 3";
const std::string kStatusB = "Diffs: 2, Lines: 2";

LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
  return static_cast<LRESULT>(result);
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

class QuickBar : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    a1_ = dir_.Write("a1.txt", kA1);
    a2_ = dir_.Write("a2.txt", kA2);
    b1_ = dir_.Write("b1.txt", kB1);
    b2_ = dir_.Write("b2.txt", kB2);
  }

  // The bar's list box, found as a user finds it: inside the bar.
  static HWND Combo(const TextWindowProbe& window) {
    HWND bar = FindWindowExA(window.Handle(), nullptr, "QuickBar", nullptr);
    return bar ? GetDlgItem(bar, kQuickBarCombo) : nullptr;
  }
  // Read as wide text: only that form crosses the process boundary whole.
  static std::string Entry(HWND combo, int index) {
    wchar_t wide[1024] = L"";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide),
                        SMTO_ABORTIFHUNG, 10000, &ignored);
    char text[3 * 1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
  }
  // Compares A from the command line, then B typed into the name boxes.
  TextWindowProbe CompareAThenB() {
    auto window = Launch(Quote(a1_) + " " + Quote(a2_));
    EXPECT_TRUE(WaitStatus(window, 3, kStatusA)) << window.StatusPart(3);
    window.SetNameText(0, b1_);
    window.SetNameText(1, b2_);
    window.Key(VK_F5);
    EXPECT_TRUE(WaitStatus(window, 3, kStatusB)) << window.StatusPart(3);
    return window;
  }
  std::string Pair(const std::string& left, const std::string& right) {
    return left + " <---> " + right;
  }

  std::string a1_, a2_, b1_, b2_;
};

TEST_F(QuickBar, ChoosingARecentComparisonOpensAndComparesIt) {
  auto window = CompareAThenB();
  HWND combo = Combo(window);
  ASSERT_NE(nullptr, combo);
  HWND bar = GetParent(combo);
  EXPECT_TRUE(IsWindowVisible(bar));
  HWND label = FindWindowExA(bar, nullptr, "Label", nullptr);
  EXPECT_EQ("Recent comparisons:", WindowText(label));

  // The newest comparison first, and shown as the chosen one.
  ASSERT_EQ(2, Ask(combo, CB_GETCOUNT));
  EXPECT_EQ(Pair(b1_, b2_), Entry(combo, 0));
  EXPECT_EQ(Pair(a1_, a2_), Entry(combo, 1));
  EXPECT_EQ(0, Ask(combo, CB_GETCURSEL));

  // Esc closes the open list and nothing else, even where Esc ends the
  // program.
  SetForegroundWindow(window.Handle());
  Ask(combo, CB_SHOWDROPDOWN, TRUE);
  EXPECT_TRUE(Ask(combo, CB_GETDROPPEDSTATE));
  Shot(window, "quick-bar-open");
  PostMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 1);
  program_.Settle(window.Handle());
  EXPECT_TRUE(WaitFor([&] { return !Ask(combo, CB_GETDROPPEDSTATE); }, 5000));
  ASSERT_TRUE(program_.Running());
  EXPECT_EQ("Quillmere - [b1.txt, b2.txt]", window.Title());

  // Open the list, move to A and press Enter, as with the keyboard.
  Ask(combo, CB_SHOWDROPDOWN, TRUE);
  Ask(combo, CB_SETCURSEL, 1);
  PostMessageA(combo, WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_TRUE(WaitStatus(window, 3, kStatusA)) << window.StatusPart(3);
  EXPECT_EQ("Quillmere - [a1.txt, a2.txt]", window.Title());
  EXPECT_EQ(a1_, window.NameText(0));
  EXPECT_EQ(a2_, window.NameText(1));
  EXPECT_EQ(Pair(a1_, a2_), Entry(combo, 0)) << "moved to the front, not added twice";
  EXPECT_EQ(2, Ask(combo, CB_GETCOUNT));
  EXPECT_EQ(0, Ask(combo, CB_GETCURSEL));

  // Enter on an entry of the closed list compares it as well.
  Ask(combo, CB_SETCURSEL, 1);
  PostMessageA(combo, WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_TRUE(WaitStatus(window, 3, kStatusB)) << window.StatusPart(3);
  EXPECT_EQ("Quillmere - [b1.txt, b2.txt]", window.Title());
  Shot(window, "quick-bar");

  // Hidden with the view command, and the pane takes its room.
  window.Send(20215);
  EXPECT_FALSE(IsWindowVisible(bar));
  window.Send(20215);
  EXPECT_TRUE(IsWindowVisible(bar));
}

TEST_F(QuickBar, ANameBoxCompletesWhatIsTypedAndEnterCompares) {
  auto window = CompareAThenB();
  HWND edit = GetWindow(GetDlgItem(window.Handle(), 20402), GW_CHILD);
  ASSERT_EQ("Edit", ClassOf(edit).substr(0, 4));
  window.SetNameText(0, "");
  // The left history holds b1 (newest) and a1: the start of a1's path up to
  // its name's first letter is a1's alone.
  const std::string typed = a1_.substr(0, a1_.size() - 5);
  for (char ch : typed) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
  EXPECT_TRUE(WaitFor([&] { return window.NameText(0) == a1_; }, 5000)) << window.NameText(0);

  // Enter in the box compares the completed name with the right box's.
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_TRUE(WaitFor([&] { return window.Title() == "Quillmere - [a1.txt, b2.txt]"; }))
      << window.Title();
  EXPECT_TRUE(WaitFor([&] { return window.StatusPart(3).rfind("Diffs: ", 0) == 0; }))
      << window.StatusPart(3);
}

}  // namespace
}  // namespace qm::e2e
