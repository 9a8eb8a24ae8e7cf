// The Settings record against the real registry of the test prefix: fresh
// defaults, the stored form after Save, load rules for damaged or
// out-of-range values, and round trips of every field.
#include "app/settings.h"

#include <algorithm>
#include <cstdio>

#include "tests/win/settings_test_util.h"

namespace qm {
namespace {

using test::GetRaw;
using test::PutDword;
using test::PutRaw;
using test::PutString;

struct FlagRow {
  const char* name;
  bool SettingsRecord::*field;
  bool fresh;
};

// Every stored boolean with its documented default.
const FlagRow kFlags[] = {
    {"IgnoreCase", &SettingsRecord::IgnoreCase, false},
    {"CompareChanges", &SettingsRecord::CompareChanges, true},
    {"HighlightChanges", &SettingsRecord::HighlightChanges, true},
    {"WordWrap", &SettingsRecord::WordWrap, false},
    {"ShowWhiteSpace", &SettingsRecord::ShowWhiteSpace, false},
    {"SyncScroll", &SettingsRecord::SyncScroll, true},
    {"ViewSummary", &SettingsRecord::ViewSummary, true},
    {"ViewToolBar", &SettingsRecord::ViewToolBar, true},
    {"ViewQuickBar", &SettingsRecord::ViewQuickBar, true},
    {"ViewStatusBar", &SettingsRecord::ViewStatusBar, true},
    {"DrawCaretBox", &SettingsRecord::DrawCaretBox, true},
    {"DrawArrows", &SettingsRecord::DrawArrows, true},
    {"WrapAround", &SettingsRecord::WrapAround, true},
    {"IdenticalMessage", &SettingsRecord::IdenticalMessage, false},
    {"ScrollToFirst", &SettingsRecord::ScrollToFirst, false},
    {"AskConfirmation", &SettingsRecord::AskConfirmation, true},
    {"ReUseFileWindow", &SettingsRecord::ReUseFileWindow, false},
    {"ReUseFolderWindow", &SettingsRecord::ReUseFolderWindow, true},
    {"EscQuitsApp", &SettingsRecord::EscQuitsApp, true},
    {"DropDelete", &SettingsRecord::DropDelete, true},
    {"DblClickDefaults", &SettingsRecord::DblClickDefaults, true},
    {"SmartRefresh", &SettingsRecord::SmartRefresh, true},
    {"SearchSelected", &SettingsRecord::SearchSelected, false},
    {"JumpToNext", &SettingsRecord::JumpToNext, false},
    {"AllowBinary", &SettingsRecord::AllowBinary, false},
    {"FolderUndo", &SettingsRecord::FolderUndo, true},
    {"IgnoreNameCase", &SettingsRecord::IgnoreNameCase, true},
    {"CompareSubfolders", &SettingsRecord::CompareSubfolders, true},
    {"CompareAttribs", &SettingsRecord::CompareAttribs, false},
    {"CompareFolderAttribs", &SettingsRecord::CompareFolderAttribs, false},
    {"CompareDate", &SettingsRecord::CompareDate, true},
    {"CompareFolderDate", &SettingsRecord::CompareFolderDate, false},
    {"CompareSize", &SettingsRecord::CompareSize, true},
    {"CompareQuick", &SettingsRecord::CompareQuick, false},
    {"CompareFull", &SettingsRecord::CompareFull, false},
    {"HaveIncludeFilter", &SettingsRecord::HaveIncludeFilter, false},
    {"HaveExcludeFilter", &SettingsRecord::HaveExcludeFilter, false},
    {"FindMatchCase", &SettingsRecord::FindMatchCase, false},
    {"FindWholeWord", &SettingsRecord::FindWholeWord, false},
    {"FindDownwards", &SettingsRecord::FindDownwards, true},
    {"PrintPortrait", &SettingsRecord::PrintPortrait, true},
};

struct NumberRow {
  const char* name;
  uint32_t fresh;
  uint32_t (*get)(const SettingsRecord&);
};

#define QM_NUMBER(field) [](const SettingsRecord& s) { return static_cast<uint32_t>(s.field); }
const NumberRow kNumbers[] = {
    {"TextColor", 0x000000, QM_NUMBER(TextColor)},
    {"ReadOnlyColor", 0x606060, QM_NUMBER(ReadOnlyColor)},
    {"SameBkColor", 0xFFFFFF, QM_NUMBER(SameBkColor)},
    {"EmptyBkColor", 0xF4F4F4, QM_NUMBER(EmptyBkColor)},
    {"LeftBkColor", 0xC0DCC0, QM_NUMBER(LeftBkColor)},
    {"RightBkColor", 0xF0CAA6, QM_NUMBER(RightBkColor)},
    {"ChangeBkColor", 0xA6CAF0, QM_NUMBER(ChangeBkColor)},
    {"IgnoreBlanks2", 0, QM_NUMBER(IgnoreBlanks2)},
    {"TabStop", 4, QM_NUMBER(TabStop)},
    {"ShowLineNumbers", 2, QM_NUMBER(ShowLineNumbers)},
    {"FontSize", 8, QM_NUMBER(FontSize)},
    {"PrintScale", 100, QM_NUMBER(PrintScale)},
    {"ExportHow", 0, QM_NUMBER(ExportHow)},
};
#undef QM_NUMBER

const COLORREF kFreshCustomColors[16] = {0x000000, 0x606060, 0xFFFFFF, 0xF4F4F4,
                                         0xC0DCC0, 0xF0CAA6, 0xA6CAF0, 0xFFFFFF,
                                         0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                         0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

const char* const kHistories[] = {
    "LeftFileHistory",   "RightFileHistory",     "LeftFolderHistory",
    "RightFolderHistory", "IncludeFilterHistory", "ExcludeFilterHistory",
    "RecentFileHistory", "RecentFolderHistory",
};

std::string Text(const test::RawValue& value) {
  return std::string(value.data.begin(), std::find(value.data.begin(), value.data.end(), 0));
}

uint32_t Dword(const test::RawValue& value) {
  uint32_t number = 0;
  std::memcpy(&number, value.data.data(), std::min<size_t>(4, value.data.size()));
  return number;
}

std::string Corners(const WindowPlacement& p) {
  return std::to_string(p.left) + "," + std::to_string(p.top) + "," + std::to_string(p.right) +
         "," + std::to_string(p.bottom);
}

std::string CustomName(int i) { return "CustomColor." + std::to_string(i); }

using SettingsStore = test::CleanSettingsKey;

TEST_F(SettingsStore, FreshUserGetsEveryDefault) {
  SettingsRecord s;
  s.Load();
  for (const FlagRow& row : kFlags) EXPECT_EQ(row.fresh, s.*row.field) << row.name;
  for (const NumberRow& row : kNumbers) EXPECT_EQ(row.fresh, row.get(s)) << row.name;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(kFreshCustomColors[i], s.CustomColor[i]) << i;
  EXPECT_EQ(2u, s.FragmentSize);
  EXPECT_EQ(50, s.MatchPercent);
  EXPECT_EQ(DefaultFontFace(), s.FontFace);
  EXPECT_EQ("", s.FindText);
  EXPECT_EQ("", s.ExportResults);
  EXPECT_FALSE(s.CompareWindow.valid);
  EXPECT_EQ(LONG(CW_USEDEFAULT), s.CompareWindow.left);
  EXPECT_FALSE(s.PreviewWindow.valid);
  EXPECT_TRUE(s.SessionWindow.valid);
  EXPECT_FALSE(s.SessionWindow.maximized);
  EXPECT_EQ("50,50,500,600", Corners(s.SessionWindow));
  EXPECT_EQ(40, s.LeftFileHistory.Maximum());
  EXPECT_EQ(20, s.IncludeFilterHistory.Maximum());
  EXPECT_TRUE(s.IncludeFilterHistory.CaseSensitive());
  EXPECT_FALSE(s.RecentFileHistory.CaseSensitive());
  EXPECT_EQ(40, s.RecentFolderHistory.Maximum());
  EXPECT_GE(s.WheelScrollLines, 1u);
  EXPECT_EQ(0, s.OpenWindowCount);
  EXPECT_FALSE(s.CommandLineCompare);
}

TEST_F(SettingsStore, SaveWritesEverySavedValueInItsEncoding) {
  SettingsRecord s;
  s.Load();
  s.Save();
  for (const FlagRow& row : kFlags) {
    std::optional<test::RawValue> value = GetRaw(row.name);
    ASSERT_TRUE(value) << row.name;
    EXPECT_EQ(DWORD(REG_SZ), value->type) << row.name;
    EXPECT_EQ(row.fresh ? "true" : "false", Text(*value)) << row.name;
    EXPECT_EQ(row.fresh ? 5u : 6u, value->data.size()) << row.name << ": terminator written";
  }
  for (const NumberRow& row : kNumbers) {
    std::optional<test::RawValue> value = GetRaw(row.name);
    ASSERT_TRUE(value) << row.name;
    EXPECT_EQ(DWORD(REG_DWORD), value->type) << row.name;
    EXPECT_EQ(row.fresh, Dword(*value)) << row.name;
  }
  for (int i = 0; i < 16; ++i) {
    std::optional<test::RawValue> value = GetRaw(CustomName(i).c_str());
    ASSERT_TRUE(value) << i;
    EXPECT_EQ(kFreshCustomColors[i], Dword(*value)) << i;
  }
  for (const char* name : kHistories) {
    std::optional<test::RawValue> count = GetRaw((std::string(name) + ".count").c_str());
    ASSERT_TRUE(count) << name;
    EXPECT_EQ(0u, Dword(*count)) << name;
  }
  for (const char* name : {"FontFace", "FindText", "ExportResults"}) {
    std::optional<test::RawValue> value = GetRaw(name);
    ASSERT_TRUE(value) << name;
    EXPECT_EQ(DWORD(REG_SZ), value->type) << name;
  }
  EXPECT_EQ(s.FontFace, Text(*GetRaw("FontFace")));
  EXPECT_EQ("0,32,32,1f4,258", Text(*GetRaw("SessionWindow")));
  EXPECT_EQ("0,80000000,80000000,80000000,80000000", Text(*GetRaw("CompareWindow")));
  EXPECT_TRUE(GetRaw("PreviewWindow"));
  EXPECT_FALSE(GetRaw("FragmentSize"));
  EXPECT_FALSE(GetRaw("MatchPercent"));
}

TEST_F(SettingsStore, ReadOnlyTuningIsReadButNeverWritten) {
  PutDword("FragmentSize", 5);
  PutDword("MatchPercent", 70);
  SettingsRecord s;
  s.Load();
  EXPECT_EQ(5u, s.FragmentSize);
  EXPECT_EQ(70, s.MatchPercent);
  test::DeleteSettingsKey();
  s.Save();
  EXPECT_FALSE(GetRaw("FragmentSize"));
  EXPECT_FALSE(GetRaw("MatchPercent"));
}

TEST_F(SettingsStore, EveryFieldRoundTrips) {
  {
    SettingsRecord s;
    s.Load();
    for (const FlagRow& row : kFlags) s.*row.field = !row.fresh;
    // The exclusive pairs would cancel each other when both are flipped on.
    s.CompareQuick = false;
    s.HaveExcludeFilter = false;
    s.IncludeFilterHistory.Add("*.cpp");
    s.TextColor = 0x010203;
    s.ReadOnlyColor = 0x040506;
    s.SameBkColor = 0x070809;
    s.EmptyBkColor = 0x0A0B0C;
    s.LeftBkColor = 0x0D0E0F;
    s.RightBkColor = 0x101112;
    s.ChangeBkColor = 0x131415;
    for (int i = 0; i < 16; ++i) s.CustomColor[i] = 0x100 * i + 7;
    s.IgnoreBlanks2 = 0xE;
    s.TabStop = 16;
    s.ShowLineNumbers = 0;
    s.FontFace = "Courier New";
    s.FontSize = 200;
    s.PrintScale = 25;
    s.ExportResults = "C:\\out\\diff.html";
    s.ExportHow = 2;
    s.FindText = "needle";
    s.CompareWindow.Parse("1,a,14,300,200", RECT{0, 0, 1024, 768});
    s.PreviewWindow.Parse("0,fffffff6,fffffff0,100,100", RECT{0, 0, 1024, 768});
    s.SessionWindow.Parse("0,64,64,200,180", RECT{0, 0, 1024, 768});
    s.LeftFileHistory.Add("C:\\a.txt");
    s.RecentFolderHistory.Add(RecentComparison{"C:\\old", "C:\\new"});
    s.Save();
  }
  SettingsRecord t;
  t.Load();
  for (const FlagRow& row : kFlags) {
    const bool expected = (row.field == &SettingsRecord::CompareQuick ||
                           row.field == &SettingsRecord::HaveExcludeFilter)
                              ? false
                              : !row.fresh;
    EXPECT_EQ(expected, t.*row.field) << row.name;
  }
  EXPECT_EQ(0x010203u, t.TextColor);
  EXPECT_EQ(0x040506u, t.ReadOnlyColor);
  EXPECT_EQ(0x070809u, t.SameBkColor);
  EXPECT_EQ(0x0A0B0Cu, t.EmptyBkColor);
  EXPECT_EQ(0x0D0E0Fu, t.LeftBkColor);
  EXPECT_EQ(0x101112u, t.RightBkColor);
  EXPECT_EQ(0x131415u, t.ChangeBkColor);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(COLORREF(0x100 * i + 7), t.CustomColor[i]) << i;
  EXPECT_EQ(0xEu, t.IgnoreBlanks2);
  EXPECT_EQ(16, t.TabStop);
  EXPECT_EQ(0, t.ShowLineNumbers);
  EXPECT_EQ("Courier New", t.FontFace);
  EXPECT_EQ(200, t.FontSize);
  EXPECT_EQ(25, t.PrintScale);
  EXPECT_EQ("C:\\out\\diff.html", t.ExportResults);
  EXPECT_EQ(2, t.ExportHow);
  EXPECT_EQ("needle", t.FindText);
  EXPECT_TRUE(t.CompareWindow.valid);
  EXPECT_TRUE(t.CompareWindow.maximized);
  EXPECT_EQ("10,20,768,512", Corners(t.CompareWindow));
  EXPECT_EQ(-10, t.PreviewWindow.left);
  EXPECT_EQ(-16, t.PreviewWindow.top);
  EXPECT_EQ(0x64, t.SessionWindow.left);
  EXPECT_EQ("*.cpp", t.IncludeFilterHistory.FirstText());
  EXPECT_EQ("C:\\a.txt", t.LeftFileHistory.FirstText());
  ASSERT_EQ(1, t.RecentFolderHistory.Count());
  EXPECT_EQ("C:\\old", t.RecentFolderHistory.Pair(0).left);
  EXPECT_EQ("C:\\new", t.RecentFolderHistory.Pair(0).right);
}

struct RuleRow {
  const char* what;
  const char* name;
  DWORD stored;
  uint32_t expected;
};

TEST_F(SettingsStore, OutOfRangeNumbersLoadAsTheirDefaults) {
  const RuleRow rows[] = {
      {"tab 0", "TabStop", 0, 4},           {"tab 17", "TabStop", 17, 4},
      {"tab 1", "TabStop", 1, 1},           {"tab 16", "TabStop", 16, 16},
      {"tab -1", "TabStop", 0xFFFFFFFF, 4}, {"font 201", "FontSize", 201, 8},
      {"font 0", "FontSize", 0, 8},         {"font 200", "FontSize", 200, 200},
      {"scale 24", "PrintScale", 24, 100},  {"scale 25", "PrintScale", 25, 25},
      {"scale 101", "PrintScale", 101, 100}, {"numbers 3", "ShowLineNumbers", 3, 2},
      {"numbers 1", "ShowLineNumbers", 1, 1}, {"export 3", "ExportHow", 3, 0},
      {"export 1", "ExportHow", 1, 1},      {"blanks", "IgnoreBlanks2", 0xF, 0xF},
  };
  for (const RuleRow& row : rows) {
    test::DeleteSettingsKey();
    PutDword(row.name, row.stored);
    SettingsRecord s;
    s.Load();
    const NumberRow* number = std::find_if(std::begin(kNumbers), std::end(kNumbers),
                                           [&](const NumberRow& n) {
                                             return std::strcmp(n.name, row.name) == 0;
                                           });
    ASSERT_NE(std::end(kNumbers), number) << row.what;
    EXPECT_EQ(row.expected, number->get(s)) << row.what;
  }
}

TEST_F(SettingsStore, ColoursWithATopByteLoadAndSaveAsTheirDefaults) {
  // All planted at once: one damaged colour must not disturb another.
  const RuleRow rows[] = {
      {"all bits", "TextColor", 0xFFFFFFFF, 0x000000},
      {"top byte 7F", "SameBkColor", 0x7F123456, 0xFFFFFF},
      {"palette index", "ChangeBkColor", 0x01000005, 0xA6CAF0},
      {"top bit only", "ReadOnlyColor", 0x80000000, 0x606060},
      {"plain white", "EmptyBkColor", 0x00FFFFFF, 0xFFFFFF},
      {"plain colour", "LeftBkColor", 0x00123456, 0x123456},
      {"custom, top byte", "CustomColor.3", 0xFF00FF00, 0xF4F4F4},
      {"custom, plain", "CustomColor.9", 0x00ABCDEF, 0xABCDEF},
  };
  for (const RuleRow& row : rows) PutDword(row.name, row.stored);
  SettingsRecord s;
  s.Load();
  EXPECT_EQ(0x000000u, s.TextColor);
  EXPECT_EQ(0xF4F4F4u, s.CustomColor[3]);
  // Save writes what was loaded: the stored values show every row.
  s.Save();
  for (const RuleRow& row : rows) {
    std::optional<test::RawValue> value = GetRaw(row.name);
    ASSERT_TRUE(value) << row.what;
    EXPECT_EQ(row.expected, Dword(*value)) << row.what;
  }
}

TEST_F(SettingsStore, ExclusiveFlagsAndEmptyFilterHistoriesSwitchOff) {
  struct Row {
    const char* what;
    std::vector<const char*> trueFlags;
    std::vector<const char*> filters;  // "Include"/"Exclude": one entry stored
    bool quick, full, include, exclude;
  } rows[] = {
      {"quick and full", {"CompareQuick", "CompareFull"}, {}, false, false, false, false},
      {"quick alone", {"CompareQuick"}, {}, true, false, false, false},
      {"full alone", {"CompareFull"}, {}, false, true, false, false},
      {"include without history", {"HaveIncludeFilter"}, {}, false, false, false, false},
      {"include with history", {"HaveIncludeFilter"}, {"Include"}, false, false, true, false},
      {"exclude with history", {"HaveExcludeFilter"}, {"Exclude"}, false, false, false, true},
      {"exclude, only include history", {"HaveExcludeFilter"}, {"Include"}, false, false, false,
       false},
      {"both filters", {"HaveIncludeFilter", "HaveExcludeFilter"}, {"Include", "Exclude"}, false,
       false, false, false},
  };
  for (const Row& row : rows) {
    test::DeleteSettingsKey();
    for (const char* flag : row.trueFlags) PutString(flag, "true");
    for (const char* filter : row.filters) {
      const std::string list = std::string(filter) + "FilterHistory";
      PutDword((list + ".count").c_str(), 1);
      PutString((list + ".0").c_str(), "*.txt");
    }
    SettingsRecord s;
    s.Load();
    EXPECT_EQ(row.quick, s.CompareQuick) << row.what;
    EXPECT_EQ(row.full, s.CompareFull) << row.what;
    EXPECT_EQ(row.include, s.HaveIncludeFilter) << row.what;
    EXPECT_EQ(row.exclude, s.HaveExcludeFilter) << row.what;
  }
}

TEST_F(SettingsStore, BooleansAreTrueOnlyForExactLowerCaseTrue) {
  const struct {
    const char* what;
    DWORD type;
    std::string data;  // raw bytes stored
    bool expected;     // IgnoreCase after load (default false)
  } rows[] = {
      {"true", REG_SZ, std::string("true", 5), true},
      {"no terminator", REG_SZ, "true", true},
      {"capitals", REG_SZ, std::string("TRUE", 5), false},
      {"mixed", REG_SZ, std::string("True", 5), false},
      {"trailing blank", REG_SZ, std::string("true ", 6), false},
      {"longer", REG_SZ, std::string("truely", 7), false},
      {"empty", REG_SZ, std::string("", 1), false},
      {"dword one", REG_DWORD, std::string("\1\0\0\0", 4), false},
      {"binary true", REG_BINARY, std::string("true", 5), false},
  };
  for (const auto& row : rows) {
    test::DeleteSettingsKey();
    PutRaw("IgnoreCase", row.type, row.data.data(), static_cast<DWORD>(row.data.size()));
    PutString("SyncScroll", "false");
    SettingsRecord s;
    s.Load();
    EXPECT_EQ(row.expected, s.IgnoreCase) << row.what;
    EXPECT_FALSE(s.SyncScroll) << row.what << ": \"false\" overrides a true default";
  }
}

TEST_F(SettingsStore, DwordsOfUpToFourBytesAreTakenWhateverTheirType) {
  const struct {
    const char* what;
    DWORD type;
    std::string data;
    uint32_t expected;  // default 77
  } rows[] = {
      {"dword", REG_DWORD, std::string("\x10\x02\0\0", 4), 0x210},
      {"binary of 4", REG_BINARY, std::string("\x0C\0\0\0", 4), 12},
      {"binary of 2", REG_BINARY, std::string("\x34\x12", 2), 0x1234},
      {"string of 3", REG_SZ, std::string("ab", 3), 0x6261},
      {"binary of 8", REG_BINARY, std::string("\x0C\0\0\0\0\0\0\0", 8), 77},
      {"qword", REG_QWORD, std::string("\x05\0\0\0\0\0\0\0", 8), 77},
  };
  for (const auto& row : rows) {
    test::DeleteSettingsKey();
    PutRaw("Number", row.type, row.data.data(), static_cast<DWORD>(row.data.size()));
    EXPECT_EQ(row.expected, ReadSettingDword("Number", 77)) << row.what;
  }
  EXPECT_EQ(77u, ReadSettingDword("Absent", 77));
  PutRaw("TabStop", REG_BINARY, "\x08\0\0\0", 4);
  PutRaw("FontSize", REG_BINARY, "\x0C\0\0\0\0\0\0\0", 8);
  SettingsRecord s;
  s.Load();
  EXPECT_EQ(8, s.TabStop);
  EXPECT_EQ(8, s.FontSize) << "an 8-byte value gives the default";
}

TEST_F(SettingsStore, StringsAreBoundedAndTerminated) {
  EXPECT_FALSE(ReadSettingString("Absent"));
  PutRaw("Bare", REG_SZ, "abc", 3);
  EXPECT_EQ("abc", ReadSettingString("Bare").value_or("?")) << "no stored terminator";
  PutRaw("Empty", REG_SZ, "", 0);
  EXPECT_EQ("", ReadSettingString("Empty").value_or("?"));
  PutDword("Number", 0x41);
  EXPECT_FALSE(ReadSettingString("Number")) << "not a string type";
  const std::string huge(kMaxRegStringBytes + 10, 'x');
  PutString("Huge", huge);
  EXPECT_FALSE(ReadSettingString("Huge"));
  const std::string large(kMaxRegStringBytes - 1, 'y');
  PutString("Large", large);
  EXPECT_EQ(large, ReadSettingString("Large").value_or(""));
}

TEST_F(SettingsStore, LongTextsAreCut) {
  PutString("FindText", std::string(300, 'f'));
  PutString("FontFace", std::string(40, 'F'));
  PutString("ExportResults", "C:\\" + std::string(MAX_PATH, 'e'));
  SettingsRecord s;
  s.Load();
  EXPECT_EQ("", s.ExportResults) << "too long for a path: dropped";
  EXPECT_EQ(std::string(255, 'f'), s.FindText);
  EXPECT_EQ(std::string(LF_FACESIZE - 1, 'F'), s.FontFace);
}

TEST_F(SettingsStore, EmptyFontFaceRunsTheDefaultSearch) {
  PutString("FontFace", "");
  SettingsRecord s;
  s.Load();
  EXPECT_EQ(DefaultFontFace(), s.FontFace);
}

TEST(DefaultFontSearch, FindsAnInstalledFixedPitchFace) {
  const std::string face = DefaultFontFace();
  // The test prefix maps "Andale Mono", "Lucida Console" and "Courier New"
  // onto installed fonts, so the search never falls through to "Fixedsys".
  EXPECT_TRUE(face == "Andale Mono" || face == "Lucida Console" || face == "Courier New")
      << face;
}

TEST_F(SettingsStore, ValuesOutsideTheRecord) {
  std::string text = "unchanged";
  EXPECT_FALSE(ReadFieldText("LeftFile", &text));
  EXPECT_EQ("unchanged", text);
  WriteFieldText("LeftFile", "C:\\x.txt");
  WriteFieldText("RightFolder", "");
  EXPECT_EQ("C:\\x.txt", Text(*GetRaw("LeftFile.text")));
  ASSERT_TRUE(ReadFieldText("RightFolder", &text));
  EXPECT_EQ("", text);

  POINT box{};
  EXPECT_FALSE(ReadOptionsBox(&box));
  WriteOptionsBox(POINT{-20, 300});
  EXPECT_EQ("ffffffec,12c", Text(*GetRaw(kOptionsBoxValue)));
  ASSERT_TRUE(ReadOptionsBox(&box));
  EXPECT_EQ(-20, box.x);
  EXPECT_EQ(300, box.y);
  PutString(kOptionsBoxValue, "12");
  EXPECT_FALSE(ReadOptionsBox(&box));

}

TEST(InstallDir, MachineValueFirstThenUser) {
  const struct {
    const char* what;
    const char* machine;  // null: absent
    const char* user;
    const char* expected;
  } rows[] = {
      {"neither", nullptr, nullptr, ""},
      {"user only", nullptr, "C:\\User", "C:\\User"},
      {"machine empty", "", "C:\\User", "C:\\User"},
      {"both", "C:\\Machine", "C:\\User", "C:\\Machine"},
  };
  for (const auto& row : rows) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      RegDeleteKeyValueA(root, kProductKey, "InstallDir");
    }
    if (row.machine) WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, "InstallDir", row.machine);
    if (row.user) WriteRegString(HKEY_CURRENT_USER, kProductKey, "InstallDir", row.user);
    EXPECT_EQ(row.expected, InstallDir()) << row.what;
  }
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegDeleteKeyValueA(root, kProductKey, "InstallDir");
  }
}

