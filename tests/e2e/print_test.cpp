// Printing from the running program onto a PostScript test printer on
// "FILE:" (the job is meant to land in the program's working folder as a file named
// "FILE:"), the pages read back through ghostscript as text and pictures.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

constexpr int kPrint = 20006;
constexpr int kPreview = 20007;

// The least a PostScript driver needs to describe an A4 printer.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"QMPRINT.PPD\"\n"
    "*Manufacturer: \"Test\"\n*Product: \"(Test)\"\n*PSVersion: \"(3010) 0\"\n"
    "*ModelName: \"Print Test\"\n*ShortNickName: \"Print Test\"\n*NickName: \"Print Test\"\n"
    "*ColorDevice: True\n*DefaultColorSpace: RGB\n*LanguageLevel: \"3\"\n"
    "*TTRasterizer: Type42\n*DefaultResolution: 300dpi\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";

char kPrinterName[] = "Quillmere Print Test Printer";

std::string UnixPath(const std::string& path);

// Runs a Unix command line through the shell and waits for it. Wine cannot
// wait on a Unix process: the shell leaves a marker file when it is done.
bool RunUnix(const std::string& command, const std::string& marker) {
  DeleteFileA(marker.c_str());
  std::string line = "/bin/sh -c \"" + command + "; touch '" + UnixPath(marker) + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return WaitFor([&] { return FileExists(marker); }, 60000);
}

std::string UnixPath(const std::string& path) {
  char unix[1024] = "";
  // Wine's own mapping; a drive letter path under the prefix.
  using ToUnix = char*(CDECL*)(LPCWSTR);
  static auto toUnix = reinterpret_cast<ToUnix>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return path;
  wchar_t wide[1024];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024);
  char* converted = toUnix(wide);
  if (!converted) return path;
  lstrcpynA(unix, converted, sizeof unix);
  HeapFree(GetProcessHeap(), 0, converted);
  return unix;
}

class Printing : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    // The driver reads its description from the drivers' folder.
    char folder[MAX_PATH] = "";
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                           sizeof folder, &needed));
    const std::string ppd = std::string(folder) + "\\qm-print-test.ppd";
    FILE* file = std::fopen(ppd.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs(kPpd, file);
    std::fclose(file);
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>("Wine PostScript Driver");
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>(ppd.c_str());
    ASSERT_TRUE(AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                                    APD_COPY_NEW_FILES));
    PRINTER_INFO_2A info = {};
    info.pPrinterName = kPrinterName;
    info.pPortName = const_cast<char*>("FILE:");
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    printer_ = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(nullptr, printer_);
    ASSERT_TRUE(SetDefaultPrinterA(kPrinterName));
    // The job file is written in the program's working folder.
    GetCurrentDirectoryA(MAX_PATH, previousFolder_);
    SetCurrentDirectoryA(dir_.Path().c_str());
  }

  void TearDown() override {
    SetCurrentDirectoryA(previousFolder_);
    if (printer_) {
      DeletePrinter(printer_);
      ClosePrinter(printer_);
    }
    E2eTest::TearDown();
  }

  // A comparison of rows lines with a changed line every 25th.
  TextWindowProbe Open(int rows) {
    std::string left, right;
    for (int i = 0; i < rows; ++i) {
      const std::string line = "line " + std::to_string(i + 1) + " of the printed text\n";
      left += line;
      right += (i % 25 == 10 ? "changed " : "") + line;
    }
    return Launch(Quote(dir_.Write("left.txt", left)) + " " +
                  Quote(dir_.Write("right.txt", right)));
  }

  // Answers the system print dialog: OK, after choosing pages from..to
  // when from is not 0. Returns the job's PostScript (empty when none came).
  std::string PrintThroughDialog(TextWindowProbe& window, int from, int to) {
    const std::string job = dir_.File("FILE:");
    DeleteFileA(job.c_str());
    window.Post(kPrint);
    HWND dialog = program_.WaitDialog("Print");
    if (!dialog) {
      ADD_FAILURE() << "no print dialog";
      return "";
    }
    if (!from) SendDlgItemMessageA(dialog, 1056, BM_CLICK, 0, 0);  // "All"
    if (from) {
      SendDlgItemMessageA(dialog, 1058, BM_CLICK, 0, 0);  // "Pages"
      SetDlgItemInt(dialog, 1152, from, FALSE);
      SetDlgItemInt(dialog, 1153, to, FALSE);
    }
    SaveScreenshot(dialog, "print-dialog");
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    if (!WaitFor([&] { return !IsWindow(dialog); }, 5000)) {
      std::string titles;
      for (HWND w : program_.Windows("#32770")) titles += WindowText(w) + "|";
      ADD_FAILURE() << "print dialog stays: " << titles;
      SaveScreenshot(GetDesktopWindow(), "print-desktop");
    }
    WaitFor([&] { return IsWindowEnabled(window.Handle()) && FileExists(job); }, 20000);
    if (HWND box = program_.FindMessageBox()) ADD_FAILURE() << MessageBoxText(box);
    program_.Settle(window.Handle());
    return ReadFileBytes(job);
  }

  // The job's text as ghostscript reads it.
  std::string TextOf(const std::string& postscript, const std::string& name) {
    const std::string ps = dir_.Write(name + ".ps", postscript);
    const std::string txt = dir_.File(name + ".txt");
    RunUnix("gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -sOutputFile='" + UnixPath(txt) + "' '" +
                UnixPath(ps) + "'",
            txt + ".done");
    return ReadFileBytes(txt);
  }

  // Page 1 of the job as a PNG kept for a person to look at.
  void Picture(const std::string& postscript, const std::string& name) {
    const std::string ps = dir_.Write(name + ".ps", postscript);
    const std::string png = ScreenshotFolder() + "\\" + name + ".png";
    RunUnix("gs -q -dNOPAUSE -dBATCH -sDEVICE=png16m -r60 -dFirstPage=1 -dLastPage=1 "
                "-sOutputFile='" + UnixPath(png) + "' '" + UnixPath(ps) + "'",
            ps + ".done");
  }

  HANDLE printer_ = nullptr;
  char previousFolder_[MAX_PATH] = "";
};

