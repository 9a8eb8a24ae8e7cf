// The name rules of the folder comparison against simple references:
// MatchWildcard against an exhaustive matcher on random patterns and
// names, the filter text split, case folding, the list order and the
// difference words.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "folders/folder_entry.h"
#include "folders/folder_filter.h"

namespace qm {
namespace {

// Characters as the matcher sees them: a UTF-8 sequence, or a lone byte.
std::vector<std::string> Chars(const std::string& s) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < s.size();) {
    const TextChar ch = NextChar(s.data() + i, s.size() - i);
    const size_t n = ch.kind == CharKind::Scalar ? ch.length : 1;
    chars.push_back(s.substr(i, n));
    i += n;
  }
  return chars;
}

// Every way of matching, tried: "*" takes any run, "?" one character.
bool ReferenceMatch(const std::vector<std::string>& p, size_t pi,
                    const std::vector<std::string>& s, size_t si, bool caseSensitive) {
  if (pi == p.size()) return si == s.size();
  if (p[pi] == "*") {
    for (size_t k = si; k <= s.size(); ++k) {
      if (ReferenceMatch(p, pi + 1, s, k, caseSensitive)) return true;
    }
    return false;
  }
  if (si == s.size()) return false;
  const bool same = p[pi] == "?" || p[pi] == s[si] ||
                    (!caseSensitive && FoldName(p[pi]) == FoldName(s[si]));
  return same && ReferenceMatch(p, pi + 1, s, si + 1, caseSensitive);
}

bool Reference(std::string pattern, const std::string& name, bool caseSensitive) {
  if (pattern.size() >= 3 && pattern.substr(pattern.size() - 3) == "*.*") {
    pattern.resize(pattern.size() - 2);
  }
  return ReferenceMatch(Chars(pattern), 0, Chars(name), 0, caseSensitive);
}

TEST(MatchWildcard, AgreesWithExhaustiveMatcherOnRandomInput) {
  static const char* const kPatternPool[] = {"*", "?", "a", "A", "b", ".", "\xC3\xA9",
                                             "\xC3\x89", "\xFF", "*.*", "ab"};
  static const char* const kNamePool[] = {"a", "A", "b", "B", ".", "\xC3\xA9", "\xC3\x89",
                                          "\xFF", "\xC3", "ba"};
  std::mt19937 rng(20261208);
  int matches = 0;
  for (int round = 0; round < 40000; ++round) {
    std::string pattern;
    std::string name;
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) pattern += kPatternPool[rng() % 11];
    for (int i = static_cast<int>(rng() % 7); i > 0; --i) name += kNamePool[rng() % 10];
    const bool caseSensitive = rng() % 2;
    const bool expected = Reference(pattern, name, caseSensitive);
    matches += expected;
    ASSERT_EQ(MatchWildcard(pattern, name, caseSensitive), expected)
        << "pattern \"" << pattern << "\" name \"" << name << "\" case " << caseSensitive;
  }
  // The sample must exercise both answers to mean anything.
  EXPECT_GT(matches, 2000);
  EXPECT_LT(matches, 38000);
}

TEST(MatchWildcard, StarDotStarAlsoMatchesNamesWithoutADot) {
  EXPECT_TRUE(MatchWildcard("*.*", "Makefile", true));
  EXPECT_TRUE(MatchWildcard("abc*.*", "abcdef", true));
  EXPECT_FALSE(MatchWildcard("*.", "Makefile", true));
  EXPECT_TRUE(MatchWildcard("*.TXT", "notes.txt", false));
  EXPECT_FALSE(MatchWildcard("*.TXT", "notes.txt", true));
  EXPECT_TRUE(MatchWildcard("?.txt", "\xC3\xA9.txt", true));  // one character, two bytes
}

TEST(FilterPatterns, SplitAtSemicolonsAndTrimmed) {
  EXPECT_EQ(ParseFilterPatterns("*.cpp; *.h ;;"), (FilterPatterns{"*.cpp", "*.h"}));
  EXPECT_EQ(ParseFilterPatterns(" \t\r\n\v\f"), FilterPatterns{});
  EXPECT_EQ(ParseFilterPatterns("a b ; c"), (FilterPatterns{"a b", "c"}));
}

TEST(FilterPatterns, IncludeKeepsAndExcludeDropsByLastComponent) {
  const auto names = [](const std::vector<FolderEntry>& v) {
    std::vector<std::string> n;
    for (const FolderEntry& e : v) n.push_back(e.name);
    return n;
  };
  std::vector<FolderEntry> entries(4);
  entries[0].name = "src\\notes.TXT";
  entries[1].name = "src";
  entries[1].isFolder = true;
  entries[2].name = "a.obj";
  entries[3].name = "b.txt.tmp";
  std::vector<FolderEntry> kept = entries;
  ApplyFilter(kept, ParseFilterPatterns("*.txt"), true, false);
  EXPECT_EQ(names(kept), (std::vector<std::string>{"src\\notes.TXT"}));
  kept = entries;
  ApplyFilter(kept, ParseFilterPatterns("*.obj;*.tmp"), false, true);
  EXPECT_EQ(names(kept), (std::vector<std::string>{"src\\notes.TXT", "src"}));
}

