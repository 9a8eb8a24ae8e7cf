// The shared Win32 helpers of controls/: strings and message texts come from
// this module's own resources, COM owners give back exactly the references
// they hold, and masked bitmaps leave the background wherever the mask says.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/code_page.h"
#include "controls/com_ptr.h"
#include "controls/gdi_owner.h"
#include "controls/masked_bitmap.h"
#include "controls/message_box.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {
namespace {

TEST(ResourceStrings, LoadAndFormatFromThisModule) {
  EXPECT_EQ(LoadResString(IDS_PRODUCT_NAME), "Quillmere");
  EXPECT_EQ(LoadResString(65000), "") << "an id the table lacks";
  EXPECT_EQ(FormatResString(IDS_RECENT_PAIR, {reinterpret_cast<DWORD_PTR>("a.txt"),
                                              reinterpret_cast<DWORD_PTR>("b.txt")}),
            "a.txt <---> b.txt");
  EXPECT_EQ(FormatResString(IDS_STATUS_DIFFS, {3, 1200}), "Diffs: 3, Lines: 1200");
  EXPECT_EQ(FormatResString(IDS_STATUS_DIFFS), "Diffs: %1!ld!, Lines: %2!ld!")
      << "no inserts: the string as it stands";
  EXPECT_EQ(FormatString("%1 and %2!ld!", {reinterpret_cast<DWORD_PTR>("x"), 7}), "x and 7");
}

TEST(ResourceStrings, SystemMessagesLoseTheirLineBreak) {
  const std::string text = SystemMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_EQ(SystemMessage(0x2000FFFF), "Error 536936447") << "no text for the code";
}

// An object that counts its references and notes its end.
class Counted final : public IUnknown {
public:
  explicit Counted(bool* gone) : gone_(gone) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      *gone_ = true;
      delete this;
    }
    return left;
  }

private:
  ULONG refs_ = 1;
  bool* gone_;
};

TEST(ComPtr, ReleasesExactlyTheReferencesItHolds) {
  bool firstGone = false, secondGone = false;
  {
    ComPtr<IUnknown> owner(new Counted(&firstGone));
    ComPtr<IUnknown> moved(std::move(owner));
    EXPECT_FALSE(owner);
    EXPECT_FALSE(firstGone) << "a move hands the reference on";
    // Receive releases the old reference before the new one arrives.
    void** slot = moved.Receive();
    EXPECT_TRUE(firstGone);
    *slot = new Counted(&secondGone);
    IUnknown* detached = moved.Detach();
    EXPECT_FALSE(moved);
    // Two references adopted one after the other: assigning the second
    // gives the first back, and the object lives on in the second.
    detached->AddRef();
    moved.Reset(detached);
    moved = ComPtr<IUnknown>(detached);
    EXPECT_FALSE(secondGone);
  }
  EXPECT_TRUE(secondGone);
}

// A 6 x 6 screen-compatible canvas filled with blue; pixels read back with
// GetPixel.
class Canvas {
public:
  Canvas() : dc_(nullptr) {
    WindowDC screen(nullptr);
    bitmap_.Reset(CreateCompatibleBitmap(screen.get(), 6, 6));
    select_ = SelectObject(dc_.get(), bitmap_.get());
    RECT all{0, 0, 6, 6};
    GdiObject<HBRUSH> blue(CreateSolidBrush(kBlue));
    FillRect(dc_.get(), &all, blue.get());
  }
  ~Canvas() { SelectObject(dc_.get(), select_); }
  HDC dc() const { return dc_.get(); }
  COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }

  static constexpr COLORREF kBlue = RGB(0, 0, 255);

private:
  MemoryDC dc_;
  GdiObject<HBITMAP> bitmap_;
  HGDIOBJ select_ = nullptr;
};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// A 2 x 2 image: red on the left, the given colour on the right.
GdiObject<HBITMAP> TwoColumnImage(COLORREF right) {
  WindowDC screen(nullptr);
  GdiObject<HBITMAP> image(CreateCompatibleBitmap(screen.get(), 2, 2));
  MemoryDC dc(nullptr);
  SelectScope select(dc.get(), image.get());
  for (int y = 0; y < 2; ++y) {
    SetPixel(dc.get(), 0, y, kRed);
    SetPixel(dc.get(), 1, y, right);
  }
  return image;
}

