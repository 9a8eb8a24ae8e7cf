#include "output/print_job.h"

#include <commdlg.h>

#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "controls/message_box.h"
#include "controls/res_string.h"
#include "controls/window_base.h"
#include "resources/resource.h"

namespace qm {

namespace {

// The scales the page set-up offers, in percent.
constexpr const char* kScales[] = {"25", "30", "40", "50", "60", "70", "75", "80", "90", "100"};

// One job at a time in the process: the abort procedure's state.
bool g_printCancelled = false;
HWND g_printingDialog = nullptr;
HWND g_printingWindow = nullptr;  // the window whose comparison is printed
bool g_jobRunning = false;

// The shared printer and the orientation setting take what a print dialog
// returned. The dialog was given the shared handles and resizes them in
// place or replaces them itself: the old ones are not freed here.
void KeepPrinter(const PRINTDLGA& dialog) {
  Settings.DevMode = dialog.hDevMode;
  Settings.DevNames = dialog.hDevNames;
  if (auto* mode = Settings.DevMode ? static_cast<DEVMODEA*>(GlobalLock(Settings.DevMode))
                                    : nullptr) {
    Settings.PrintPortrait = mode->dmOrientation != DMORIENT_LANDSCAPE;
    GlobalUnlock(Settings.DevMode);
  }
}

// Delivers waiting messages (the "Printing..." dialog's through the dialog
// manager) until none is left or the job is cancelled; false once it is.
BOOL CALLBACK AbortPrinting(HDC, int) {
  MSG msg;
  while (!g_printCancelled && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program is ending: stop the job and leave the quit for the
      // main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      g_printCancelled = true;
      break;
    }
    if (g_printingDialog && IsDialogMessageW(g_printingDialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A window closed meanwhile (another window's Exit reaches it though it
  // is disabled) took its comparison with it: not a row more is drawn.
  if (g_printingWindow && !IsWindow(g_printingWindow)) g_printCancelled = true;
  return !g_printCancelled;
}

class PrintingDialog : public DialogBase {
protected:
  void RegisterHandlers() override {
    DialogBase::RegisterHandlers();
    maps().OnMessage(WM_INITDIALOG, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      CentreOnOwner(h);
      return TRUE;
    });
    // Any command, Cancel and the close box alike, cancels the job.
    maps().OnCommandRange(0, 0xFFFF, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      g_printCancelled = true;
      EnableWindow(GetDlgItem(h, IDCANCEL), FALSE);
      return TRUE;
    });
  }
};

class PageSetupDialog : public DialogBase {
protected:
  void RegisterHandlers() override {
    DialogBase::RegisterHandlers();
    maps().OnMessage(WM_INITDIALOG, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      CentreOnOwner(h);
      HWND list = GetDlgItem(h, IDC_PAGE_SCALE);
      const std::string current = std::to_string(Settings.PrintScale);
      int selected = 0;
      for (int i = 0; i < static_cast<int>(std::size(kScales)); ++i) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kScales[i]));
        if (current == kScales[i]) selected = i;
      }
      SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
      return TRUE;
    });
    maps().OnCommand(IDOK, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      const LRESULT index = SendDlgItemMessageA(h, IDC_PAGE_SCALE, CB_GETCURSEL, 0, 0);
      if (index >= 0 && index < static_cast<LRESULT>(std::size(kScales)))
        Settings.PrintScale = std::atoi(kScales[index]);
      EndDialog(h, IDOK);
      return TRUE;
    });
    maps().OnCommand(IDCANCEL, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      EndDialog(h, IDCANCEL);
      return TRUE;
    });
    maps().OnCommand(IDC_PAGE_PRINTER_SETUP, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      PrinterSetup(h);
      return TRUE;
    });
  }
};

void ReportFailure(HWND window, DWORD error) {
  const std::string reason = SystemMessage(error ? error : ERROR_GEN_FAILURE);
  ShowMessage(window, IDS_PRINT_FAILED, MB_OK | MB_ICONERROR,
              {reinterpret_cast<DWORD_PTR>(reason.c_str())});
}