// The pane's pixels as the screen shows them.
std::vector<uint32_t> Pixels(HWND pane) {
  RECT rect;
  GetClientRect(pane, &rect);
  HDC screen = GetDC(pane);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, rect.right, rect.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, rect.right, rect.bottom, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = rect.right;
  info.bmiHeader.biHeight = -rect.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> pixels(static_cast<size_t>(rect.right) * rect.bottom);
  GetDIBits(memory, bitmap, 0, rect.bottom, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(pane, screen);
  return pixels;
}

std::string GetClassNameOf(HWND window) {
  char name[128] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST_F(Printing, ARangeBeyondTheLastPageAndHalfScaleWithHeadersAndFooters) {
  auto window = Open(560);
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 22, Lines: 22")) << window.StatusPart(3);
  HWND pane = FindWindowExA(window.Handle(), nullptr, "TextView", nullptr);
  ASSERT_TRUE(pane);
  const std::vector<uint32_t> before = Pixels(pane);

  const std::string all = PrintThroughDialog(window, 0, 0);
  ASSERT_FALSE(all.empty()) << "no job written";
  const int pages = CountOf(all, "%%Page:");
  ASSERT_GE(pages, 4);
  const std::string text = TextOf(all, "all");
  const std::string total = " of " + std::to_string(pages);
  EXPECT_NE(text.find("Page 1" + total), std::string::npos) << text.substr(0, 2000);
  EXPECT_NE(text.find("Page " + std::to_string(pages) + total), std::string::npos);
  EXPECT_NE(text.find("left.txt, "), std::string::npos) << "header names both files";
  EXPECT_NE(text.find("right.txt"), std::string::npos);
  EXPECT_NE(text.find("line 560 of the printed text"), std::string::npos) << "last row printed";
  Picture(all, "print-page-1");

  // Pages 3 to 9 of fewer pages: pages 3 to the last, numbered of all.
  const std::string range = PrintThroughDialog(window, 3, 9);
  EXPECT_EQ(CountOf(range, "%%Page:"), pages - 2);
  const std::string rangeText = TextOf(range, "range");
  EXPECT_NE(rangeText.find("Page 3" + total), std::string::npos) << rangeText.substr(0, 2000);
  EXPECT_EQ(rangeText.find("Page 2" + total), std::string::npos);
  EXPECT_EQ(rangeText.find("line 1 of the printed text"), std::string::npos);

  // Half the font through Page setup: about half the pages.
  window.Post(20010);
  HWND setup = program_.WaitDialog("Page setup");
  ASSERT_TRUE(setup);
  EXPECT_EQ(SendDlgItemMessageA(setup, 10701, CB_GETCURSEL, 0, 0), 9) << "100 %, the default";
  SaveScreenshot(setup, "page-setup");
  SendDlgItemMessageA(setup, 10701, CB_SETCURSEL, 3, 0);  // "50"
  PostMessageA(GetDlgItem(setup, IDOK), BM_CLICK, 0, 0);
  WaitFor([&] { return !IsWindow(setup); });
  const std::string half = PrintThroughDialog(window, 0, 0);
  const int halfPages = CountOf(half, "%%Page:");
  EXPECT_GE(halfPages, pages / 2 - 1);
  EXPECT_LE(halfPages, pages / 2 + 1);
  Picture(half, "print-page-1-half-scale");

  EXPECT_EQ(Pixels(pane), before) << "the screen pane is drawn as before the jobs";
  SaveScreenshot(pane, "print-pane-after");
}

TEST_F(Printing, ACancelledJobLeavesTheNextOneWhole) {
  auto window = Open(9000);
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 360, Lines: 360")) << window.StatusPart(3);
  window.Post(kPrint);
  HWND dialog = program_.WaitDialog("Print");
  ASSERT_TRUE(dialog);
  SendDlgItemMessageA(dialog, 1056, BM_CLICK, 0, 0);  // "All"
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  HWND status = program_.WaitDialog("Quillmere");
  ASSERT_TRUE(status) << "no Printing... dialog";
  EXPECT_FALSE(IsWindowEnabled(window.Handle())) << "the window waits for the job";
  SaveScreenshot(status, "printing-status");
  PostMessageA(GetDlgItem(status, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(status); }, 30000)) << "Cancel did not stop the job";
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(window.Handle()); }));
  program_.Settle(window.Handle());
  EXPECT_EQ(nullptr, program_.FindMessageBox()) << "a cancelled job is no failure";

  const std::string next = PrintThroughDialog(window, 1, 2);
  EXPECT_EQ(CountOf(next, "%%Page:"), 2);
  const std::string text = TextOf(next, "after-cancel");
  EXPECT_NE(text.find("Page 2 of "), std::string::npos) << text.substr(0, 1000);
  EXPECT_NE(text.find("line 1 of the printed text"), std::string::npos);
}

