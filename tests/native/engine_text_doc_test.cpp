#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "engine/text_doc.h"

namespace qm {
namespace {

std::string Text(const TextDoc& doc) {
  auto copy = doc.CopyRange(0, doc.Length());
  return std::string(copy.get(), doc.Length());
}

void ExpectGapInvariant(const TextDoc& doc) {
  EXPECT_EQ(doc.Length() + doc.GapSize(), doc.Capacity());
  EXPECT_LE(doc.GapStart(), doc.Length());
}

TEST(TextDocGap, NewDocumentHasInitialGapAtStart) {
  TextDoc doc;
  EXPECT_EQ(doc.Length(), 0u);
  EXPECT_EQ(doc.Capacity(), 2048u);
  EXPECT_EQ(doc.GapStart(), 0u);
  EXPECT_EQ(doc.GapSize(), 2048u);
  EXPECT_TRUE(doc.AtStart(0));
  EXPECT_TRUE(doc.AtEnd(0));
}

TEST(TextDocGap, InsertLargerThanGapResizesToCountPlusInitialGap) {
  TextDoc doc;
  const std::string big(5000, 'x');
  ASSERT_TRUE(doc.Insert(0, big.data(), 5000));
  EXPECT_EQ(doc.Capacity(), 5000u + 2048u);
  EXPECT_EQ(doc.GapSize(), 2048u);
  EXPECT_EQ(doc.GapStart(), 5000u);
}

TEST(TextDocGap, DeleteShrinksAnOversizedGapBackToInitial) {
  TextDoc doc;
  const std::string big(5000, 'x');
  ASSERT_TRUE(doc.Insert(0, big.data(), 5000));
  doc.Delete(100, 3000);
  EXPECT_EQ(doc.Length(), 2000u);
  EXPECT_EQ(doc.GapSize(), 2048u);
  EXPECT_EQ(doc.Capacity(), 2000u + 2048u);
  EXPECT_EQ(doc.GapStart(), 100u);
  EXPECT_EQ(Text(doc), std::string(2000, 'x'));
}

TEST(TextDocGap, ZeroCountsChangeNothing) {
  TextDoc doc;
  ASSERT_TRUE(doc.Insert(0, "abc", 3));
  const uint32_t gapStart = doc.GapStart();
  EXPECT_TRUE(doc.Insert(1, "", 0));
  doc.Delete(1, 0);
  EXPECT_EQ(doc.GapStart(), gapStart);
  EXPECT_EQ(Text(doc), "abc");
}

TEST(TextDocGap, ClearReinitialises) {
  TextDoc doc;
  const std::string big(9000, 'y');
  ASSERT_TRUE(doc.Insert(0, big.data(), 9000));
  doc.Clear();
  EXPECT_EQ(doc.Length(), 0u);
  EXPECT_EQ(doc.Capacity(), 2048u);
  EXPECT_EQ(doc.GapStart(), 0u);
}

TEST(TextDocLines, LineEndAndCopyLineAcrossTheGap) {
  TextDoc doc;
  ASSERT_TRUE(doc.Insert(0, "one\ntwo\nthree", 13));
  ASSERT_TRUE(doc.Insert(5, "X", 1));  // gap now sits inside "tXwo"
  EXPECT_EQ(doc.LineEnd(0), 4u);
  EXPECT_EQ(doc.LineEnd(4), 9u);
  EXPECT_EQ(doc.LineEnd(9), 14u);  // last line without LF ends at the length
  EXPECT_EQ(doc.LineEnd(14), 14u);
  uint32_t count = 0;
  auto line = doc.CopyLine(4, &count);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(count, 5u);
  EXPECT_STREQ(line.get(), "tXwo\n");
}

TEST(TextDocLines, ContiguousViewMatchesTextWhereverTheGapIs) {
  TextDoc doc;
  const std::string text = "alpha\nbeta\ngamma\ndelta\n";
  ASSERT_TRUE(doc.Insert(0, text.data(), static_cast<uint32_t>(text.size())));
  for (uint32_t gap = 0; gap < text.size(); ++gap) {
    doc.Delete(gap, 1);  // leaves the gap just after byte gap
    doc.Insert(gap, &text[gap], 1);
    ASSERT_EQ(doc.GapStart(), gap + 1);
    for (uint32_t start = 0; start <= text.size(); start += 3) {
      for (uint32_t end = start; end <= text.size(); end += 5) {
        const char* view = doc.Contiguous(start, end);
        ASSERT_EQ(std::string(view, end - start), text.substr(start, end - start))
            << "gap " << gap << " range " << start << "-" << end;
      }
    }
  }
}

TEST(TextDocCopy, CopyAndMoveKeepTextAndGap) {
  TextDoc doc;
  ASSERT_TRUE(doc.Insert(0, "hello world", 11));
  doc.Delete(5, 1);
  TextDoc copy(doc);
  EXPECT_EQ(Text(copy), "helloworld");
  EXPECT_EQ(copy.GapStart(), doc.GapStart());
  EXPECT_EQ(copy.Capacity(), doc.Capacity());
  TextDoc moved(std::move(copy));
  EXPECT_EQ(Text(moved), "helloworld");
  copy = moved;
  copy.SetByte(0, 'H');
  EXPECT_EQ(Text(copy), "Helloworld");
  EXPECT_EQ(Text(moved), "helloworld");
}

TEST(TextDocCopy, TakeTextAdoptsStorage) {
  TextDoc doc;
  char* storage = static_cast<char*>(std::malloc(3 + TextDoc::kInitialGap));
  ASSERT_NE(storage, nullptr);
  std::memcpy(storage, "a\nb", 3);
  ASSERT_TRUE(doc.TakeText(storage, 3, 3 + TextDoc::kInitialGap));
  EXPECT_EQ(Text(doc), "a\nb");
  EXPECT_EQ(doc.GapStart(), 3u);
  EXPECT_EQ(doc.GapSize(), TextDoc::kInitialGap);
}

// Random inserts, deletes and byte writes against a std::string reference,
// with gap moves in both directions and resizes up and down.
TEST(TextDocProperty, RandomEditsMatchStringReference) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    TextDoc doc;
    std::string ref;
    for (int op = 0; op < 400; ++op) {
      const uint32_t at = static_cast<uint32_t>(rng() % (ref.size() + 1));
      switch (rng() % 4) {
        case 0:
        case 1: {
          const size_t n = rng() % 3 == 0 ? rng() % 5000 : rng() % 20;
          std::string bytes(n, '\0');
          for (char& c : bytes) c = static_cast<char>(rng() % 256);
          ASSERT_TRUE(doc.Insert(at, bytes.data(), static_cast<uint32_t>(n)));
          ref.insert(at, bytes);
          break;
        }
        case 2: {
          const uint32_t n = static_cast<uint32_t>(rng() % (ref.size() - at + 1));
          doc.Delete(at, n);
          ref.erase(at, n);
          break;
        }
        default:
          if (at < ref.size()) {
            const char c = static_cast<char>(rng() % 256);
            doc.SetByte(at, c);
            ref[at] = c;
            ASSERT_EQ(doc.ByteAt(at), static_cast<unsigned char>(c));
          }
      }
      ExpectGapInvariant(doc);
      ASSERT_EQ(doc.Length(), ref.size());
    }
    ASSERT_EQ(Text(doc), ref) << "round " << round;
    const size_t lf = ref.find('\n', ref.size() / 2);
    EXPECT_EQ(doc.LineEnd(static_cast<uint32_t>(ref.size() / 2)),
              lf == std::string::npos ? ref.size() : lf + 1);
  }
}

}  // namespace
}  // namespace qm