TEST(FoldName, FoldsLettersOfSeveralAlphabetsAndKeepsOtherBytes) {
  EXPECT_EQ(FoldName("ReadMe.TXT"), "readme.txt");
  EXPECT_EQ(FoldName("\xC3\x89T\xC3\x89"), "\xC3\xA9t\xC3\xA9");              // ÉTÉ
  EXPECT_EQ(FoldName("\xD0\x96\xCE\xA3\xC5\x81"), "\xD0\xB6\xCF\x83\xC5\x82");  // ЖΣŁ
  EXPECT_EQ(FoldName("a\xFF\xC3"), "a\xFF\xC3");
  // Every folded character folds to itself again.
  for (uint32_t c = 0; c < 0x10000; ++c) ASSERT_EQ(FoldChar(FoldChar(c)), FoldChar(c)) << c;
}

FolderEntry Entry(const std::string& name, bool isFolder) {
  FolderEntry e;
  e.name = name;
  e.isFolder = isFolder;
  e.inSubfolder = name.find('\\') != std::string::npos;
  return e;
}

TEST(EntryLess, FoldersAndTheirContentsFirstThenTopLevelFiles) {
  std::vector<FolderEntry> entries = {
      Entry("zeta.txt", false),      Entry("docs\\a.txt", false), Entry("Alpha.txt", false),
      Entry("docs-old\\x.txt", false), Entry("docs-old", true),   Entry("docs", true),
      Entry("B", true)};
  std::sort(entries.begin(), entries.end(), EntryLess);
  std::vector<std::string> order;
  for (const FolderEntry& e : entries) order.push_back(e.name);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "docs", "docs-old", "docs-old\\x.txt",
                                             "docs\\a.txt", "Alpha.txt", "zeta.txt"}));
}

TEST(EntryLess, IsAStrictWeakOrderThatPutsEachFolderBeforeItsContents) {
  static const char* const kParts[] = {"a", "A", "b", "a-b", "\xC3\xA9", "\xC3\x89", "a.b"};
  std::mt19937 rng(7);
  std::vector<FolderEntry> entries;
  for (int i = 0; i < 300; ++i) {
    std::string name = kParts[rng() % 7];
    for (int depth = static_cast<int>(rng() % 3); depth > 0; --depth) {
      name += "\\";
      name += kParts[rng() % 7];
    }
    entries.push_back(Entry(name, rng() % 2));
  }
  for (const FolderEntry& x : entries) {
    EXPECT_FALSE(EntryLess(x, x));
    for (const FolderEntry& y : entries) {
      if (!EntryLess(x, y)) continue;
      ASSERT_FALSE(EntryLess(y, x)) << x.name << " / " << y.name;
      for (const FolderEntry& z : entries) {
        if (EntryLess(y, z)) {
          ASSERT_TRUE(EntryLess(x, z)) << x.name << y.name << z.name;
        }
      }
    }
    // A folder sorts before anything inside it.
    if (x.isFolder) {
      const FolderEntry inside = Entry(x.name + "\\z", false);
      EXPECT_TRUE(EntryLess(x, inside)) << x.name;
    }
    // Top-level files come after every folder and everything below one.
    if (!x.isFolder && !x.inSubfolder) {
      EXPECT_TRUE(EntryLess(Entry("zz", true), x));
    }
  }
}

TEST(DifferenceText, WordsInTheirOrderTheFirstOfEachPairWinning) {
  FolderEntry file = Entry("f", false);
  file.flags = kEntryContents | kEntryLarger | kEntryNewer;
  EXPECT_EQ(DifferenceText(file, true), "(newer, larger, contents)");
  file.flags = kEntryHidden | kEntryWasHidden | kEntryWasReadOnly | kEntryOlder | kEntrySmaller |
               kEntryUnreadable;
  EXPECT_EQ(DifferenceText(file, true), "(hidden, was read-only, older, smaller, unreadable)");
  FolderEntry folder = Entry("d", true);
  folder.flags = kEntryNewer | kEntryContents;
  EXPECT_EQ(DifferenceText(folder, true), "(newer)");
  EXPECT_EQ(DifferenceText(folder, false), "(newer, contents)");
  folder.flags = 0;
  EXPECT_EQ(DifferenceText(folder, false), "");
}

}  // namespace
}  // namespace qm
