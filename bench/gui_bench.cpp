// gui_bench: times compare.exe from the outside, as a user sees it.
//
//   gui_bench [--runs N] [--steps N] [--hold S] COMPARE_EXE LEFT RIGHT
//
// Per run: the time from CreateProcess to the first fully painted text
// window showing the result (its status bar holds the difference count and
// no window of it has anything left to paint), then the time for the pane
// to scroll one page (Page Down) and to jump to the next difference (the
// Next Diff command), each repeated --steps times, until the repaint is done.
// "observe" is the same wait with nothing to paint: what watching costs.
//
// "Repaint done" is observed without hooks in the program: the keystroke or
// command is sent synchronously, so it has been handled when SendMessage
// returns; then the update regions of the window and the pane are polled
// until both are empty, and one more synchronous WM_NULL makes sure the
// WM_PAINT that emptied them has returned (a thread inside its paint
// handler answers sent messages only after it).
//
// The two files must differ: the result is recognised by its difference
// count. --hold keeps the last window open that many seconds after the
// measurements (for a screenshot). Prints one "key value" line per figure;
// exit code 0 when every run finished, 1 when the program did not show a
// result in time.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kNextDiffCommand = 20211;
constexpr UINT kStatusBarId = 20401;
constexpr DWORD kResultTimeoutMs = 180000;
constexpr UINT kSendTimeoutMs = 60000;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindTextWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[64] = "";
  if (pid == search->pid && GetClassNameA(hwnd, name, sizeof name) &&
      std::strcmp(name, "TextWindow") == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Reads one part of another process's status bar: the text must be copied
// through memory of that process (a pointer into ours would be written
// there, not here).
std::string StatusText(HANDLE process, HWND statusBar, int part) {
  const SIZE_T size = 512;
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  if (!remote)
    return std::string();
  std::string text;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutA(statusBar, SB_GETTEXTLENGTHA, part, 0, SMTO_BLOCK, kSendTimeoutMs,
                          &length) &&
      LOWORD(length) < size &&
      SendMessageTimeoutA(statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote),
                          SMTO_BLOCK, kSendTimeoutMs, &length)) {
    char buffer[size] = "";
    SIZE_T read = 0;
    if (ReadProcessMemory(process, remote, buffer, size - 1, &read))
      text.assign(buffer, strnlen(buffer, read));
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

bool Ping(HWND hwnd) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &ignored) != 0;
}

// Waits until the window and the pane have painted everything pending.
bool WaitPainted(HWND window, HWND pane) {
  if (!Ping(window))
    return false;
  const double deadline = Now() + kSendTimeoutMs / 1000.0;
  while (GetUpdateRect(window, nullptr, FALSE) || (pane && GetUpdateRect(pane, nullptr, FALSE))) {
    if (Now() > deadline)
      return false;
    Sleep(0);
  }
  return Ping(window);
}

