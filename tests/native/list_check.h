// The checks every list the engine hands out must pass, shared by the engine
// property tests and the editing tests: each side's rows give back its
// document, offsets never decrease, fillers are empty, line numbers count up,
// Same rows pair equal lines under the options, Changed rows unequal ones,
// and the counters match the rows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/compare_options.h"
#include "engine/diff_list.h"
#include "engine/text_doc.h"
#include "engine_test_util.h"

namespace qm::test {

inline bool Blank(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// The line as the options see it, written from the option descriptions.
inline std::string Key(std::string line, const CompareOptions& o) {
  const bool lf = !line.empty() && line.back() == '\n';
  if (lf) line.pop_back();
  std::string out;
  if (o.IgnoreBlanks2 & kIgnoreAllBlanks) {
    for (char c : line) {
      if (!Blank(c)) out += c;
    }
  } else {
    size_t b = 0;
    size_t e = line.size();
    if (o.IgnoreBlanks2 & kIgnoreLeadingBlanks) {
      while (b < e && Blank(line[b])) ++b;
    }
    if (o.IgnoreBlanks2 & kIgnoreTrailingBlanks) {
      while (e > b && Blank(line[e - 1])) --e;
    }
    for (size_t i = b; i < e; ++i) {
      const bool collapse = (o.IgnoreBlanks2 & kIgnoreBlankRuns) && Blank(line[i]);
      if (!collapse) {
        out += line[i];
      } else if (out.empty() || i == b || !Blank(line[i - 1])) {
        out += ' ';
      }
    }
  }
  if (o.IgnoreCase) {
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
  }
  return out + (lf ? "\n" : "");
}

// The lines of a text as the engine cuts them: each with its LF, then the
// text after the last LF (possibly empty); none for an empty text.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      lines.push_back(text.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  lines.push_back(text.substr(start));  // the last line, possibly empty
  return lines;
}

// The edit count of a shortest script, from an O(NM) longest common
// subsequence over the lines' keys.
inline size_t MinimalEdits(const std::vector<std::string>& a, const std::vector<std::string>& b,
                           const CompareOptions& o) {
  std::vector<std::vector<size_t>> lcs(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
  for (size_t i = a.size(); i-- > 0;) {
    for (size_t j = b.size(); j-- > 0;) {
      lcs[i][j] = Key(a[i], o) == Key(b[j], o) ? lcs[i + 1][j + 1] + 1
                                                : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    }
  }
  return a.size() + b.size() - 2 * lcs[0][0];
}

// Checks the list against both documents; returns the edit count.
inline size_t CheckList(const DiffList& list, const TextDoc* docs[2], const CompareOptions& o,
                        const std::string& where) {
  size_t edits = 0;
  std::string rebuilt[2];
  int32_t next[2] = {0, 0};
  int32_t runs = 0;
  int32_t diffLines = 0;
  EXPECT_GE(list.RowCount(), 1) << where;
  for (int32_t r = 0; r < list.RowCount(); ++r) {
    const DiffRow& row = list.Row(r);
    edits += row.kind == RowKind::Changed ? 2 : (row.kind == RowKind::Same ? 0 : 1);
    if (row.kind != RowKind::Same) {
      ++diffLines;
      if (r == 0 || list.Kind(r - 1) != row.kind) ++runs;
    }
    std::string text[2];
    for (int side = 0; side < 2; ++side) {
      const uint32_t end = list.RowEnd(side, r, *docs[side]);
      if (r > 0) {
        EXPECT_LE(list.Row(r - 1).Offset(side), row.Offset(side)) << where << " row " << r;
      }
      EXPECT_LE(row.Offset(side), end) << where << " row " << r;
      text[side] = Text(*docs[side], row.Offset(side), end);
      rebuilt[side] += text[side];
      if (list.IsFiller(side, r)) {
        EXPECT_EQ(row.Line(side), -1) << where << " row " << r;
        EXPECT_TRUE(text[side].empty()) << where << " row " << r;
      } else {
        EXPECT_EQ(row.Line(side), next[side]++) << where << " row " << r;
      }
    }
    if (row.kind == RowKind::Same) {
      EXPECT_EQ(Key(text[0], o), Key(text[1], o)) << where << " row " << r;
    }
    if (row.kind == RowKind::Changed) {
      EXPECT_NE(Key(text[0], o), Key(text[1], o)) << where << " row " << r;
    }
  }
  for (int side = 0; side < 2; ++side) {
    EXPECT_EQ(rebuilt[side], Text(*docs[side], 0, docs[side]->Length()))
        << where << " side " << side;
  }
  EXPECT_EQ(list.diffCount, runs) << where;
  EXPECT_EQ(list.diffLineCount, diffLines) << where;
  return edits;
}

}  // namespace qm::test
