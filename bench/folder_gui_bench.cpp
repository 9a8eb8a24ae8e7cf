// folder_gui_bench: times the folder window of compare.exe from the
// outside, as a user sees it.
//
//   folder_gui_bench [--runs N] [--steps N] COMPARE_EXE OLD_FOLDER NEW_FOLDER
//
// Per run: the time from CreateProcess to a visible folder window, and to
// its filled, painted lists (the first tab caption carries a count and
// nothing of the window or the shown list is left to paint); then, --steps
// times each: a Refresh (command 20212, sent: it returns once the
// comparison under the progress dialog has ended) until the lists are
// painted again, and a repaint of the shown list's whole page. "observe" is
// the same wait with nothing to paint. The repaint is observed as
// gui_bench does: update regions polled until empty, then one more
// synchronous round trip.
//
// Prints one "key value" line per figure; exit code 0 when every run
// finished, 1 when the program showed no counted lists in time.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/gui_probe.h"

namespace {

using namespace qm::bench;

constexpr UINT kRefreshCommand = 20212;
constexpr int kChangedListId = 20412;

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindFolderWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[32] = "";
  GetClassNameA(hwnd, name, sizeof name);
  if (pid == search->pid && IsWindowVisible(hwnd) && std::strcmp(name, "FolderWindow") == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The caption of tab 0, read through a buffer in the program's memory.
std::string FirstTabCaption(HANDLE process, HWND tabs) {
  struct Block {
    TCITEMA item;
    char text[128];
  } block{};
  auto* remote =
      static_cast<Block*>(VirtualAllocEx(process, nullptr, sizeof block, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return std::string();
  block.item.mask = TCIF_TEXT;
  block.item.pszText = remote->text;
  block.item.cchTextMax = sizeof block.text;
  SIZE_T moved = 0;
  WriteProcessMemory(process, remote, &block, sizeof block, &moved);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &ignored);
  ReadProcessMemory(process, remote, &block, sizeof block, &moved);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  block.text[sizeof block.text - 1] = 0;
  return block.text;
}

struct RunFigures {
  double window = 0;
  double lists = 0;
  std::string caption;
  std::vector<double> idle, refresh, repaint;
};

bool RunOnce(const std::string& exe, const std::string& oldFolder, const std::string& newFolder,
             int steps, RunFigures* figures) {
  std::string command = "\"" + exe + "\" \"" + oldFolder + "\" \"" + newFolder + "\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION process{};
  const double start = Now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &process)) {
    std::fprintf(stderr, "folder_gui_bench: cannot start %s\n", exe.c_str());
    return false;
  }
  WindowSearch search{process.dwProcessId, nullptr};
  HWND tabs = nullptr;
  bool ok = false;
  while (Now() - start < kResultTimeoutMs / 1000.0) {
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    if (!search.found) {
      EnumWindows(FindFolderWindow, reinterpret_cast<LPARAM>(&search));
      figures->window = Now() - start;
    }
    if (search.found && !tabs) tabs = FindWindowExA(search.found, nullptr, WC_TABCONTROLA, nullptr);
    if (tabs) {
      figures->caption = FirstTabCaption(process.hProcess, tabs);
      if (figures->caption.find('(') != std::string::npos) {
        ok = true;
        break;
      }
    }
    Sleep(1);
  }
  HWND window = search.found;
  HWND list = window ? GetDlgItem(window, kChangedListId) : nullptr;
  if (ok) {
    ok = WaitPainted(window, list);
    figures->lists = Now() - start;
  }
  for (int i = 0; ok && i < steps; ++i) {
    double t = Now();
    ok = WaitPainted(window, list);
    figures->idle.push_back(Now() - t);

    t = Now();
    DWORD_PTR ignored = 0;
    ok = ok && SendMessageTimeoutA(window, WM_COMMAND, kRefreshCommand, 0, SMTO_ABORTIFHUNG,
                                   kResultTimeoutMs, &ignored) != 0;
    ok = ok && WaitPainted(window, list);
    figures->refresh.push_back(Now() - t);

    t = Now();
    InvalidateRect(list, nullptr, FALSE);
    ok = ok && WaitPainted(window, list);
    figures->repaint.push_back(Now() - t);
  }
  if (!ok) std::fprintf(stderr, "folder_gui_bench: no painted lists in time\n");
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3, steps = 10;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--steps") == 0 && i + 1 < argc) {
      steps = std::atoi(argv[++i]);
    } else {
      args.push_back(argv[i]);
    }
  }
  if (args.size() != 3 || runs < 1 || steps < 1) {
    std::fprintf(stderr, "usage: folder_gui_bench [--runs N] [--steps N] COMPARE_EXE OLD NEW\n");
    return 2;
  }
  std::vector<double> window, lists, idle, refresh, repaint;
  std::string caption;
  bool all = true;
  for (int run = 0; run < runs; ++run) {
    RunFigures f;
    all = RunOnce(args[0], args[1], args[2], steps, &f) && all;
    window.push_back(f.window);
    lists.push_back(f.lists);
    caption = f.caption;
    idle.insert(idle.end(), f.idle.begin(), f.idle.end());
    refresh.insert(refresh.end(), f.refresh.begin(), f.refresh.end());
    repaint.insert(repaint.end(), f.repaint.begin(), f.repaint.end());
  }
  std::printf("first_tab %s\n", caption.c_str());
  PrintFigure("start_to_window_s", window, 1);
  PrintFigure("start_to_lists_s", lists, 1);
  PrintFigure("refresh_s", refresh, 1);
  PrintFigure("list_page_repaint_ms", repaint, 1000);
  PrintFigure("observe_ms", idle, 1000);
  return all ? 0 : 1;
}
