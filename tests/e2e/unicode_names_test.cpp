// Names in any script: files whose names are not in the legacy code page
// open from the command line and from the name boxes, are remembered as
// such, and names an earlier release stored in the legacy code page come
// back as the same characters.
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

// UTF-8, as the driver runs.
const std::string kJapaneseName = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt";   // 日本語.txt
const std::string kChineseName = "\xE4\xB8\xAD\xE6\x96\x87\xE7\x89\x88.txt";    // 中文版.txt

std::wstring Wide(const std::string& utf8) {
  std::wstring out(utf8.size(), L'\0');
  out.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                                     static_cast<int>(utf8.size()), out.data(),
                                                     static_cast<int>(out.size()))));
  return out;
}

// The stored value exactly as the registry holds it, in UTF-16.
std::wstring StoredWide(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return {};
  wchar_t text[1024] = L"";
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return type == REG_SZ ? std::wstring(text) : std::wstring();
}

class UnicodeNames : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    left_ = dir_.Write(kJapaneseName, "one\ntwo\nthree\n");
    right_ = dir_.Write(kChineseName, "one\ntwo\nthree\nfour\n");
  }

  void ExpectCompared(const TextWindowProbe& window) {
    EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
    EXPECT_EQ(window.Title(), "Quillmere - [" + kJapaneseName + ", " + kChineseName + "]");
    EXPECT_EQ(window.NameText(0), left_);
    EXPECT_EQ(window.NameText(1), right_);
    EXPECT_EQ(program_.FindMessageBox(), nullptr);
  }

  std::string left_, right_;
};

TEST_F(UnicodeNames, FilesNamedInChineseAndJapaneseOpenFromTheCommandLine) {
  ASSERT_EQ(ReadFileBytes(left_), "one\ntwo\nthree\n") << "the driver writes the name as given";
  auto window = Launch(Quote(left_) + " " + Quote(right_));
  ExpectCompared(window);
  Shot(window, "unicode-names-command-line");
}

TEST_F(UnicodeNames, FilesNamedInChineseAndJapaneseOpenFromTheNameBoxesAndEnterTheHistories) {
  auto window = Launch("");
  window.SetNameText(0, left_);
  window.SetNameText(1, right_);
  window.Key(VK_F5);
  ExpectCompared(window);
  window.Post(kExit);
  ASSERT_TRUE(program_.WaitExit());
  // Stored as the characters themselves, not as a code page's guesses.
  EXPECT_EQ(StoredWide("LeftFileHistory.0"), Wide(left_));
  EXPECT_EQ(StoredWide("RightFileHistory.0"), Wide(right_));
  EXPECT_EQ(StoredWide("RecentFileHistory.0"), Wide(left_ + "\n" + right_));
}

TEST_F(UnicodeNames, CharactersTypedIntoANameBoxArriveWhole) {
  // Typed characters reach the box as the keyboard makes them (UTF-16), not
  // through a code page that has no place for them.
  auto window = Launch("");
  HWND edit = GetWindow(GetDlgItem(window.Handle(), 20402), GW_CHILD);
  ASSERT_NE(edit, nullptr);
  window.SetNameText(0, "");
  const std::wstring typed = Wide(left_);
  for (wchar_t ch : typed) PostMessageW(edit, WM_CHAR, ch, 1);
  EXPECT_TRUE(WaitFor([&] { return window.NameText(0) == left_; }, 5000)) << window.NameText(0);
  window.SetNameText(1, right_);
  window.Key(VK_F5);
  EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1"))
      << window.StatusPart(3) << program_.AnswerNext(IDOK, 100);
}

TEST_F(UnicodeNames, APathOfFewerThanMaxPathCharactersButMoreBytesOpens) {
  // 70 CJK characters take 210 bytes: with the folder, more than MAX_PATH
  // bytes of UTF-8 but fewer than MAX_PATH characters.
  std::string name;
  for (int i = 0; i < 70; ++i) name += "\xE5\xAD\x97";  // 字
  const std::string left = dir_.Write(name + ".txt", "one\ntwo\nthree\n");
  ASSERT_GT(left.size(), static_cast<size_t>(MAX_PATH));
  ASSERT_LT(Wide(left).size(), static_cast<size_t>(MAX_PATH));
  auto window = Launch(Quote(left) + " " + Quote(right_));
  EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  EXPECT_EQ(window.NameText(0), left);
}

TEST_F(UnicodeNames, ANameStoredByALegacyCodePageReleaseLoadsAsTheSameCharacters) {
  const std::string cafe = dir_.Write("caf\xC3\xA9.txt", "one\ntwo\nthree\n");  // café.txt
  // What an earlier release running in Windows-1252 stored for the bytes
  // "caf\xE9.txt": its A function turned them into these UTF-16 units.
  const std::string legacyPath = dir_.Path() + "\\caf\xE9.txt";
  std::vector<wchar_t> stored(legacyPath.size() + 1, L'\0');
  MultiByteToWideChar(1252, 0, legacyPath.c_str(), -1, stored.data(),
                      static_cast<int>(stored.size()));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring storedText(stored.data());
  for (const wchar_t* name : {L"LeftFile.text", L"LeftFileHistory.0"})
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(storedText.c_str()),
                   static_cast<DWORD>((storedText.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  auto window = Launch("");
  EXPECT_EQ(window.NameText(0), cafe) << "café.txt in UTF-8";
  window.SetNameText(1, right_);
  window.Key(VK_F5);
  EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << "the remembered name opens the file";
}

}  // namespace
}  // namespace qm::e2e
