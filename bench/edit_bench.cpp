// edit_bench: times editing in compare.exe from the outside, as a user
// sees it.
//
//   edit_bench typing  [--keys N] [--spread N] COMPARE_EXE LEFT RIGHT
//   edit_bench merge   [--steps N] COMPARE_EXE LEFT RIGHT
//   edit_bench find    [--steps N] COMPARE_EXE LEFT RIGHT
//
// typing: N typed keys (every tenth an Enter, which changes the layout),
// each after --spread Next Diff commands so that the keys fall all over
// the file; per key the time from the WM_CHAR sent to the pane until the
// repaint is done.
// merge: the pair's first difference copied to the right (Copy -->) and
// the copy undone, --steps times each; per command the time until the
// repaint is done.
// find: Find Next of a text the files do not hold (the settings' search
// text must be set to it beforehand): the search wraps through the whole
// active side; the time from the command until its "not found" message box
// shows. The box is answered and the search repeated --steps times.
//
// "Repaint done" is observed as gui_bench does (gui_probe.h). Prints one
// "key min M median M max M n N" line per figure and "status TEXT"; exit
// code 0 when every step finished.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/gui_probe.h"

namespace {

using namespace qm::bench;

constexpr UINT kUndoCommand = 20100;
constexpr UINT kFindNextCommand = 20108;
constexpr UINT kNextDiffCommand = 20211;
constexpr UINT kCopyRightCommand = 20508;

bool SendCommand(HWND window, UINT command) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0, SMTO_BLOCK,
                             kSendTimeoutMs, &ignored) != 0;
}

bool Timed(HWND window, HWND pane, std::vector<double>* into, bool (*action)(HWND, HWND, UINT),
           UINT value) {
  const double t = Now();
  const bool ok = action(window, pane, value) && WaitPainted(window, pane);
  into->push_back(Now() - t);
  return ok;
}

bool TypeKey(HWND, HWND pane, UINT character) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(pane, WM_CHAR, character, 1, SMTO_BLOCK, kSendTimeoutMs,
                             &ignored) != 0;
}

bool Command(HWND window, HWND, UINT command) { return SendCommand(window, command); }

// The message box of the program's process, when one shows.
struct BoxSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[16] = "";
  if (pid == search->pid && IsWindowVisible(hwnd) && GetClassNameA(hwnd, name, sizeof name) &&
      std::strcmp(name, "#32770") == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitBox(DWORD pid, double seconds) {
  const double deadline = Now() + seconds;
  while (Now() < deadline) {
    BoxSearch search = {pid, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(0);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: edit_bench typing|merge|find [options] COMPARE_EXE LEFT RIGHT\n");
    return 2;
  }
  const std::string mode = argv[1];
  int keys = 200;
  int spread = 50;
  int steps = 10;
  std::vector<std::string> args;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--keys" || arg == "--spread" || arg == "--steps") && i + 1 < argc) {
      const int value = std::atoi(argv[++i]);
      if (value < 1) {
        std::fprintf(stderr, "edit_bench: %s needs a positive number\n", arg.c_str());
        return 2;
      }
      (arg == "--keys" ? keys : arg == "--spread" ? spread : steps) = value;
    } else {
      args.push_back(arg);
    }
  }
  if (args.size() != 3 || (mode != "typing" && mode != "merge" && mode != "find")) {
    std::fprintf(stderr, "usage: edit_bench typing|merge|find [options] COMPARE_EXE LEFT RIGHT\n");
    return 2;
  }

  Session session;
  bool ok = StartSession(args[0], args[1], args[2], &session);
  const HWND window = session.window;
  const HWND pane = session.pane;
  std::vector<double> typed, entered, copied, undone, found;
  if (ok && mode == "typing") {
    for (int k = 0; ok && k < keys; ++k) {
      for (int i = 0; ok && i < spread; ++i) ok = SendCommand(window, kNextDiffCommand);
      ok = ok && WaitPainted(window, pane);
      const bool enter = k % 10 == 9;
      if (ok) ok = Timed(window, pane, enter ? &entered : &typed, TypeKey, enter ? '\r' : 'x');
    }
  }
  if (ok && mode == "merge") {
    ok = SendCommand(window, kNextDiffCommand) && WaitPainted(window, pane);
    for (int i = 0; ok && i < steps; ++i) {
      ok = Timed(window, pane, &copied, Command, kCopyRightCommand) &&
           Timed(window, pane, &undone, Command, kUndoCommand);
    }
  }
  if (ok && mode == "find") {
    for (int i = 0; ok && i < steps; ++i) {
      const double t = Now();
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(kFindNextCommand, 0), 0);
      HWND box = WaitBox(session.process.dwProcessId, kSendTimeoutMs / 1000.0);
      found.push_back(Now() - t);
      ok = box != nullptr;
      if (box) {
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box)) Sleep(1);
      }
    }
  }
  std::string status;
  if (session.statusBar)
    status = StatusText(session.process.hProcess, session.statusBar, 3);
  // The edited window would ask to save: the files are the benchmark's own.
  EndSession(&session, true);
  std::printf("status %s\n", status.c_str());
  PrintFigure("type_ms", typed, 1000);
  PrintFigure("enter_ms", entered, 1000);
  std::vector<double> allKeys = typed;
  allKeys.insert(allKeys.end(), entered.begin(), entered.end());
  PrintFigure("key_ms", allKeys, 1000);
  PrintFigure("copy_ms", copied, 1000);
  PrintFigure("undo_ms", undone, 1000);
  PrintFigure("find_ms", found, 1000);
  if (!ok) std::fprintf(stderr, "edit_bench: a step did not finish\n");
  return ok ? 0 : 1;
}