// Prints range of layout onto printer; 0 when every page went out (or
// the user cancelled), else the error that stopped the job.
DWORD PrintPages(HDC printer, const PageLayout& layout, const PageRange& range,
                 const std::string& title) {
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  SetLastError(0);
  if (StartDocA(printer, &info) <= 0) return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
  DWORD error = 0;
  for (int32_t page = range.fromPage; page <= range.toPage && !g_printCancelled; ++page) {
    const std::string status =
        FormatResString(IDS_PAGE_OF, {static_cast<DWORD_PTR>(page - range.fromPage + 1),
                                      static_cast<DWORD_PTR>(range.toPage - range.fromPage + 1)});
    SetDlgItemTextA(g_printingDialog, IDC_PRINTING_STATUS, status.c_str());
    SetLastError(0);
    if (StartPage(printer) <= 0) {
      error = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
      break;
    }
    SetMapMode(printer, MM_TEXT);
    layout.DrawPage(printer, page);
    SetLastError(0);
    if (EndPage(printer) <= 0) {
      error = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
      break;
    }
    AbortPrinting(printer, 0);
  }
  if (error || g_printCancelled)
    AbortDoc(printer);
  else if (EndDoc(printer) <= 0)
    error = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
  return error;
}

}  // namespace

void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT area, self;
  GetWindowRect(owner ? owner : GetDesktopWindow(), &area);
  GetWindowRect(dialog, &self);
  SetWindowPos(dialog, nullptr,
               area.left + ((area.right - area.left) - (self.right - self.left)) / 2,
               area.top + ((area.bottom - area.top) - (self.bottom - self.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PrinterSetup(HWND owner) {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = Settings.DevMode;
  dialog.hDevNames = Settings.DevNames;
  dialog.Flags = PD_PRINTSETUP;
  if (!PrintDlgA(&dialog)) return false;
  KeepPrinter(dialog);
  return true;
}

void ShowPageSetup(HWND owner) {
  PageSetupDialog dialog;
  dialog.RunModal(IDD_PAGE_SETUP, owner);
}

HDC CreateSharedPrinterDC() {
  if (!Settings.DevNames) return nullptr;
  auto* names = static_cast<DEVNAMES*>(GlobalLock(Settings.DevNames));
  if (!names) return nullptr;
  const char* base = reinterpret_cast<const char*>(names);
  auto* mode = Settings.DevMode ? static_cast<DEVMODEA*>(GlobalLock(Settings.DevMode)) : nullptr;
  HDC dc = CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
  if (mode) GlobalUnlock(Settings.DevMode);
  GlobalUnlock(Settings.DevNames);
  return dc;
}

bool PrintComparison(HWND window, const PrintSource& source) {
  if (g_jobRunning) return false;  // another window's job is still running
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.hDevMode = Settings.DevMode;
  dialog.hDevNames = Settings.DevNames;
  dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nMinPage = 1;
  dialog.nMaxPage = 65535;
  dialog.nCopies = 1;
  if (!PrintDlgA(&dialog)) return false;
  KeepPrinter(dialog);
  HDC printer = dialog.hDC;
  if (!printer) return false;

  g_jobRunning = true;
  const PageLayout layout(printer, source, Settings.PrintScale);
  const PageRange range = ChoosePages(layout.Pages(), (dialog.Flags & PD_PAGENUMS) != 0,
                                      dialog.nFromPage, dialog.nToPage);
  EnableWindow(window, FALSE);
  g_printCancelled = false;
  g_printingWindow = window;
  DWORD error = 0;
  {
    PrintingDialog status;  // destroyed at the end of the block
    g_printingDialog = status.CreateModeless(IDD_PRINTING, window);
    if (g_printingDialog) ShowWindow(g_printingDialog, SW_SHOW);
    SetAbortProc(printer, AbortPrinting);
    error = PrintPages(printer, layout, range, source.title);
    EnableWindow(window, TRUE);
    g_printingDialog = nullptr;
  }
  DeleteDC(printer);
  g_printingWindow = nullptr;
  g_jobRunning = false;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  if (error) ReportFailure(window, error);
  return !error && !g_printCancelled;
}

}  // namespace qm
