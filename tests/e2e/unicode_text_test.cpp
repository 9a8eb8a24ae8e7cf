// Text in any script, end to end: UTF-16 and UTF-8 files with CJK,
// Cyrillic, emoji (surrogate pairs in UTF-16) and combining accents are
// compared, named in the status bar, stepped through, saved back byte for
// byte and exported as a UTF-8 page that holds the same characters.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

// The pieces, in UTF-8 as the driver runs.
const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE"
                              "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88";  // 日本語のテキスト
const std::string kJapanese2 =
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0";  // 日本語の文章
const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87\xE8\xA1\x8C";              // 中文行
const std::string kChinese2 = "\xE4\xB8\xAD\xE6\x96\x87\xE7\x89\x88";             // 中文版
const std::string kKorean = "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4";               // 한국어
const std::string kAdded = "\xE8\xBF\xBD\xE5\x8A\xA0";                           // 追加
const std::string kHello = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
                           "\xD0\xBC\xD0\xB8\xD1\x80";                            // Привет, мир
const std::string kEnd = "\xD0\xBA\xD0\xBE\xD0\xBD\xD0\xB5\xD1\x86";              // конец
const std::string kAddedRu =
    "\xD0\xB4\xD0\xBE\xD0\xB1\xD0\xB0\xD0\xB2\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xBE";   // добавлено
const std::string kGrin = "\xF0\x9F\x98\x80";   // U+1F600, D83D DE00 in UTF-16
const std::string kGrin2 = "\xF0\x9F\x98\x81";  // U+1F601: only the low surrogate differs
const std::string kParty = "\xF0\x9F\x8E\x89";  // U+1F389
const std::string kAcute = "\xCC\x81";          // U+0301 COMBINING ACUTE ACCENT
const std::string kGrave = "\xCC\x80";          // U+0300 COMBINING GRAVE ACCENT

// UTF-16 LE with its byte order mark, converted by the system, not by the
// program under test.
std::string Utf16Le(const std::string& utf8) {
  const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      wide.data(), count);
  std::string out = "\xFF\xFE";
  for (const wchar_t unit : wide) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8 & 0xFF);
  }
  return out;
}

// Rows of the UTF-8 pair: 3 changed (CJK), 5 changed (combining accents),
// 7 changed (an emoji added), 9 right only (Cyrillic).
const std::string kUtf8Left = "header\n" + kHello + "\n" + kJapanese + "\nsame\ncafe" + kAcute +
                              " noir\nsame again\nemoji " + kGrin + "\n" + kEnd + "\n";
const std::string kUtf8Right = "header\r\n" + kHello + "\r\n" + kJapanese2 + "\r\nsame\r\ncafe" +
                               kAcute + " cre" + kGrave + "me\r\nsame again\r\nemoji " + kGrin +
                               " " + kParty + "\r\n" + kEnd + "\r\n" + kAddedRu + "\r\n";

class UnicodeText : public E2eTest {
protected:
  TextWindowProbe CompareUtf8Pair() {
    const std::string left = dir_.Write("left.txt", kUtf8Left);
    const std::string right = dir_.Write("right.txt", kUtf8Right);
    auto window = Launch(Quote(left) + " " + Quote(right));
    EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 4, Lines: 4")) << window.StatusPart(3);
    EXPECT_EQ(window.StatusPart(2), "UNIX UTF-8, DOS UTF-8");
    return window;
  }
};

TEST_F(UnicodeText, AUtf16PairComparesByCharactersAndSavesBackByteForByte) {
  // Row 2 differs only in the second unit of a surrogate pair, row 4 in
  // one CJK character; row 6 is new on the right.
  const std::string leftBytes = Utf16Le(kJapanese + "\r\nemoji " + kGrin + " here\r\nsame\r\n" +
                                        kChinese + "\r\nunchanged " + kKorean + "\r\nlast " +
                                        kParty + "\r\n");
  const std::string rightBytes = Utf16Le(kJapanese + "\r\nemoji " + kGrin2 + " here\r\nsame\r\n" +
                                         kChinese2 + "\r\nunchanged " + kKorean + "\r\n" + kAdded +
                                         "\r\nlast " + kParty + "\r\n");
  const std::string left = dir_.Write("left16.txt", leftBytes);
  const std::string right = dir_.Write("right16.txt", rightBytes);
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 3, Lines: 3")) << window.StatusPart(3);
  EXPECT_EQ(window.StatusPart(2), "DOS UTF-16 LE, DOS UTF-16 LE");
  Shot(window, "unicode-utf16-pair");

  // Save As of each unmodified side gives back the file it was read from.
  const std::string leftCopy = dir_.File("left-copy.txt");
  window.Key(VK_F12);
  ChooseFile("Save Left File", leftCopy);
  program_.Settle(window.Handle());
  const std::string rightCopy = dir_.File("right-copy.txt");
  window.Key(VK_F4);
  window.Key(VK_F12);
  ChooseFile("Save Right File", rightCopy);
  program_.Settle(window.Handle());
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
  EXPECT_EQ(ReadFileBytes(leftCopy), leftBytes);
  EXPECT_EQ(ReadFileBytes(rightCopy), rightBytes);
  EXPECT_EQ(ReadFileBytes(left), leftBytes) << "the originals are untouched";
  EXPECT_EQ(ReadFileBytes(right), rightBytes);
}

TEST_F(UnicodeText, NextDifferenceStepsThroughAUtf8PairInManyScripts) {
  auto window = CompareUtf8Pair();
  Shot(window, "unicode-utf8-pair");
  EXPECT_EQ(window.StatusPart(1), "Virt 1, Ln 1, Col 1");
  for (const char* expected : {"Virt 3, Ln 3,", "Virt 5, Ln 5,", "Virt 7, Ln 7,", "Virt 9,",
                               "Virt 3, Ln 3,"}) {
    window.Key(VK_F8);
    const std::string at = window.StatusPart(1);
    EXPECT_EQ(at.substr(0, std::string(expected).size()), expected) << at;
  }
}

TEST_F(UnicodeText, TheExportedPageHoldsTheCharactersInUtf8) {
  auto window = CompareUtf8Pair();
  const std::string page = dir_.File("unicode.html");
  ExportTo(window, page);
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(page).find("</HTML>") != std::string::npos; }));
  const std::string html = ReadFileBytes(page);
  // Kept for a person to open in a browser, beside the screenshots.
  CopyFileA(page.c_str(), (ScreenshotFolder() + "\\unicode-export.html").c_str(), FALSE);

  const size_t charset =
      html.find("<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">");
  EXPECT_NE(charset, std::string::npos);
  EXPECT_LT(charset, html.find("<TITLE>")) << "declared before any text";
  for (const std::string& text :
       {kHello + "&nbsp;", kJapanese + "&nbsp;", kJapanese2 + "&nbsp;", "cafe" + kAcute + " noir",
        "cafe" + kAcute + " cre" + kGrave + "me&nbsp;", "emoji " + kGrin + "&nbsp;",
        "emoji " + kGrin + " " + kParty + "&nbsp;", kAddedRu + "&nbsp;", kEnd + "&nbsp;"}) {
    EXPECT_NE(html.find(">" + text), std::string::npos) << text;
  }
  EXPECT_EQ(html.find("\xEF\xBF\xBD"), std::string::npos) << "no replacement characters";
  EXPECT_EQ(html.find("&#"), std::string::npos) << "characters as themselves, not references";
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
}

}  // namespace
}  // namespace qm::e2e