double Median(std::vector<double> v) {
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct RunFigures {
  double window = 0;  // the text window exists, before its comparison
  double firstPaint = 0;
  std::vector<double> idle;
  std::vector<double> pageDown;
  std::vector<double> nextDiff;
  std::string status;
};

// One start of the program; false when it showed no result in time.
bool RunOnce(const std::string& exe, const std::string& left, const std::string& right,
             int steps, int holdSeconds, RunFigures* figures) {
  std::string command = "\"" + exe + "\" \"" + left + "\" \"" + right + "\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const double start = Now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "gui_bench: cannot start %s (error %lu)\n", exe.c_str(),
                 GetLastError());
    return false;
  }

  bool ok = false;
  WindowSearch search = {pi.dwProcessId, nullptr};
  HWND statusBar = nullptr;
  HWND pane = nullptr;
  while (Now() - start < kResultTimeoutMs / 1000.0) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "gui_bench: the program ended before showing a result\n");
      break;
    }
    if (!search.found) {
      EnumWindows(FindTextWindow, reinterpret_cast<LPARAM>(&search));
      figures->window = Now() - start;
    }
    if (search.found && !statusBar) {
      statusBar = GetDlgItem(search.found, kStatusBarId);
      if (!statusBar)
        statusBar = FindWindowExA(search.found, nullptr, STATUSCLASSNAMEA, nullptr);
    }
    if (statusBar) {
      std::string text = StatusText(pi.hProcess, statusBar, 3);
      // A window shows "No differences" before its first comparison too, so
      // only a count marks the result (the pair must differ).
      if (text.rfind("Diffs:", 0) == 0) {
        figures->status = text;
        ok = true;
        break;
      }
    }
    Sleep(1);
  }
  if (ok) {
    pane = FindWindowExA(search.found, nullptr, "TextView", nullptr);
    ok = WaitPainted(search.found, pane);
    figures->firstPaint = Now() - start;
  }
  if (!ok)
    std::fprintf(stderr, "gui_bench: no painted result within %lu s\n", kResultTimeoutMs / 1000);

  // The cost of observing itself: a round trip with nothing to paint.
  for (int i = 0; ok && i < steps; ++i) {
    double t = Now();
    ok = WaitPainted(search.found, pane);
    figures->idle.push_back(Now() - t);
  }
  for (int i = 0; ok && pane && i < steps; ++i) {
    DWORD_PTR ignored = 0;
    // Page Down's scan code with the extended-key bit, as the keyboard sends it.
    const LPARAM keyData = 1 | (0x51 << 16) | (1 << 24);
    double t = Now();
    ok = SendMessageTimeoutA(pane, WM_KEYDOWN, VK_NEXT, keyData, SMTO_BLOCK, kSendTimeoutMs,
                             &ignored) &&
         WaitPainted(search.found, pane);
    figures->pageDown.push_back(Now() - t);
    SendMessageTimeoutA(pane, WM_KEYUP, VK_NEXT, keyData | (3u << 30), SMTO_BLOCK,
                        kSendTimeoutMs, &ignored);
  }
  for (int i = 0; ok && i < steps; ++i) {
    DWORD_PTR ignored = 0;
    double t = Now();
    ok = SendMessageTimeoutA(search.found, WM_COMMAND, MAKEWPARAM(kNextDiffCommand, 1), 0,
                             SMTO_BLOCK, kSendTimeoutMs, &ignored) &&
         WaitPainted(search.found, pane);
    figures->nextDiff.push_back(Now() - t);
  }

  if (ok && holdSeconds > 0)
    Sleep(static_cast<DWORD>(holdSeconds) * 1000);
  if (search.found)
    PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ok;
}

void PrintFigure(const char* name, const std::vector<double>& seconds, double scale) {
  if (seconds.empty())
    return;
  // The minimum is what an otherwise idle machine gives; the median and the
  // maximum show what sharing it costs.
  std::printf("%s min %.3f median %.3f max %.3f n %zu\n", name,
              *std::min_element(seconds.begin(), seconds.end()) * scale, Median(seconds) * scale,
              *std::max_element(seconds.begin(), seconds.end()) * scale, seconds.size());
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  int steps = 20;
  int hold = 0;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--runs" || arg == "--steps" || arg == "--hold") && i + 1 < argc) {
      int value = std::atoi(argv[++i]);
      if (value < (arg == "--hold" ? 0 : 1)) {
        std::fprintf(stderr, "gui_bench: %s needs a positive number\n", arg.c_str());
        return 2;
      }
      (arg == "--runs" ? runs : arg == "--steps" ? steps : hold) = value;
    } else {
      args.push_back(arg);
    }
  }
  if (args.size() != 3) {
    std::fprintf(stderr,
                 "usage: gui_bench [--runs N] [--steps N] [--hold S] COMPARE_EXE LEFT RIGHT\n");
    return 2;
  }

  std::vector<double> window, firstPaint, idle, pageDown, nextDiff;
  std::string status;
  for (int r = 0; r < runs; ++r) {
    RunFigures figures;
    if (!RunOnce(args[0], args[1], args[2], steps, r + 1 == runs ? hold : 0, &figures))
      return 1;
    window.push_back(figures.window);
    firstPaint.push_back(figures.firstPaint);
    idle.insert(idle.end(), figures.idle.begin(), figures.idle.end());
    pageDown.insert(pageDown.end(), figures.pageDown.begin(), figures.pageDown.end());
    nextDiff.insert(nextDiff.end(), figures.nextDiff.begin(), figures.nextDiff.end());
    status = figures.status;
  }
  std::printf("status %s\n", status.c_str());
  PrintFigure("window_s", window, 1);
  PrintFigure("first_paint_s", firstPaint, 1);
  PrintFigure("observe_ms", idle, 1000);
  PrintFigure("page_down_ms", pageDown, 1000);
  PrintFigure("next_diff_ms", nextDiff, 1000);
  return 0;
}