TEST(MaskedBitmap, DrawsTheImageOnlyWhereTheMaskIsZero) {
  // Rows are word-aligned, first pixel in the high bit: the right column is 1.
  const WORD rows[2] = {0x40, 0x40};
  GdiObject<HBITMAP> mask(CreateBitmap(2, 2, 1, 1, rows));
  // Green under the mask: the destination must show through all the same.
  GdiObject<HBITMAP> image = TwoColumnImage(kGreen);
  Canvas canvas;
  const RECT rect{0, 0, 6, 6};
  DrawMaskedBitmap(canvas.dc(), rect, image.get(), mask.get());
  EXPECT_EQ(canvas.At(2, 2), kRed) << "centred";
  EXPECT_EQ(canvas.At(2, 3), kRed);
  EXPECT_EQ(canvas.At(3, 2), Canvas::kBlue) << "under the mask";
  EXPECT_EQ(canvas.At(1, 2), Canvas::kBlue) << "outside the image";

  Canvas pressed;
  DrawMaskedBitmap(pressed.dc(), rect, image.get(), mask.get(), true);
  EXPECT_EQ(pressed.At(2, 2), Canvas::kBlue);
  EXPECT_EQ(pressed.At(3, 3), kRed) << "one pixel right and down";

  Canvas noMask;
  DrawMaskedBitmap(noMask.dc(), rect, image.get(), nullptr);
  EXPECT_EQ(noMask.At(2, 2), Canvas::kBlue) << "nothing without a mask";
}

TEST(MaskedBitmap, ColourMaskMakesThatColourTransparent) {
  GdiObject<HBITMAP> image = TwoColumnImage(RGB(255, 255, 255));
  GdiObject<HBITMAP> mask = MakeColourMask(image.get(), RGB(255, 255, 255));
  ASSERT_TRUE(mask);
  Canvas canvas;
  DrawMaskedBitmap(canvas.dc(), RECT{0, 0, 6, 6}, image.get(), mask.get());
  EXPECT_EQ(canvas.At(2, 2), kRed);
  EXPECT_EQ(canvas.At(3, 2), Canvas::kBlue) << "white was the transparent colour";
  EXPECT_FALSE(MakeColourMask(nullptr, RGB(255, 255, 255)));
}

TEST(LegacyCodePage, TheProgramRunsInUtf8AndReadsOldTextInTheSystemCodePage) {
  // The manifest's request, which the test program shares with compare.exe.
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  const UINT legacy = LegacyCodePage();
  EXPECT_NE(legacy, static_cast<UINT>(CP_UTF8));
  EXPECT_TRUE(IsValidCodePage(legacy));
  // The test prefix's system locale is a Western one.
  ASSERT_EQ(legacy, 1252u);
  EXPECT_EQ(LegacyCharTable()[0xE9], L'\u00E9');
  EXPECT_EQ(LegacyCharTable()[0x80], L'\u20AC');
  EXPECT_EQ(LegacyCharTable()['A'], L'A');
  struct Case {
    const char* what;
    std::string stored;
    std::string shown;
  } const cases[] = {
      {"a Windows-1252 path", "C:\\caf\xE9.txt", "C:\\caf\xC3\xA9.txt"},
      {"the euro sign and more", "\x80 \xFC\xDF", "\xE2\x82\xAC \xC3\xBC\xC3\x9F"},
      {"UTF-8 stays", "C:\\caf\xC3\xA9\\\xE6\x97\xA5.txt", "C:\\caf\xC3\xA9\\\xE6\x97\xA5.txt"},
      {"ASCII stays", "Courier New", "Courier New"},
      {"empty", "", ""},
      {"one stray byte makes the whole text legacy", "\xC3\xA9\xE9", "\xC3\x83\xC2\xA9\xC3\xA9"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8FromLegacy(c.stored), c.shown) << c.what;
}

}  // namespace
}  // namespace qm