TEST_F(SettingsStore, CompareSnapshotCopiesTheComparisonFields) {
  SettingsRecord s;
  s.IgnoreCase = true;
  s.IgnoreBlanks2 = kIgnoreLeadingBlanks | kIgnoreTrailingBlanks;
  s.CompareChanges = false;
  s.FragmentSize = 3;
  s.MatchPercent = 65;
  s.AllowBinary = true;
  s.ScrollToFirst = true;
  s.WrapAround = false;
  const CompareSettings copy = s.CompareSnapshot();
  s.IgnoreCase = false;  // a later change is not seen by the copy
  EXPECT_TRUE(copy.options.IgnoreCase);
  EXPECT_EQ(12u, copy.options.IgnoreBlanks2);
  EXPECT_FALSE(copy.options.CompareChanges);
  EXPECT_EQ(3u, copy.options.FragmentSize);
  EXPECT_EQ(65, copy.options.MatchPercent);
  EXPECT_TRUE(copy.AllowBinary);
  EXPECT_TRUE(copy.ScrollToFirst);
  EXPECT_FALSE(copy.WrapAround);
}

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH info{};
  GetObjectA(brush, sizeof info, &info);
  return info.lbColor;
}

TEST_F(SettingsStore, BrushesFollowTheColoursAndAreReleasedAtSave) {
  PutDword("ChangeBkColor", 0x123456);
  SettingsRecord s;
  s.Load();
  ASSERT_NE(nullptr, s.ChangeBkBrush);
  EXPECT_EQ(0x123456u, BrushColor(s.ChangeBkBrush));
  EXPECT_EQ(0xFFFFFFu, BrushColor(s.SameBkBrush));
  EXPECT_EQ(0xF0CAA6u, BrushColor(s.RightBkBrush));
  EXPECT_EQ(0xC0DCC0u, BrushColor(s.LeftBkBrush));
  EXPECT_EQ(0xF4F4F4u, BrushColor(s.EmptyBkBrush));
  // This test program carries no bitmap resources.
  EXPECT_EQ(nullptr, s.DividerBrush);
  EXPECT_EQ(nullptr, s.Bitmap(1222, 1));

  s.LeftBkColor = 0x00FF00;
  s.RemakeBrushes();
  EXPECT_EQ(0x00FF00u, BrushColor(s.LeftBkBrush));

  s.Save();
  EXPECT_EQ(nullptr, s.SameBkBrush);
  EXPECT_EQ(nullptr, s.ChangeBkBrush);
  EXPECT_EQ(nullptr, s.DevMode);
}

TEST(BitmapSlots, LookUpByResourceIdAndCopy) {
  SettingsRecord s;
  HBITMAP fake[kBitmapSlotCount];
  for (int slot = 0; slot < kBitmapSlotCount; ++slot) {
    fake[slot] = reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(slot + 1));
    s.Bitmaps[slot] = fake[slot];
  }
  EXPECT_EQ(fake[0], s.Bitmap(1202));
  EXPECT_EQ(fake[2], s.Bitmap(1206));
  EXPECT_EQ(fake[4], s.Bitmap(1204));
  EXPECT_EQ(fake[20], s.Bitmap(1222));
  EXPECT_EQ(fake[24], s.Bitmap(1222, 1));
  EXPECT_EQ(fake[25], s.Bitmap(1223, 1));
  EXPECT_EQ(nullptr, s.Bitmap(1202, 1));
  EXPECT_EQ(nullptr, s.Bitmap(1200));
  for (HBITMAP& bitmap : s.Bitmaps) bitmap = nullptr;  // not real objects
}

}  // namespace
}  // namespace qm