TEST_F(Printing, PreviewStepsPagesFollowsItsSizeKeepsItsPlaceAndPrints) {
  auto window = Open(300);
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 12, Lines: 12")) << window.StatusPart(3);
  window.Post(kPreview);
  HWND preview = program_.WaitDialog("Print preview");
  ASSERT_TRUE(preview);
  HWND previous = GetDlgItem(preview, 10706);
  HWND next = GetDlgItem(preview, 10707);
  HWND pane = GetDlgItem(preview, 10705);
  program_.Settle(preview);
  EXPECT_FALSE(IsWindowEnabled(previous)) << "on the first page";
  ASSERT_TRUE(IsWindowEnabled(next)) << "300 rows take more than a page";
  SaveScreenshot(preview, "preview-page-1");
  int steps = 0;
  while (IsWindowEnabled(next) && steps < 20) {
    SendMessageA(next, BM_CLICK, 0, 0);
    program_.Settle(preview);
    ++steps;
  }
  EXPECT_FALSE(IsWindowEnabled(next)) << "on the last page";
  EXPECT_TRUE(IsWindowEnabled(previous));
  EXPECT_GE(steps, 2);
  SaveScreenshot(preview, "preview-last-page");

  // The pane fills the dialog below the buttons however it is sized.
  MoveWindow(preview, 40, 30, 700, 560, TRUE);
  program_.Settle(preview);
  RECT client, paneRect, close;
  GetClientRect(preview, &client);
  GetWindowRect(pane, &paneRect);
  GetWindowRect(GetDlgItem(preview, IDCANCEL), &close);
  MapWindowPoints(nullptr, preview, reinterpret_cast<POINT*>(&paneRect), 2);
  MapWindowPoints(nullptr, preview, reinterpret_cast<POINT*>(&close), 2);
  EXPECT_EQ(client.right - paneRect.right, paneRect.left);
  EXPECT_EQ(client.bottom - paneRect.bottom, paneRect.left);
  EXPECT_EQ(client.right - close.right, paneRect.left) << "Close stays at the right edge";
  SaveScreenshot(preview, "preview-resized");
  RECT placed;
  GetWindowRect(preview, &placed);
  PostMessageA(GetDlgItem(preview, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(preview); }));

  // Opened again, it takes the place it was left in; Print closes it and
  // runs the print dialog.
  window.Post(kPreview);
  preview = program_.WaitDialog("Print preview");
  ASSERT_TRUE(preview);
  RECT again;
  GetWindowRect(preview, &again);
  EXPECT_EQ(again.left, placed.left);
  EXPECT_EQ(again.top, placed.top);
  EXPECT_EQ(again.right, placed.right);
  EXPECT_EQ(again.bottom, placed.bottom);
  const std::string job = dir_.File("FILE:");
  DeleteFileA(job.c_str());
  PostMessageA(GetDlgItem(preview, 10703), BM_CLICK, 0, 0);
  HWND dialog = program_.WaitDialog("Print");
  ASSERT_TRUE(dialog) << "Print in the preview runs the print dialog";
  EXPECT_FALSE(IsWindow(preview));
  SendDlgItemMessageA(dialog, 1056, BM_CLICK, 0, 0);
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(window.Handle()) && FileExists(job); }));
}

