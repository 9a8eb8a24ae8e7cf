// Word moves over random texts of mixed scripts, checked against a plain
// model that walks a list of characters whose classes are known.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/text_doc.h"
#include "textwin/word_moves.h"

namespace qm {
namespace {

struct Token {
  std::string bytes;
  WordClass cls;
};

const std::vector<Token>& Alphabet() {
  static const std::vector<Token> tokens = {
      {"a", WordClass::Word},
      {"Z", WordClass::Word},
      {"_", WordClass::Word},
      {"7", WordClass::Word},
      {"\xC3\xA9", WordClass::Word},          // é
      {"\xD0\xB6", WordClass::Word},          // ж
      {"\xE4\xB8\xAD", WordClass::Word},      // 中
      {"\xD9\xA3", WordClass::Word},          // Arabic-Indic digit three
      {"e\xCC\x81", WordClass::Word},         // e + combining acute: one character
      {" ", WordClass::Space},
      {"\t", WordClass::Space},
      {"\n", WordClass::Space},
      {"\xC2\xA0", WordClass::Space},         // no-break space
      {"\xE3\x80\x80", WordClass::Space},     // ideographic space
      {".", WordClass::Punctuation},
      {"-", WordClass::Punctuation},
      {"(", WordClass::Punctuation},
      {"\xC2\xAB", WordClass::Punctuation},   // «
      {"\xE2\x80\x94", WordClass::Punctuation},  // em dash
      {"\xE3\x80\x82", WordClass::Punctuation},  // ideographic full stop
      {"\xF0\x9F\x98\x80", WordClass::Punctuation},  // an emoji
  };
  return tokens;
}

// The model: a text as characters with their byte starts.
struct Model {
  std::vector<WordClass> cls;
  std::vector<uint32_t> start;  // one more than cls: the end
  std::string bytes;

  size_t IndexOf(uint32_t offset) const {
    for (size_t i = 0; i < start.size(); ++i)
      if (start[i] == offset) return i;
    ADD_FAILURE() << "offset " << offset << " is no character start";
    return 0;
  }
  static bool Stop(WordClass a, WordClass b) {
    if (a == WordClass::Space) return b != WordClass::Space;
    return (a == WordClass::Punctuation && b == WordClass::Word) ||
           (a == WordClass::Word && b == WordClass::Punctuation);
  }
  uint32_t Right(uint32_t offset) const {
    size_t i = IndexOf(offset);
    const size_t n = cls.size();
    if (i == n) return start[n];
    ++i;
    while (i < n && !Stop(cls[i - 1], cls[i])) ++i;
    return start[i];
  }
  uint32_t Left(uint32_t offset) const {
    size_t i = IndexOf(offset);
    if (i == 0) return 0;
    --i;
    while (i > 0 && !Stop(cls[i - 1], cls[i])) --i;
    return start[i];
  }
};

Model RandomModel(std::mt19937& random, int length) {
  Model m;
  std::uniform_int_distribution<size_t> pick(0, Alphabet().size() - 1);
  for (int i = 0; i < length; ++i) {
    const Token& t = Alphabet()[pick(random)];
    m.start.push_back(static_cast<uint32_t>(m.bytes.size()));
    m.cls.push_back(t.cls);
    m.bytes += t.bytes;
  }
  m.start.push_back(static_cast<uint32_t>(m.bytes.size()));
  return m;
}

TextDoc DocOf(const std::string& bytes) {
  TextDoc doc;
  doc.Insert(0, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return doc;
}

TEST(WordMoves, CtrlArrowsStopWhereTheModelStopsInMixedScripts) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 300; ++round) {
    const Model m = RandomModel(random, 1 + round % 40);
    const TextDoc doc = DocOf(m.bytes);
    const DocChars text(doc, nullptr);
    for (size_t i = 0; i + 1 < m.start.size(); ++i) {
      ASSERT_EQ(text.NextStart(m.start[i]), m.start[i + 1]) << "round " << round;
      ASSERT_EQ(text.PreviousStart(m.start[i + 1]), m.start[i]) << "round " << round;
      ASSERT_EQ(text.ClassAt(m.start[i]), m.cls[i]) << "round " << round << " char " << i;
    }
    for (uint32_t offset : m.start) {
      const uint32_t right = WordRight(text, offset);
      const uint32_t left = WordLeft(text, offset);
      ASSERT_EQ(right, m.Right(offset)) << "round " << round << " from " << offset;
      ASSERT_EQ(left, m.Left(offset)) << "round " << round << " from " << offset;
      // Every move makes progress until the end it runs into.
      if (offset < doc.Length()) ASSERT_GT(right, offset);
      if (offset > 0) ASSERT_LT(left, offset);
    }
  }
}

TEST(WordMoves, ADoubleClickSelectsAMaximalRunAroundTheCaret) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const Model m = RandomModel(random, 1 + round % 30);
    const TextDoc doc = DocOf(m.bytes);
    const DocChars text(doc, nullptr);
    for (size_t i = 0; i < m.start.size(); ++i) {
      const WordSpan span = WordAt(text, m.start[i]);
      const bool before = i > 0 && m.cls[i - 1] != WordClass::Space;
      const bool after = i < m.cls.size() && m.cls[i] != WordClass::Space;
      ASSERT_LE(span.start, m.start[i]);
      ASSERT_GE(span.end, m.start[i]);
      if (!before && !after) {
        ASSERT_EQ(span.start, span.end) << "white space on both sides selects nothing";
        continue;
      }
      const size_t first = m.IndexOf(span.start);
      const size_t last = m.IndexOf(span.end);
      auto run = [](WordClass c) {
        return c == WordClass::Punctuation ? WordClass::Punctuation : WordClass::Word;
      };
      // Left part: one run of the class before the caret, maximal.
      if (i > 0) {
        for (size_t k = first; k < i; ++k) ASSERT_EQ(m.cls[k], run(m.cls[i - 1]));
        if (first > 0) ASSERT_NE(m.cls[first - 1], run(m.cls[i - 1]));
      }
      if (i < m.cls.size()) {
        for (size_t k = i; k < last; ++k) ASSERT_EQ(m.cls[k], run(m.cls[i]));
        if (last < m.cls.size()) ASSERT_NE(m.cls[last], run(m.cls[i]));
      }
    }
  }
}

TEST(WordMoves, ASingleByteSideReadsItsCodePageAndMalformedUtf8StepsByteByByte) {
  // Latin-1 as the legacy table: E9 is a letter, AB a quotation mark.
  wchar_t latin1[256];
  for (int i = 0; i < 256; ++i) latin1[i] = static_cast<wchar_t>(i);
  const TextDoc legacy = DocOf("ab\xE9" "c \xAB" "d");
  const DocChars legacyText(legacy, latin1);
  EXPECT_EQ(WordRight(legacyText, 0), 5u) << "the letter E9 is part of the word";
  EXPECT_EQ(WordRight(legacyText, 5), 6u) << "AB is punctuation before a letter";
  EXPECT_EQ(WordLeft(legacyText, 7), 6u);

  // A cut sequence and a stray continuation byte are characters of their own.
  const TextDoc broken = DocOf("x\xE4\xB8 \x80y");
  const DocChars text(broken, nullptr);
  for (uint32_t offset = 0; offset < broken.Length(); ++offset) {
    EXPECT_EQ(text.NextStart(offset), offset + 1) << offset;
    EXPECT_EQ(text.PreviousStart(offset + 1), offset) << offset;
  }
}

}  // namespace
}  // namespace qm
