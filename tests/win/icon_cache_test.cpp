// The icon cache against the real shell and registry: which paths get no
// icon, which share a record, how often the shell is asked, the registry's
// DefaultIcon and "Shell Icons" overrides (checked by the colour of the icon
// drawn from the small list), and workers adding while the list is drawn.
#include "folders/icon_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "controls/code_page.h"
#include "tests/win/painted_bitmap.h"

namespace qm {
namespace {

std::wstring TempFolder() {
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, path);
  std::wstring folder = std::wstring(path) + L"qm-icon-test";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::string Utf8(const std::wstring& text) { return Utf8FromWide(text.data(), text.size()); }

void Touch(const std::wstring& path) { std::ofstream(path.c_str()) << "x"; }

// An icon file with a 32 x 32 and a 16 x 16 image of one opaque colour.
void WriteIconFile(const std::wstring& path, COLORREF colour) {
  std::ofstream out(path.c_str(), std::ios::binary);
  auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  auto put32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  const int sizes[2] = {32, 16};
  auto bytesOf = [](int s) { return 40 + s * s * 4 + ((s + 31) / 32) * 4 * s; };
  put16(0);
  put16(1);
  put16(2);
  uint32_t offset = 6 + 2 * 16;
  for (int s : sizes) {
    out.put(static_cast<char>(s));
    out.put(static_cast<char>(s));
    out.put(0);
    out.put(0);
    put16(1);
    put16(32);
    put32(bytesOf(s));
    put32(offset);
    offset += bytesOf(s);
  }
  for (int s : sizes) {
    put32(40);
    put32(s);
    put32(2 * s);
    put16(1);
    put16(32);
    for (int i = 0; i < 6; ++i) put32(0);
    const uint32_t pixel = 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) |
                           GetBValue(colour);
    for (int i = 0; i < s * s; ++i) put32(pixel);
    for (int i = 0; i < ((s + 31) / 32) * s; ++i) put32(0);
  }
}

void SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name,
                     const std::wstring& value) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
}

// The colour at the middle of small icon index, drawn on white.
COLORREF MiddleOf(int index) {
  PaintedBitmap bitmap(16, 16, [&](HDC dc) {
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawSmallIcon(dc, index, 0, 0);
  });
  return bitmap.At(8, 8);
}

class IconCacheTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(InitIconCache());
  }
  void TearDown() override {
    DestroyIconCache();
    CoUninitialize();
  }
};

TEST_F(IconCacheTest, NamesWithoutAnExtensionGetNoIconAndNoRecord) {
  const size_t records = IconCacheRecordCount();
  const int queries = IconCacheShellQueries();
  for (const char* path : {"C:\\x\\readme", "C:\\x\\.profile", ".profile", "C:\\a.b\\readme",
                           "C:\\x\\trailing."}) {
    EXPECT_EQ(IconForFile(path), -1) << path;
  }
  EXPECT_EQ(IconCacheRecordCount(), records);
  EXPECT_EQ(IconCacheShellQueries(), queries);
}

TEST_F(IconCacheTest, OneQueryPerTypeAndOnePerProgram) {
  const std::wstring folder = TempFolder();
  Touch(folder + L"\\a.TXT");
  Touch(folder + L"\\b.txt");
  const int queries = IconCacheShellQueries();
  const int first = IconForFile(Utf8(folder + L"\\a.TXT"));
  EXPECT_EQ(IconForFile(Utf8(folder + L"\\b.txt")), first);
  EXPECT_EQ(IconCacheRecordCount(), 1u);
  EXPECT_EQ(IconCacheShellQueries(), queries + 1);

  // Programs carry their own icons: keyed by the whole path.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring copy = folder + L"\\Other.EXE";
  CopyFileW(self, copy.c_str(), FALSE);
  IconForFile(Utf8(self));
  IconForFile(Utf8(self));
  EXPECT_EQ(IconCacheShellQueries(), queries + 2);
  IconForFile(Utf8(copy));
  EXPECT_EQ(IconCacheRecordCount(), 3u);
  EXPECT_EQ(IconCacheShellQueries(), queries + 3);

  // A type nobody has an icon for is remembered as -1: no second query.
  Touch(folder + L"\\c.qmnoicon");
  const int none = IconForFile(Utf8(folder + L"\\c.qmnoicon"));
  const int after = IconCacheShellQueries();
  EXPECT_EQ(IconForFile(Utf8(folder + L"\\d.QMNOICON")), none);
  EXPECT_EQ(IconCacheShellQueries(), after);
}

TEST_F(IconCacheTest, RegistryIconsAreDrawnFromTheSmallList) {
  const std::wstring folder = TempFolder();
  const std::wstring red = folder + L"\\red.ico";
  const std::wstring blue = folder + L"\\blue.ico";
  WriteIconFile(red, RGB(255, 0, 0));
  WriteIconFile(blue, RGB(0, 0, 255));
  // A file type whose program id names its icon.
  SetRegistryText(HKEY_CLASSES_ROOT, L".qmred", nullptr, L"QmRed.File");
  SetRegistryText(HKEY_CLASSES_ROOT, L"QmRed.File\\DefaultIcon", nullptr,
                  red + L",0");
  Touch(folder + L"\\x.qmred");
  const int typeIcon = IconForFile(Utf8(folder + L"\\x.qmred"));
  ASSERT_GE(typeIcon, 0);
  EXPECT_EQ(MiddleOf(typeIcon), RGB(255, 0, 0));
  // An icon file shows itself.
  const int own = IconForFile(Utf8(blue));
  ASSERT_GE(own, 0);
  EXPECT_EQ(MiddleOf(own), RGB(0, 0, 255));

  // The user's override of the folder icon, and one naming no icon file,
  // which leaves the shell's own icon in place.
  const wchar_t kShellIcons[] =
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
  SetRegistryText(HKEY_LOCAL_MACHINE, kShellIcons, L"3", blue + L",0");
  SetRegistryText(HKEY_LOCAL_MACHINE, kShellIcons, L"0", folder + L"\\missing.ico,0");
  const int folderIcon = StockIcon(3);
  ASSERT_GE(folderIcon, 0);
  EXPECT_EQ(MiddleOf(folderIcon), RGB(0, 0, 255));
  EXPECT_GE(StockIcon(0), 0);
  EXPECT_EQ(StockIcon(3), folderIcon);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kShellIcons, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, L"3");
    RegDeleteValueW(key, L"0");
    RegCloseKey(key);
  }
  EXPECT_EQ(ImageList_GetImageCount(LargeImageList()), ImageList_GetImageCount(SmallImageList()));
}

TEST_F(IconCacheTest, WorkersAddWhileTheListIsDrawn) {
  const std::wstring folder = TempFolder();
  std::vector<std::thread> workers;
  for (int w = 0; w < 3; ++w) {
    workers.emplace_back([folder] {
      CoInitialize(nullptr);
      // Overlapping types: the same key may be looked up by two at once.
      for (int i = 0; i < 40; ++i) IconForFile(Utf8(folder + L"\\f.qmt" + std::to_wstring(i % 25)));
      StockIcon(3);
      CoUninitialize();
    });
  }
  for (int i = 0; i < 200; ++i) MiddleOf(i % 8);
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(IconCacheRecordCount(), 26u);
  EXPECT_EQ(ImageList_GetImageCount(LargeImageList()), ImageList_GetImageCount(SmallImageList()));
}

}  // namespace
}  // namespace qm