TEST_F(Printing, AJobThatCannotBeWrittenSaysWhy) {
  auto window = Open(100);
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 4, Lines: 4")) << window.StatusPart(3);
  // A folder where the job's file would go: the spooler cannot write it.
  ASSERT_TRUE(CreateDirectoryA(dir_.File("FILE:").c_str(), nullptr));
  window.Post(kPrint);
  HWND dialog = program_.WaitDialog("Print");
  ASSERT_TRUE(dialog);
  SendDlgItemMessageA(dialog, 1056, BM_CLICK, 0, 0);
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  const std::string text = program_.AnswerNext(IDOK, 20000);
  EXPECT_NE(text.find("Could not print the comparison."), std::string::npos) << text;
  EXPECT_NE(text.find("Reason: "), std::string::npos) << text;
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(window.Handle()); }));
  EXPECT_EQ(nullptr, program_.WaitDialog("Quillmere", 500)) << "the status dialog is gone";
  RemoveDirectoryA(dir_.File("FILE:").c_str());
}

// The printing window closed under a running job (another window's Exit, a
// close from outside): the job stops before it reads the closed window's
// comparison again, and the program carries on.
TEST_F(Printing, AWindowClosedDuringItsJobStopsTheJob) {
  for (const bool exit : {false, true}) {
    SCOPED_TRACE(exit ? "Exit from the other window" : "WM_CLOSE to the printing window");
    auto window = Open(9000);
    ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 360, Lines: 360")) << window.StatusPart(3);
    window.Send(20000);  // a second, empty text window
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitFor([&] {
      windows = program_.Windows(GetClassNameOf(window.Handle()).c_str());
      return windows.size() == 2;
    }));
    HWND other = windows[0] == window.Handle() ? windows[1] : windows[0];
    window.Post(kPrint);
    HWND dialog = program_.WaitDialog("Print");
    ASSERT_TRUE(dialog);
    SendDlgItemMessageA(dialog, 1056, BM_CLICK, 0, 0);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(program_.WaitDialog("Quillmere")) << "no Printing... dialog";
    if (exit) {
      PostMessageA(other, WM_COMMAND, 20009 /* Exit */, 0);
      EXPECT_TRUE(program_.WaitExit(30000)) << "the program ends once the job has stopped";
      DWORD code = 0;
      EXPECT_TRUE(program_.ExitCode(&code));
      EXPECT_EQ(code, 0u) << std::hex << code;
    } else {
      PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
      EXPECT_TRUE(WaitFor([&] { return !IsWindow(window.Handle()); }, 30000));
      Sleep(2000);  // a job still drawing from the closed window would fault by now
      EXPECT_TRUE(program_.Running());
      EXPECT_TRUE(IsWindow(other));
      program_.Kill();
    }
  }
}

}  // namespace
}  // namespace qm::e2e
