#include "tests/e2e/folder_probe.h"

#include <commctrl.h>

namespace qm::e2e {

namespace {

constexpr int kListIds[4] = {20412, 20411, 20410, 20413};  // Changed, Old, New, Same

LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
  return static_cast<LRESULT>(result);
}

void Click(HWND window, POINT at, bool twice) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageA(window, WM_MOUSEMOVE, 0, where);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageA(window, WM_LBUTTONUP, 0, where);
  if (twice) {
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    PostMessageA(window, WM_LBUTTONUP, 0, where);
  }
}

}  // namespace

LRESULT FolderWindowProbe::RemoteCall(HWND target, UINT msg, WPARAM wParam, const void* in,
                                      void* out, size_t size) const {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               program_.Id());
  if (!process) return 0;
  LRESULT result = 0;
  if (void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {
    SIZE_T moved = 0;
    if (in) WriteProcessMemory(process, remote, in, size, &moved);
    result = Ask(target, msg, wParam, reinterpret_cast<LPARAM>(remote));
    if (out) ReadProcessMemory(process, remote, out, size, &moved);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return result;
}

HWND FolderWindowProbe::Tabs() const {
  return FindWindowExA(Handle(), nullptr, WC_TABCONTROLA, nullptr);
}

HWND FolderWindowProbe::List(FolderTab tab) const { return GetDlgItem(Handle(), kListIds[tab]); }

std::string FolderWindowProbe::TabCaption(int tab) const {
  // The item and its text buffer travel together into the program.
  struct Block {
    TCITEMA item;
    char text[256];
  } block{};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               program_.Id());
  if (!process) return "(no access)";
  std::string caption;
  if (auto* remote = static_cast<Block*>(
          VirtualAllocEx(process, nullptr, sizeof block, MEM_COMMIT, PAGE_READWRITE))) {
    block.item.mask = TCIF_TEXT;
    block.item.pszText = remote->text;
    block.item.cchTextMax = sizeof block.text;
    SIZE_T moved = 0;
    WriteProcessMemory(process, remote, &block, sizeof block, &moved);
    Ask(Tabs(), TCM_GETITEMA, tab, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &block, sizeof block, &moved);
    block.text[sizeof block.text - 1] = 0;
    caption = block.text;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return caption;
}

std::vector<std::string> FolderWindowProbe::TabCaptions() const {
  std::vector<std::string> captions;
  const int count = static_cast<int>(Ask(Tabs(), TCM_GETITEMCOUNT));
  for (int tab = 0; tab < count; ++tab) captions.push_back(TabCaption(tab));
  return captions;
}

int FolderWindowProbe::CurrentTab() const { return static_cast<int>(Ask(Tabs(), TCM_GETCURSEL)); }

void FolderWindowProbe::ClickTab(int tab) const {
  // A posted click can reach the control before the system has finished
  // the mouse state of a window that just came up (Wine drops it then):
  // click again, as a user would, up to a few times.
  for (int attempt = 0; attempt < 3 && CurrentTab() != tab; ++attempt) {
    program_.Settle(Handle());
    RECT rect{};
    RemoteCall(Tabs(), TCM_GETITEMRECT, tab, nullptr, &rect, sizeof rect);
    Click(Tabs(), POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, false);
    program_.Settle(Handle());
  }
}

std::vector<std::string> FolderWindowProbe::Rows(FolderTab tab) const {
  std::vector<std::string> rows;
  HWND list = List(tab);
  const int count = static_cast<int>(Ask(list, LB_GETCOUNT));
  for (int row = 0; row < count; ++row) {
    // Read as wide text: only that form crosses the process boundary whole.
    wchar_t wide[1024] = L"";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                        10000, &ignored);
    char text[3 * 1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    rows.push_back(text);
  }
  return rows;
}

POINT FolderWindowProbe::RowCentre(HWND list, int row) const {
  RECT rect{};
  RemoteCall(list, LB_GETITEMRECT, row, nullptr, &rect, sizeof rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void FolderWindowProbe::SelectRow(FolderTab tab, int row) const {
  HWND list = List(tab);
  Click(list, RowCentre(list, row), false);
  program_.Settle(Handle());
}

void FolderWindowProbe::DoubleClickRow(FolderTab tab, int row) const {
  HWND list = List(tab);
  Click(list, RowCentre(list, row), true);
}

void FolderWindowProbe::RightClickRow(FolderTab tab, int row) const {
  // The row is chosen first, then the menu asked for at it, as the right
  // button does; the two steps keep the test independent of how the
  // system turns a button release into the menu message.
  SelectRow(tab, row);
  HWND list = List(tab);
  POINT screen = RowCentre(list, row);
  ClientToScreen(list, &screen);
  PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
               MAKELPARAM(screen.x, screen.y));
}

void FolderWindowProbe::ClickButton(int id) const {
  PostMessageA(Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(Handle(), id)));
  program_.Settle(Handle());
}

}  // namespace qm::e2e
