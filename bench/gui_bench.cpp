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

#include "bench/gui_probe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace qm::bench;

constexpr UINT kNextDiffCommand = 20211;

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
  Session session;
  bool ok = StartSession(exe, left, right, &session);
  figures->window = session.windowSeconds;
  figures->firstPaint = session.firstPaintSeconds;
  figures->status = session.status;
  HWND window = session.window;
  HWND pane = session.pane;
  // The cost of observing itself: a round trip with nothing to paint.
  for (int i = 0; ok && i < steps; ++i) {
    double t = Now();
    ok = WaitPainted(window, pane);
    figures->idle.push_back(Now() - t);
  }
  for (int i = 0; ok && pane && i < steps; ++i) {
    DWORD_PTR ignored = 0;
    // Page Down's scan code with the extended-key bit, as the keyboard sends it.
    const LPARAM keyData = 1 | (0x51 << 16) | (1 << 24);
    double t = Now();
    ok = SendMessageTimeoutA(pane, WM_KEYDOWN, VK_NEXT, keyData, SMTO_BLOCK, kSendTimeoutMs,
                             &ignored) &&
         WaitPainted(window, pane);
    figures->pageDown.push_back(Now() - t);
    SendMessageTimeoutA(pane, WM_KEYUP, VK_NEXT, keyData | (3u << 30), SMTO_BLOCK,
                        kSendTimeoutMs, &ignored);
  }
  for (int i = 0; ok && i < steps; ++i) {
    DWORD_PTR ignored = 0;
    double t = Now();
    ok = SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(kNextDiffCommand, 1), 0,
                             SMTO_BLOCK, kSendTimeoutMs, &ignored) &&
         WaitPainted(window, pane);
    figures->nextDiff.push_back(Now() - t);
  }

  if (ok && holdSeconds > 0)
    Sleep(static_cast<DWORD>(holdSeconds) * 1000);
  EndSession(&session);
  return ok;
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
