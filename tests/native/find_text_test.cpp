// The search behind Find: random documents and engine-made row lists
// searched against a plain reference that lists every match of every range
// in order, and the cases that can really break.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "engine_test_util.h"
#include "textwin/find_text.h"

namespace qm {
namespace {

using test::Doc;

// ---- The reference: characters of each row, every candidate tried ----

struct Char {
  uint32_t code;
  uint32_t start;  // document offset
  uint32_t end;
};

std::vector<Char> RowChars(const TextDoc& doc, uint32_t start, uint32_t end, bool utf8) {
  std::string bytes = test::Text(doc, start, end);
  std::vector<Char> chars;
  for (uint32_t p = 0; p < bytes.size();) {
    uint32_t code = static_cast<unsigned char>(bytes[p]);
    uint32_t size = 1;
    if (!utf8) {
      code = Windows1252Char(static_cast<unsigned char>(code));
    } else {
      const TextChar c = NextChar(bytes.data() + p, bytes.size() - p);
      size = c.length;
      code = c.kind == CharKind::Invalid ? 0x110000 + code : c.code;
    }
    chars.push_back({code, start + p, start + p + size});
    p += size;
  }
  return chars;
}

std::vector<uint32_t> Needle(const FindQuery& q) {
  std::vector<uint32_t> codes;
  for (size_t p = 0; p < q.text.size();) {
    const TextChar c = NextChar(q.text.data() + p, q.text.size() - p);
    uint32_t code = c.kind == CharKind::Invalid ? 0x110000 + static_cast<unsigned char>(q.text[p])
                                                : c.code;
    codes.push_back(q.matchCase ? code : FoldCase(code));
    p += c.length;
  }
  return codes;
}

// Every match inside [lo, hi) of a row, in ascending order.
std::vector<FindMatch> MatchesInRange(const DiffList& list, const TextDoc& doc, int side,
                                      bool utf8, int32_t row, uint32_t lo, uint32_t hi,
                                      const FindQuery& q) {
  const std::vector<uint32_t> needle = Needle(q);
  const std::vector<Char> chars =
      RowChars(doc, list.Row(row).Offset(side), list.RowEnd(side, row, doc), utf8);
  std::vector<FindMatch> found;
  for (size_t i = 0; i < chars.size(); ++i) {
    if (chars[i].start < lo || needle.empty() || i + needle.size() > chars.size()) continue;
    bool same = true;
    for (size_t j = 0; j < needle.size() && same; ++j) {
      const uint32_t c = chars[i + j].code;
      same = (q.matchCase ? c : FoldCase(c)) == needle[j];
    }
    const Char& last = chars[i + needle.size() - 1];
    if (!same || last.end > hi) continue;
    if (q.wholeWord) {
      if (i > 0 && IsWordChar(chars[i - 1].code)) continue;
      const size_t after = i + needle.size();
      if (after < chars.size() && IsWordChar(chars[after].code)) continue;
    }
    found.push_back({row, chars[i].start, last.end});
  }
  return found;
}

FindMatch ReferenceFind(const DiffList& list, const TextDoc& doc, int side, bool utf8,
                        int32_t caretRow, uint32_t from, const FindQuery& q) {
  int32_t start = caretRow;
  if (from < list.Row(caretRow).Offset(side) || from > list.RowEnd(side, caretRow, doc)) {
    start = 0;
    for (int32_t r = 0; r < list.RowCount(); ++r)
      if (list.Row(r).Offset(side) <= from) start = r;
  }
  std::vector<std::pair<int32_t, std::pair<uint32_t, uint32_t>>> ranges;  // row, [lo, hi)
  const int32_t rows = list.RowCount();
  const uint32_t all = UINT32_MAX;
  if (q.forwards) {
    ranges.push_back({start, {from, all}});
    for (int32_t r = start + 1; r < rows; ++r) ranges.push_back({r, {0, all}});
    for (int32_t r = 0; r <= start; ++r) ranges.push_back({r, {0, all}});
  } else {
    ranges.push_back({start, {0, from}});
    for (int32_t r = start - 1; r >= 0; --r) ranges.push_back({r, {0, all}});
    for (int32_t r = rows - 1; r >= start; --r) ranges.push_back({r, {0, all}});
  }
  for (const auto& [row, range] : ranges) {
    auto found = MatchesInRange(list, doc, side, utf8, row, range.first, range.second, q);
    if (!found.empty()) return q.forwards ? found.front() : found.back();
  }
  return {};
}

// ---- Random documents ----

// Words, separators, a few letters with case outside ASCII, and (UTF-8
// sides) a malformed byte.
const char* const kUtf8Pieces[] = {"ab", "Ab", "b", "a_b", ",", " ", "\n", "\n", "\xC3\xA9",
                                   "\xC3\x89", "\xCF\x83", "\xCF\x82", "\xCE\xA3", "\xD0\xB6",
                                   "\xD0\x96", "\xFF", "x"};
const char* const kLegacyPieces[] = {"ab", "AB", "_", ",", " ", "\n", "\n", "\xE9", "\xC9",
                                     "\x8A", "\x9A", "x"};

template <size_t N>
std::string RandomText(std::mt19937& rng, const char* const (&pieces)[N], int count) {
  std::string text;
  std::uniform_int_distribution<size_t> pick(0, N - 1);
  for (int i = 0; i < count; ++i) text += pieces[pick(rng)];
  return text;
}

// A document holding text whose gap sits inside it, so that some row spans
// the gap as after an edit.
TextDoc GappedDoc(const std::string& text, std::mt19937& rng) {
  TextDoc doc = Doc(text);
  const uint32_t at = static_cast<uint32_t>(rng() % (text.size() + 1));
  doc.Insert(at, "#", 1);
  doc.Delete(at, 1);
  return doc;
}

// Character boundaries of a row, in document offsets.
std::vector<uint32_t> Boundaries(const DiffList& list, const TextDoc& doc, int side, bool utf8,
                                 int32_t row) {
  std::vector<uint32_t> at;
  for (const Char& c : RowChars(doc, list.Row(row).Offset(side), list.RowEnd(side, row, doc), utf8))
    at.push_back(c.start);
  at.push_back(list.RowEnd(side, row, doc));
  return at;
}

TEST(FindInSide, AgreesWithTheReferenceOnRandomDocumentsAndLists) {
  std::mt19937 rng(20261208);
  int found = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool utf8 = round % 3 != 0;
    const std::string leftText = utf8 ? RandomText(rng, kUtf8Pieces, static_cast<int>(rng() % 30))
                                      : RandomText(rng, kLegacyPieces, static_cast<int>(rng() % 30));
    std::string rightText = leftText;
    // The right side: the left with a few pieces changed, so the engine
    // makes changed rows and fillers on both sides.
    for (int edits = static_cast<int>(rng() % 4); edits > 0 && !rightText.empty(); --edits) {
      const size_t at = rng() % rightText.size();
      rightText.insert(at, utf8 ? RandomText(rng, kUtf8Pieces, 2) : RandomText(rng, kLegacyPieces, 2));
      if (rng() % 2) rightText.erase(rng() % rightText.size(), 1);
    }
    TextDoc left = GappedDoc(leftText, rng);
    TextDoc right = GappedDoc(rightText, rng);
    DiffList list;
    ASSERT_EQ(test::Compare(left, right, list).code, CompareCode::Ok);
    list.AttachDocuments(&left, &right);

    const int side = static_cast<int>(rng() % 2);
    const TextDoc& doc = side == 0 ? left : right;
    const int32_t caretRow = static_cast<int32_t>(rng() % static_cast<uint32_t>(list.RowCount()));
    const std::vector<uint32_t> at = Boundaries(list, doc, side, utf8, caretRow);
    uint32_t from = at[rng() % at.size()];
    // Now and then a selection that reaches into another row.
    if (rng() % 8 == 0) {
      const int32_t other = static_cast<int32_t>(rng() % static_cast<uint32_t>(list.RowCount()));
      const std::vector<uint32_t> there = Boundaries(list, doc, side, utf8, other);
      from = there[rng() % there.size()];
    }

    FindQuery q;
    q.matchCase = rng() % 2;
    q.wholeWord = rng() % 2;
    q.forwards = rng() % 2;
    const std::string& source = side == 0 ? leftText : rightText;
    if (rng() % 2 && !source.empty()) {
      // A piece of the text itself, so that matches are common.
      const size_t start = rng() % source.size();
      q.text = source.substr(start, 1 + rng() % 4);
    } else {
      q.text = utf8 ? RandomText(rng, kUtf8Pieces, 1 + static_cast<int>(rng() % 2))
                    : RandomText(rng, kLegacyPieces, 1);
    }
    if (!utf8) {
      // The search text is UTF-8: convert the legacy piece as a selection would.
      TextDoc piece = Doc(q.text);
      q.text = SearchTextOf(SideText{&piece, 0, false, nullptr}, 0, piece.Length(), 255);
    }

    const SideText sideText{&doc, side, utf8, nullptr};
    const FindMatch got = FindInSide(list, sideText, caretRow, from, q);
    const FindMatch want = ReferenceFind(list, doc, side, utf8, caretRow, from, q);
    const std::string context = "round " + std::to_string(round) + " side " +
                                std::to_string(side) + " caret row " + std::to_string(caretRow) +
                                " from " + std::to_string(from) + " text \"" + q.text + "\" in \"" + source + "\" rows " + test::Kinds(list) + " doc " + std::to_string(doc.Length());
    ASSERT_EQ(got.row, want.row) << context;
    ASSERT_EQ(got.start, want.start) << context;
    ASSERT_EQ(got.end, want.end) << context;
    found += got.Found();
  }
  EXPECT_GT(found, 1000) << "the rounds should mostly find something";
}

// ---- Cases ----

// Rows from a comparison of a text with itself: one row a line.
struct OneSide {
  explicit OneSide(const std::string& text) : left(Doc(text)), right(Doc(text)) {
    test::Compare(left, right, list);
    list.AttachDocuments(&left, &right);
  }
  FindMatch Find(const std::string& text, int32_t row, uint32_t from, bool forwards = true,
                 bool wholeWord = false, bool matchCase = false, bool utf8 = true) const {
    FindQuery q;
    q.text = text;
    q.forwards = forwards;
    q.wholeWord = wholeWord;
    q.matchCase = matchCase;
    return FindInSide(list, SideText{&left, 0, utf8, nullptr}, row, from, q);
  }
  TextDoc left;
  TextDoc right;
  DiffList list;
};

TEST(FindInSide, TheCaretInTheOnlyMatchingRowFindsAfterItFirstThenWraps) {
  const OneSide s("one\nfoo bar foo\nthree\n");
  // Caret at "bar" (offset 8).
  FindMatch m = s.Find("foo", 1, 8);
  EXPECT_EQ(m.row, 1);
  EXPECT_EQ(m.start, 12u);
  m = s.Find("foo", 1, m.end);
  EXPECT_EQ(m.start, 4u) << "round the end and back into the caret row";
  EXPECT_EQ(m.end, 7u);
  // Backwards from the caret the first one comes first, then the last.
  EXPECT_EQ(s.Find("foo", 1, 8, false).start, 4u);
  EXPECT_EQ(s.Find("foo", 1, 4, false).start, 12u);
  // A match that straddles the start offset is found only on the wrap.
  EXPECT_EQ(s.Find("o b", 1, 7).start, 6u);
}

TEST(FindInSide, WholeWordLooksAtTheRealNeighbours) {
  const OneSide s("ab_c\nab, d\nx ab\nfoobar\nzz ab");
  EXPECT_EQ(s.Find("ab", 0, 0, true, true).row, 1) << "\"_\" joins a word, \",\" does not";
  EXPECT_EQ(s.Find("ab", 1, 7, true, true).row, 2) << "before the row's LF";
  const FindMatch end = s.Find("ab", 2, 15, true, true);
  EXPECT_EQ(end.row, 4) << "at the very end of the document";
  EXPECT_EQ(end.end, 28u);
  // A caret inside a word does not make the rest of it a word.
  EXPECT_FALSE(s.Find("bar", 3, 19, true, true).Found());
  EXPECT_FALSE(s.Find("foo", 3, 19, false, true).Found());
  EXPECT_EQ(s.Find("bar", 3, 19).start, 19u);
}

TEST(FindInSide, FindsNothingThatCannotFitOrCrossesARow) {
  const OneSide s("short\nrows\nonly\n");
  EXPECT_FALSE(s.Find("longer than any row", 0, 0).Found());
  EXPECT_FALSE(s.Find("short\nrows", 0, 0).Found()) << "a match never spans rows";
  const FindMatch lf = s.Find("rows\n", 0, 0);
  EXPECT_EQ(lf.start, 6u) << "a row's LF is part of its text";
  EXPECT_EQ(lf.end, 11u);
  EXPECT_FALSE(s.Find("", 0, 0).Found());
}

TEST(FindInSide, SearchesOnlyTheSideAskedFor) {
  TextDoc left = Doc("needle here\nsame\nneedle again\n");
  TextDoc right = Doc("other text\nsame\nnothing else\nmore\n");
  DiffList list;
  test::Compare(left, right, list);
  list.AttachDocuments(&left, &right);
  FindQuery q;
  q.text = "needle";
  EXPECT_FALSE(FindInSide(list, SideText{&right, 1, true, nullptr}, 0, 0, q).Found());
  q.text = "more";
  const FindMatch m = FindInSide(list, SideText{&right, 1, true, nullptr}, 0, 0, q);
  ASSERT_TRUE(m.Found());
  EXPECT_EQ(m.start, list.Row(m.row).Offset(1)) << "offsets of the right document";
  EXPECT_EQ(test::Text(right, m.start, m.end), "more");
}

TEST(FindInSide, FoldsCaseInAnyScriptAndMatchesWholeCharacters) {
  // Cyrillic, Greek with a final sigma, Latin-1 and Latin Extended-A.
  const OneSide s("\xD0\x96\xD0\xA3\xD0\xA0\xD0\x9D\xD0\x90\xD0\x9B\n"  // ЖУРНАЛ
                  "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3\n"          // ΣΟΦΟΣ
                  "CAF\xC3\x89 \xC5\x81\xC3\x93" "D\xC5\xB9\n");           // CAFÉ ŁÓDŹ
  EXPECT_EQ(s.Find("\xD0\xB6\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB", 1, 13).row, 0);  // журнал
  EXPECT_EQ(s.Find("\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82", 0, 0).row, 1);          // σοφος
  EXPECT_EQ(s.Find("caf\xC3\xA9", 0, 0).row, 2);                                        // café
  EXPECT_EQ(s.Find("\xC5\x82\xC3\xB3\x64\xC5\xBA", 0, 0).row, 2);                       // łódź
  EXPECT_FALSE(s.Find("caf\xC3\xA9", 0, 0, true, false, true).Found()) << "match case";
  EXPECT_FALSE(s.Find("cafe", 0, 0).Found()) << "an accent is not case";
  EXPECT_FALSE(s.Find("caf", 0, 0, true, true).Found()) << "É is a letter of the word";
  // A byte of a character alone never matches inside it.
  EXPECT_FALSE(s.Find("\x89", 0, 0).Found());
  EXPECT_FALSE(s.Find("\xC3", 0, 0).Found());

  // A legacy side: Windows-1252 bytes against a UTF-8 search text.
  const OneSide legacy("CAF\xC9 \x8A\n");  // CAFÉ Š
  EXPECT_EQ(legacy.Find("caf\xC3\xA9 \xC5\xA1", 0, 0, true, true, false, false).end, 6u);
}

TEST(FindInSide, ASelectionOverARowBoundaryIsNotFoundAgain) {
  // "abc\n" selected whole (caret at the start of the next row): searching
  // backwards from its start finds the earlier one, not itself.
  const OneSide s("abc\nx\nabc\ny\n");
  EXPECT_EQ(s.Find("abc\n", 3, 6, false).start, 0u);
  // A selection made upwards (caret before its anchor): forwards from its
  // end, past the caret row.
  EXPECT_EQ(s.Find("abc", 0, 10).start, 0u);
  EXPECT_EQ(s.Find("y", 0, 10).row, 3);
}

// Its speed is the editing benchmark's to measure (bench/edit_run.sh).
TEST(FindInSide, WrapsThroughAMillionRows) {
  std::string text;
  for (int i = 0; i < 1000000; ++i) text += "line of some ordinary text " + std::to_string(i % 97) + "\n";
  text += "the needle\n";
  const OneSide s(text);
  ASSERT_GT(s.list.RowCount(), 1000000);
  for (bool matchCase : {false, true}) {
    // From the row after the needle's: through the whole list and round.
    const FindMatch m = s.Find("Needle", s.list.RowCount() - 1, s.left.Length(), true, true, matchCase);
    EXPECT_EQ(m.Found(), !matchCase) << (matchCase ? "match case" : "any case");
  }
}

TEST(SearchTextOf, GivesUtf8CutAtACharacterBoundary) {
  TextDoc legacy = Doc("caf\xE9\x80");
  EXPECT_EQ(SearchTextOf(SideText{&legacy, 0, false, nullptr}, 0, 5, 255),
            "caf\xC3\xA9\xE2\x82\xAC");  // café€
  TextDoc utf8 = Doc("ab\xE2\x82\xAC\xFF");
  EXPECT_EQ(SearchTextOf(SideText{&utf8, 0, true, nullptr}, 0, 6, 255), "ab\xE2\x82\xAC\xFF");
  EXPECT_EQ(SearchTextOf(SideText{&utf8, 0, true, nullptr}, 0, 6, 4), "ab") << "not half a €";
  EXPECT_EQ(SearchTextOf(SideText{&utf8, 0, true, nullptr}, 1, 2, 255), "b");
}

}  // namespace
}  // namespace qm
